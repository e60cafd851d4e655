#include "engine/world/Camera.h"
#include "engine/world/NavGraph.h"
#include "tests/support/LogCapture.h"
#include "tests/support/MessageRecorder.h"
#include "tests/support/PhysicsFixture.h"

#include <cmath>
#include <cstdlib>
#include <set>
#include <tuple>
#include <vector>

using WorldPhysicsTest = PhysicsFixture;

TEST_F(WorldPhysicsTest, FixedStepsCarryTheRemainderAndActorsSyncEveryTick)
{
    PhysicsActor* drifter = Make("Drifter", Vector2(0.0f, 0.0f), 1.0f);
    b2Body* body = drifter->GetBody();
    const std::tuple<float, int, float> cases[] = {
        {1.0f / 60.0f, 1, 0.0f}, {0.05f, 2, 1.0f / 60.0f}, {1.0f, 60, 0.0f}, {0.01f, 0, 0.01f}};
    for (const auto& [dt, steps, carried] : cases)
    {
        world->ResetPhysicsTimeCarried();
        body->SetTransform(b2Vec2(0.0f, 0.0f), 0.0f);
        body->SetLinearVelocity(b2Vec2(60.0f, 0.0f)); // 1 unit per step
        world->RunPhysics(dt);
        EXPECT_EQ(std::lround(drifter->GetPosition().X), steps) << dt;
        EXPECT_NEAR(world->GetPhysicsTimeCarried(), carried, 1e-5f) << dt;
    }
    world->RunPhysics(0.01f); // with the 0.01 carried: one step
    EXPECT_EQ(std::lround(drifter->GetPosition().X), 1);
    EXPECT_NEAR(world->GetPhysicsTimeCarried(), 0.02f - 1.0f / 60.0f, 1e-6f);

    // Synced at the next tick even without a step; a render-only frame runs no physics.
    body->SetTransform(b2Vec2(3.0f, -2.0f), b2_pi * 0.5f);
    body->SetLinearVelocity(b2Vec2(0.0f, 0.0f));
    Frame(0.001);
    EXPECT_EQ(drifter->GetPosition(), Vector2(3.0f, -2.0f));
    EXPECT_NEAR(drifter->GetRotation(), 90.0f, 1e-4f);
    body->SetLinearVelocity(b2Vec2(60.0f, 0.0f));
    clock.Advance(0.5);
    world->Tick(false);
    EXPECT_EQ(body->GetPosition(), b2Vec2(3.0f, -2.0f));
}

namespace
{
/// A clock that a step of a costly world moves on: every read is 30 ms after the last.
class SlowStepsClock : public FrameClock
{
public:
    double GetTime() override { return m_now += 0.03; }

private:
    double m_now = 0.0;
};
} // namespace

// A world that costs more to step than the time it simulates: each tick's steps stop after a
// tenth of a second on the World's clock and drop the time not stepped, so the next tick owes
// nothing; a cheap world steps the whole second.
TEST_F(WorldPhysicsTest, StepsThatOutlastTheirBudgetDropTheTimeNotSteppedInsteadOfPilingUp)
{
    PhysicsActor* drifter = Make("Drifter", Vector2(0.0f, 0.0f), 1.0f);
    b2Body* body = drifter->GetBody();
    body->SetLinearVelocity(b2Vec2(60.0f, 0.0f)); // 1 unit per step
    SlowStepsClock slow;
    world->SetClock(&slow);
    world->RunPhysics(1.0f);
    // Read before the steps and after each: 30 ms a step, past 100 ms after the fourth.
    EXPECT_EQ(std::lround(drifter->GetPosition().X), 4);
    EXPECT_EQ(world->GetPhysicsTimeCarried(), 0.0f);
    world->RunPhysics(1.0f / 60.0f);
    EXPECT_EQ(std::lround(drifter->GetPosition().X), 5) << "nothing owed";
    world->RunPhysics(0.06f);
    EXPECT_EQ(std::lround(drifter->GetPosition().X), 8) << "three steps within the budget";
    EXPECT_NEAR(world->GetPhysicsTimeCarried(), 0.06f - 3.0f / 60.0f, 1e-6f);

    world->SetClock(&clock);
    world->ResetPhysicsTimeCarried();
    world->RunPhysics(1.0f);
    EXPECT_EQ(std::lround(drifter->GetPosition().X), 68) << "a cheap world steps the second";
}

