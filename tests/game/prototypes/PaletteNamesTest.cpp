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

using PaletteNamesTest = ScreenTest;

} // namespace

TEST_F(PaletteNamesTest, AnItemNamedToRunCodeRunsNothingAndOneWithAnApostropheIsCopiedAndSaved)
{
    TempDir dir;
    const String marker = dir.File("pwned.txt");
    const String hostile = "Meadow'); __import__('os').system('id > " + marker + "'); ('x";
    std::ofstream(dir.File("palette.ini"))
        << "[" << hostile << "]\ntype = sheep\nposition = [-10, 5]\ntags = archetyp\n"
        << "sensor = true\n\n[Shepherd's Hut]\ntype = shepherd's hut\nposition = [-10, -3]\n"
        << "tags = archetyp\nsensor = true\n";
    UseFolders(dir.Path(), "tests/game/data/ActorDef");
    Run(new TuioScreenLeveleditorSheeps("palette"));
    ASSERT_NE(Actor::GetNamed(hostile), nullptr) << "the item is there";
    LogCapture::Get().Clear();
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();

    Down(0, Vector2(-10.0f, 5.0f));
    Move(0, Vector2(0.0f, 5.0f), 20);
    Up(0);
    EXPECT_FALSE(std::filesystem::exists(marker)) << "the name ran as code";
    EXPECT_EQ(LogCapture::Get().Take(),
              StringList{"ERROR: Script failed to create Actor with archetype " + ToLower(hostile) +
                         ". "});
    EXPECT_EQ(Tagged("draggedby0"), 0u) << "the finger carries nothing";

    Down(1, Vector2(-10.0f, -3.0f));
    Move(1, Vector2(2.0f, -3.0f), 20);
    Up(1);
    testing::internal::GetCapturedStderr();
    testing::internal::GetCapturedStdout();
    Actor* copy = Actor::GetNamed("Shepherd's hut");
    ASSERT_NE(copy, nullptr);
    EXPECT_LT(Vector2::Distance(copy->GetPosition(), Vector2(2.0f, -3.0f)), 0.5f);

    // Saved, the copy loads again as a level.
    const String home = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path());
    Stop();
    std::filesystem::current_path(home);
    std::ostringstream saved;
    saved << std::ifstream(dir.File("createdlevel.ini"), std::ios::binary).rdbuf();
    EXPECT_NE(saved.str().find("\r\n[Shepherd's hut]\r\ntype=shepherd's hut\r\n"), String::npos)
        << saved.str();
    Frame();
    ASSERT_EQ(Actor::GetNamed("Shepherd's hut"), nullptr) << "the copy went with the screen";
    world->LoadLevel("createdlevel");
    auto* loaded = dynamic_cast<PhysicsActor*>(Actor::GetNamed("Shepherd's hut"));
    ASSERT_TRUE(loaded && loaded->GetBody());
    EXPECT_LT(Vector2::Distance(loaded->GetPosition(), Vector2(2.0f, -3.0f)), 0.5f);
}
