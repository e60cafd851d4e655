#include "tests/physics/PhysicsTestSupport.h"

#include <cmath>

namespace
{

class PhysicsSceneTest : public PhysicsFixture
{
protected:
    /// A density-0 sensor circle, moved by hand like a finger.
    PhysicsActor* Finger(const char* name, float x, float y)
    {
        return Make(name, Vector2(x, y), Vector2(0.6f, 0.6f), 0.0f, PhysicsActor::SHAPETYPE_CIRCLE,
                    true);
    }
    /// Messages both ways between a and b delivered in the last frame.
    int Touches(const PhysicsActor* a, const PhysicsActor* b) const
    {
        return spy.Count(a, b, spy.tick) + spy.Count(b, a, spy.tick);
    }
    static float Distance(const PhysicsActor* a, const PhysicsActor* b)
    {
        return Vector2::Distance(a->GetPosition(), b->GetPosition());
    }
};

} // namespace

TEST_F(PhysicsSceneTest, ADroppedBoxComesToRestOnAStaticBoxAndFingersStillTouchIt)
{
    world->GetPhysicsWorld()->SetGravity(b2Vec2(0.0f, -10.0f));
    PhysicsActor* ground = Make("Ground", Vector2(0.0f, 0.0f), Vector2(16.0f, 1.0f), 0.0f);
    PhysicsActor* box = Make("Crate", Vector2(0.3f, 5.0f), Vector2(1.0f, 1.0f), 1.0f);
    spy.Listen(box);
    float lowest = box->GetPosition().Y;
    for (int i = 0; i < 240; ++i)
    {
        Frame();
        const b2Vec2 body = box->GetBody()->GetPosition();
        ASSERT_EQ(box->GetPosition(), Vector2(body.x, body.y)) << "frame " << i;
        lowest = std::fmin(lowest, box->GetPosition().Y);
    }
    EXPECT_NEAR(box->GetPosition().Y, 1.0f, 0.02f) << "resting on the ground's top at 0.5";
    EXPECT_NEAR(box->GetPosition().X, 0.3f, 0.02f);
    EXPECT_NEAR(box->GetRotation(), 0.0f, 0.5f);
    EXPECT_GT(lowest, 0.9f) << "never fell through";
    EXPECT_EQ(ground->GetPosition(), Vector2(0.0f, 0.0f));
    ASSERT_FALSE(box->GetBody()->IsAwake());
    EXPECT_EQ(spy.Count(box, ground, spy.tick), 1) << "asleep, and still reported";

    // A finger slid onto the sleeping box touches it in every tick without pushing it; the
    // finger and the ground, both of density 0, never touch.
    PhysicsActor* finger = Finger("Finger", 8.3f, 0.7f);
    spy.Listen(finger);
    spy.Listen(ground);
    for (int i = 1; i <= 21; ++i)
    {
        finger->SetPosition(std::fmax(8.3f - 0.4f * static_cast<float>(i), 0.3f), 0.7f);
        Frame();
        ASSERT_EQ(Touches(ground, finger), 0);
    }
    const Vector2 boxAt = box->GetPosition();
    for (int i = 0; i < 120; ++i)
    {
        Frame();
        ASSERT_EQ(Touches(box, finger), 2) << "frame " << i;
        ASSERT_EQ(Touches(ground, finger), 0);
    }
    EXPECT_NEAR(Vector2::Distance(box->GetPosition(), boxAt), 0.0f, 1e-3f);

    // Lifted away, the reports stop, although the box sleeps again.
    finger->SetPosition(8.0f, 5.0f);
    Frame();
    for (int i = 0; i < 60; ++i)
    {
        Frame();
        ASSERT_EQ(Touches(box, finger), 0);
    }
    ASSERT_FALSE(box->GetBody()->IsAwake());

    // A finger made on the sleeping box touches it, and so does one moved straight onto it.
    PhysicsActor* second = Finger("Second", 0.1f, 0.7f);
    Frame();
    Frame();
    EXPECT_EQ(spy.Count(box, second, spy.tick), 1);
    for (int i = 0; i < 60; ++i)
        Frame();
    ASSERT_FALSE(box->GetBody()->IsAwake());
    finger->SetPosition(0.5f, 0.7f);
    Frame();
    Frame();
    EXPECT_EQ(Touches(box, finger), 2);

    // The ground pulled away from under the sleeping box lets it fall.
    for (int i = 0; i < 60; ++i)
        Frame();
    ASSERT_FALSE(box->GetBody()->IsAwake());
    ground->SetPosition(0.0f, -10.0f);
    for (int i = 0; i < 10; ++i)
        Frame();
    EXPECT_LT(box->GetPosition().Y, 0.9f);
}

TEST_F(PhysicsSceneTest, DistanceJointsAreRigidOrSpringsAndGoWithTheirBodies)
{
    PhysicsActor* anchor = Make("Anchor", Vector2(0.0f, 0.0f), Vector2(0.5f, 0.5f), 0.0f);
    PhysicsActor* rod = Make("Rod", Vector2(3.0f, 0.0f), Vector2(0.5f, 0.5f), 1.0f);
    PhysicsActor* spring = Make("Spring", Vector2(0.0f, 3.0f), Vector2(0.5f, 0.5f), 1.0f);
    b2World* physics = world->GetPhysicsWorld();
    box2d20::DistanceJointDef rigid;
    rigid.Initialize(anchor->GetBody(), rod->GetBody(), b2Vec2(0.0f, 0.0f), b2Vec2(3.0f, 0.0f));
    EXPECT_FLOAT_EQ(rigid.length, 3.0f);
    ASSERT_NE(box2d20::CreateDistanceJoint(physics, rigid), nullptr);
    box2d20::DistanceJointDef soft; // rest length 1
    soft.body1 = anchor->GetBody();
    soft.body2 = spring->GetBody();
    soft.frequencyHz = 1.0f;
    soft.dampingRatio = 0.5f;
    ASSERT_NE(box2d20::CreateDistanceJoint(physics, soft), nullptr);
    EXPECT_EQ(box2d20::CreateDistanceJoint(physics, box2d20::DistanceJointDef()), nullptr);

    rod->ApplyImpulse(Vector2(0.0f, 1.0f), Vector2(0.0f, 0.0f)); // swing it round the anchor
    float springMin = 3.0f;
    for (int i = 0; i < 90; ++i)
    {
        Frame();
        ASSERT_NEAR(Distance(anchor, rod), 3.0f, 0.02f) << "frame " << i;
        springMin = std::fmin(springMin, Distance(anchor, spring));
        if (i == 5)
        {
            EXPECT_GT(Distance(anchor, spring), 2.5f) << "a spring, not a rod";
        }
    }
    EXPECT_GT(rod->GetPosition().Y, 0.5f) << "the rod swung";
    EXPECT_LT(springMin, 1.2f) << "the lightly damped spring overshoots";
    for (int i = 0; i < 600; ++i)
        Frame();
    EXPECT_NEAR(Distance(anchor, spring), 1.0f, 0.05f);

    anchor->Destroy();
    Frame();
    EXPECT_EQ(physics->GetBodyCount(), 2);
    EXPECT_EQ(physics->GetJointCount(), 0);
}
