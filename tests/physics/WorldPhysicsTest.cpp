#include "tests/physics/PhysicsTestSupport.h"
#include "tests/support/LogCapture.h"

#include <cmath>
#include <cstdlib>
#include <set>

namespace
{

class WorldPhysicsTest : public PhysicsFixture
{
protected:
    /// A dynamic box that drifts one unit to the right per physics step.
    PhysicsActor* Drifter()
    {
        PhysicsActor* drifter = Make("Drifter", Vector2(0.0f, 0.0f), Vector2(1.0f, 1.0f), 1.0f);
        drifter->GetBody()->SetLinearVelocity(b2Vec2(60.0f, 0.0f));
        return drifter;
    }

    /// Steps taken so far by a Drifter, read from the actor (which the World syncs).
    static int StepsOf(const PhysicsActor* drifter)
    {
        return static_cast<int>(std::lround(drifter->GetPosition().X));
    }
};

} // namespace

TEST_F(WorldPhysicsTest, FixedStepsCarryTheRemainderToTheNextTick)
{
    struct Case
    {
        float dt;
        int steps;
    };
    const Case cases[] = {{1.0f / 60.0f, 1}, {0.05f, 2}, {0.1f, 6}, {1.0f, 60}, {0.01f, 0}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.dt);
        world->ResetPhysicsTimeCarried();
        PhysicsActor* drifter = Drifter();
        world->RunPhysics(c.dt);
        EXPECT_EQ(StepsOf(drifter), c.steps);
        world->Remove(drifter);
        delete drifter;
    }

    // What is left over is carried: 0.05 leaves just under a step, 0.01 all of itself.
    world->ResetPhysicsTimeCarried();
    world->RunPhysics(0.05f);
    EXPECT_GT(world->GetPhysicsTimeCarried(), 0.0166f);
    EXPECT_LT(world->GetPhysicsTimeCarried(), 1.0f / 60.0f);
    world->ResetPhysicsTimeCarried();
    world->RunPhysics(0.01f);
    EXPECT_FLOAT_EQ(world->GetPhysicsTimeCarried(), 0.01f);

    // Two ticks of 0.01 make one step between them.
    PhysicsActor* drifter = Drifter();
    world->RunPhysics(0.01f);
    EXPECT_EQ(StepsOf(drifter), 1);
    EXPECT_NEAR(world->GetPhysicsTimeCarried(), 0.02f - 1.0f / 60.0f, 1e-6f);
}

TEST_F(WorldPhysicsTest, ActorsAreSyncedEveryTickEvenWithoutAStep)
{
    PhysicsActor* box = Make("Box", Vector2(0.0f, 0.0f), Vector2(1.0f, 1.0f), 1.0f);
    // Changing the body behind the actor's back shows up at the next tick, stepped or not.
    box->GetBody()->SetTransform(b2Vec2(3.0f, -2.0f), b2_pi * 0.5f);
    Frame(0.01);
    EXPECT_FLOAT_EQ(box->GetPosition().X, 3.0f);
    EXPECT_FLOAT_EQ(box->GetPosition().Y, -2.0f);
    EXPECT_NEAR(box->GetRotation(), 90.0f, 1e-4f);

    // Angles from the body are kept within -180 ... 180.
    box->GetBody()->SetTransform(b2Vec2(3.0f, -2.0f), 3.0f * b2_pi * 0.5f + 0.01f);
    Frame(0.0);
    EXPECT_NEAR(box->GetRotation(), -90.0f + 0.01f * 180.0f / b2_pi, 1e-3f);

    // A frame that only renders steps nothing.
    box->GetBody()->SetTransform(b2Vec2(5.0f, 5.0f), 0.0f);
    clock.Advance(0.5);
    world->Tick(false);
    EXPECT_FLOAT_EQ(box->GetPosition().X, 3.0f);
}

TEST_F(WorldPhysicsTest, TouchingActorsAreReportedOncePerTickAndDirection)
{
    // A sensor overlapping a static box: a persistent contact with two points in each step.
    PhysicsActor* ground = Make("Ground", Vector2(0.0f, 0.0f), Vector2(4.0f, 1.0f), 0.0f);
    PhysicsActor* probe = Make("Probe", Vector2(0.0f, 0.4f), Vector2(1.0f, 1.0f), 1.0f,
                               PhysicsActor::SHAPETYPE_BOX, true);
    spy.Listen(ground);

    Frame(1.0 / 60.0);
    Frame(0.05); // two or three steps (with what the last frame carried) in one tick
    Frame(1.0 / 60.0);
    Frame(1.0 / 60.0);
    for (int tick = 2; tick <= 4; ++tick)
        EXPECT_EQ(spy.Count(ground, probe, tick), 1) << "delivery " << tick;
    EXPECT_EQ(spy.received.size(), 3u) << "nothing is sent for the probe's name";

    // Nothing was queued for the probe's name while it had no subscriber: a listener that
    // subscribes now sees only what the physics of later ticks send.
    CollisionSpy late;
    late.Listen(probe);
    late.tick = 5;
    Frame();
    EXPECT_TRUE(late.received.empty());
    Frame();
    ASSERT_EQ(late.received.size(), 1u);
    EXPECT_EQ(late.received[0].sender, static_cast<MessageListener*>(ground));

    // Once apart, the messages stop after the one already queued.
    probe->SetPosition(0.0f, 5.0f);
    Frame();
    const size_t before = spy.received.size();
    Frame();
    Frame();
    EXPECT_EQ(spy.received.size(), before);
}

