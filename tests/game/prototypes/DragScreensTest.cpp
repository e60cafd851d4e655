#include "engine/actors/TextActor.h"
#include "game/prototypes/PunkRecord.h"
#include "game/prototypes/TuioScreenPunks.h"
#include "game/prototypes/TuioScreenPunksBare.h"
#include "game/prototypes/TuioScreenSticks.h"
#include "tests/game/prototypes/DragScreenFixture.h"

namespace
{

using DragScreensTest = DragScreenFixture;

TEST_F(DragScreensTest, FingersPickUpCarryAndDropWhatTheyTouchFirst)
{
    StartScreen<TuioScreenPunksBare>("");
    PhysicsActor* crate = Box("Crate", Vector2(2.0f, 0.0f));
    PhysicsActor* ghost = Box("Ghost", Vector2(-3.0f, 3.0f), true);

    Down(0, Vector2(2.0f, 0.2f));
    Frames(2); // the cursor actor, then its first contact
    Actor* cursor = Actor::GetNamed("Cursor");
    ASSERT_NE(cursor, nullptr);
    EXPECT_TRUE(cursor->IsTagged("drags_something"));
    EXPECT_TRUE(crate->IsTagged("draggedby0"));
    EXPECT_EQ(Joints(crate), 1);

    // Carried onto the ghost, which the holding finger ignores.
    Move(0, Vector2(-3.0f, 3.2f));
    Frames(30);
    EXPECT_LT(Vector2::Distance(crate->GetPosition(), Vector2(-3.0f, 3.0f)), 0.5f);
    EXPECT_FALSE(ghost->IsTagged("draggedby0"));

    Up(0);
    Frames(1);
    EXPECT_EQ(Actor::GetNamed("Cursor"), nullptr);
    EXPECT_FALSE(crate->IsTagged("draggedby0"));
    EXPECT_EQ(Joints(crate), 0);

    // Two fingers on one actor; lifting one leaves the other's hold.
    ghost->Destroy();
    Down(1, crate->GetPosition() - Vector2(0.15f, 0.0f));
    Down(2, crate->GetPosition() + Vector2(0.15f, 0.0f));
    Frames(2);
    printf("crate %f %f rot %f %s\n", crate->GetPosition().X, crate->GetPosition().Y,
           crate->GetRotation(), Actor::GetNamed("Cursor1") ? "c" : "-");
    EXPECT_TRUE(crate->IsTagged("draggedby1") && crate->IsTagged("draggedby2"));
    EXPECT_EQ(Joints(crate), 2);
    Up(1);
    Frames(1);
    EXPECT_FALSE(crate->IsTagged("draggedby1"));
    EXPECT_TRUE(crate->IsTagged("draggedby2"));
    EXPECT_EQ(Joints(crate), 1);
}

TEST_F(DragScreensTest, ARemovalBeforeItsAdditionLeavesAPlaceholderThatEatsTheNextTouch)
{
    StartScreen<TuioScreenPunksBare>("");
    Up(5);
    Move(5, Vector2(1.0f, 1.0f));
    Frames(1);
    EXPECT_EQ(Tagged("delete_me_after_add"), 1u);
    Down(5, Vector2(1.0f, 1.0f));
    Frames(1);
    EXPECT_EQ(Tagged("delete_me_after_add"), 0u);
    EXPECT_EQ(Actor::GetNamed("Cursor"), nullptr) << "the touch gets no cursor actor";
    Up(5);
    Down(6, Vector2(0.0f, 0.0f));
    Frames(1);
    EXPECT_EQ(Tagged("delete_me_after_add"), 1u);

    // Stop leaves nothing behind, and an inactive screen ignores touches; a new Start works.
    screen->Stop();
    Down(7, Vector2(0.0f, 0.0f));
    Frames(1);
    EXPECT_EQ(Tagged("delete_me_after_add"), 0u);
    EXPECT_EQ(Actor::GetNamed("Cursor"), nullptr);
    screen->Start();
    Down(8, Vector2(0.0f, 0.0f));
    Frames(1);
    EXPECT_NE(Actor::GetNamed("Cursor"), nullptr);
}

TEST_F(DragScreensTest, TheTitleTurnsIntoAClockOfMinutesAndSeconds)
{
    StartScreen<TuioScreenPunksBare>("");
    EXPECT_EQ(screen->GetTitle()->GetDisplayString(), "The punks");
    const std::pair<double, const char*> readings[] = {
        {0.0, "00:00"}, {61.9, "01:01"}, {6000.0 - 61.9, "100:00"}};
    for (const auto& [seconds, text] : readings)
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
    // The blockers give it back all its speed: it bounces off the bottom one, 10 below.
    float lowest = 0.0f;
    for (int i = 0; i < 90; ++i, Frame())
        lowest = std::min(lowest, stick->GetPosition().Y);
    EXPECT_NEAR(lowest, -6.0f, 0.3f);
    const float fallen = stick->GetPosition().Y;

    Down(0, stick->GetPosition() + Vector2(0.0f, 3.0f));
    Frames(2);
    Move(0, Vector2(0.0f, 4.0f));
    Frames(60);
    EXPECT_GT(stick->GetPosition().Y, fallen + 3.0f) << "held up by the finger";

    screen->Stop();
    EXPECT_EQ(physics->GetGravity(), b2Vec2(0.0f, 0.0f));
    EXPECT_EQ(Tagged("dragable"), 0u);
}

TEST_F(DragScreensTest, ThePunksShowTheirRosterAndTheBareTwinOnlyTheTitle)
{
    world->SetBlockers(true, 1.0f);
    const int before = CountRenderables();
    StartScreen<TuioScreenPunksBare>("");
    EXPECT_EQ(CountRenderables(), before + 2) << "the screen and its title alone";

    auto* punks = StartScreen<TuioScreenPunks>("punks_level1");
    for (int run = 0; run < 2; ++run)
    {
        EXPECT_EQ(Tagged("dropped_levelactor"), 6u) << "the yard's pieces";
        const TuioScreenPunks::Roster& roster = punks->GetRoster();
        ASSERT_EQ(roster.size(), 2u);
        const PunkRecord& attacker = *roster.begin()->second;
        const PunkRecord& healer = *roster.rbegin()->second;
        EXPECT_EQ(attacker.typeName + healer.typeName, "AttackPunkHealPunk");
        EXPECT_EQ(attacker.health + attacker.speed + healer.energy + healer.speed, 10.5f + 10.1f);
        const PunkAbility& attack = *attacker.abilities.at("baseattack");
        const PunkAbility& heal = *healer.abilities.at("baseheal");
        EXPECT_TRUE(attack.damages && !attack.heals && heal.heals && !heal.damages);
        EXPECT_EQ(attack.castTime + heal.castTime, 0.6f);
        EXPECT_EQ(heal.icon, "Resources/Images/drennic/ability_heal.png");
        for (const PunkRecord* punk : {&attacker, &healer})
        {
            Actor* actor = Actor::GetNamed(punk->name);
            ASSERT_EQ(actor, punk->actor);
            EXPECT_EQ(actor->GetPosition(), Vector2(punk->positionX, punk->positionY));
            EXPECT_EQ(actor->GetSize(), Vector2(1.0f, 1.0f));
            EXPECT_EQ(punk->actor->GetBody(), nullptr) << "no finger can pick a punk up";
        }
        EXPECT_EQ(attacker.actor->GetPosition(), Vector2(1.0f, 1.0f));
        EXPECT_EQ(healer.actor->GetPosition(), Vector2(-1.0f, -1.0f));
        punks->Stop();
        Frame();
        EXPECT_EQ(Tagged("dropped_levelactor"), 0u);
        EXPECT_EQ(Actor::GetNamed("AttackPunk1"), nullptr);
        EXPECT_EQ(Actor::GetNamed("HealPunk1"), nullptr);
        punks->Start();
    }
}

} // namespace
