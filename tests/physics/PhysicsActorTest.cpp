#include "tests/physics/PhysicsTestSupport.h"
#include "tests/support/LogCapture.h"

#include <functional>
#include <utility>

namespace
{

class PhysicsActorTest : public PhysicsFixture
{
};

String Frozen(const char* setter)
{
    return String("WARNING: ") + setter +
           "() had no effect - don't change this actor after physics have been initialized.";
}

} // namespace

TEST_F(PhysicsActorTest, ShapesFollowTheSize)
{
    PhysicsActor* box = Make("Box", Vector2(1.0f, 2.0f), Vector2(2.0f, 1.0f), 1.0f);
    ASSERT_NE(box->GetBody(), nullptr);
    const b2AABB boxBounds = box->GetBody()->GetFixtureList()->GetAABB(0);
    const float skin = b2_polygonRadius;
    EXPECT_NEAR(boxBounds.upperBound.x - boxBounds.lowerBound.x, 2.0f + 2.0f * skin, 1e-5f);
    EXPECT_NEAR(boxBounds.upperBound.y - boxBounds.lowerBound.y, 1.0f + 2.0f * skin, 1e-5f);
    EXPECT_FLOAT_EQ(box->GetBody()->GetPosition().x, 1.0f);
    EXPECT_FLOAT_EQ(box->GetBody()->GetPosition().y, 2.0f);

    PhysicsActor* circle = Make("Circle", Vector2(0.0f, 0.0f), Vector2(3.0f, 1.0f), 1.0f,
                                PhysicsActor::SHAPETYPE_CIRCLE);
    const b2Shape* shape = circle->GetBody()->GetFixtureList()->GetShape();
    ASSERT_EQ(shape->GetType(), b2Shape::e_circle);
    EXPECT_FLOAT_EQ(shape->m_radius, 1.5f) << "the height is ignored";

    // The remaining properties reach the body and its fixture.
    auto* sensor = new PhysicsActor();
    sensor->SetRotation(30.0f);
    sensor->SetFriction(0.7f);
    sensor->SetRestitution(0.4f);
    sensor->SetLinearDamping(0.25f);
    sensor->SetIsSensor(true);
    sensor->SetGroupIndex(0x1FFFE); // only the low 16 bits count: -2
    sensor->SetFixedRotation(true);
    sensor->InitPhysics();
    world->Add(sensor);
    b2Body* body = sensor->GetBody();
    const b2Fixture* fixture = body->GetFixtureList();
    EXPECT_NEAR(body->GetAngle(), 30.0f * b2_pi / 180.0f, 1e-6f);
    EXPECT_FLOAT_EQ(fixture->GetFriction(), 0.7f);
    EXPECT_FLOAT_EQ(fixture->GetRestitution(), 0.4f);
    EXPECT_FLOAT_EQ(body->GetLinearDamping(), 0.25f);
    EXPECT_TRUE(fixture->IsSensor());
    EXPECT_EQ(fixture->GetFilterData().groupIndex, -2);
    EXPECT_TRUE(body->IsFixedRotation());
    EXPECT_EQ(body->GetType(), b2_dynamicBody);
    EXPECT_EQ(reinterpret_cast<PhysicsActor*>(body->GetUserData().pointer), sensor);
}

TEST_F(PhysicsActorTest, PropertiesFreezeOnceTheBodyExists)
{
    PhysicsActor* actor = Make("Frozen", Vector2(0.0f, 0.0f), Vector2(2.0f, 2.0f), 5.0f);
    LogCapture::Get().Clear();

    const std::pair<const char*, std::function<void()>> setters[] = {
        {"SetDensity", [&] { actor->SetDensity(1.0f); }},
        {"SetFriction", [&] { actor->SetFriction(1.0f); }},
        {"SetRestitution", [&] { actor->SetRestitution(1.0f); }},
        {"SetLinearDamping", [&] { actor->SetLinearDamping(1.0f); }},
        {"SetShapeType", [&] { actor->SetShapeType(PhysicsActor::SHAPETYPE_CIRCLE); }},
        {"SetIsSensor", [&] { actor->SetIsSensor(true); }},
        {"SetGroupIndex", [&] { actor->SetGroupIndex(-1); }},
        {"SetFixedRotation", [&] { actor->SetFixedRotation(true); }},
        {"SetSize", [&] { actor->SetSize(7.0f, 7.0f); }},
        {"SetRotation", [&] { actor->SetRotation(45.0f); }},
        {"InitPhysics", [&] { actor->InitPhysics(); }},
    };
    for (const auto& setter : setters)
    {
        setter.second();
        EXPECT_EQ(LogCapture::Get().Count(Frozen(setter.first)), 1) << setter.first;
    }
    EXPECT_EQ(LogCapture::Get().Lines().size(), 11u);

    // Nothing changed: the actor, and the body it had (no second body either).
    EXPECT_EQ(actor->GetSize(), Vector2(2.0f, 2.0f));
    EXPECT_FLOAT_EQ(actor->GetRotation(), 0.0f);
    actor->SetSize(Vector2(9.0f, 9.0f));
    EXPECT_EQ(actor->GetSize(), Vector2(2.0f, 2.0f));
    EXPECT_EQ(world->GetPhysicsWorld()->GetBodyCount(), 1);
    const b2Fixture* fixture = actor->GetBody()->GetFixtureList();
    EXPECT_FLOAT_EQ(fixture->GetDensity(), 5.0f);
    EXPECT_EQ(fixture->GetShape()->GetType(), b2Shape::e_polygon);
    EXPECT_FALSE(fixture->IsSensor());

    // The drawn size may still change.
    actor->SetDrawSize(4.0f);
    EXPECT_EQ(actor->GetSize(), Vector2(4.0f, 4.0f));
}

