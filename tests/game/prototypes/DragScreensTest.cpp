// Needs an X display (run under Xvfb). The drag screens through touches, contacts and keys.
#include "engine/actors/TextActor.h"
#include "engine/world/Camera.h"
#include "game/prototypes/FingerActors.h"
#include "game/prototypes/TuioCursorPhysicsActor.h"
#include "game/prototypes/TuioScreenLeveleditorSheeps.h"
#include "game/prototypes/TuioScreenPunks.h"
#include "game/prototypes/TuioScreenSticks.h"
#include "tests/game/GameTestSupport.h"
#include "tests/support/LogCapture.h"
#include "tests/support/TempDir.h"

#include <clocale>
#include <csignal>
#include <fstream>
#include <sstream>

#include <sys/resource.h>
#include <sys/stat.h>

namespace
{

class DragScreensTest : public ScreenTest
{
protected:
    static int Joints(const PhysicsActor* actor)
    {
        int count = 0;
        for (const b2JointEdge* edge = actor->GetBody()->GetJointList(); edge; edge = edge->next)
            ++count;
        return count;
    }
    /// Stops the editor in dir, where it writes its file; the file's text.
    String StopIn(const TempDir& dir)
    {
        const String home = std::filesystem::current_path();
        std::filesystem::current_path(dir.Path());
        Stop();
        std::filesystem::current_path(home);
        std::ostringstream text;
        text << std::ifstream(dir.File("createdlevel.ini"), std::ios::binary).rdbuf();
        return text.str();
    }
    /// As Finger, for a touch other than the helpers' one of that cursor ID.
    void Later(const char* name, int id, Vector2 at, int frames)
    {
        const Vector2 pixel = MathUtil::WorldToScreen(at);
        Switchboard::GetInstance()->Broadcast(new TuioCursorMessage(
            name, new TUIO::TuioCursor(TUIO::TuioTime(), 200 + id, id, pixel.X / Picture::kWidth,
                                       pixel.Y / Picture::kHeight)));
        while (frames-- > 0)
            Frame();
    }

    TempDir dir;
};

using LeveleditorKeysTest = DragScreensTest;

} // namespace

TEST_F(DragScreensTest, FingersPickUpCarryAndDropWhatTheyTouchFirstAndEarlyRemovalsWait)
{
    UseFolders("tests/game/data/Level", "tests/game/data/ActorDef");
    Run(new TuioScreenPunksBare("drag"));
    PhysicsActor *crate = Named("Crate"), *ghost = Named("Ghost");
    Down(0, Vector2(2.0f, 0.2f));
    EXPECT_TRUE(crate->IsTagged("draggedby0") && Joints(crate) == 1);
    Move(0, Vector2(-3.0f, 3.2f), 30); // onto the ghost, which the holding finger ignores
    EXPECT_LT(Vector2::Distance(crate->GetPosition(), Vector2(-3.0f, 3.0f)), 0.5f);
    EXPECT_FALSE(ghost->IsTagged("draggedby0"));
    Up(0);
    EXPECT_EQ(Actor::GetNamed("Cursor"), nullptr);
    EXPECT_TRUE(!crate->IsTagged("draggedby0") && Joints(crate) == 0);

    // Two fingers hold one actor; lifting one leaves the other's hold.
    ghost->Destroy();
    Down(1, crate->GetPosition() - Vector2(0.15f, 0.0f), 0);
    Down(2, crate->GetPosition() + Vector2(0.15f, 0.0f));
    EXPECT_TRUE(crate->IsTagged("draggedby1") && crate->IsTagged("draggedby2") &&
                Joints(crate) == 2);
    Up(1);
    EXPECT_TRUE(!crate->IsTagged("draggedby1") && crate->IsTagged("draggedby2") &&
                Joints(crate) == 1);

    // A removal before its addition leaves a placeholder that eats the next touch.
    Run(new TuioScreenPunksBare("drag"));
    Up(5, 0);
    Move(5, Vector2(1.0f, 1.0f));
    EXPECT_EQ(Tagged("delete_me_after_add"), 1u);
    Down(5, Vector2(1.0f, 1.0f), 1);
    EXPECT_EQ(Tagged("delete_me_after_add"), 0u);
    EXPECT_EQ(Actor::GetNamed("Cursor"), nullptr) << "the touch gets no cursor actor";
    Up(5, 0);
    Down(6, Vector2(), 1);
    EXPECT_EQ(Tagged("delete_me_after_add"), 1u);

    // That placeholder and the one finger 2 leaves, held across the screen change, wait for
    // their own touches only: new touches with those cursor IDs pick up and carry.
    Up(2);
    EXPECT_EQ(Tagged("delete_me_after_add"), 2u);
    ghost = Named("Ghost");
    Stand(ghost, Vector2(-6.0f, -3.0f));
    for (const int id : {2, 5})
    {
        Later(kDown, id, ghost->GetPosition(), 2);
        Later(kMove, id, Vector2(-4.0f, 1.0f - id), 30);
        ExpectNear(ghost->GetPosition(), Vector2(-4.0f, 1.0f - id), 0.5f);
        Later(kUp, id, Vector2(), 1);
    }
    EXPECT_EQ(Tagged("delete_me_after_add"), 0u);
}

