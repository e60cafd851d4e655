// Needs an X display (run under Xvfb).
#include "engine/actors/FontRegistry.h"
#include "engine/actors/FullScreenActor.h"
#include "engine/actors/ParticleActor.h"
#include "engine/actors/PhysicsActor.h"
#include "engine/actors/TextActor.h"
#include "engine/messaging/TagCollection.h"
#include "engine/util/MathUtil.h"
#include "engine/world/box2d/Box2D20.h"
#include "game/TuioCursorMessage.h"
#include "game/prototypes/TiledBoard.h"
#include "game/prototypes/TuioCursorPhysicsActor.h"
#include "game/prototypes/TuioScreenCarrySheeps.h"
#include "game/prototypes/TuioScreenSpringSheeps.h"
#include "tests/support/WorldWindow.h"

#include <cstdlib>

namespace
{

const Vector2 kVisible(1024.0f / 768.0f * 20.0f, 20.0f); // the default camera's view

/// The screen under test in the World; touches and contacts sent as the manager and the World
/// send them.
class TwoPlayerSheepsTest : public WorldWindowTest
{
protected:
    void SetUp() override
    {
        WorldWindowTest::SetUp();
        world->SetupPhysics(Vector2(0.0f), Vector2(100.0f), Vector2(-100.0f)); // once a program
        Deliver();
        world->ResetPhysicsTimeCarried();
    }

    void TearDown() override
    {
        Finish();
        WorldWindowTest::TearDown();
    }

    template <typename Screen> Screen* Run()
    {
        auto* started = new Screen();
        world->Add(screen = started, 0);
        started->Start();
        return started;
    }

    /// Stops, removes and deletes the screen, as the manager and its owner do. Contacts queued
    /// before the stop reach it while it is stopped, as they do in the program.
    void Finish()
    {
        if (screen != nullptr)
        {
            screen->Stop();
            Deliver();
            world->Remove(screen);
            delete screen;
            screen = nullptr;
        }
    }

    /// Queues the touch message for cursor id at normalised (x, y) moving at (xs, ys).
    static void Touch(const char* name, int id, float x, float y, float xs = 0, float ys = 0)
    {
        auto* cursor = new TUIO::TuioCursor(TUIO::TuioTime(), 100 + id, id, x, y);
        cursor->update(x, y, xs, ys, 0.0f);
        Switchboard::GetInstance()->Broadcast(new TuioCursorMessage(name, cursor));
    }

    /// Queues the collision message the World sends to subject's subscribers on a contact.
    static void Collide(const Actor* subject, Actor* other)
    {
        Switchboard::GetInstance()->Broadcast(
            new Message("CollisionWith" + subject->GetName(), other));
    }

    static void Deliver() { Switchboard::GetInstance()->SendAllMessages(); }
    /// A frame with one physics step.
    void Step() { Frame(0.02); }

    PhysicsActor* Sheep(int player, Vector2 at)
    {
        return screen->CreateSheep(player == 1 ? "p1" : "p2", screen->GetPlayerColor(player), at);
    }

    static std::vector<Actor*> Tagged(const char* tag)
    {
        const ActorSet set = TagCollection::GetInstance()->GetObjectsTagged(tag);
        return std::vector<Actor*>(set.begin(), set.end());
    }

    /// The renderables in the World: bursts, and everything else.
    std::pair<int, int> CountBurstsAndOthers()
    {
        std::pair<int, int> counts(0, 0);
        for (auto it = world->GetRenderablesBegin(); it != world->GetRenderablesEnd(); ++it)
            ++(dynamic_cast<ParticleActor*>(*it) != nullptr ? counts.first : counts.second);
        return counts;
    }

    static Vector2 Velocity(const PhysicsActor* actor)
    {
        const b2Vec2 v = actor->GetBody()->GetLinearVelocity();
        return Vector2(v.x, v.y);
    }

    /// The actor's one joint is a zero-length spring at hz and ratio to a static body.
    static void ExpectSpring(const PhysicsActor* actor, float hz, float ratio)
    {
        const b2JointEdge* edge = actor->GetBody()->GetJointList();
        ASSERT_NE(edge, nullptr);
        const auto* joint = static_cast<const b2DistanceJoint*>(edge->joint);
        const float mass = actor->GetBody()->GetMass(), omega = 2.0f * b2_pi * hz;
        EXPECT_NEAR(joint->GetStiffness(), mass * omega * omega, 1e-3f);
        EXPECT_NEAR(joint->GetDamping(), 2.0f * mass * ratio * omega, 1e-3f);
        EXPECT_NEAR(joint->GetLength(), b2_linearSlop, 1e-6f);
    }