TEST_F(WorldPhysicsTest, TouchingActorsAreReportedOncePerTickAndDirection)
{
    PhysicsActor* ground = Make("Ground", Vector2(0.0f, 0.0f), 0.0f, Vector2(4.0f, 1.0f));
    PhysicsActor* ball = Make("Ball", Vector2(1.0f, 0.9f), 1.0f, Vector2(1.0f, 1.0f),
                              PhysicsActor::SHAPETYPE_CIRCLE, true);
    PhysicsActor* stray = Make("Stray", Vector2(-1.0f, 0.3f), 1.0f, Vector2(1.0f, 1.0f),
                               PhysicsActor::SHAPETYPE_BOX, true);
    stray->GetBody()->GetUserData().pointer = 0; // a body without an actor is passed over
    Listen(ground);
    Frame();
    Frame(0.05); // several steps in one tick
    Frame();
    EXPECT_EQ(Count(ground, ball, 2), 1);
    EXPECT_EQ(Count(ground, ball, 3), 1);
    ASSERT_EQ(received.size(), 2u) << "nothing for the ball's name, nor from the stray";

    // The point stored at the tick before, readable during delivery: the ball dips 0.1 into
    // the ground's top at 0.5.
    const b2ContactPoint& p = received[0].point;
    EXPECT_EQ((std::set<b2Body*>{p.shape1->GetBody(), p.shape2->GetBody()}),
              (std::set<b2Body*>{ground->GetBody(), ball->GetBody()}));
    EXPECT_NEAR(p.position.y, 0.45f, 0.06f);
    EXPECT_LT(p.separation, 0.0f);

    // Nothing was queued for the unsubscribed name: a late listener sees only later physics.
    MessageRecorder late({"CollisionWithBall"});
    EXPECT_TRUE(late.Deliver().empty());
    Frame();
    EXPECT_TRUE(late.received.empty());
    EXPECT_EQ(late.Deliver().size(), 1u);
    EXPECT_EQ(late.senders, std::vector<MessageListener*>{ground});

    // A renamed actor is reported under its new name from the next physics on.
    ball->SetName("Bowl");
    MessageRecorder renamed({"CollisionWithBowl"});
    Frame();
    Frame();
    EXPECT_EQ(renamed.received, StringList{"CollisionWithBowl"});
}

TEST_F(WorldPhysicsTest, AtMost2048PointsAreTakenPerTick)
{
    PhysicsActor* a = Make("A", Vector2(-10.0f, 0.0f), 0.0f);
    PhysicsActor* b = Make("B", Vector2(0.0f, 0.0f), 0.0f);
    PhysicsActor* c = Make("C", Vector2(10.0f, 0.0f), 0.0f);
    Listen(a);
    Listen(c);
    b2ContactPoint p{};
    p.shape1 = a->GetBody()->GetFixtureList();
    p.shape2 = b->GetBody()->GetFixtureList();
    Frame(0.0);
    for (int i = 0; i < World::kMaxContactPoints; ++i)
    {
        p.position = b2Vec2(static_cast<float>(i), 0.0f);
        world->ProcessContact(&p);
    }
    p.shape2 = c->GetBody()->GetFixtureList();
    world->ProcessContact(&p); // the 2049th, of a new pair: neither stored nor sent
    Frame(0.0);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(Count(a, b, 2), 1);
    EXPECT_FLOAT_EQ(received[0].point.position.x, 0.0f) << "the pair's first point";

    world->ProcessContact(&p); // the next tick starts with an empty store
    Frame(0.0);
    EXPECT_EQ(Count(a, c, 3), 1);
    EXPECT_EQ(Count(c, a, 3), 1);

    // However many actors touch one in a tick, each is reported once.
    std::vector<PhysicsActor*> crowd;
    for (int i = 0; i < 20; ++i)
        crowd.push_back(Make("Crowd", Vector2(20.0f + 2.0f * static_cast<float>(i), 0.0f), 0.0f));
    for (int round = 0; round < 2; ++round)
        for (PhysicsActor* sender : crowd)
        {
            p.shape2 = sender->GetBody()->GetFixtureList();
            world->ProcessContact(&p);
        }
    Frame(0.0);
    for (PhysicsActor* sender : crowd)
        EXPECT_EQ(Count(a, sender, 4), 1);
}