// A touch whose removal came before its addition never gets a cursor actor, whether the screen
// had room for its placeholder then or was at the finger cap; and what the fingers hold when the
// screen stops is let go, so that no later touch with their cursor IDs carries it.
TEST_F(DragScreensTest, ATouchOverBeforeItsAdditionGetsNoFingerFullOrNotAndStopLetsGo)
{
    UseFolders("tests/game/data/Level", "tests/game/data/ActorDef");
    const int cap = FingerActors::kMaxFingers;
    const auto fingers = [this]
    {
        int count = 0;
        for (auto it = world->GetRenderablesBegin(); it != world->GetRenderablesEnd(); ++it)
            if (auto* finger = dynamic_cast<TuioCursorPhysicsActor*>(*it))
                count += !finger->IsDestroyed();
        return count;
    };
    for (const int down : {0, cap - 1, cap})
    {
        Run(new TuioScreenPunksBare("drag"));
        for (int id = 0; id < down; ++id)
            Touch(kDown, id, 0.01f + 0.02f * float(id), 0.05f);
        Frame();
        Later(kUp, 60, Vector2(), 1); // a touch over before its addition came
        if (down > 0)
            Touch(kUp, 0, 0.01f, 0.05f); // a slot frees
        Frame();
        Frame();
        Later(kDown, 60, Vector2(1.0f, 1.0f), 1);
        EXPECT_EQ(fingers(), std::max(down - 1, 0)) << down << " down";
        EXPECT_EQ(Tagged("delete_me_after_add"), 0u) << down << " down";
        Touch(kDown, 60, 0.5f, 0.5f); // the next touch with that cursor ID
        Frame();
        EXPECT_EQ(fingers(), std::max(down - 1, 0) + 1) << down << " down";
    }

    Run(new TuioScreenPunksBare("drag"));
    auto* box = new PhysicsActor(); // an actor of a script's, which outlives the screen
    box->SetPosition(-6.0f, -5.0f);
    box->InitPhysics();
    world->Add(box, 0);
    Down(61, box->GetPosition());
    EXPECT_TRUE(box->IsTagged("draggedby61"));
    Stop();
    EXPECT_FALSE(box->IsTagged("draggedby61"));
    world->Remove(box);
    delete box;
}

