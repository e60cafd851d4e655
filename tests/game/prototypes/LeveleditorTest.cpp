#include "engine/input/InputManager.h"
#include "engine/util/StringUtil.h"
#include "engine/world/Camera.h"
#include "game/prototypes/TuioScreenLeveleditorSheeps.h"
#include "tests/game/prototypes/DragScreenFixture.h"
#include "tests/support/TempDir.h"

#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace
{

class LeveleditorTest : public DragScreenFixture
{
protected:
    /// Stop writes its file into the current directory.
    String StopAndRead(const TempDir& dir)
    {
        const String home = std::filesystem::current_path();
        std::filesystem::current_path(dir.Path());
        screen->Stop();
        std::filesystem::current_path(home);
        std::ostringstream text;
        text << std::ifstream(dir.File("createdlevel.ini"), std::ios::binary).rdbuf();
        return text.str();
    }
};

#ifdef TESSALY_TEST_KEYS
// Only on a private X server (see CMakeLists.txt): held keys reach the focused window alone.

TEST_F(LeveleditorTest, WAndDHeldTogetherPanTheCameraByOneUnitEachPerFrame)
{
    StartScreen<TuioScreenLeveleditorSheeps>("");
    const auto keys = [](const String& action) // xdotool sends them to this window directly
    {
        return std::system(("xdotool search --pid " + std::to_string(getpid()) +
                            " --name '^Tessaly Engine$' " + action + " --window %1 w d")
                               .c_str());
    };
    ASSERT_EQ(keys("keydown"), 0);
    for (int i = 0; i < 500 && !InputManager::GetInstance()->IsKeyDown('d'); ++i)
        Frame(); // the buffer swap reads the window's events
    Camera* camera = Camera::GetInstance();
    const Vector2 before = camera->GetPosition();
    Frame(), Frame(), Frame();
    EXPECT_EQ(camera->GetPosition(), before + Vector2(3.0f, 3.0f));
    ASSERT_EQ(keys("keyup"), 0);
    screen->Stop();
    EXPECT_EQ(camera->GetPosition(), Vector2(0.0f, 0.0f)) << "the next screen sees the old view";
}

#else

TEST_F(LeveleditorTest, TheTrashBinRemovesCopiesAndCanItselfBeCarried)
{
    StartScreen<TuioScreenLeveleditorSheeps>("");
    Box("Sheep", Vector2(4.0f, 0.0f), true)->Tag("dropped_levelactor");
    PhysicsActor* stone = Box("Stone", Vector2(0.0f, -6.0f), true);
    testing::internal::CaptureStdout();
    Down(0, Vector2(4.0f, 0.0f));
    Move(0, Vector2(9.0f, -7.0f), 30);
    EXPECT_EQ(Actor::GetNamed("Sheep"), nullptr) << "removed while the finger is down";
    Move(0, Vector2(0.0f, -6.0f), 5);
    EXPECT_FALSE(stone->IsTagged("draggedby0")) << "the finger picks up nothing more";
    Up(0);
    String lines = testing::internal::GetCapturedStdout();
    // The finger on the trash bin is reported every frame.
    for (size_t at; (at = lines.find("trash collides with Cursor\n")) != String::npos;)
        lines.erase(at, 27);
    EXPECT_EQ(lines, "not dragging cursor collides with Sheep\ntrash collides with Sheep\n"
                     "removing Sheep\n");

    // Carried and let go while the finger still moves, the trash bin stays where it was left.
    Actor* trash = Actor::GetNamed("Trashbin");
    Down(1, Vector2(9.0f, -7.0f));
    for (float x = 8.0f; x >= 2.0f; x -= 1.0f)
        Move(1, Vector2(x, -7.0f));
    Up(1, 30);
    EXPECT_LT(Vector2::Distance(trash->GetPosition(), Vector2(2.0f, -7.0f)), 1.0f);
    TempDir dir;
    EXPECT_EQ(StopAndRead(dir), "//created levelfile.\r\n") << "no copies left";
}

TEST_F(LeveleditorTest, CopiesPlacedByTouchesAreSavedInAnyLocaleAndLoadAgainAsALevel)
{
    TempDir dir;
    std::filesystem::create_directories(dir.File("ActorDef"));
    std::ofstream(dir.File("ActorDef/pieces.ini")) << "[sheep]\nclass = PhysicsActor\n";
    std::ofstream(dir.File("palette.ini"))
        << "[Sheep]\ntype = sheep\nposition = [-10, 0]\ntags = archetyp\nsensor = true\n"
           "[Goat]\ntype = sheep\nposition = [-10, -5]\ntags = archetyp\nsensor = true\n";
    const auto useFolders = [this](const String& archetypes, const String& levels)
    {
        world->ScriptExec("import tessaly_levels\ntessaly_levels.ARCHETYPE_FOLDER = '" +
                          archetypes + "'\ntessaly_levels.LEVEL_FOLDER = '" + levels + "'\n");
    };
    useFolders(dir.File("ActorDef"), dir.Path());
    // A locale with decimal commas, made for this test alone.
    std::ofstream(dir.File("comma")) << "LC_NUMERIC\ndecimal_point \",\"\nthousands_sep \".\"\n"
                                        "grouping 3;3\nEND LC_NUMERIC\n";
    std::system(("localedef -c -i " + dir.File("comma") + " -f UTF-8 " + dir.File("xx_XX.UTF-8") +
                 " 2>/dev/null")
                    .c_str());
    setenv("LOCPATH", dir.Path().c_str(), 1);
    ASSERT_NE(std::setlocale(LC_NUMERIC, "xx_XX.UTF-8"), nullptr);

    StartScreen<TuioScreenLeveleditorSheeps>("palette");
    testing::internal::CaptureStdout();
    const Vector2 places[] = {Vector2(3.0f, -1.5f), Vector2(-2.0f, 4.0f), Vector2(6.0f, 5.0f)};
    for (int id = 0; id < 3; Up(id++))
    {
        Down(id, Vector2(-10.0f, 0.0f));
        Move(id, places[id], 20);
    }
    // No archetype makes a goat: the finger then carries nothing, and the item stays.
    Down(3, Vector2(-10.0f, -5.0f));
    Move(3, Vector2(0.0f, -5.0f), 10);
    EXPECT_EQ(Actor::GetNamed("Goat")->GetPosition(), Vector2(-10.0f, -5.0f));
    EXPECT_TRUE(Tagged("draggedby3") == 0 && Actor::GetNamed("Goat1") == nullptr);
    Up(3);
    String expected;
    for (const char* name : {"Sheep", "Sheep", "Sheep", "Goat"})
        expected += "not dragging cursor collides with " + String(name) + "\ncreating a " +
                    ToLower(name) + "\n";
    EXPECT_EQ(testing::internal::GetCapturedStdout(), expected);
    Vector2 placed[3];
    for (int i = 0; i < 3; ++i)
    {
        const Actor* copy = Actor::GetNamed("Sheep" + std::to_string(i + 1));
        ASSERT_NE(copy, nullptr);
        placed[i] = copy->GetPosition();
        EXPECT_LT(Vector2::Distance(placed[i], places[i]), 0.3f);
    }
    Box("Dog", Vector2(-0.004f, 0.0f), true)->Tag("dropped_levelactor");
    const String text = StopAndRead(dir);
    std::setlocale(LC_NUMERIC, "C");
    EXPECT_EQ(text.rfind("//created levelfile.\r\n\r\n[", 0), 0u);
    EXPECT_NE(text.find("\r\n[Sheep2]\r\ntype=sheep\r\nposition=["), String::npos);
    EXPECT_NE(text.find("\r\n[Dog]\r\ntype=\r\nposition=[-0.00, 0.00]\r\nrotation=0.00\r\n"),
              String::npos);

    std::filesystem::rename(dir.File("createdlevel.ini"), dir.File("created.ini"));
    Frame();
    world->LoadLevel("created");
    useFolders("Config/ActorDef", "Config/Level");
    EXPECT_EQ(Actor::GetNamed("Sheep"), nullptr) << "the palette went with the screen";
    for (int i = 0; i < 3; ++i)
    {
        auto* loaded =
            dynamic_cast<PhysicsActor*>(Actor::GetNamed("Sheep" + std::to_string(i + 1)));
        ASSERT_NE(loaded, nullptr);
        EXPECT_NE(loaded->GetBody(), nullptr);
        EXPECT_LT(Vector2::Distance(loaded->GetPosition(), placed[i]), 0.006f);
    }
}

TEST_F(LeveleditorTest, ThePaletteOffersEveryPieceOfAHerdingLevel)
{
    StartScreen<TuioScreenLeveleditorSheeps>("leveleditor_sheeps");
    StringSet names;
    for (Actor* item : TagCollection::GetInstance()->GetObjectsTagged("archetyp"))
    {
        names.insert(item->GetName());
        auto* physical = dynamic_cast<PhysicsActor*>(item);
        ASSERT_NE(physical, nullptr) << item->GetName();
        EXPECT_EQ(physical->GetBody()->GetType(), b2_dynamicBody) << "a resting finger touches it";
        std::unique_ptr<Actor> copy(Actor::Create(ToLower(item->GetName())));
        auto* piece = dynamic_cast<PhysicsActor*>(copy.get());
        ASSERT_NE(piece, nullptr) << item->GetName();
        EXPECT_EQ(piece->GetBody(), nullptr);
    }
    EXPECT_EQ(names, (StringSet{"Barker", "Bush", "Fire", "Meadow", "Startwiese", "Wall"}));
}

#endif

} // namespace
