#include "tests/physics/PhysicsTestSupport.h"
#include "tests/support/LogCapture.h"

#include <cmath>
#include <cstdlib>
#include <set>
#include <tuple>

using WorldPhysicsTest = PhysicsFixture;

TEST_F(WorldPhysicsTest, FixedStepsCarryTheRemainderAndActorsSyncEveryTick)
{
    PhysicsActor* drifter = Make("Drifter", Vector2(0.0f, 0.0f), 1.0f);
    b2Body* body = drifter->GetBody();
    const std::tuple<float, int, float> cases[] = {{1.0f / 60.0f, 1, 0.0f},
                                                   {0.05f, 2, 1.0f / 60.0f},
                                                   {0.1f, 6, 0.0f},
                                                   {1.0f, 60, 0.0f},
                                                   {0.01f, 0, 0.01f}};
    for (const auto& [dt, steps, carried] : cases)
    {
        SCOPED_TRACE(dt);
        world->ResetPhysicsTimeCarried();
        body->SetTransform(b2Vec2(0.0f, 0.0f), 0.0f);
        body->SetLinearVelocity(b2Vec2(60.0f, 0.0f)); // 1 unit per step
        world->RunPhysics(dt);
        EXPECT_EQ(std::lround(drifter->GetPosition().X), steps);
        EXPECT_NEAR(world->GetPhysicsTimeCarried(), carried, 1e-5f);
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
    body->SetTransform(b2Vec2(5.0f, 5.0f), 0.0f);
    clock.Advance(0.5);
    world->Tick(false);
    EXPECT_FLOAT_EQ(drifter->GetPosition().X, 3.0f);
}

TEST_F(WorldPhysicsTest, TouchingActorsAreReportedOncePerTickAndDirection)
{
    PhysicsActor* ground = Make("Ground", Vector2(0.0f, 0.0f), 0.0f, Vector2(4.0f, 1.0f));
    PhysicsActor* ball = Make("Ball", Vector2(1.0f, 0.9f), 1.0f, Vector2(1.0f, 1.0f),
                              PhysicsActor::SHAPETYPE_CIRCLE, true);
    PhysicsActor* stray = Make("Stray", Vector2(-1.0f, 0.3f), 1.0f, Vector2(1.0f, 1.0f),
                               PhysicsActor::SHAPETYPE_BOX, true);
    stray->GetBody()->GetUserData().pointer = 0; // a body without an actor is passed over
    spy.Listen(ground);
    Frame();
    Frame(0.05); // several steps in one tick
    Frame();
    EXPECT_EQ(spy.Count(ground, ball, 2), 1);
    EXPECT_EQ(spy.Count(ground, ball, 3), 1);
    ASSERT_EQ(spy.received.size(), 2u) << "nothing for the ball's name, nor from the stray";

    // The point stored at the tick before, readable during delivery.
    const b2ContactPoint& p = spy.received[0].point;
    EXPECT_EQ((std::set<b2Body*>{p.shape1->GetBody(), p.shape2->GetBody()}),
              (std::set<b2Body*>{ground->GetBody(), ball->GetBody()}));
    EXPECT_NEAR(p.position.x, 1.0f, 0.06f); // the ball dips 0.1 into the ground's top at 0.5
    EXPECT_NEAR(p.position.y, 0.45f, 0.06f);
    EXPECT_NEAR(std::fabs(p.normal.y), 1.0f, 1e-4f);
    EXPECT_LT(p.separation, 0.0f);
    EXPECT_FLOAT_EQ(p.friction, 0.3f);

    // Nothing was queued for the unsubscribed name: a late listener sees only later physics.
    CollisionSpy late;
    late.Listen(ball);
    Frame();
    EXPECT_TRUE(late.received.empty());
    Frame();
    ASSERT_EQ(late.received.size(), 1u);
    EXPECT_EQ(late.received[0].sender, static_cast<MessageListener*>(ground));

    // A renamed actor is reported under its new name from the next physics on.
    ball->SetName("Bowl");
    late.Listen(ball);
    Frame();
    Frame();
    EXPECT_EQ(late.Count(ball, ground, 0), 1);
}

TEST_F(WorldPhysicsTest, AtMost2048PointsAreTakenPerTick)
{
    PhysicsActor* a = Make("A", Vector2(-10.0f, 0.0f), 0.0f);
    PhysicsActor* b = Make("B", Vector2(0.0f, 0.0f), 0.0f);
    PhysicsActor* c = Make("C", Vector2(10.0f, 0.0f), 0.0f);
    spy.Listen(a);
    spy.Listen(c);
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
    ASSERT_EQ(spy.received.size(), 1u);
    EXPECT_EQ(spy.Count(a, b, 2), 1);
    EXPECT_FLOAT_EQ(spy.received[0].point.position.x, 0.0f) << "the pair's first point";

    world->ProcessContact(&p); // the next tick starts with an empty store
    Frame(0.0);
    EXPECT_EQ(spy.Count(a, c, 3), 1);
    EXPECT_EQ(spy.Count(c, a, 3), 1);
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