TEST_F(PhysicsActorTest, AnInvalidShapeTypeMakesNoBody)
{
    LogCapture::Get().Clear();
    auto* actor = new PhysicsActor();
    world->Add(actor);
    actor->SetShapeType(static_cast<PhysicsActor::eShapeType>(7));
    actor->InitPhysics();
    EXPECT_EQ(actor->GetBody(), nullptr);
    EXPECT_EQ(LogCapture::Get().Count("ERROR: Invalid shape type given."), 1);

    // Still configurable.
    actor->SetShapeType(PhysicsActor::SHAPETYPE_CIRCLE);
    actor->InitPhysics();
    EXPECT_NE(actor->GetBody(), nullptr);
}

TEST_F(PhysicsActorTest, RotationFromTheBodyIsKeptWithinHalfATurn)
{
    PhysicsActor actor;
    const std::pair<float, float> cases[] = {{190.0f, -170.0f},  {540.0f, 180.0f},
                                             {-540.0f, -180.0f}, {-190.0f, 170.0f},
                                             {180.0f, 180.0f},   {725.0f, 5.0f}};
    for (const auto& c : cases)
    {
        actor._syncPosRot(1.0f, 2.0f, c.first);
        EXPECT_FLOAT_EQ(actor.GetRotation(), c.second) << c.first;
    }
    EXPECT_EQ(actor.GetPosition(), Vector2(1.0f, 2.0f));

    actor._syncPosRot(0.0f, 0.0f, 1e30f); // must not hang
    EXPECT_LE(std::fabs(actor.GetRotation()), 180.0f);
}

TEST_F(PhysicsActorTest, SetPositionMovesTheBodyAtOnceKeepingItsAngle)
{
    PhysicsActor* actor = Make("Mover", Vector2(0.0f, 0.0f), Vector2(1.0f, 1.0f), 1.0f);
    actor->GetBody()->SetTransform(b2Vec2(0.0f, 0.0f), 0.5f);
    actor->SetPosition(Vector2(4.0f, -3.0f));
    EXPECT_FLOAT_EQ(actor->GetBody()->GetPosition().x, 4.0f);
    EXPECT_FLOAT_EQ(actor->GetBody()->GetPosition().y, -3.0f);
    EXPECT_FLOAT_EQ(actor->GetBody()->GetAngle(), 0.5f);

    // MoveTo goes through SetPosition, so the body follows the move.
    actor->MoveTo(Vector2(6.0f, -3.0f), 1.0f);
    Frame(0.5);
    EXPECT_NEAR(actor->GetBody()->GetPosition().x, 5.0f, 1e-4f);
    EXPECT_NEAR(actor->GetPosition().X, 5.0f, 1e-4f);

    // RotateTo only turns the drawing; the next physics tick puts the body's angle back.
    actor->RotateTo(90.0f, 0.1f);
    Frame(0.2);
    EXPECT_NEAR(actor->GetBody()->GetAngle(), 0.5f, 1e-5f);
    Frame(0.0);
    EXPECT_NEAR(actor->GetRotation(), 0.5f * 180.0f / b2_pi, 1e-3f);
}