TEST_F(WorldPhysicsTest, SleepingAndStaticBodiesMovedByHandStillTouch)
{
    PhysicsActor* ground = Make("Ground", Vector2(0.0f, 0.0f), 0.0f, Vector2(16.0f, 1.0f));
    PhysicsActor* box = Make("Crate", Vector2(0.3f, 1.0f), 1.0f);
    world->GetPhysicsWorld()->SetGravity(b2Vec2(0.0f, -10.0f));
    Listen(box);
    for (int i = 0; i < 240 && box->GetBody()->IsAwake(); ++i)
        Frame();
    ASSERT_FALSE(box->GetBody()->IsAwake());
    Frame();
    EXPECT_EQ(Count(box, ground, tick), 1) << "asleep, and still reported";

    // Density-0 sensor fingers, one made on the sleeping box and one moved onto it, touch it in
    // every tick, through the box's next sleep, without pushing it; lifted away, they stop.
    auto finger = [&](const char* name, float x)
    {
        return Make(name, Vector2(x, 0.7f), 0.0f, Vector2(0.6f, 0.6f),
                    PhysicsActor::SHAPETYPE_CIRCLE, true);
    };
    PhysicsActor* made = finger("Made", 0.1f);
    PhysicsActor* moved = finger("Moved", 8.3f);
    moved->SetPosition(0.5f, 0.7f);
    for (int i = 0; i < 90; ++i)
    {
        Frame();
        ASSERT_TRUE(i == 0 || (Count(box, made, tick) == 1 && Count(box, moved, tick) == 1)) << i;
    }
    EXPECT_NEAR(box->GetPosition().Y, 1.0f, 0.02f);
    moved->SetPosition(8.0f, 5.0f);
    Frame();
    Frame();
    EXPECT_TRUE(Count(box, moved, tick) == 0 && Count(box, made, tick) == 1);
    // The ground pulled away lets it fall.
    ground->SetPosition(0.0f, -10.0f);
    for (int i = 0; i < 10; ++i)
        Frame();
    EXPECT_LT(box->GetPosition().Y, 0.9f);
}

