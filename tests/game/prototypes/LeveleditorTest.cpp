#include "engine/util/StringUtil.h"
#include "game/prototypes/TuioScreenLeveleditorSheeps.h"
#include "tests/game/prototypes/DragScreenFixture.h"
#include "tests/util/TempDir.h"

#include <clocale>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace
{

using LeveleditorTest = DragScreenFixture;

String ReadFile(const String& path)
{
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

TEST_F(LeveleditorTest, TheLevelFileHasCrLfLinesAndPointDecimalsWhateverTheLocale)
{
    TempDir dir;
    // A locale that writes decimal commas, made for this test alone.
    std::ofstream(dir.File("comma")) << "LC_NUMERIC\ndecimal_point \",\"\nthousands_sep \".\"\n"
                                        "grouping 3;3\nEND LC_NUMERIC\n";
    std::system(("localedef -c -i " + dir.File("comma") + " -f UTF-8 " + dir.File("xx_XX.UTF-8") +
                 " 2>/dev/null")
                    .c_str());
    setenv("LOCPATH", dir.Path().c_str(), 1);
    ASSERT_NE(std::setlocale(LC_NUMERIC, "xx_XX.UTF-8"), nullptr);

    auto* editor = StartScreen<TuioScreenLeveleditorSheeps>("");
    Box("Sheep", Vector2(3.0f, -1.5f), true)->Tag("dropped_levelactor");
    Box("Dog", Vector2(-0.004f, 0.0f), true)->Tag("dropped_levelactor");
    editor->SaveLevel(dir.File("level.ini"));
    std::setlocale(LC_NUMERIC, "C");
    unsetenv("LOCPATH");
    const String text = ReadFile(dir.File("level.ini"));
    EXPECT_EQ(text.substr(0, 22), "//created levelfile.\r\n");
    EXPECT_NE(text.find("\r\n[Sheep]\r\ntype=\r\nposition=[3.00, -1.50]\r\nrotation=0.00\r\n"),
              String::npos);
    EXPECT_NE(text.find("\r\n[Dog]\r\ntype=\r\nposition=[-0.00, 0.00]\r\n"), String::npos);
    EXPECT_EQ(text.size(), 22u + 57 + 55) << "nothing else";

    // Stop with no copies writes the header alone, into the current directory.
    Frame();
    for (Actor* copy : TagCollection::GetInstance()->GetObjectsTagged("dropped_levelactor"))
        copy->Destroy();
    const String home = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path());
    editor->Stop();
    std::filesystem::current_path(home);
    EXPECT_EQ(ReadFile(dir.File("createdlevel.ini")), "//created levelfile.\r\n");
}

TEST_F(LeveleditorTest, TheTrashBinRemovesCopiesAndCanItselfBeCarried)
{
    StartScreen<TuioScreenLeveleditorSheeps>("");
    PhysicsActor* copy = Box("Sheep", Vector2(4.0f, 0.0f), true);
    copy->Tag("dropped_levelactor");
    PhysicsActor* other = Box("Stone", Vector2(0.0f, -6.0f), true);
    Actor* trash = Actor::GetNamed("Trashbin");
    ASSERT_NE(trash, nullptr);

    testing::internal::CaptureStdout();
    Down(0, Vector2(4.0f, 0.0f));
    Frames(2);
    Move(0, Vector2(9.0f, -7.0f));
    Frames(30);
    EXPECT_TRUE(copy->IsDestroyed()) << "removed while the finger is down";
    Move(0, Vector2(0.0f, -6.0f));
    Frames(5);
    EXPECT_FALSE(other->IsTagged("draggedby0")) << "the finger picks up nothing more";
    Up(0);
    Frames(1);
    // The finger touching the trash bin is reported too, every frame.
    String lines = testing::internal::GetCapturedStdout();
    for (size_t at; (at = lines.find("trash collides with Cursor\n")) != String::npos;)
        lines.erase(at, 27);
    EXPECT_EQ(lines, "not dragging cursor collides with Sheep\ntrash collides with Sheep\n"
                     "removing Sheep\n");

    // Carried and let go while the finger still moves, the trash bin stays where it was left.
    Down(1, Vector2(9.0f, -7.0f));
    Frames(2);
    for (float x = 8.0f; x >= 2.0f; x -= 1.0f, Frame())
        Move(1, Vector2(x, -7.0f));
    Up(1);
    Frames(30);
    EXPECT_LT(Vector2::Distance(trash->GetPosition(), Vector2(2.0f, -7.0f)), 1.0f);
    EXPECT_EQ(Actor::GetNamed("Sheep"), nullptr);
}

TEST_F(LeveleditorTest, PaletteCopiesAreSavedAndLoadAgainAsALevel)
{
    TempDir dir;
    std::filesystem::create_directories(dir.File("ActorDef"));
    std::filesystem::create_directories(dir.File("Level"));
    std::ofstream(dir.File("ActorDef/pieces.ini")) << "[sheep]\nclass = PhysicsActor\n";
    std::ofstream(dir.File("Level/palette.ini"))
        << "[Sheep]\ntype = sheep\nposition = [-10, 0]\ntags = archetyp\nsensor = true\n";
    const auto useFolders = [](const String& archetypes, const String& levels)
    {
        World::GetInstance()->ScriptExec(
            "import tessaly_levels\ntessaly_levels.ARCHETYPE_FOLDER = '" + archetypes +
            "'\ntessaly_levels.LEVEL_FOLDER = '" + levels + "'\n");
    };
    useFolders(dir.File("ActorDef"), dir.File("Level"));

    auto* editor = StartScreen<TuioScreenLeveleditorSheeps>("palette");
    testing::internal::CaptureStdout();
    const Vector2 places[] = {Vector2(3.0f, -1.5f), Vector2(-2.0f, 4.0f), Vector2(6.0f, 5.0f)};
    for (int id = 0; id < 3; ++id)
    {
        Down(id, Vector2(-10.0f, 0.0f));
        Frames(2);
        Move(id, places[id]);
        Frames(20);
        Up(id);
        Frames(1);
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "not dragging cursor collides with Sheep\ncreating a sheep\n"
              "not dragging cursor collides with Sheep\ncreating a sheep\n"
              "not dragging cursor collides with Sheep\ncreating a sheep\n");
    Vector2 placed[3];
    for (int i = 0; i < 3; ++i)
    {
        Actor* copy = Actor::GetNamed("Sheep" + std::to_string(i + 1));
        ASSERT_NE(copy, nullptr);
        placed[i] = copy->GetPosition();
        EXPECT_LT(Vector2::Distance(placed[i], places[i]), 0.3f);
    }

    const String home = std::filesystem::current_path();
    std::filesystem::current_path(dir.File("Level"));
    editor->Stop();
    std::filesystem::current_path(home);
    const String text = ReadFile(dir.File("Level/createdlevel.ini"));
    EXPECT_NE(text.find("\r\n[Sheep2]\r\ntype=sheep\r\nposition=["), String::npos);
    Frame();
    EXPECT_EQ(Actor::GetNamed("Sheep"), nullptr) << "the palette went with the screen";

    world->LoadLevel("createdlevel");
    useFolders("Config/ActorDef", "Config/Level");
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

} // namespace
