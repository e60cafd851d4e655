// Needs an X display (run under Xvfb).
#include "engine/actors/TextActor.h"
#include "engine/world/Camera.h"
#include "game/prototypes/GamePieces.h"
#include "game/prototypes/TuioScreenFungusLevels.h"
#include "tests/game/GameTestSupport.h"

namespace
{

class FungusLevelsScreenTest : public ScreenTest
{
protected:
    void SetUp() override
    {
        ScreenTest::SetUp();
        UseFolders("tests/game/data/Level"); // levels "stand_in0" ... "stand_in2"
        levels = Run(new TuioScreenFungusLevels("stand_in"));
    }
    /// A flower reaches each piece of food of level n that is not yet infested.
    void Complete(int n)
    {
        for (Actor* food : Live("food, level" + IntToString(n)))
            if (!food->IsTagged("infested"))
            {
                Collide(levels->SpawnFungus(food->GetPosition() + Vector2(1.5f, 0.0f)), food);
                Deliver();
            }
    }
    /// The camera's scroll of 5 s and the delivery of its end.
    void Scroll()
    {
        for (int i = 0; i < 6; ++i)
            Frame(1.0);
    }
    String Text() const { return levels->GetStatusText()->GetDisplayString(); }

    TuioScreenFungusLevels* levels = nullptr;
};

} // namespace

TEST_F(FungusLevelsScreenTest, LevelsFollowInACycleAndScrollAway)
{
    EXPECT_EQ(Tagged("level0") + Tagged("level1") + Tagged("level2"), 8u);
    for (Actor* food : Live("level2, food")) // the level before lies below, done
        EXPECT_TRUE(food->GetPosition().Y == -15.0f && food->IsTagged("infested"));
    Actor* flower = levels->SpawnFungus(Vector2(0.0f, 2.0f));
    Actor* food = Live("level0, food")[0];
    Collide(levels->SpawnFungus(Vector2(0.0f, 0.0f)), food);
    Deliver();
    EXPECT_EQ(Text(), "3 food infested. 1 more to go.");

    Complete(0);
    EXPECT_EQ(Text(), "All food infested. Well done!");
    EXPECT_TRUE(flower->IsDestroyed() && Live("fungus").empty()) << "every flower is fixed";
    EXPECT_TRUE(Live("spore").empty());
    // The finished level moved down, the one before further; the view slides from there.
    EXPECT_EQ(food->GetPosition().Y, -15.0f);
    EXPECT_EQ(Live("level2, food")[0]->GetPosition().Y, -30.0f);
    EXPECT_EQ(Live("level1, food")[0]->GetPosition().Y, 0.0f);
    EXPECT_EQ(levels->GetSpawnPosition(), Vector2(1.0f, 5.0f));
    EXPECT_EQ(Camera::GetInstance()->GetPosition(), Vector2(0.0f, -15.0f));
    Scroll();
    EXPECT_EQ(Camera::GetInstance()->GetPosition(), Vector2(0.0f, 0.0f));
    EXPECT_EQ(Tagged("level2"), 0u) << "removed when the scroll ended";

    // Level 2 comes back, and after it level 0, each loaded afresh: level 0 within the scroll
    // that would have removed it, so the old one goes first.
    Complete(1);
    Complete(2);
    EXPECT_EQ(levels->GetCurrentLevel(), 0);
    EXPECT_EQ(Live("level0").size(), 4u);

    // A "movecompleted" from anyone removes the level before the finished one at once.
    Switchboard::GetInstance()->Broadcast(new Message("movecompleted"));
    Frame();
    EXPECT_EQ(Tagged("level1"), 0u);
    EXPECT_EQ(Live("level2").size(), 4u);
    Scroll();
    EXPECT_EQ(Live("level0").size() + Live("level2").size(), 8u);
}

TEST_F(FungusLevelsScreenTest, ANewWaveStartsWithOnePieceLeftAndStoppingEndsTheScroll)
{
    Frame();
    ASSERT_EQ(Tagged("spore"), 2u);
    Frame();
    EXPECT_EQ(Tagged("spore"), 2u) << "two pieces: no wave";
    levels->RemoveActor(Live("spore")[0]);
    levels->GetStatusText()->SetDisplayString("old");
    Frame();
    EXPECT_EQ(Tagged("spore"), 3u) << "one piece: a wave";
    EXPECT_EQ(Text(), "Get fungi on the food");

    Complete(0);
    ASSERT_EQ(levels->GetCurrentLevel(), 1);
    Stop();
    Scroll();
    EXPECT_EQ(Camera::GetInstance()->GetPosition(), Vector2(0.0f, 0.0f)) << "no scroll left";
    EXPECT_EQ(PuffsAndOthers(), std::make_pair(0, 0));

    Restart();
    Frame();
    EXPECT_EQ(Tagged("spore"), 2u);
    EXPECT_EQ(levels->GetCurrentLevel(), 0);
}
