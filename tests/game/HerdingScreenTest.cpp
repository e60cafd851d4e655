// Needs an X display (run under Xvfb). The herding screen on real levels and the tests' own.
#include "engine/actors/TextActor.h"
#include "engine/input/MouseInput.h"
#include "engine/world/glfw2/Glfw2.h"
#include "game/TuioScreenSheeps.h"
#include "tests/game/GameTestSupport.h"

namespace
{

class HerdingScreenTest : public ScreenTest
{
protected:
    TuioScreenSheeps& Level1()
    {
        StartManager();
        Tick({"MoveForwards"});
        return *Running<TuioScreenSheeps>();
    }
    String Status() { return Running<TuioScreenSheeps>()->GetStatusText()->GetDisplayString(); }
    /// Puts sheep `from` ... `to` - 1 at rest on the meadow; saved in the second tick.
    void ToMeadow(int from, int to)
    {
        const Vector2 meadow = Actor::GetNamed("Wiese")->GetPosition();
        for (int i = from; i < to; ++i)
            Stand(Running<TuioScreenSheeps>()->GetSheep(i),
                  meadow + Vector2(i % 4 - 1.5f, i / 4 - 1.0f));
        Tick(); // the contacts
        Tick(); // their messages, all in one pass
    }
};

using KeysTest = HerdingScreenTest;

} // namespace

TEST_F(HerdingScreenTest, SheepStandOnTheStartAreaOrTheLineSaysWhatIsMissing)
{
    UseFolders("tests/game/data/Level");
    StartManager(
        []
        {
            return ScreenManager::ScreenList{
                new TuioScreenSheeps("example"), new TuioScreenSheeps("no_meadow"),
                new TuioScreenSheeps("no_start"), new TuioScreenSheeps("narrow"),
                new TuioScreenSheeps("far")};
        });
    // A start area 4 wide and 3 high round (0, 0): rows of four from its top edge down.
    const float xs[] = {-2, -1, 0, 1, -2, -1, 0, 1, -2, -1},
                ys[] = {1, 1, 1, 1, 0, 0, 0, 0, -1, -1};
    for (int i = 0; i < TuioScreenSheeps::kSheepCount; ++i)
        EXPECT_EQ(Running<TuioScreenSheeps>()->GetSheep(i)->GetPosition(), Vector2(xs[i], ys[i]));
    EXPECT_EQ(Running<TuioScreenSheeps>()->GetCounterText()->GetPosition(), Vector2(9.0f, 0.0f));

    for (const String problem :
         {"'no_meadow' cannot be played: no actor named \"Wiese\".",
          "'no_start' cannot be played: no actor named \"Startwiese\".",
          "'narrow' cannot be played: \"Startwiese\" is narrower than one sheep.",
          "'far' cannot be played: \"Startwiese\" does not lie within the field."})
    {
        Tick({"MoveForwards"}); // the keys still switch
        Tick();
        EXPECT_EQ(Status(), "Level " + problem) << "and nothing else happens";
        for (int i = 0; i < TuioScreenSheeps::kSheepCount; ++i)
            EXPECT_EQ(Running<TuioScreenSheeps>()->GetSheep(i), nullptr);
    }
}

