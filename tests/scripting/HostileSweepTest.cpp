// The hostile-call sweep: tests/scripting/hostile_sweep.py calls every function and method of the
// tessaly module with hostile arguments, inside the engine's real window (run under Xvfb), while
// both programs' screens switch under it. Python errors are fine; a crash, an abort, a hang or a
// sanitizer report fails the run, after a line that names the seed and the call.
//
//   TESSALY_SWEEP_SECONDS  how long the sweep runs (default 15)
//   TESSALY_SWEEP_SEED     its seed (default 1; "random" takes one from the clock)
//   TESSALY_SWEEP_TRACE=1  prints every call before it is made (to reproduce a failure)
//   TESSALY_SWEEP_HANG_SECONDS  how long no call may return before the run counts as hung (60)
#include "engine/util/MathUtil.h"
#include "game/QuorvelManager.h"
#include "game/TuioScreen.h"
#include "game/prototypes/PrototypesManager.h"
#include "game/prototypes/TuioScreenLeveleditorSheeps.h"
#include "tests/support/WorldWindow.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <thread>

#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_UNDEFINED__)
#define SWEEP_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(undefined_behavior_sanitizer)
#define SWEEP_SANITIZED 1
#endif
#endif
#ifdef SWEEP_SANITIZED
#include <sanitizer/common_interface_defs.h>
#endif

