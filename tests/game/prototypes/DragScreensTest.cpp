// Needs an X display (run under Xvfb). The drag screens through real touch messages and
// physics contacts, one frame of the main loop at a time.
#include "engine/actors/TextActor.h"
#include "game/prototypes/TuioScreenPunks.h"
#include "game/prototypes/TuioScreenSticks.h"
#include "tests/game/GameTestSupport.h"

namespace
{

class DragScreensTest : public ScreenTest
{
protected:
    void SetUp() override
    {
        ScreenTest::SetUp();
        UseFolders("tests/game/data/Level", "tests/game/data/ActorDef");
    }
    static PhysicsActor* Named(const char* name)
    {
        return static_cast<PhysicsActor*>(Actor::GetNamed(name));
    }
};

int Joints(const PhysicsActor* actor)
{
    int count = 0;
    for (const b2JointEdge* edge = actor->GetBody()->GetJointList(); edge; edge = edge->next)
        ++count;
    return count;
}

} // namespace

TEST_F(DragScreensTest, FingersPickUpCarryAndDropWhatTheyTouchFirst)
{
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
}

TEST_F(DragScreensTest, ARemovalBeforeItsAdditionLeavesAPlaceholderThatEatsTheNextTouch)
{
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
    // The names without their values (from a key binding or a script) change nothing.
    Switchboard::GetInstance()->Broadcast(new Message(kDown));
    Switchboard::GetInstance()->Broadcast(new Message("CollisionWithCursor", Named("Far")));
    Frame();
    EXPECT_FALSE(Named("Far")->IsTagged("draggedby6"));

    // Stop leaves nothing behind and the stopped screen ignores touches; a new Start works.
    Stop();
    Down(7, Vector2(), 1);
    EXPECT_EQ(Tagged("delete_me_after_add") + Tagged("drags_something"), 0u);
    EXPECT_EQ(Actor::GetNamed("Cursor"), nullptr);
    Restart();
    Down(8, Vector2(), 1);
    EXPECT_NE(Actor::GetNamed("Cursor"), nullptr);
}

TEST_F(DragScreensTest, TheStickFallsUnderGravityAndHangsFromAFinger)
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
    Stop();
    EXPECT_EQ(world->GetPhysicsWorld()->GetGravity(), b2Vec2(0.0f, 0.0f));
}

TEST_F(DragScreensTest, ThePunksShowTheirRosterOverTheYard)
{
    UseFolders();
    auto* bare = Run(new TuioScreenPunksBare("punks_level1"));
    EXPECT_EQ(Tagged("dropped_levelactor"), 6u) << "the yard's pieces";
    EXPECT_EQ(Actor::GetNamed("AttackPunk1"), nullptr) << "the bare twin shows no roster";
    EXPECT_EQ(bare->GetTitle()->GetDisplayString(), "The punks");

    auto* punks = Run(new TuioScreenPunks("punks_level1"));
    for (int run = 0; run < 2; ++run, Restart())
    {
        const PunkRecord& attacker = *punks->GetRoster().at("AttackPunk1");
        const PunkRecord& healer = *punks->GetRoster().at("HealPunk1");
        const PunkAbility& attack = *attacker.abilities.at("baseattack");
        const PunkAbility& heal = *healer.abilities.at("baseheal");
        EXPECT_EQ(attacker.health + attacker.speed + healer.energy + healer.speed, 20.6f);
        EXPECT_TRUE(attack.damages && !attack.heals && heal.heals && !heal.damages);
        EXPECT_EQ(attack.castTime + heal.castTime, 0.6f);
        EXPECT_EQ(Actor::GetNamed("AttackPunk1"), attacker.actor);
        EXPECT_EQ(attacker.actor->GetPosition(), Vector2(1.0f, 1.0f));
        EXPECT_EQ(healer.actor->GetPosition(), Vector2(-1.0f, -1.0f));
        EXPECT_EQ(healer.actor->GetBody(), nullptr) << "no finger can pick a punk up";
        Stop();
        Frame();
        EXPECT_EQ(Tagged("dropped_levelactor"), 0u);
        EXPECT_EQ(Actor::GetNamed("AttackPunk1"), nullptr);
    }
}
