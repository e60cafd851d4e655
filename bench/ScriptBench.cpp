// Scripting costs: the world's update pass over 10,000 Python Actor subclasses (director calls)
// against a Python loop calling the same method; the cost of one call from Python into the engine
// (a method, whose 'self' is checked, and a constructor); the time from process start to the
// first frame with and without the start script; the load time of a 200-actor level.
// Needs a display and the repository root as working directory:
//   tools/with-display.sh build/bench/script_bench
#include "bench/BenchTimer.h"
#include "engine/util/opengl/GL.h"
#include "engine/world/World.h"
#include "engine/world/glfw2/Glfw2.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace
{

constexpr int kActors = 10000;
constexpr int kCalls = 1000000;
constexpr int kLevelActors = 200;
constexpr int kRuns = 7;
constexpr int kStarts = 5;

/// Child mode: start the engine, draw and show one frame, report, end.
int FirstFrame()
{
    World* world = World::GetInstance();
    if (!world->Initialize(1024, 768, "Tessaly Engine", false))
        return 1;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    world->TickAndRender();
    glfw2::SwapBuffers();
    glFinish();
    std::fputs("frame\n", stdout);
    std::fflush(stdout);
    std::_Exit(0);
}

/// Seconds from starting this program in folder until its first frame is shown.
double TimeToFirstFrame(const fs::path& folder)
{
    int out[2];
    if (pipe(out) != 0)
        return -1.0;
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0)
    {
        dup2(out[1], STDOUT_FILENO);
        if (chdir(folder.c_str()) != 0)
            std::_Exit(1);
        execl("/proc/self/exe", "script_bench", "--first-frame", static_cast<char*>(nullptr));
        std::_Exit(1);
    }
    close(out[1]);
    char line[16] = {};
    const bool shown = read(out[0], line, sizeof line) > 0;
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    close(out[0]);
    waitpid(child, nullptr, 0);
    return shown ? elapsed.count() : -1.0;
}

double BestTimeToFirstFrame(const fs::path& folder)
{
    double best = 1e30;
    for (int i = 0; i < kStarts; ++i)
        best = std::min(best, TimeToFirstFrame(folder));
    return best;
}

/// A copy of the repository's data without the start script (links, nothing copied).
fs::path FolderWithoutStartScript(const fs::path& root, const fs::path& scratch)
{
    const fs::path folder = scratch / "no-start";
    fs::create_directories(folder / "Resources");
    for (const char* data : {"Resources/Fonts", "Resources/Images", "Resources/Sounds", "Config"})
        if (fs::exists(root / data))
            fs::create_directory_symlink(root / data, folder / data);
    return folder;
}

/// An archetype of each kind and a level of kLevelActors actors using them.
void WriteLevel(const fs::path& scratch)
{
    fs::create_directories(scratch / "ActorDef");
    fs::create_directories(scratch / "Level");
    std::ofstream(scratch / "ActorDef/bench.ini")
        << "[Sheep]\nclass = PhysicsActor\nsize = 0.8\nshape = circle\ntags = sheep\n"
           "[Fence]\nclass = PhysicsActor\nsize = [4, 0.2]\ndensity = 0\ntags = fence\n"
           "[Grass]\nclass = Actor\nsize = 2\ncolor = [0, 1, 0]\nlayer = -1\n";
    std::ofstream level(scratch / "Level/bench.ini");
    const char* types[] = {"sheep", "fence", "grass"};
    for (int i = 0; i < kLevelActors; ++i)
        level << "[" << types[i % 3] << i << "]\ntype=" << types[i % 3] << "\nposition=["
              << (i % 20) * 2 - 20 << ", " << (i / 20) * 2 - 10 << "]\nrotation=" << i % 90
              << "\n\n";
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::string(argv[1]) == "--first-frame")
        return FirstFrame();

    const fs::path root = fs::current_path();
    std::string scratchName = (fs::temp_directory_path() / "script-bench-XXXXXX").string();
    if (mkdtemp(scratchName.data()) == nullptr)
        return 1;
    const fs::path scratch = scratchName;

    const double withScript = BestTimeToFirstFrame(root);
    const double withoutScript = BestTimeToFirstFrame(FolderWithoutStartScript(root, scratch));

    World* world = World::GetInstance();
    if (!world->Initialize(1024, 768, "Tessaly Engine", false))
        return 1;
    world->SetupPhysics();
    world->ScriptExec("class Idle(Actor):\n"
                      "    def Update(self, dt): pass\n"
                      "idle = [Idle() for _ in range(" +
                      std::to_string(kActors) +
                      ")]\n"
                      "for actor in idle: World.GetInstance().Add(actor)\n"
                      "def CallAll():\n"
                      "    for actor in idle: actor.Update(0.016)\n");
    const double pass = BestOf(kRuns, [&] { world->UpdateRenderables(0.016f); });
    const double loop = BestOf(kRuns, [&] { world->ScriptExec("CallAll()"); });
    world->ScriptExec("del idle");
    world->UnloadAll();

    // Calls from Python into the engine, less the loop around them.
    world->ScriptExec("probe = Actor()\n"
                      "CALLS = " +
                      std::to_string(kCalls) +
                      "\n"
                      "def LoopOnly():\n"
                      "    for _ in range(CALLS): pass\n"
                      "def CallMethod():\n"
                      "    get = probe.GetRotation\n"
                      "    for _ in range(CALLS): get()\n"
                      "def MakeVectors():\n"
                      "    for _ in range(CALLS): Vector2(1.0, 2.0)\n");
    const double loopOnly = BestOf(kRuns, [&] { world->ScriptExec("LoopOnly()"); });
    const double method = BestOf(kRuns, [&] { world->ScriptExec("CallMethod()"); }) - loopOnly;
    const double construct = BestOf(kRuns, [&] { world->ScriptExec("MakeVectors()"); }) - loopOnly;
    world->ScriptExec("del probe");

    WriteLevel(scratch);
    world->ScriptExec("import tessaly_levels\n"
                      "tessaly_levels.ARCHETYPE_FOLDER = archetypes\n"
                      "tessaly_levels.LEVEL_FOLDER = levels\n",
                      {{"archetypes", (scratch / "ActorDef").string()},
                       {"levels", (scratch / "Level").string()}});
    double level = 1e30;
    for (int run = 0; run < kRuns; ++run)
    {
        world->UnloadAll();
        level = std::min(level, BestOf(1, [&] { world->LoadLevel("bench"); }));
    }
    world->Destroy();
    fs::remove_all(scratch);

    std::printf("director Update, %d Python actors: world pass %.2f ms, Python loop %.2f ms, "
                "ratio %.2f (target <= 1.5)\n",
                kActors, pass * 1e3, loop * 1e3, pass / loop);
    std::printf("Python -> engine, %d calls each: Actor.GetRotation() %.1f ns a call, "
                "Vector2(1.0, 2.0) %.1f ns a call (loop cost taken off)\n",
                kCalls, method / kCalls * 1e9, construct / kCalls * 1e9);
    std::printf("start-up to the first frame: with start.py %.1f ms, without %.1f ms "
                "(best of %d)\n",
                withScript * 1e3, withoutScript * 1e3, kStarts);
    std::printf("level of %d actors (physics bodies included): %.2f ms to load\n", kLevelActors,
                level * 1e3);
    return 0;
}
