#include "tests/physics/PhysicsTestSupport.h"

#include <cmath>

namespace
{

class PhysicsSceneTest : public PhysicsFixture
{
protected:
    /// A 1 x 1 box resting (asleep) on a static floor whose top is at y = 0.
    PhysicsActor* RestingBox()
    {
        world->GetPhysicsWorld()->SetGravity(b2Vec2(0.0f, -10.0f));
        Make("Floor", Vector2(0.0f, -0.5f), Vector2(20.0f, 1.0f), 0.0f);
        PhysicsActor* box = Make("Box", Vector2(0.0f, 0.6f), Vector2(1.0f, 1.0f), 1.0f);
        for (int i = 0; i < 180 && box->GetBody()->IsAwake(); ++i)
            Frame();
        EXPECT_FALSE(box->GetBody()->IsAwake()) << "the box should have come to rest";
        return box;
    }

    static PhysicsActor* Floor() { return static_cast<PhysicsActor*>(Actor::GetNamed("Floor")); }

    static float Distance(const PhysicsActor* a, const PhysicsActor* b)
    {
        return Vector2::Distance(a->GetPosition(), b->GetPosition());
    }
};

} // namespace

TEST_F(PhysicsSceneTest, ADroppedBoxComesToRestOnAStaticBox)
{
    world->GetPhysicsWorld()->SetGravity(b2Vec2(0.0f, -10.0f));
    PhysicsActor* ground = Make("Ground", Vector2(0.0f, 0.0f), Vector2(6.0f, 1.0f), 0.0f);
    PhysicsActor* box = Make("Crate", Vector2(0.3f, 5.0f), Vector2(1.0f, 1.0f), 1.0f);
    spy.Listen(ground);

    float lowest = box->GetPosition().Y;
    for (int i = 0; i < 240; ++i)
    {
        Frame();
        // The actor shows where the body is after every tick.
        EXPECT_FLOAT_EQ(box->GetPosition().X, box->GetBody()->GetPosition().x);
        EXPECT_FLOAT_EQ(box->GetPosition().Y, box->GetBody()->GetPosition().y);
        lowest = std::fmin(lowest, box->GetPosition().Y);
    }
    EXPECT_NEAR(box->GetPosition().Y, 1.0f, 0.02f) << "resting on the ground's top at 0.5";
    EXPECT_NEAR(box->GetPosition().X, 0.3f, 0.02f);
    EXPECT_NEAR(box->GetRotation(), 0.0f, 0.5f);
    EXPECT_GT(lowest, 0.9f) << "never fell through";
    EXPECT_EQ(ground->GetPosition(), Vector2(0.0f, 0.0f));

    // The resting contact goes on being reported, asleep or not.
    EXPECT_FALSE(box->GetBody()->IsAwake());
    const int last = spy.tick;
    EXPECT_EQ(spy.Count(ground, box, last), 1);
    EXPECT_EQ(spy.Count(ground, box, last - 1), 1);
}

TEST_F(PhysicsSceneTest, ASensorFollowingAFingerTouchesRestingBodies)
{
    PhysicsActor* box = RestingBox();
    PhysicsActor* finger = Make("Finger", Vector2(8.0f, 5.0f), Vector2(0.6f, 0.6f), 0.0f,
                                PhysicsActor::SHAPETYPE_CIRCLE, true);
    ASSERT_EQ(finger->GetBody()->GetType(), b2_staticBody);
    spy.Listen(box);
    spy.Listen(finger);

    // The finger slides onto the sleeping box.
    for (int i = 0; i < 20; ++i)
    {
        finger->SetPosition(8.0f - 0.4f * static_cast<float>(i + 1), 0.9f);
        Frame();
    }
    ASSERT_NEAR(finger->GetPosition().X, 0.0f, 1e-4f);
    Frame();
    const int touching = spy.tick;
    EXPECT_EQ(spy.Count(box, finger, touching), 1);
    EXPECT_EQ(spy.Count(finger, box, touching), 1);

    // Held still for two seconds: reported in every tick, and the box is not pushed.
    const Vector2 boxAt = box->GetPosition();
    for (int i = 0; i < 120; ++i)
        Frame();
    for (int tick = touching; tick <= spy.tick; ++tick)
        ASSERT_EQ(spy.Count(box, finger, tick), 1) << "delivery " << tick;
    EXPECT_NEAR(box->GetPosition().X, boxAt.X, 1e-3f);
    EXPECT_NEAR(box->GetPosition().Y, boxAt.Y, 1e-3f);

    // Lifted away, the reports stop even though the box sleeps again by then.
    finger->SetPosition(8.0f, 5.0f);
    Frame();
    for (int i = 0; i < 60; ++i)
    {
        Frame();
        ASSERT_EQ(spy.Count(box, finger, spy.tick) + spy.Count(finger, box, spy.tick), 0);
    }
    EXPECT_FALSE(box->GetBody()->IsAwake());
    EXPECT_EQ(spy.Count(box, Floor(), spy.tick), 1) << "the box still reports resting on the floor";
}