TEST_F(WorldPhysicsTest, TheCarriedPointIsReadableDuringTheNextDelivery)
{
    PhysicsActor* ground = Make("Ground", Vector2(0.0f, 0.0f), Vector2(4.0f, 1.0f), 0.0f);
    PhysicsActor* ball = Make("Ball", Vector2(1.0f, 0.9f), Vector2(1.0f, 1.0f), 1.0f,
                              PhysicsActor::SHAPETYPE_CIRCLE, true);
    spy.Listen(ground);
    spy.Listen(ball);
    Frame();
    Frame();

    ASSERT_EQ(spy.received.size(), 2u);
    for (const CollisionSpy::Received& r : spy.received)
    {
        const b2ContactPoint& p = r.point;
        const std::set<b2Body*> bodies = {p.shape1->GetBody(), p.shape2->GetBody()};
        EXPECT_EQ(bodies, (std::set<b2Body*>{ground->GetBody(), ball->GetBody()}));
        // The ball (radius 0.5, centre 0.9) dips 0.1 into the top of the ground (y 0.5).
        EXPECT_NEAR(p.position.x, 1.0f, 0.06f);
        EXPECT_NEAR(p.position.y, 0.45f, 0.06f);
        EXPECT_NEAR(std::fabs(p.normal.y), 1.0f, 1e-4f);
        EXPECT_LT(p.separation, 0.0f);
        EXPECT_FLOAT_EQ(p.friction, std::sqrt(0.3f * 0.3f));
    }
}

TEST_F(WorldPhysicsTest, AtMost2048PointsAreTakenPerTick)
{
    PhysicsActor* a = Make("A", Vector2(-10.0f, 0.0f), Vector2(1.0f, 1.0f), 0.0f);
    PhysicsActor* b = Make("B", Vector2(0.0f, 0.0f), Vector2(1.0f, 1.0f), 0.0f);
    PhysicsActor* c = Make("C", Vector2(10.0f, 0.0f), Vector2(1.0f, 1.0f), 0.0f);
    spy.Listen(a);
    spy.Listen(c);

    auto point = [](PhysicsActor* first, PhysicsActor* second, float x)
    {
        b2ContactPoint p{};
        p.shape1 = first->GetBody()->GetFixtureList();
        p.shape2 = second->GetBody()->GetFixtureList();
        p.position = b2Vec2(x, 0.0f);
        return p;
    };

    Frame(0.0);
    for (int i = 0; i < World::kMaxContactPoints; ++i)
    {
        const b2ContactPoint p = point(a, b, static_cast<float>(i));
        world->ProcessContact(&p);
    }
    const b2ContactPoint overflow = point(a, c, -1.0f);
    world->ProcessContact(&overflow); // the 2049th: a new pair, yet neither stored nor sent
    Frame(0.0);

    ASSERT_EQ(spy.received.size(), 1u);
    EXPECT_EQ(spy.Count(a, b, 2), 1);
    EXPECT_FLOAT_EQ(spy.received[0].point.position.x, 0.0f) << "the pair's first point";

    // The next tick starts with an empty store.
    world->ProcessContact(&overflow);
    Frame(0.0);
    EXPECT_EQ(spy.Count(a, c, 3), 1);
    EXPECT_EQ(spy.Count(c, a, 3), 1);
}

TEST_F(WorldPhysicsTest, ContactsWithBodiesWithoutAnActorAreIgnored)
{
    PhysicsActor* ground = Make("Ground", Vector2(0.0f, 0.0f), Vector2(4.0f, 1.0f), 0.0f);
    spy.Listen(ground);
    b2BodyDef def;
    def.type = b2_dynamicBody;
    def.position.Set(0.0f, 0.3f);
    b2Body* anonymous = world->GetPhysicsWorld()->CreateBody(&def);
    b2PolygonShape shape;
    shape.SetAsBox(0.5f, 0.5f);
    b2FixtureDef fixture;
    fixture.shape = &shape;
    fixture.density = 1.0f;
    fixture.isSensor = true;
    anonymous->CreateFixture(&fixture);

    Frame();
    Frame();
    EXPECT_TRUE(spy.received.empty());
    world->GetPhysicsWorld()->DestroyBody(anonymous);
}

TEST(WorldPhysicsSetupTest, NothingRunsBeforeSetUpAndSetUpHappensOnce)
{
    // Run in a fresh copy of the program: every other test needs the physics set up.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            LogCapture::Get().Clear();
            World* world = World::GetInstance();
            if (world->IsPhysicsSetUp() || world->GetPhysicsWorld() != nullptr)
                std::exit(1);
            world->RunPhysics(1.0f);
            if (world->GetPhysicsTimeCarried() != 0.0f)
                std::exit(2);

            PhysicsActor early;
            early.InitPhysics();
            if (early.GetBody() != nullptr ||
                LogCapture::Get().Count(
                    "ERROR: World physics must be initialized before Actor's.") != 1)
                std::exit(3);

            if (!world->SetupPhysics() || !world->IsPhysicsSetUp() ||
                world->GetPhysicsWorld() == nullptr)
                std::exit(4);
            b2World* first = world->GetPhysicsWorld();
            if (world->SetupPhysics(Vector2(0.0f, 5.0f)) || world->GetPhysicsWorld() != first ||
                first->GetGravity().y != -10.0f)
                std::exit(5);

            // The actor that was refused can be initialised now.
            early.InitPhysics();
            std::exit(early.GetBody() != nullptr ? 0 : 6);
        },
        ::testing::ExitedWithCode(0), "");
}