    static void ExpectNear(const Vector2& actual, const Vector2& expected)
    {
        EXPECT_NEAR(actual.X, expected.X, 1e-3f);
        EXPECT_NEAR(actual.Y, expected.Y, 1e-3f);
    }

    TuioScreenTwoPlayerSheeps* screen = nullptr;
};

} // namespace

TEST_F(TwoPlayerSheepsTest, SceneStartsAfreshAndStopLeavesOnlyBursts)
{
    for (int run = 0; run < 2; ++run)
    {
        TuioScreenTwoPlayerSheeps* s = Run<TuioScreenTwoPlayerSheeps>();
        ExpectNear(s->GetMeadow(1)->GetPosition(), Vector2(kVisible.X / 2.0f, 0.0f));
        ExpectNear(s->GetMeadow(2)->GetPosition(), Vector2(-kVisible.X / 2.0f, 0.0f));
        EXPECT_EQ(s->GetScoreText(2)->GetDisplayString(), "0");
        // The score font is registered; its digits fit between y 9 and the window's top.
        const float digitHeight = GetTextExtents("0", "ConsoleBig").Y;
        EXPECT_TRUE(digitHeight > 24.0f && digitHeight < 768.0f / 20.0f) << digitHeight;
        EXPECT_EQ(Tagged("dog").size(), 3u);

        // A sheep, a knock-out and a touch still down when the screen stops.
        Touch("TuioCursorAdded", 1, 0.3f, 0.3f);
        Touch("TuioCursorAdded", 2, 0.6f, 0.3f);
        Touch("TuioCursorRemoved", 2, 0.6f, 0.3f);
        Deliver();
        s->RemoveSheep(Sheep(1, Vector2(2.0f, 2.0f)));
        Finish();
        Frame(); // the clean-up deletes the destroyed ones
        EXPECT_EQ(CountBurstsAndOthers(), std::make_pair(run + 1, 0)); // one burst still dying
        EXPECT_TRUE(Tagged("p2").empty());
    }
}

TEST_F(TwoPlayerSheepsTest, LiftedFingerMakesASheepForItsHalfFlungAtItsVelocity)
{
    TuioScreenTwoPlayerSheeps* s = Run<TuioScreenTwoPlayerSheeps>();
    const float left = 511.0f / 1024.0f, middle = 512.0f / 1024.0f;
    Touch("TuioCursorAdded", 1, left, 0.25f);
    Touch("TuioCursorAdded", 2, middle, 0.5f);
    Touch("TuioCursorRemoved", 7, 0.2f, 0.2f); // a touch never seen makes nothing
    Deliver();
    Touch("TuioCursorUpdated", 1, left, 0.75f);
    Deliver();
    EXPECT_FLOAT_EQ(s->GetCursorActor(1)->GetPosition().Y, -5.0f);

    Touch("TuioCursorRemoved", 1, left, 0.75f, 0.25f, -0.5f);
    Touch("TuioCursorRemoved", 2, middle, 0.5f);
    Deliver();
    EXPECT_EQ(s->GetCursorActor(1), nullptr);
    ASSERT_EQ(Tagged("p1").size() + Tagged("p2").size(), 2u);
    auto* red = static_cast<PhysicsActor*>(Tagged("p1")[0]);
    auto* blue = static_cast<PhysicsActor*>(Tagged("p2")[0]);
    EXPECT_TRUE(red->GetColor().R == 1.0f && blue->GetColor().B == 1.0f);
    ExpectNear(red->GetPosition(), MathUtil::ScreenToWorld(511, 576));
    // Screen y grows downwards: a finger moving up flings the sheep up.
    const Vector2 fling(0.25f * kVisible.X, 0.5f * kVisible.Y);
    ExpectNear(Velocity(red), fling / red->GetBody()->GetMass());
    ExpectNear(blue->GetPosition(), Vector2(0.0f, 0.0f));
    ExpectNear(Velocity(blue), Vector2(0.0f, 0.0f));
}

