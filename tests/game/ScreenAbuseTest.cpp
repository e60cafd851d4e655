// Needs an X display (run under Xvfb).
#include "engine/input/MouseInput.h"
#include "engine/world/glfw2/Glfw2.h"
#include "game/TuioScreenStart.h"
#include "game/prototypes/PrototypesManager.h"
#include "tests/game/GameTestSupport.h"
#include "tests/support/TempDir.h"

#include <filesystem>

namespace
{

/// What a console line or a script may do to the actors a screen made.
const struct Abuse
{
    const char* name;
    const char* script; // `names`: the actors in the World, as a Python list
} kAbuses[] = {
    {"destroyed from the console", "for n in names: Actor.GetNamed(n).Destroy()"},
    {"destroyed by an actor's Update", R"(
class Wrecker(Actor):
    def Update(self, dt):
        for n in names:
            if Actor.GetNamed(n): Actor.GetNamed(n).Destroy()
        self.Destroy()
World.GetInstance().Add(Wrecker()))"},
    {"added twice, then destroyed",
     "for n in names: World.GetInstance().Add(Actor.GetNamed(n)); Actor.GetNamed(n).Destroy()"},
    {"taken out of the World", "for n in names: World.GetInstance().Remove(Actor.GetNamed(n))"},
    {"unloaded with the level", "World.GetInstance().ResetWorld()"},
};

class ScreenAbuseTest : public ScreenTest, public testing::WithParamInterface<int>
{
protected:
    static void SetUpTestSuite()
    {
        ScreenTest::SetUpTestSuite();
        StandInManager::Get();
    }

    /// Runs the abuse's script with `names` in the main module: the actors in the World.
    void RunAbuse(const char* script)
    {
        String names; // each followed by a NUL
        for (auto it = world->GetRenderablesBegin(); it != world->GetRenderablesEnd(); ++it)
            if (auto* actor = dynamic_cast<Actor*>(*it))
                names += actor->GetName() + '\0';
        world->ScriptExec("import __main__\n__main__.names = actorNames.split('\\0')[:-1]\n",
                          {{"actorNames", names}});
        world->ScriptExec(script);
    }
    /// Both programs' screens.
    static ScreenManager::ScreenList AllScreens()
    {
        ScreenManager::ScreenList screens = QuorvelManager::MakeScreens();
        for (TuioScreen* each : PrototypesManager::MakeScreens())
            screens.push_back(each);
        return screens;
    }
    /// Touches down, moving and lifted, and a mouse click, over a few frames.
    void Play()
    {
        Touch(kDown, 1, 0.3f, 0.4f);
        Touch(kDown, 2, 0.7f, 0.6f);
        Tick();
        Touch(kMove, 1, 0.35f, 0.45f, 2.0f, -1.0f);
        Tick();
        MouseMotion(400, 300);
        MouseButton(0, glfw2::PRESS);
        MouseButton(0, glfw2::RELEASE);
        Touch(kUp, 1, 0.35f, 0.45f);
        for (int frame = 0; frame < 5; ++frame)
            Tick({}, 0.2);
    }
    /// Live actors in the World that are not the edge blockers.
    int ScreenActors()
    {
        int count = 0;
        for (auto it = world->GetRenderablesBegin(); it != world->GetRenderablesEnd(); ++it)
            if (auto* actor = dynamic_cast<Actor*>(*it))
                count += !actor->IsDestroyed() && !StartsWith(actor->GetName(), "Blocker");
        return count;
    }
};

} // namespace

// Every screen of both programs (by its place in the two lists: 0-6 the game's, 7-16 the
// further screens'), with touches down, meets each abuse of its actors; it goes on playing, is
// left, entered afresh, restarted and stopped without following a pointer to what is gone (the
// sanitizer stage sees any such use).
TEST_P(ScreenAbuseTest, GoesOnWhenScriptsDestroyOrRemoveItsActors)
{
    // The level editor writes its file into the working directory whenever it stops.
    TempDir dir;
    const std::filesystem::path home = std::filesystem::current_path();
    for (const char* folder : {"Config", "Resources", "pylib"})
        std::filesystem::create_directory_symlink(home / folder, dir.File(folder));
    std::filesystem::current_path(dir.Path());

    for (const Abuse& abuse : kAbuses)
    {
        // A manager over the screen and a start screen to step to and back from.
        ScreenManager::ScreenList screens = AllScreens();
        ASSERT_EQ(screens.size(), 17u);
        std::swap(screens[0], screens[GetParam()]);
        const String screen = typeid(*screens[0]).name() + String(" ") + abuse.name;
        for (size_t other = 1; other < screens.size(); ++other)
            delete screens[other];
        screens.resize(1);
        screens.push_back(new TuioScreenStart());
        manager = std::make_unique<TestManager>(nullptr, [&] { return screens; });
        StandInManager::Get().manager = manager.get();

        Tick();
        const int made = ScreenActors();
        Touch(kDown, 3, 0.5f, 0.5f);
        Tick();
        RunAbuse(abuse.script);
        Tick();
        EXPECT_LT(ScreenActors(), made) << screen;
        Play();

        Tick({"MoveForwards"});
        Tick({"MoveBackwards"});
        EXPECT_EQ(manager->GetCurrentScreenIndex(), 0) << screen;
        EXPECT_EQ(ScreenActors(), made) << screen << ": made afresh";
        RunAbuse(abuse.script);
        Play();
        Tick({"Restart"});
        Play();
        Touch(kUp, 2, 0.7f, 0.6f);
        Touch(kUp, 3, 0.5f, 0.5f);
        Tick();

        manager->StopRunningScreen();
        manager.reset();
        StandInManager::Get().manager = nullptr;
        for (TuioScreen* each : screens)
            delete each;
        world->UnloadAll();
        Deliver();
    }
    std::filesystem::current_path(home);
}

INSTANTIATE_TEST_SUITE_P(BothPrograms, ScreenAbuseTest, testing::Range(0, 17));