TEST_F(DragScreensTest, TheStickFallsAndHangsFromAFingerAndThePunksShowTheirRoster)
{
    Run(new TuioScreenSticks());
    ASSERT_EQ(Tagged("dragable"), 1u);
    Actor* stick = Live("dragable")[0];
    float lowest = 0.0f; // it bounces off the bottom blocker, which gives all its speed back
    for (int i = 0; i < 90; ++i, Frame())
        lowest = std::min(lowest, stick->GetPosition().Y);
    EXPECT_NEAR(lowest, -6.0f, 0.3f);
    const float before = stick->GetPosition().Y;
    Down(0, stick->GetPosition() + Vector2(0.0f, 3.0f));
    Move(0, Vector2(0.0f, 4.0f), 60);
    EXPECT_GT(stick->GetPosition().Y, before + 3.0f) << "held up by the finger";

    // The punks show their roster over the yard; the bare twin only the title.
    auto* bare = Run(new TuioScreenPunksBare("punks_level1"));
    EXPECT_EQ(Tagged("dropped_levelactor"), 6u) << "the yard's pieces";
    EXPECT_EQ(Actor::GetNamed("AttackPunk1"), nullptr) << "the bare twin shows no roster";
    EXPECT_EQ(bare->GetTitle()->GetDisplayString(), "The punks");

    auto* punks = Run(new TuioScreenPunks("punks_level1"));
    const PunkRecord& attacker = *punks->GetRoster().at("AttackPunk1");
    const PunkRecord& healer = *punks->GetRoster().at("HealPunk1");
    const PunkAbility& attack = *attacker.abilities.at("baseattack");
    const PunkAbility& heal = *healer.abilities.at("baseheal");
    EXPECT_EQ(attacker.health + attacker.speed + healer.energy + healer.speed, 20.6f);
    EXPECT_TRUE(attack.damages && !attack.heals && heal.heals && !heal.damages);
    EXPECT_EQ(attack.castTime + heal.castTime, 0.6f);
    EXPECT_EQ(Actor::GetNamed("AttackPunk1"), attacker.actor.Get());
    EXPECT_EQ(attacker.actor.Get()->GetPosition(), Vector2(1.0f, 1.0f));
    EXPECT_EQ(healer.actor.Get()->GetPosition(), Vector2(-1.0f, -1.0f));
    EXPECT_EQ(healer.actor.Get()->GetBody(), nullptr) << "no finger can pick a punk up";
}

TEST_F(DragScreensTest, TheEditorSavesCopiesInAnyLocaleLoadableAsALevelAndTrashesSome)
{
    UseFolders("tests/game/data/Level", "tests/game/data/ActorDef");
    Run(new TuioScreenLeveleditorSheeps("trash"));
    // A script may name an actor anything: a line break in the name cannot forge a line.
    Actor::GetNamed("Sheep")->SetName("Sheep\nremoving Stone");
    testing::internal::CaptureStdout();
    Down(0, Vector2(4.0f, 0.0f));
    Move(0, Vector2(9.0f, -7.0f), 30);
    EXPECT_EQ(Actor::GetNamed("Sheep"), nullptr) << "removed while the finger is down";
    Move(0, Vector2(0.0f, -6.0f), 5);
    EXPECT_FALSE(Actor::GetNamed("Stone")->IsTagged("draggedby0")) << "it picks up nothing more";
    Up(0);
    String lines = testing::internal::GetCapturedStdout();
    // The finger on the trash bin is reported every frame.
    for (size_t at; (at = lines.find("trash collides with Cursor\n")) != String::npos;)
        lines.erase(at, 27);
    EXPECT_EQ(lines,
              "not dragging cursor collides with Sheep\\nremoving Stone\n"
              "trash collides with Sheep\\nremoving Stone\nremoving Sheep\\nremoving Stone\n");

    // The trash bin itself can be carried, and stays where the finger lets it go.
    Down(1, Vector2(9.0f, -7.0f));
    for (float x = 8.0f; x >= 2.0f; x -= 1.0f)
        Move(1, Vector2(x, -7.0f), x > 2.0f);
    Up(1, 10);
    EXPECT_LT(Vector2::Distance(Actor::GetNamed("Trashbin")->GetPosition(), Vector2(3, -7)), 0.5f);
    EXPECT_EQ(StopIn(dir), "//created levelfile.\r\n") << "no copies left";

    // Copies are saved in any locale (one with decimal commas, made here) and load as a level.
    std::system(("localedef -c -i tests/game/data/comma.locale -f UTF-8 " +
                 dir.File("xx_XX.UTF-8") + " 2>/dev/null")
                    .c_str());
    setenv("LOCPATH", dir.Path().c_str(), 1);
    ASSERT_NE(std::setlocale(LC_NUMERIC, "xx_XX.UTF-8"), nullptr);

    Run(new TuioScreenLeveleditorSheeps("palette"));
    testing::internal::CaptureStdout();
    const Vector2 places[] = {Vector2(3.0f, -1.5f), Vector2(-2.0f, 4.0f), Vector2(6.0f, 5.0f)};
    for (int id = 0; id < 3; Up(id++))
    {
        Down(id, Vector2(-10.0f, 0.0f));
        Move(id, places[id], 20);
    }
    String expected;
    for (int copy = 0; copy < 3; ++copy)
        expected += "not dragging cursor collides with Sheep\ncreating a sheep\n";
    EXPECT_EQ(testing::internal::GetCapturedStdout(), expected);
    const String text = StopIn(dir);
    std::setlocale(LC_NUMERIC, "C");
    EXPECT_EQ(text.rfind("//created levelfile.\r\n\r\n[", 0), 0u);
    EXPECT_NE(text.find("\r\n[Sheep2]\r\ntype=sheep\r\nposition=["), String::npos);
    EXPECT_NE(text.find("\r\n[Dog]\r\ntype=\r\nposition=[-0.00, 0.00]\r\nrotation=0.00\r\n"),
              String::npos);

    Frame();
    UseFolders(dir.Path(), "tests/game/data/ActorDef");
    world->LoadLevel("createdlevel");
    EXPECT_EQ(Actor::GetNamed("Sheep"), nullptr) << "the palette went with the screen";
    for (int i = 0; i < 3; ++i)
    {
        auto* loaded =
            dynamic_cast<PhysicsActor*>(Actor::GetNamed("Sheep" + std::to_string(i + 1)));
        ASSERT_TRUE(loaded && loaded->GetBody());
        EXPECT_LT(Vector2::Distance(loaded->GetPosition(), places[i]), 0.3f) << "where it was left";
    }
}

