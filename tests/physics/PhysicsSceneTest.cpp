#include "tests/physics/PhysicsTestSupport.h"

#include <cmath>

using PhysicsSceneTest = PhysicsFixture;

TEST_F(PhysicsSceneTest, ADroppedBoxComesToRestOnAStaticBoxAndFingersStillTouchIt)
{
    world->GetPhysicsWorld()->SetGravity(b2Vec2(0.0f, -10.0f));
    PhysicsActor* ground = Make("Ground", Vector2(0.0f, 0.0f), 0.0f, Vector2(16.0f, 1.0f));
    PhysicsActor* box = Make("Crate", Vector2(0.3f, 5.0f), 1.0f);
    spy.Listen(box);
    for (int i = 0; i < 240; ++i)
    {
        Frame();
        const b2Vec2 body = box->GetBody()->GetPosition();
        ASSERT_EQ(box->GetPosition(), Vector2(body.x, body.y)) << "frame " << i;
    }
    EXPECT_NEAR(box->GetPosition().Y, 1.0f, 0.02f) << "resting on the ground's top at 0.5";
    EXPECT_NEAR(box->GetPosition().X, 0.3f, 0.02f);
    ASSERT_FALSE(box->GetBody()->IsAwake());
    EXPECT_EQ(spy.Count(box, ground, spy.tick), 1) << "asleep, and still reported";

    // A density-0 sensor finger slid onto the sleeping box touches it in every tick without
    // pushing it; the finger and the ground, both of density 0, never touch.
    auto makeFinger = [&](const char* name, float x)
    {
        return Make(name, Vector2(x, 0.7f), 0.0f, Vector2(0.6f, 0.6f),
                    PhysicsActor::SHAPETYPE_CIRCLE, true);
    };
    PhysicsActor* finger = makeFinger("Finger", 8.3f);
    spy.Listen(finger);
    spy.Listen(ground);
    auto touches = [&](const PhysicsActor* other)
    { return spy.Count(other, finger, spy.tick) + spy.Count(finger, other, spy.tick); };
    const Vector2 boxAt = box->GetPosition();
    for (int i = 1; i <= 141; ++i)
    {
        if (i <= 21)
            finger->SetPosition(std::fmax(8.3f - 0.4f * static_cast<float>(i), 0.3f), 0.7f);
        Frame();
        ASSERT_EQ(touches(ground), 0);
        ASSERT_TRUE(i <= 21 || touches(box) == 2) << "frame " << i;
    }
    EXPECT_NEAR(Vector2::Distance(box->GetPosition(), boxAt), 0.0f, 1e-3f);

    // Lifted away, the reports stop, and the box sleeps again; one moved straight back and one
    // made on it touch it.
    finger->SetPosition(8.0f, 5.0f);
    for (int i = 0; i < 60; ++i)
    {
        Frame();
        ASSERT_TRUE(i == 0 || touches(box) == 0);
    }
    ASSERT_FALSE(box->GetBody()->IsAwake());
    PhysicsActor* second = makeFinger("Second", 0.1f);
    finger->SetPosition(0.5f, 0.7f);
    Frame();
    Frame();
    EXPECT_EQ(touches(box), 2);
    EXPECT_EQ(spy.Count(box, second, spy.tick), 1);

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
    PhysicsActor* anchor = Make("Anchor", Vector2(0.0f, 0.0f), 0.0f);
    PhysicsActor* rod = Make("Rod", Vector2(3.0f, 0.0f), 1.0f);
    PhysicsActor* spring = Make("Spring", Vector2(0.0f, 3.0f), 1.0f);
    b2World* physics = world->GetPhysicsWorld();
    box2d20::DistanceJointDef rigid;
    rigid.Initialize(anchor->GetBody(), rod->GetBody(), b2Vec2(0.0f, 0.0f), b2Vec2(3.0f, 0.0f));
    box2d20::DistanceJointDef soft; // rest length 1
    soft.body1 = anchor->GetBody();
    soft.body2 = spring->GetBody();
    soft.frequencyHz = 1.0f;
    soft.dampingRatio = 0.5f;
    ASSERT_NE(box2d20::CreateDistanceJoint(physics, rigid), nullptr);
    ASSERT_NE(box2d20::CreateDistanceJoint(physics, soft), nullptr);
    EXPECT_EQ(box2d20::CreateDistanceJoint(physics, box2d20::DistanceJointDef()), nullptr);

    rod->ApplyImpulse(Vector2(0.0f, 1.0f), Vector2(0.0f, 0.0f)); // swing it round the anchor
    auto distance = [&](const PhysicsActor* to)
    { return Vector2::Distance(anchor->GetPosition(), to->GetPosition()); };
    float springMin = 3.0f;
    for (int i = 0; i < 690; ++i)
    {
        Frame();
        ASSERT_NEAR(distance(rod), 3.0f, 0.02f) << "frame " << i;
        springMin = std::fmin(springMin, distance(spring));
    }
    EXPECT_LT(springMin, 1.2f) << "the lightly damped spring overshoots";
    EXPECT_NEAR(distance(spring), 1.0f, 0.05f);

    anchor->Destroy();
    Frame();
    EXPECT_EQ(physics->GetJointCount(), 0);
}