TEST_F(PhysicsActorTest, ForcesAndImpulsesPushTheBody)
{
    PhysicsActor* centre = Make("Centre", Vector2(0.0f, 0.0f), Vector2(1.0f, 1.0f), 2.0f);
    PhysicsActor* edge = Make("Edge", Vector2(10.0f, 0.0f), Vector2(1.0f, 1.0f), 2.0f);
    // The offset is from the actor's position, not from the origin.
    centre->ApplyImpulse(Vector2(0.0f, 10.0f), Vector2(0.0f, 0.0f));
    edge->ApplyImpulse(Vector2(0.0f, 10.0f), Vector2(1.0f, 0.0f));
    EXPECT_FLOAT_EQ(centre->GetBody()->GetLinearVelocity().y, 5.0f);
    EXPECT_FLOAT_EQ(centre->GetBody()->GetAngularVelocity(), 0.0f);
    EXPECT_FLOAT_EQ(edge->GetBody()->GetLinearVelocity().y, 5.0f);
    EXPECT_GT(edge->GetBody()->GetAngularVelocity(), 0.0f) << "pushed up right of centre";

    // A force acts over a step: 120 N on 2 kg for 1/60 s gives 1 m/s.
    PhysicsActor* pushed = Make("Pushed", Vector2(-10.0f, 0.0f), Vector2(1.0f, 1.0f), 2.0f);
    pushed->ApplyForce(Vector2(120.0f, 0.0f), Vector2(0.0f, 0.0f));
    world->RunPhysics(1.0f / 60.0f);
    EXPECT_NEAR(pushed->GetBody()->GetLinearVelocity().x, 1.0f, 1e-5f);

    // A local force is turned with the body: "forwards" of a body turned a quarter left is up.
    pushed->GetBody()->SetLinearVelocity(b2Vec2(0.0f, 0.0f));
    pushed->GetBody()->SetTransform(pushed->GetBody()->GetPosition(), b2_pi * 0.5f);
    pushed->ApplyLocalForce(Vector2(120.0f, 0.0f), Vector2(0.0f, 0.0f));
    world->RunPhysics(1.0f / 60.0f);
    EXPECT_NEAR(pushed->GetBody()->GetLinearVelocity().x, 0.0f, 1e-5f);
    EXPECT_NEAR(pushed->GetBody()->GetLinearVelocity().y, 1.0f, 1e-5f);

    pushed->ApplyTorque(100.0f);
    world->RunPhysics(1.0f / 60.0f);
    EXPECT_GT(pushed->GetBody()->GetAngularVelocity(), 0.0f);

    // Before the body exists, forces are ignored without a word.
    LogCapture::Get().Clear();
    PhysicsActor loose;
    loose.ApplyForce(Vector2(1.0f, 1.0f), Vector2(0.0f, 0.0f));
    loose.ApplyLocalForce(Vector2(1.0f, 1.0f), Vector2(0.0f, 0.0f));
    loose.ApplyImpulse(Vector2(1.0f, 1.0f), Vector2(0.0f, 0.0f));
    loose.ApplyTorque(1.0f);
    EXPECT_TRUE(LogCapture::Get().Lines().empty());
}

TEST_F(PhysicsActorTest, DensityZeroMakesAStaticBody)
{
    world->GetPhysicsWorld()->SetGravity(b2Vec2(0.0f, -10.0f));
    PhysicsActor* wall = Make("Wall", Vector2(0.0f, 0.0f), Vector2(1.0f, 1.0f), 0.0f);
    PhysicsActor* rock = Make("Rock", Vector2(5.0f, 0.0f), Vector2(1.0f, 1.0f), 1.0f);
    EXPECT_EQ(wall->GetBody()->GetType(), b2_staticBody);
    EXPECT_EQ(rock->GetBody()->GetType(), b2_dynamicBody);

    wall->ApplyImpulse(Vector2(10.0f, 10.0f), Vector2(0.5f, 0.0f));
    wall->ApplyForce(Vector2(100.0f, 0.0f), Vector2(0.0f, 0.0f));
    wall->ApplyTorque(50.0f);
    for (int i = 0; i < 30; ++i)
        Frame();
    EXPECT_EQ(wall->GetPosition(), Vector2(0.0f, 0.0f)) << "neither pushed nor falling";
    EXPECT_FLOAT_EQ(wall->GetRotation(), 0.0f);
    EXPECT_LT(rock->GetPosition().Y, -1.0f) << "the dynamic one falls";
}

TEST_F(PhysicsActorTest, DeletingTheActorDestroysItsBody)
{
    PhysicsActor* a = Make("A", Vector2(0.0f, 0.0f), Vector2(1.0f, 1.0f), 1.0f);
    PhysicsActor* b = Make("B", Vector2(3.0f, 0.0f), Vector2(1.0f, 1.0f), 1.0f);
    box2d20::DistanceJointDef joint;
    joint.Initialize(a->GetBody(), b->GetBody(), b2Vec2(0.0f, 0.0f), b2Vec2(3.0f, 0.0f));
    ASSERT_NE(box2d20::CreateDistanceJoint(world->GetPhysicsWorld(), joint), nullptr);
    EXPECT_EQ(world->GetPhysicsWorld()->GetBodyCount(), 2);

    a->Destroy();
    Frame();
    EXPECT_EQ(world->GetPhysicsWorld()->GetBodyCount(), 1);
    EXPECT_EQ(world->GetPhysicsWorld()->GetJointCount(), 0) << "the joint went with the body";
}