TEST_F(WorldPhysicsTest, BlockersLieJustOutsideTheViewAndFollowTheCamera)
{
    Camera::GetInstance()->Reset(); // as World::Initialize leaves it with a 1024 x 768 window
    Camera::ResizeCallback(1024, 768);
    Switchboard::GetInstance()->SubscribeTo(world, "CameraChange");
    auto expectAround = [](float cx, float cy)
    {
        const std::tuple<const char*, float, float, float, float> blockers[] = {
            {"BlockerRight", 15.83f, 0.0f, 5.0f, 21.0f},
            {"BlockerLeft", -15.83f, 0.0f, 5.0f, 21.0f},
            {"BlockerTop", 0.0f, 12.5f, 27.67f, 5.0f},
            {"BlockerBottom", 0.0f, -12.5f, 27.67f, 5.0f}};
        for (const auto& [name, x, y, w, h] : blockers)
        {
            auto* blocker = static_cast<PhysicsActor*>(Actor::GetNamed(name));
            ASSERT_TRUE(blocker != nullptr && blocker->GetBody() != nullptr) << name;
            const b2Body* body = blocker->GetBody();
            EXPECT_TRUE(std::fabs(body->GetPosition().x - cx - x) < 0.01f &&
                        std::fabs(body->GetPosition().y - cy - y) < 0.01f &&
                        std::fabs(blocker->GetSize().X - w) < 0.01f &&
                        std::fabs(blocker->GetSize().Y - h) < 0.01f)
                << name;
            EXPECT_TRUE(body->GetType() == b2_staticBody && blocker->IsTagged("nodelete") &&
                        body->GetFixtureList()->GetRestitution() == 0.5f)
                << name;
        }
    };
    b2World* physics = world->GetPhysicsWorld();
    world->SetBlockers(true, 0.5f);
    expectAround(0.0f, 0.0f);
    Camera::GetInstance()->SetPosition(10.0f, 4.0f); // rebuilt with the remembered restitution
    Frame();
    expectAround(10.0f, 4.0f);
    EXPECT_EQ(physics->GetBodyCount(), 4);
    // Switched off, they are gone, and a camera change brings nothing back.
    world->SetBlockers(false, -1.0f);
    Camera::GetInstance()->SetPosition(0.0f, 0.0f);
    Frame();
    EXPECT_TRUE(physics->GetBodyCount() == 0 &&
                world->GetRenderablesBegin() == world->GetRenderablesEnd());
    // Unloaded, they are forgotten, not deleted again (ASan); still on, a camera change
    // rebuilds them.
    world->SetBlockers(true, 1.0f);
    world->UnloadAll();
    Camera::GetInstance()->SetPosition(1.0f, 0.0f);
    Frame();
    EXPECT_EQ(physics->GetBodyCount(), 4);
    Camera::GetInstance()->Reset();
    Switchboard::GetInstance()->UnsubscribeFrom(world, "CameraChange");
}

TEST(WorldPhysicsSetupTest, NothingRunsBeforeSetUpAndSetUpHappensOnce)
{
    // In a fresh copy of the program: every other test needs the physics set up.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            World* world = World::GetInstance();
            world->RunPhysics(1.0f);
            if (world->IsPhysicsSetUp() || world->GetPhysicsTimeCarried() != 0.0f)
                std::exit(1);
            LogCapture::Get().Clear();
            PhysicsActor early;
            early.InitPhysics();
            if (early.GetBody() != nullptr ||
                LogCapture::Get().Lines() !=
                    StringList{"ERROR: World physics must be initialized before Actor's."})
                std::exit(2);
            if (!world->SetupPhysics() || world->SetupPhysics(Vector2(0.0f, 5.0f)) ||
                world->GetPhysicsWorld()->GetGravity().y != -10.0f)
                std::exit(3);
            early.InitPhysics();
            std::exit(early.GetBody() != nullptr ? 0 : 4);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(NavGraphTest, GridPointsAreWholeCellCentresFromTheTopLeft)
{
    int columns = -1, rows = -1;
    auto points = [&](Vector2 max, Vector2 cell)
    {
        NavGraph graph(cell);
        VectorList out;
        NavGraphNode(&graph, AlignedBox(Vector2(0.0f, 0.0f), max), 0)
            .ComputeGridPoints(out, columns, rows);
        return out;
    };
    EXPECT_EQ(points(Vector2(10.0f, 5.0f), Vector2(3.0f, 2.0f)),
              (VectorList{Vector2(1.5f, 4.0f), Vector2(4.5f, 4.0f), Vector2(7.5f, 4.0f),
                          Vector2(1.5f, 2.0f), Vector2(4.5f, 2.0f), Vector2(7.5f, 2.0f)}));
    EXPECT_TRUE(columns == 3 && rows == 2) << "the remainders at the right and bottom get none";
    // Columns and rows are counted each on its own: a cell wider than the box, or without
    // size, gives no columns, yet the rows still count; no points either way.
    const std::tuple<Vector2, int, int> cells[] = {
        {Vector2(3.0f, 1.0f), 0, 4}, {Vector2(0.0f, 1.0f), 0, 4}, {Vector2(1.0f, -1.0f), 2, 0}};
    for (const auto& [cell, expectedColumns, expectedRows] : cells)
    {
        EXPECT_TRUE(points(Vector2(2.0f, 4.0f), cell).empty());
        EXPECT_EQ(columns, expectedColumns);
        EXPECT_EQ(rows, expectedRows);
    }
}