TEST_F(DragScreensTest, TheEditorReplacesItsLevelOnlyAfterChangesAndNeverLeavesItHalfWritten)
{
    UseFolders("tests/game/data/Level", "tests/game/data/ActorDef");
    const String level = dir.File("createdlevel.ini");
    const String saved = "//created levelfile.\r\n\r\n[Meadow1]\r\ntype=meadow\r\n"
                         "position=[-3.00, 2.00]\r\nrotation=0.00\r\n";
    std::ofstream(level, std::ios::binary) << saved;
    auto* editor = Run(new TuioScreenLeveleditorSheeps("palette"));
    const auto copySheep = [this](int id, Vector2 to)
    {
        Down(id, Vector2(-10.0f, 0.0f));
        Move(id, to, 20);
        Up(id);
    };

    // Passing through the editor, leaving it and coming back, restarting it: the level stays.
    EXPECT_EQ(StopIn(dir), saved);
    Restart();
    Frame();
    EXPECT_EQ(StopIn(dir), saved);
    Restart();
    EXPECT_TRUE(editor->SaveLevel(dir.File("explicit.ini"))) << "an explicit save always writes";
    EXPECT_EQ(StopIn(dir), saved);

    // A copy made replaces it, with the old file's permissions, and so does a piece of the
    // level carried elsewhere.
    using std::filesystem::perms;
    const auto modeOf = [](const String& file)
    { return std::filesystem::status(file).permissions() & perms::all; };
    // Whatever lies beside the level but the level and the explicit save: temporary files.
    const auto strays = [this]()
    {
        StringList names;
        for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
            if (entry.path().filename() != "createdlevel.ini" &&
                entry.path().filename() != "explicit.ini")
                names.push_back(entry.path().filename().string());
        return names;
    };
    std::filesystem::permissions(level, perms::owner_read | perms::owner_write | perms::group_read);
    const auto placeOf = [](const String& text, const String& lines)
    {
        Vector2 place(-99.0f, -99.0f);
        const String::size_type at = text.find(lines + "\r\nposition=[");
        if (at != String::npos)
            std::sscanf(text.c_str() + at + lines.size() + 12, "%f, %f", &place.X, &place.Y);
        return place;
    };
    Restart();
    copySheep(0, Vector2(3.0f, -1.5f));
    String text = StopIn(dir);
    ExpectNear(placeOf(text, "\r\ntype=sheep"), Vector2(3.0f, -1.5f), 0.3f);
    Restart();
    Down(1, Vector2(0.0f, 0.0f));
    Move(1, Vector2(4.0f, 3.0f), 20);
    Up(1);
    text = StopIn(dir);
    ExpectNear(placeOf(text, "[Dog]\r\ntype="), Vector2(4.0f, 3.0f), 0.6f);
    EXPECT_EQ(modeOf(level), perms::owner_read | perms::owner_write | perms::group_read);
    EXPECT_EQ(strays(), StringList());

    // A file that cannot be written is one ERROR line; the old one stays whole, and no
    // temporary file is left. A disk that fills up midway (a file size limit stands in) ...
    LogCapture& log = LogCapture::Get();
    const String cannot = "ERROR: Could not save the level to ";
    Restart();
    copySheep(2, Vector2(5.0f, 5.0f));
    rlimit limits{};
    getrlimit(RLIMIT_FSIZE, &limits);
    const rlimit small{16, limits.rlim_max};
    const auto signalBefore = std::signal(SIGXFSZ, SIG_IGN);
    log.Clear();
    setrlimit(RLIMIT_FSIZE, &small);
    const String after = StopIn(dir);
    setrlimit(RLIMIT_FSIZE, &limits);
    std::signal(SIGXFSZ, signalBefore);
    EXPECT_EQ(after, text);
    EXPECT_EQ(log.Take(), StringList{cannot + "createdlevel.ini - File too large."});
    EXPECT_EQ(strays(), StringList());

    // ... a folder in the file's place, and a folder that is not there.
    std::filesystem::remove(level);
    std::filesystem::create_directory(level);
    Restart();
    copySheep(3, Vector2(-5.0f, 5.0f));
    StopIn(dir);
    EXPECT_EQ(log.Take(), StringList{cannot + "createdlevel.ini - Is a directory."});
    EXPECT_TRUE(std::filesystem::is_directory(level));
    EXPECT_EQ(strays(), StringList());
    EXPECT_FALSE(editor->SaveLevel(dir.File("gone/createdlevel.ini")));
    EXPECT_EQ(log.Take(), StringList{cannot + dir.File("gone/createdlevel.ini") +
                                     " - No such file or directory."});

    // Whatever another editor or a crash left beside the level is no obstacle; a new file is
    // readable by all, whatever the umask lets through.
    std::filesystem::remove(level);
    std::filesystem::create_directory(level + ".tmp");
    const mode_t umaskBefore = umask(002);
    const bool savedAgain = editor->SaveLevel(level);
    umask(umaskBefore);
    EXPECT_TRUE(savedAgain);
    EXPECT_EQ(log.Take(), StringList());
    EXPECT_EQ(modeOf(level),
              perms::owner_read | perms::owner_write | perms::group_read | perms::others_read);
    EXPECT_EQ(strays(), StringList{"createdlevel.ini.tmp"});
}

// Only on a display of its own (see CMakeLists.txt).
TEST_F(LeveleditorKeysTest, WAndDHeldTogetherPanTheCameraByOneUnitEachPerFrame)
{
    Run(new TuioScreenLeveleditorSheeps(""));
    Keys("keydown", "d w");
    Camera* camera = Camera::GetInstance();
    const Vector2 before = camera->GetPosition();
    Frame(), Frame(), Frame();
    EXPECT_EQ(camera->GetPosition(), before + Vector2(3.0f, 3.0f));
    Keys("keyup", "d w");
    StopIn(dir);
    EXPECT_EQ(camera->GetPosition(), Vector2(0.0f, 0.0f)) << "the next screen sees the old view";
}