TEST_F(HerdingScreenTest, BarksPushSheepLookWhereTheyRunEightSavedWinAndBurningSheepGo)
{
    TuioScreenSheeps& screen = Level1();
    PhysicsActor* first = screen.GetSheep(0);
    Stand(first, Vector2(-11.5f, 0.5f));
    Stand(screen.GetSheep(1), Vector2(-10.5f, 0.5f));
    screen.Bark(Vector2(-15.5f, 0.5f), 1.0f);
    ExpectNear(Velocity(first), Vector2(1.0f / 1.8f, 0.0f), 1e-5f); // 1.0 on 1.8 kg from 4.0 away
    EXPECT_EQ(Velocity(screen.GetSheep(1)), Vector2::Zero) << "5.0 away";
    EXPECT_EQ(screen.GetBarkWave()->GetPosition(), Vector2(-15.5f, 0.5f));

    // A touch moving to pixel (100, 384) barks there at a tenth of the strength; lifting: none.
    Stand(first, first->GetPosition());
    Touch(kMove, 7, 100.0f / 1024, 0.5f);
    Deliver();
    const Vector2 updated = Velocity(first);
    Stand(first, first->GetPosition());
    screen.Bark(MathUtil::ScreenToWorld(100, 384), 1.0f);
    ExpectNear(updated, Velocity(first) * 0.1f, 1e-5f);
    EXPECT_GT(updated.Length(), 0.0f);
    Stand(first, first->GetPosition());
    Touch(kUp, 7, 100.0f / 1024, 0.5f);
    Deliver();
    EXPECT_EQ(Velocity(first), Vector2::Zero);
    MouseMotion(512, 384); // any button barks at the click
    MouseButton(1, glfw2::PRESS);
    EXPECT_EQ(screen.GetBarkWave()->GetPosition(), Vector2(0.0f, 0.0f));

    // Standing still keeps the way a sheep looks.
    PhysicsActor* last = screen.GetSheep(9);
    Vector2 lowerLeft, upperRight;
    for (const auto& [vx, right] :
         {std::pair{1.0f, true}, {0.0f, true}, {-1.0f, false}, {0.0f, false}})
    {
        last->GetBody()->SetLinearVelocity(b2Vec2(vx, 0.0f));
        Tick();
        last->GetUVs(lowerLeft, upperRight);
        EXPECT_EQ(upperRight.X - lowerLeft.X, right ? -1.0f : 1.0f) << vx;
        EXPECT_EQ(last->IsTagged("looksright"), right) << vx;
    }

    // On the level laid out afresh: saved and burned sheep, and the win.
    Tick({"Restart"});
    ToMeadow(0, 2);
    EXPECT_EQ(screen.GetCounterText()->GetDisplayString(), "save green\n02 / 08") << "one pass";

    // The first collision message decides; one without a sender, or from an actor that is gone
    // (queued before a restart laid the level out afresh, say), changes nothing.
    b2ContactPoint point{};
    Actor* fire = Actor::GetNamed("Fire1");
    Actor* wiese = Actor::GetNamed("Wiese");
    const Vector2 burning = screen.GetSheep(2)->GetPosition();
    for (auto [sheep, other] : {std::pair<int, Actor*>{2, fire}, {2, wiese}, {3, wiese}, {3, fire}})
        Collide(screen.GetSheep(sheep), other, &point);
    Collide(screen.GetSheep(4), nullptr, &point);
    auto* gone = new Actor();
    Collide(screen.GetSheep(4), gone, &point);
    delete gone;
    Deliver();
    EXPECT_TRUE(screen.IsDead(2) && !screen.IsSaved(2) && screen.IsSaved(3) && !screen.IsDead(3));
    EXPECT_NE(screen.GetSheep(4), nullptr);
    EXPECT_EQ(screen.GetCounterText()->GetDisplayString(), "save green\n03 / 08");
    ASSERT_EQ(Live("effect").size(), 1u);
    EXPECT_EQ(Live("effect")[0]->GetPosition(), burning);

    ToMeadow(4, 8);
    EXPECT_EQ(Status(), "00:00") << "seven do not win";
    ToMeadow(8, 10); // two at once make nine: at least eight win, else the level never ends
    EXPECT_EQ(Status(), "Well done! Time needed: 00:00");
    for (int frame = 0; frame < 59; ++frame)
        Tick();
    EXPECT_EQ(Status(), "Well done! Time needed: 00:00") << "the clock stands";
    EXPECT_EQ(manager->GetCurrentScreenIndex(), 1);
    Tick();
    Tick();
    EXPECT_EQ(manager->GetCurrentScreenIndex(), 2) << "2.0 s later the next level";

    Collide(Running<TuioScreenSheeps>()->GetSheep(0), Actor::GetNamed("Fire1"), &point);
    Deliver(); // a sheep burning as the level is left
    ASSERT_EQ(Tagged("effect"), 1u);
    Tick({"MoveBackwards"});
    EXPECT_EQ(Tagged("effect"), 0u) << "gone with the level";
}

// A won or lost level's follow-on ("MoveForwards" or "Restart" 2 s later) belongs to that run of
// the level: a key that leaves or restarts the level first makes it stale, so that no level is
// skipped or started again by it; left alone, the level follows on as before.
TEST_F(HerdingScreenTest, AFollowOnActsOnlyWhileTheLevelThatAskedForItRuns)
{
    StartManager();
    const struct
    {
        bool won;
        const char* key; // pressed in the frame after the level ended
        int screen, restarts;
    } cases[] = {
        {true, nullptr, 2, 0},         {false, nullptr, 1, 1},  {true, "MoveForwards", 2, 0},
        {true, "MoveBackwards", 0, 0}, {true, "Restart", 1, 1}, {false, "MoveForwards", 2, 0},
        {false, "Restart", 1, 1},
    };
    for (const auto& each : cases)
    {
        const String what = String(each.won ? "won, " : "lost, ") + (each.key ? each.key : "-");
        while (manager->GetCurrentScreenIndex() != 1)
            Tick({manager->GetCurrentScreenIndex() < 1 ? "MoveForwards" : "MoveBackwards"});
        TuioScreenSheeps& level = *Running<TuioScreenSheeps>();
        Actor* fire = Live("sheepdestroyer").front();
        for (int i = 0; i < (each.won ? TuioScreenSheeps::kGoal : 3); ++i)
            Collide(level.GetSheep(i), each.won ? Actor::GetNamed("Wiese") : fire);
        Tick(); // the contacts
        Tick(); // the update that finds the level over
        ASSERT_TRUE(level.IsFinished()) << what;
        testing::internal::CaptureStdout();
        Tick(each.key ? std::vector<const char*>{each.key} : std::vector<const char*>{});
        for (int frame = 0; frame < 90; ++frame) // 3 s
            Tick();
        const String out = testing::internal::GetCapturedStdout();
        EXPECT_EQ(manager->GetCurrentScreenIndex(), each.screen) << what;
        EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), each.restarts) << what;
    }
}

// Only on a display of its own (see CMakeLists.txt).
TEST_F(KeysTest, BShowsItsLineUntilTheLevelEnds)
{
    Level1();
    Keys("keydown", "b");
    Tick();
    EXPECT_EQ(Status(), "You just pressed [B]. M\xC4H.");
    Keys("keyup", "b");
    ToMeadow(0, 8);
    Keys("keydown", "b");
    Tick();
    Keys("keyup", "b");
    EXPECT_EQ(Status(), "Well done! Time needed: 00:00");
}
