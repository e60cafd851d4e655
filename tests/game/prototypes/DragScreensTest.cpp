#include "engine/actors/TextActor.h"
#include "game/prototypes/TuioScreenPunks.h"
#include "game/prototypes/TuioScreenSticks.h"
#include "tests/game/prototypes/DragScreenFixture.h"

namespace
{

using DragScreensTest = DragScreenFixture;

int Joints(const PhysicsActor* actor)
{
    int count = 0;
    for (const b2JointEdge* edge = actor->GetBody()->GetJointList(); edge; edge = edge->next)
        ++count;
    return count;
}

TEST_F(DragScreensTest, FingersPickUpCarryAndDropWhatTheyTouchFirst)
{
    StartScreen<TuioScreenPunksBare>("");
    PhysicsActor* crate = Box("Crate", Vector2(2.0f, 0.0f));
    PhysicsActor* ghost = Box("Ghost", Vector2(-3.0f, 3.0f), true);
    Down(0, Vector2(2.0f, 0.2f));
    EXPECT_EQ(Tagged("drags_something"), 1u);
    EXPECT_TRUE(crate->IsTagged("draggedby0"));
    EXPECT_EQ(Joints(crate), 1);

    Move(0, Vector2(-3.0f, 3.2f), 30); // onto the ghost, which the holding finger ignores
    EXPECT_LT(Vector2::Distance(crate->GetPosition(), Vector2(-3.0f, 3.0f)), 0.5f);
    EXPECT_FALSE(ghost->IsTagged("draggedby0"));
    Up(0);
    EXPECT_EQ(Actor::GetNamed("Cursor"), nullptr);
    EXPECT_FALSE(crate->IsTagged("draggedby0"));
    EXPECT_EQ(Joints(crate), 0);

    // Two fingers hold one actor; lifting one leaves the other's hold.
    ghost->Destroy();
    Down(1, crate->GetPosition() - Vector2(0.15f, 0.0f), 0);
    Down(2, crate->GetPosition() + Vector2(0.15f, 0.0f));
    EXPECT_TRUE(crate->IsTagged("draggedby1") && crate->IsTagged("draggedby2"));
    EXPECT_EQ(Joints(crate), 2);
    Up(1);
    EXPECT_TRUE(!crate->IsTagged("draggedby1") && crate->IsTagged("draggedby2"));
    EXPECT_EQ(Joints(crate), 1);
}

TEST_F(DragScreensTest, ARemovalBeforeItsAdditionLeavesAPlaceholderThatEatsTheNextTouch)
{
    StartScreen<TuioScreenPunksBare>("");
    Up(5, 0);
    Move(5, Vector2(1.0f, 1.0f));
    EXPECT_EQ(Tagged("delete_me_after_add"), 1u);
    Down(5, Vector2(1.0f, 1.0f), 1);
    EXPECT_EQ(Tagged("delete_me_after_add"), 0u);
    EXPECT_EQ(Actor::GetNamed("Cursor"), nullptr) << "the touch gets no cursor actor";
    Up(5, 0);
    Down(6, Vector2(), 1);
    EXPECT_EQ(Tagged("delete_me_after_add"), 1u);

    // Stop leaves nothing behind and the stopped screen ignores touches; a new Start works.
    screen->Stop();
    Down(7, Vector2(), 1);
    EXPECT_EQ(Tagged("delete_me_after_add") + Tagged("drags_something"), 0u);
    EXPECT_EQ(Actor::GetNamed("Cursor"), nullptr);
    screen->Start();
    Down(8, Vector2(), 1);
    EXPECT_NE(Actor::GetNamed("Cursor"), nullptr);
}

TEST_F(DragScreensTest, TheTitleTurnsIntoAClockOfMinutesAndSeconds)
{
    StartScreen<TuioScreenPunksBare>("");
    EXPECT_EQ(screen->GetTitle()->GetDisplayString(), "The punks");
    for (const auto& [seconds, text] :
         {std::pair<double, String>{0.0, "00:00"}, {61.9, "01:01"}, {6000.0 - 61.9, "100:00"}})
    {
        Frame(seconds);
        EXPECT_EQ(screen->GetTitle()->GetDisplayString(), text);
    }
}

TEST_F(DragScreensTest, TheStickFallsUnderGravityAndHangsFromAFinger)
{
    StartScreen<TuioScreenSticks>();
    b2World* physics = world->GetPhysicsWorld();
    EXPECT_EQ(physics->GetGravity(), b2Vec2(0.0f, -10.0f));
    ASSERT_EQ(Tagged("dragable"), 1u);
    Actor* stick = *TagCollection::GetInstance()->GetObjectsTagged("dragable").begin();
    EXPECT_EQ(stick->GetClassName(), "PhysicsActor");
    float lowest = 0.0f; // it bounces off the bottom blocker, which gives all its speed back
    for (int i = 0; i < 90; ++i, Frame())
        lowest = std::min(lowest, stick->GetPosition().Y);
    EXPECT_NEAR(lowest, -6.0f, 0.3f);

    const float before = stick->GetPosition().Y;
    Down(0, stick->GetPosition() + Vector2(0.0f, 3.0f));
    Move(0, Vector2(0.0f, 4.0f), 60);
    EXPECT_GT(stick->GetPosition().Y, before + 3.0f) << "held up by the finger";
    screen->Stop();
    EXPECT_EQ(physics->GetGravity(), b2Vec2(0.0f, 0.0f));
    EXPECT_EQ(Tagged("dragable"), 0u);
}

TEST_F(DragScreensTest, ThePunksShowTheirRosterOverTheYardAndTakeItAwayAtStop)
{
    StartScreen<TuioScreenPunksBare>("");
    EXPECT_EQ(Tagged("dropped_levelactor"), 0u);
    EXPECT_EQ(Actor::GetNamed("AttackPunk1"), nullptr) << "the bare twin shows the title alone";

    auto* punks = StartScreen<TuioScreenPunks>("punks_level1");
    for (int run = 0; run < 2; ++run, punks->Start())
    {
        EXPECT_EQ(Tagged("dropped_levelactor"), 6u) << "the yard's pieces";
        const PunkRecord& attacker = *punks->GetRoster().at("AttackPunk1");
        const PunkRecord& healer = *punks->GetRoster().at("HealPunk1");
        const PunkAbility& attack = *attacker.abilities.at("baseattack");
        const PunkAbility& heal = *healer.abilities.at("baseheal");
        EXPECT_EQ(attacker.health + attacker.speed + healer.energy + healer.speed, 20.6f);
        EXPECT_TRUE(attack.damages && !attack.heals && heal.heals && !heal.damages);
        EXPECT_EQ(attack.castTime + heal.castTime, 0.6f);
        EXPECT_EQ(Actor::GetNamed("AttackPunk1"), attacker.actor);
        EXPECT_EQ(attacker.actor->GetPosition() + healer.actor->GetPosition(), Vector2(0.0f));
        EXPECT_EQ(attacker.actor->GetPosition(), Vector2(1.0f, 1.0f));
        EXPECT_EQ(healer.actor->GetSize(), Vector2(1.0f, 1.0f));
        EXPECT_EQ(healer.actor->GetBody(), nullptr) << "no finger can pick a punk up";
        punks->Stop();
        Frame();
        EXPECT_EQ(Tagged("dropped_levelactor"), 0u);
        EXPECT_EQ(Actor::GetNamed("AttackPunk1"), nullptr);
    }
}

} // namespace
