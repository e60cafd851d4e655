// Needs an X display (run under Xvfb). The level editor's palette items are named after their
// archetypes by a data file; such a name reaches the script as a value, never as code.
#include "game/prototypes/TuioScreenLeveleditorSheeps.h"
#include "tests/game/GameTestSupport.h"
#include "tests/support/LogCapture.h"
#include "tests/support/TempDir.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace
{

/// Runs the test in a folder of its own, which holds the archetypes and the palette, and where
/// the editor saves and the reproduction's shell command would write.
class PaletteNamesTest : public ScreenTest
{
protected:
    void SetUp() override
    {
        ScreenTest::SetUp();
        std::filesystem::current_path(dir.Path());
        std::ofstream(dir.File("pieces.ini"))
            << "[Meadow]\nclass = PhysicsActor\n\n[Shepherd's Hut]\nclass = PhysicsActor\n";
        UseFolders(dir.Path(), dir.Path());
    }
    void TearDown() override
    {
        ScreenTest::TearDown(); // a screen still running saves here
        std::filesystem::current_path(home);
    }

    const String home = std::filesystem::current_path();
    TempDir dir;
};

} // namespace

TEST_F(PaletteNamesTest, AnItemNamedToRunCodeRunsNothingAndOneWithAnApostropheIsCopiedAndSaved)
{
    // The palette file with the item renamed as in the reproduction.
    const String hostile = "Meadow'); __import__('os').system('id > pwned.txt'); ('x";
    std::ofstream(dir.File("palette.ini"))
        << "[" << hostile << "]\ntype = meadow\nposition = [-10, 5]\ntags = archetyp\n"
        << "sensor = true\n\n[Shepherd's Hut]\ntype = shepherd's hut\nposition = [-10, -3]\n"
        << "tags = archetyp\nsensor = true\n";
    Run(new TuioScreenLeveleditorSheeps("palette"));
    ASSERT_NE(Actor::GetNamed(hostile), nullptr) << "the item is there";
    LogCapture::Get().Clear();
    testing::internal::CaptureStdout(); // the editor's lines; the test's own come after
    Down(0, Vector2(-10.0f, 5.0f));
    Move(0, Vector2(0.0f, 5.0f), 20);
    Up(0);
    const StringList logged = LogCapture::Get().Take();
    Down(1, Vector2(-10.0f, -3.0f));
    Move(1, Vector2(2.0f, -3.0f), 20);
    Up(1);
    const String printed = testing::internal::GetCapturedStdout();

    EXPECT_FALSE(std::filesystem::exists(dir.File("pwned.txt"))) << "the name ran as code";
    EXPECT_EQ(logged, StringList{"ERROR: Script failed to create Actor with archetype " +
                                 ToLower(hostile) + ". "});
    EXPECT_EQ(Actor::GetNamed(hostile + "1"), nullptr) << "no copy of the item";
    EXPECT_NE(printed.find("creating a shepherd's hut\n"), String::npos) << printed;
    Actor* copy = Actor::GetNamed("Shepherd's hut");
    ASSERT_NE(copy, nullptr);
    EXPECT_LT(Vector2::Distance(copy->GetPosition(), Vector2(2.0f, -3.0f)), 0.5f);

    // Saved, the copy loads again as a level.
    Stop();
    std::ostringstream saved;
    saved << std::ifstream("createdlevel.ini", std::ios::binary).rdbuf();
    EXPECT_NE(saved.str().find("\r\n[Shepherd's hut]\r\ntype=shepherd's hut\r\n"), String::npos)
        << saved.str();
    Frame();
    ASSERT_EQ(Actor::GetNamed("Shepherd's hut"), nullptr) << "the copy went with the screen";
    world->LoadLevel("createdlevel");
    auto* loaded = dynamic_cast<PhysicsActor*>(Actor::GetNamed("Shepherd's hut"));
    ASSERT_TRUE(loaded && loaded->GetBody());
    EXPECT_LT(Vector2::Distance(loaded->GetPosition(), Vector2(2.0f, -3.0f)), 0.5f);
}

// Making a copy runs the archetype's Python, where a script's thread may take the interpreter
// and unload the World, the item with it: then no copy is made, and the finger's end is quiet.
TEST_F(PaletteNamesTest, AnItemUnloadedWhileItsCopyIsMadeGivesNoCopy)
{
    std::ofstream(dir.File("palette.ini")) << "[Shepherd's Hut]\ntype = shepherd's hut\n"
                                           << "position = [-10, -3]\ntags = archetyp\n"
                                           << "sensor = true\n";
    // The manager keeps its screen through the unload, as in the program.
    StartManager([]
                 { return ScreenManager::ScreenList{new TuioScreenLeveleditorSheeps("palette")}; });
    struct Protecting
    {
        explicit Protecting(ScreenManager* m) { StandInManager::Get().manager = m; }
        ~Protecting() { StandInManager::Get().manager = nullptr; }
    } protecting(manager.get());
    ASSERT_NE(Actor::GetNamed("Shepherd's Hut"), nullptr) << "the item is there";
    world->ScriptExec("plainCreate = Actor.Create\n"
                      "def unloading(name):\n"
                      "    World.GetInstance().ResetWorld()\n"
                      "    return plainCreate(name)\n"
                      "Actor.Create = staticmethod(unloading)\n");
    testing::internal::CaptureStdout();
    Down(0, Vector2(-10.0f, -3.0f));
    Move(0, Vector2(2.0f, -3.0f), 5);
    Up(0);
    const String printed = testing::internal::GetCapturedStdout();
    world->ScriptExec("Actor.Create = staticmethod(plainCreate)\n");

    EXPECT_NE(printed.find("creating a shepherd's hut\n"), String::npos) << printed;
    EXPECT_EQ(Actor::GetNamed("Shepherd's Hut"), nullptr) << "the item went with the World";
    EXPECT_EQ(Tagged("dropped_levelactor"), 0u) << "no copy";
}