TEST_F(TwoPlayerSheepsTest, SheepScoreOnTheirOwnMeadowKnockOutOpponentsAndChangeSidesAtDogs)
{
    TuioScreenTwoPlayerSheeps* s = Run<TuioScreenTwoPlayerSheeps>();
    PhysicsActor* red = Sheep(1, Vector2(12.0f, 0.0f));
    PhysicsActor* blue = Sheep(2, Vector2(-8.0f, 6.0f));
    PhysicsActor* other = Sheep(2, Vector2(-8.0f, -6.0f));
    Step(); // red touches player 1's meadow
    Step();
    EXPECT_EQ(s->GetScoreText(1)->GetDisplayString(), "1");
    EXPECT_TRUE(red->IsTagged("aufwiese1") && !red->IsTagged("p1"));
    EXPECT_EQ(red->GetColor().G, 1.0f);
    ExpectSpring(red, 1.2f, 0.5f);
    Collide(red, s->GetMeadow(1));  // scored sheep score once
    Collide(red, s->GetDogs()[0]);  // and no dog takes them
    Collide(blue, s->GetMeadow(1)); // the other player's meadow gives nothing
    Collide(blue, nullptr);
    Deliver();
    EXPECT_TRUE(s->GetScore(1) == 1 && s->GetScore(2) == 0 && red->IsTagged("aufwiese1"));
    Collide(other, s->GetMeadow(2));
    Deliver();
    ExpectSpring(other, 1.2f, 0.0f); // undamped on player 2's meadow

    // A dog hands blue to player 1; then it meets another blue sheep: each message knocks out
    // its sender. An in-play sheep also knocks out the other player's scored ones.
    Collide(blue, s->GetDogs()[1]);
    Deliver();
    EXPECT_TRUE(blue->IsTagged("p1") && blue->GetColor().R == 1.0f);
    PhysicsActor* rival = Sheep(2, Vector2(0.0f, 6.0f));
    PhysicsActor* bystander = Sheep(2, Vector2(0.0f, -6.0f));
    Collide(blue, rival);
    Collide(rival, blue);
    Collide(bystander, red);
    Deliver();
    EXPECT_TRUE(blue->IsDestroyed() && rival->IsDestroyed() && red->IsDestroyed());
    EXPECT_FALSE(bystander->IsDestroyed());
    EXPECT_EQ(s->GetScore(1), 1);
    EXPECT_EQ(CountBurstsAndOthers().first, 3);
}

TEST_F(TwoPlayerSheepsTest, DogsArePushedByDrawsFromMinusFiveToFourAndMeadowsFollowTheWindow)
{
    TuioScreenTwoPlayerSheeps* s = Run<TuioScreenTwoPlayerSheeps>();
    for (size_t i = 0; i < 3; ++i)
        s->GetDogs()[i]->SetPosition(-8.0f + 8.0f * i, 0.0f); // apart, so nothing collides
    MathUtil::RandomInt(1); // the engine's one seeding by the clock comes first
    std::srand(11);
    float draws[6]; // x, then y, for each dog in turn
    for (float& draw : draws)
        draw = static_cast<float>(std::rand() % 10 - 5);
    std::srand(11);
    s->Update(0.0f);
    world->RunPhysics(1.0f / 60.0f); // one step: v = force * dt / m
    for (int i = 0; i < 3; ++i)
    {
        const float scale = 1.0f / 60.0f / s->GetDogs()[i]->GetBody()->GetMass();
        ExpectNear(Velocity(s->GetDogs()[i]), Vector2(draws[2 * i], draws[2 * i + 1]) * scale);
    }

    Camera::ResizeCallback(800, 600);
    Deliver();
    ExpectNear(s->GetMeadow(1)->GetPosition(), Vector2(MathUtil::ScreenToWorld(800, 0).X, 0));
    Vector2 lowerLeft, upperRight;
    s->GetBackground()->GetUVs(lowerLeft, upperRight);
    ExpectNear(upperRight, Vector2(800.0f / 256.0f, 600.0f / 256.0f));
}