namespace
{

// What the sweep is doing, written by the script (through ctypes) before each call, so that a
// process that dies in the call can still name it.
std::atomic<int64_t> s_calls{0};
std::atomic<int64_t> s_batches{0};
char s_lastCall[8192];
unsigned s_seed = 0;
std::atomic<bool> s_reported{false};

/// Writes the seed and the call in progress to standard error, once; async-signal-safe.
void ReportLastCall(const char* why)
{
    if (s_reported.exchange(true))
        return;
    char head[160];
    const int length =
        std::snprintf(head, sizeof head, "\nhostile-call sweep: %s at call %lld, seed %u: ", why,
                      static_cast<long long>(s_calls.load()), s_seed);
    s_lastCall[sizeof s_lastCall - 1] = '\0';
    (void)!write(STDERR_FILENO, head, static_cast<size_t>(length));
    (void)!write(STDERR_FILENO, s_lastCall, std::strlen(s_lastCall));
    char tail[160];
    const int tailLength = std::snprintf(tail, sizeof tail,
                                         "\nto repeat it: TESSALY_SWEEP_SEED=%u (with "
                                         "TESSALY_SWEEP_TRACE=1 each call is printed)\n",
                                         s_seed);
    (void)!write(STDERR_FILENO, tail, static_cast<size_t>(tailLength));
}

void OnFatalSignal(int signal)
{
    ReportLastCall(signal == SIGABRT   ? "abort"
                   : signal == SIGSEGV ? "segmentation fault"
                                       : "fatal signal");
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

/// Names the call on a sanitizer report, a crash or an abort.
void InstallReporters()
{
#ifdef SWEEP_SANITIZED
    __sanitizer_set_death_callback([] { ReportLastCall("sanitizer report"); });
#else
    for (int signal : {SIGSEGV, SIGBUS, SIGFPE, SIGILL})
        std::signal(signal, OnFatalSignal);
#endif
    std::signal(SIGABRT, OnFatalSignal);
}

} // namespace

// UBSan's runtime is apart from ASan's and does not call the death callback: it aborts instead,
// which the SIGABRT handler reports. (The environment's UBSAN_OPTIONS still override this.)
extern "C" const char* __ubsan_default_options()
{
    return "abort_on_error=1";
}

namespace
{

double EnvNumber(const char* name, double fallback)
{
    const char* text = std::getenv(name);
    return text != nullptr && *text != '\0' ? std::atof(text) : fallback;
}

unsigned SeedFromEnv()
{
    const char* text = std::getenv("TESSALY_SWEEP_SEED");
    if (text == nullptr || *text == '\0')
        return 1;
    if (std::strcmp(text, "random") == 0)
        return std::random_device()() % 1000000;
    return static_cast<unsigned>(std::strtoul(text, nullptr, 10));
}

/// Both programs' screens under one manager. The level editor is left out: leaving it writes
/// its level into the working directory, which is the repository here.
struct SweepManager : ScreenManager
{
    SweepManager() : ScreenManager(nullptr, &SweepManager::MakeScreens) {}
    static ScreenList MakeScreens()
    {
        ScreenList screens = QuorvelManager::MakeScreens();
        for (TuioScreen* screen : PrototypesManager::MakeScreens())
            if (dynamic_cast<TuioScreenLeveleditorSheeps*>(screen) == nullptr)
                screens.push_back(screen);
            else
                delete screen;
        return screens;
    }
};

using HostileSweepTest = WorldWindowTest;

TEST_F(HostileSweepTest, NoCallOfTheScriptingModuleEndsTheProgram)
{
    const double seconds = EnvNumber("TESSALY_SWEEP_SECONDS", 15.0);
    const double hangSeconds = EnvNumber("TESSALY_SWEEP_HANG_SECONDS", 60.0);
    s_seed = SeedFromEnv();
    std::printf("hostile-call sweep: seed %u for %g s\n", s_seed, seconds);
    std::fflush(stdout);
    InstallReporters();

    world->SetupPhysics(Vector2(0.0f, 0.0f));
    world->SetGameManager(new SweepManager());
    auto* manager = static_cast<SweepManager*>(world->GetGameManager());
    MathUtil::RandomInt(1); // the engine's one seeding by the clock comes first
    std::srand(s_seed);

    char start[512];
    std::snprintf(start, sizeof start,
                  "import sys\n"
                  "sys.path.insert(0, 'tests/scripting')\n"
                  "import hostile_sweep\n"
                  "hostile_sweep.start(%u, %llu, %llu, %llu, %zu)\n",
                  s_seed, static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(&s_calls)),
                  static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(&s_batches)),
                  static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(s_lastCall)),
                  sizeof s_lastCall);
    world->ScriptExec(start);
    ASSERT_EQ(s_batches.load(), 1) << "the sweep did not start";

    // A call or a frame that never returns ends the run with the call named.
    struct Watchdog
    {
        explicit Watchdog(double seconds)
            : thread(
                  [this, seconds]
                  {
                      int64_t seen = -1;
                      auto since = std::chrono::steady_clock::now();
                      while (running)
                      {
                          std::this_thread::sleep_for(std::chrono::milliseconds(200));
                          const int64_t now = s_calls.load() + s_batches.load();
                          if (now != seen)
                              seen = now, since = std::chrono::steady_clock::now();
                          else if (std::chrono::steady_clock::now() - since >
                                   std::chrono::duration<double>(seconds))
                          {
                              ReportLastCall("no progress (a hang)");
                              std::_Exit(3);
                          }
                      }
                  })
        {
        }
        ~Watchdog()
        {
            running = false;
            thread.join();
        }
        std::atomic<bool> running{true};
        std::thread thread;
    } watchdog(hangSeconds);

    // The screens switch on a schedule of their own, so a sweep that unsubscribes the manager
    // from its messages still sees screens come and go.
    std::mt19937 switches(s_seed);
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    for (int frame = 1; std::chrono::steady_clock::now() < end; ++frame)
    {
        const int64_t batches = s_batches.load();
        world->ScriptExec("hostile_sweep.batch()");
        ASSERT_EQ(s_batches.load(), batches + 1) << "the sweep itself failed (see above)";
        Frame();
        if (frame % 40 == 0)
        {
            const int last = static_cast<int>(manager->GetScreens().size()) - 1;
            const int at = manager->GetCurrentScreenIndex();
            const unsigned pick = switches() % 8;
            if (pick < 5 && at < last)
                manager->MoveForwards();
            else if (pick < 7 && at > 0)
                manager->MoveBackwards();
            else
                manager->Restart();
            world->ScriptExec("hostile_sweep.screen_changed()");
        }
    }
    world->ScriptExec("hostile_sweep.finish()");
    manager->StopRunningScreen();
    EXPECT_GT(s_calls.load(), 0);
}

} // namespace
