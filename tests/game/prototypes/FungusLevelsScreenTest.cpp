// Needs an X display (run under Xvfb).
#include "engine/actors/TextActor.h"
#include "engine/world/Camera.h"
#include "game/prototypes/GamePieces.h"
#include "game/prototypes/TuioScreenFungusLevels.h"
#include "tests/game/prototypes/PrototypesTestSupport.h"

#include <functional>

namespace
{

/// The level-based screen over stand-ins for its level scripts.
struct StandInLevels : TuioScreenFungusLevels
{
    explicit StandInLevels(std::function<void(const String&)> load)
        : TuioScreenFungusLevels("stand_in"), m_load(std::move(load))
    {
    }
    void LoadLevelScript(const String& name) override { m_load(name); }
    std::function<void(const String&)> m_load;
};

class FungusLevelsScreenTest : public PrototypeTest
{
protected:
    TuioScreenFungusLevels* Start()
    {
        return levels = Run(new StandInLevels([this](const String& name)
                                              { Level(name.back() - '0'), loaded += name + " "; }));
    }

    /// Level n: two pieces of food, an anchor, and a spawn marker for two spores.
    void Level(int n)
    {
        const String tag = "level" + IntToString(n);
        Piece("Food", "food, " + tag, Vector2(-5.0f, 0.0f), 2.0f);
        Piece("Food", "food, " + tag, Vector2(5.0f, 0.0f), 2.0f);
        Piece("Anchor", "grabthis, " + tag, Vector2(0.0f, -3.0f));
        auto* marker = new Actor();
        marker->SetPosition(static_cast<float>(n), 5.0f);
        marker->SetAlpha(2.0f);
        marker->Tag("spawnpos, " + tag);
        world->Add(marker);
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

    TuioScreenFungusLevels* levels = nullptr;
    String loaded;
};

} // namespace

TEST_F(FungusLevelsScreenTest, LevelsFollowInACycleAndScrollAway)
{
    Start();
    EXPECT_EQ(loaded, "stand_in0 stand_in2 ");
    for (Actor* food : Live("level2, food"))
    {
        EXPECT_EQ(food->GetPosition().Y, -15.0f) << "the level before lies below";
        EXPECT_TRUE(food->IsTagged("infested"));
        EXPECT_EQ(food->GetSize(), Vector2(3.0f, 3.0f)) << "drawn a unit larger";
    }
    EXPECT_EQ(levels->GetSpawnCount(), 2);

    Frame(); // the first wave
    EXPECT_EQ(Tagged("spore"), 2u);
    Actor* flower = levels->SpawnFungus(Vector2(0.0f, 2.0f));
    Actor* food = Live("level0, food")[0];
    Collide(levels->SpawnFungus(Vector2(0.0f, 0.0f)), food);
    Deliver();
    EXPECT_EQ(levels->GetStatusText()->GetDisplayString(), "3 food infested. 1 more to go.");

    Complete(0);
    EXPECT_EQ(levels->GetStatusText()->GetDisplayString(), "All food infested. Well done!");
    EXPECT_EQ(levels->GetCurrentLevel(), 1);
    EXPECT_EQ(loaded, "stand_in0 stand_in2 stand_in1 ");
    EXPECT_TRUE(flower->IsDestroyed());
    EXPECT_TRUE(Live("fungus").empty()) << "every flower is fixed now";
    EXPECT_TRUE(Live("spore").empty());
    EXPECT_EQ(food->GetPosition().Y, -15.0f) << "the finished level moved down";
    EXPECT_EQ(Live("level2, food")[0]->GetPosition().Y, -30.0f);
    EXPECT_EQ(Live("level1, food")[0]->GetPosition().Y, 0.0f);
    EXPECT_EQ(levels->GetSpawnPosition(), Vector2(1.0f, 5.0f));
    EXPECT_EQ(levels->GetStatusText()->GetPosition().Y, -6.0f);
    EXPECT_EQ(Camera::GetInstance()->GetPosition(), Vector2(0.0f, -15.0f));

    Scroll();
    EXPECT_EQ(Camera::GetInstance()->GetPosition(), Vector2(0.0f, 0.0f));
    EXPECT_EQ(Tagged("level2"), 0u) << "removed when the scroll ended";

    // Level 2 comes back, and after it level 0, each loaded afresh: level 0 within the scroll
    // that would have removed it, so the old one goes first.
    Complete(1);
    EXPECT_EQ(levels->GetCurrentLevel(), 2);
    Complete(2);
    EXPECT_EQ(levels->GetCurrentLevel(), 0);
    EXPECT_EQ(Live("level0").size(), 4u);
    EXPECT_EQ(loaded, "stand_in0 stand_in2 stand_in1 stand_in2 stand_in0 ");

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
    Start();
    Frame();
    ASSERT_EQ(Tagged("spore"), 2u);
    Frame();
    EXPECT_EQ(Tagged("spore"), 2u) << "two pieces: no wave";
    levels->RemoveActor(Live("spore")[0]);
    levels->GetStatusText()->SetDisplayString("old");
    Frame();
    EXPECT_EQ(Tagged("spore"), 3u) << "one piece: a wave";
    EXPECT_EQ(levels->GetStatusText()->GetDisplayString(), "Get fungi on the food");

    Complete(0);
    ASSERT_EQ(levels->GetCurrentLevel(), 1);
    levels->Stop();
    Frame(0.5);
    EXPECT_EQ(Camera::GetInstance()->GetPosition(), Vector2(0.0f, 0.0f));
    Scroll();
    EXPECT_EQ(Camera::GetInstance()->GetPosition(), Vector2(0.0f, 0.0f)) << "no scroll left";
    EXPECT_EQ(LeftInWorld(), 0u);

    levels->Start();
    Frame();
    EXPECT_EQ(Tagged("spore"), 2u);
    EXPECT_EQ(levels->GetCurrentLevel(), 0);
}