TEST_F(TwoPlayerSheepsTest, GrabScreensGiveSheepEveryTwoSecondsBelowTenAndFaceTheWayTheyMove)
{
    GrabSheepsScreen* s = Run<TuioScreenSpringSheeps>();
    EXPECT_TRUE(Tagged("p1").empty() && Tagged("p2").empty());
    Frame(0.5); // the update adds the World's frame time: 0.5 s from here on
    for (int n = 0; n < 3; ++n)
        s->Update(0.0f);
    EXPECT_TRUE(Tagged("p1").empty()); // 2.0 s is not yet more than 2.0 s
    s->Update(0.0f);
    ASSERT_EQ(Tagged("p1").size(), 1u);
    ExpectNear(Tagged("p1")[0]->GetPosition(), s->GetMeadow(2)->GetPosition());
    ExpectNear(Tagged("p2")[0]->GetPosition(), s->GetMeadow(1)->GetPosition());
    for (int n = 0; n < 9; ++n)
        Sheep(1, Vector2(0.0f, -8.0f + 1.5f * n));
    for (int n = 0; n < 5; ++n)
        s->Update(0.0f);
    EXPECT_EQ(Tagged("p1").size(), 10u); // the cap holds, player 2's sheep keep coming
    EXPECT_EQ(Tagged("p2").size(), 2u);
    s->SwitchSheepOwner(Tagged("p1")[0]);
    s->Update(0.0f);
    EXPECT_EQ(Tagged("p1").size(), 10u); // the timer ran on: a new one at once

    // Every sheep and dog faces one way; only moving right turns it right.
    EXPECT_EQ(Tagged("looksleft").size() + Tagged("looksright").size(), 3u + 13u);
    auto* sheep = static_cast<PhysicsActor*>(Tagged("p2")[0]);
    Vector2 lowerLeft, upperRight;
    for (float vx : {2.0f, 0.0f})
    {
        sheep->GetBody()->SetLinearVelocity(b2Vec2(vx, 1.0f));
        s->Update(0.0f);
        sheep->GetUVs(lowerLeft, upperRight);
        EXPECT_TRUE(sheep->IsTagged(vx > 0 ? "looksright" : "looksleft"));
        EXPECT_NE(sheep->IsTagged("looksright"), sheep->IsTagged("looksleft"));
        EXPECT_EQ(upperRight.X - lowerLeft.X, vx > 0.0f ? -1.0f : 1.0f); // mirrored, and back
    }
}

TEST_F(TwoPlayerSheepsTest, TouchesGrabTheFirstSheepTheyMeetAndCarryOrPullItTillLifted)
{
    for (bool carry : {true, false})
    {
        GrabSheepsScreen* s = carry ? static_cast<GrabSheepsScreen*>(Run<TuioScreenCarrySheeps>())
                                    : Run<TuioScreenSpringSheeps>();
        PhysicsActor* sheep = Sheep(1, Vector2(5.0f, 5.0f));
        PhysicsActor* second = Sheep(1, Vector2(5.0f, -5.0f));
        Touch("TuioCursorAdded", 3, 0.6875f, 0.25f); // over the sheep at (5, 5)
        Touch("TuioCursorAdded", 4, 0.1f, 0.1f);
        Deliver();
        Step(); // the physics step reports the finger's contact
        Step(); // and the next delivery grabs
        TuioCursorPhysicsActor* finger = s->GetCursorActor(3);
        EXPECT_TRUE(finger->IsTagged("gotsheep"));
        EXPECT_EQ(sheep->IsTagged("attachedtocursor3"), carry);
        if (!carry)
            ExpectSpring(sheep, 1.5f, 0.5f);
        Collide(finger, second); // one sheep per touch
        Deliver();
        EXPECT_FALSE(second->IsTagged("attachedtocursor3") || second->GetBody()->GetJointList());

        Touch("TuioCursorUpdated", 3, 0.5f, 0.25f); // 5 units to the left
        Touch("TuioCursorUpdated", 4, 0.8f, 0.8f);
        Deliver();
        Step();
        // Carried under the finger, or pulled towards it by the spring.
        EXPECT_NEAR(sheep->GetPosition().X, carry ? 0.0f : 4.9f, carry ? 1e-3f : 0.1f);
        const Vector2 before = Velocity(sheep), secondBefore = Velocity(second);
        Touch("TuioCursorRemoved", 3, 0.3f, 0.7f, 0.1f, -0.2f);
        Touch("TuioCursorRemoved", 4, 0.8f, 0.8f, 0.5f, 0.5f); // carried nothing
        Deliver();
        // A carried sheep is flung from the finger's last place, not the lift's, at the
        // finger's velocity; a pulled one keeps its own.
        const Vector2 fling(0.1f * kVisible.X, 0.2f * kVisible.Y);
        ExpectNear(Velocity(sheep) - before,
                   carry ? fling / sheep->GetBody()->GetMass() : Vector2::Zero);
        EXPECT_EQ(sheep->GetPosition().X == 0.0f, carry);
        ExpectNear(Velocity(second), secondBefore);
        Step(); // the finger's actor is deleted, and the spring with it
        EXPECT_FALSE(sheep->IsTagged("attachedtocursor3") || sheep->GetBody()->GetJointList());
        EXPECT_EQ(Tagged("p1").size() + Tagged("p2").size(), 2u); // lifting makes no sheep
        Finish();
    }
}