TEST_F(PhysicsSceneTest, AFingerPutDownOnARestingBodyTouchesIt)
{
    PhysicsActor* box = RestingBox();
    spy.Listen(box);
    PhysicsActor* finger = Make("Finger", Vector2(0.2f, 1.0f), Vector2(0.6f, 0.6f), 0.0f,
                                PhysicsActor::SHAPETYPE_CIRCLE, true);
    Frame();
    Frame();
    EXPECT_EQ(spy.Count(box, finger, spy.tick), 1);
}

TEST_F(PhysicsSceneTest, AMovedStaticBodyPushesARestingBody)
{
    PhysicsActor* box = RestingBox();
    PhysicsActor* pusher = Make("Pusher", Vector2(-5.0f, 0.5f), Vector2(1.0f, 1.0f), 0.0f);
    pusher->SetPosition(-0.8f, 0.5f); // overlaps the box's left side by 0.2
    for (int i = 0; i < 30; ++i)
        Frame();
    EXPECT_GT(box->GetPosition().X, 0.15f) << "pushed out to the right";
}

TEST_F(PhysicsSceneTest, TwoStaticBodiesNeverTouch)
{
    PhysicsActor* wall = Make("Wall", Vector2(0.0f, 0.0f), Vector2(2.0f, 2.0f), 0.0f);
    PhysicsActor* finger = Make("Finger", Vector2(5.0f, 0.0f), Vector2(1.0f, 1.0f), 0.0f,
                                PhysicsActor::SHAPETYPE_CIRCLE, true);
    spy.Listen(wall);
    spy.Listen(finger);
    for (int i = 0; i < 10; ++i)
    {
        finger->SetPosition(0.1f * static_cast<float>(i), 0.0f);
        Frame();
    }
    EXPECT_TRUE(spy.received.empty());
}

TEST_F(PhysicsSceneTest, SensorsAndSharedNegativeGroupsReportAsExpected)
{
    // Two dynamic sensors overlapping each other do touch (one of them is dynamic).
    PhysicsActor* a = Make("A", Vector2(0.0f, 0.0f), Vector2(1.0f, 1.0f), 1.0f,
                           PhysicsActor::SHAPETYPE_BOX, true);
    PhysicsActor* b = Make("B", Vector2(0.5f, 0.0f), Vector2(1.0f, 1.0f), 1.0f,
                           PhysicsActor::SHAPETYPE_CIRCLE, true);
    // A shared negative group keeps two actors apart entirely.
    auto* c = new PhysicsActor();
    auto* d = new PhysicsActor();
    for (PhysicsActor* actor : {c, d})
    {
        actor->SetGroupIndex(-3);
        actor->SetIsSensor(true);
        actor->SetPosition(10.0f, 0.0f);
        actor->InitPhysics();
        world->Add(actor);
    }
    spy.Listen(a);
    spy.Listen(c);
    Frame();
    Frame();
    EXPECT_EQ(spy.Count(a, b, 2), 1);
    EXPECT_EQ(spy.received.size(), 1u);
}

TEST_F(PhysicsSceneTest, DistanceJointsAreRigidOrSprings)
{
    PhysicsActor* anchor = Make("Anchor", Vector2(0.0f, 0.0f), Vector2(0.5f, 0.5f), 0.0f);
    PhysicsActor* rod = Make("Rod", Vector2(3.0f, 0.0f), Vector2(0.5f, 0.5f), 1.0f);
    PhysicsActor* spring = Make("Spring", Vector2(0.0f, 3.0f), Vector2(0.5f, 0.5f), 1.0f);

    box2d20::DistanceJointDef rigid;
    rigid.Initialize(anchor->GetBody(), rod->GetBody(), b2Vec2(0.0f, 0.0f), b2Vec2(3.0f, 0.0f));
    EXPECT_FLOAT_EQ(rigid.length, 3.0f);
    EXPECT_FLOAT_EQ(rigid.frequencyHz, 0.0f);
    ASSERT_NE(box2d20::CreateDistanceJoint(world->GetPhysicsWorld(), rigid), nullptr);

    box2d20::DistanceJointDef soft;
    soft.body1 = anchor->GetBody();
    soft.body2 = spring->GetBody();
    soft.length = 1.0f;
    soft.frequencyHz = 1.0f;
    soft.dampingRatio = 0.5f;
    ASSERT_NE(box2d20::CreateDistanceJoint(world->GetPhysicsWorld(), soft), nullptr);

    box2d20::DistanceJointDef incomplete;
    EXPECT_EQ(box2d20::CreateDistanceJoint(world->GetPhysicsWorld(), incomplete), nullptr);

    rod->ApplyImpulse(Vector2(0.0f, 1.0f), Vector2(0.0f, 0.0f)); // swing it round the anchor
    float springMin = 3.0f;
    for (int i = 0; i < 90; ++i)
    {
        Frame();
        EXPECT_NEAR(Distance(anchor, rod), 3.0f, 0.02f) << "frame " << i;
        springMin = std::fmin(springMin, Distance(anchor, spring));
    }
    EXPECT_GT(rod->GetPosition().Y, 0.5f) << "the rod swung";
    // The spring pulls towards its rest length, overshooting under light damping, but not at
    // once like a rod.
    EXPECT_LT(springMin, 1.2f);
    for (int i = 0; i < 600; ++i)
        Frame();
    EXPECT_NEAR(Distance(anchor, spring), 1.0f, 0.05f);
}
