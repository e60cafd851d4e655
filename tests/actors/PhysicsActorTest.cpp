#include "tests/support/LogCapture.h"
#include "tests/support/PhysicsFixture.h"

#include <cmath>
#include <functional>
#include <tuple>

using PhysicsActorTest = PhysicsFixture;

TEST_F(PhysicsActorTest, TheBodyTakesThePropertiesWhichThenFreeze)
{
    auto* actor = new PhysicsActor();
    world->Add(actor);
    actor->SetPosition(5.0f, 2.0f);
    actor->SetSize(2.0f, 1.0f);
    actor->SetRotation(30.0f);
    actor->SetLinearDamping(0.25f);
    actor->SetGroupIndex(0x1FFFE); // only the low 16 bits count: -2
    actor->SetFixedRotation(true);
    actor->InitPhysics();
    const b2Body* body = actor->GetBody();
    EXPECT_NEAR(body->GetAngle(), b2_pi / 6, 1e-6f);
    EXPECT_TRUE(body->GetLinearDamping() == 0.25f && body->IsFixedRotation() &&
                body->GetFixtureList()->GetFilterData().groupIndex == -2);

    // Setters are frozen; moves and pushes that are not finite or too strong are refused.
    const String frozen = "don't change this actor after physics have been initialized.";
    const String tooStrong = " is not finite or too strong for this body.";
    const std::tuple<const char*, std::function<void()>, String> refused[] = {
        {"SetDensity", [&] { actor->SetDensity(1.0f); }, frozen},
        {"SetIsSensor", [&] { actor->SetIsSensor(true); }, frozen},
        {"SetSize", [&] { actor->SetSize(7.0f, 7.0f); }, frozen},
        {"SetSize", [&] { actor->SetSize(Vector2(9.0f, 9.0f)); }, frozen},
        {"SetRotation", [&] { actor->SetRotation(45.0f); }, frozen},
        {"InitPhysics", [&] { actor->InitPhysics(); }, frozen},
        {"SetPosition", [&] { actor->SetPosition(NAN, 0.0f); },
         "(nan, 0) is outside -1e+06 ... 1e+06."},
        {"ApplyImpulse", [&] { actor->ApplyImpulse(Vector2(3e38f, 0.0f), Vector2()); },
         "(3e+38, 0) at (0, 0)" + tooStrong},
        {"ApplyForce", [&] { actor->ApplyForce(Vector2(1.0f, 0.0f), Vector2(0.0f, INFINITY)); },
         "(1, 0) at (0, inf)" + tooStrong},
        {"ApplyLocalForce", [&] { actor->ApplyLocalForce(Vector2(NAN, 0.0f), Vector2()); },
         "(nan, 0) at (0, 0)" + tooStrong},
        {"ApplyTorque", [&] { actor->ApplyTorque(INFINITY); }, "inf" + tooStrong}};
    LogCapture::Get().Clear();
    for (const auto& [name, set, why] : refused)
    {
        set();
        EXPECT_EQ(LogCapture::Get().Take(),
                  StringList{"WARNING: " + String(name) + "() had no effect - " + why});
    }
    EXPECT_TRUE(
        actor->GetSize() == Vector2(2.0f, 1.0f) && actor->GetRotation() == 30.0f &&
        actor->GetPosition() == Vector2(5.0f, 2.0f) && body->GetPosition() == b2Vec2(5.0f, 2.0f) &&
        body->GetLinearVelocity() == b2Vec2(0.0f, 0.0f) && body->GetAngularVelocity() == 0.0f);
    EXPECT_EQ(world->GetPhysicsWorld()->GetBodyCount(), 1);

    // An unknown shape is refused and leaves the actor configurable; a circle's radius is half
    // its width.
    auto* odd = new PhysicsActor();
    world->Add(odd);
    odd->SetSize(3.0f, 1.0f);
    odd->SetShapeType(static_cast<PhysicsActor::eShapeType>(7));
    EXPECT_EQ(LogCapture::Get().Take(),
              StringList{"WARNING: SetShapeType() ignored the unknown shape type 7."});
    odd->SetShapeType(PhysicsActor::SHAPETYPE_CIRCLE);
    odd->InitPhysics();
    EXPECT_EQ(world->GetPhysicsWorld()->GetBodyCount(), 2);
    EXPECT_FLOAT_EQ(odd->GetBody()->GetFixtureList()->GetShape()->m_radius, 1.5f);

    // Nor do values Box2D cannot take (a circle this small has a mass too small to invert).
    const std::function<void(PhysicsActor&)> bad[] = {
        [](PhysicsActor& a) { a.SetDensity(INFINITY); },
        [](PhysicsActor& a) { a.SetDensity(1e-40f); },
        [](PhysicsActor& a) { a.SetSize(1e30f); },
        [](PhysicsActor& a) { a.SetPosition(std::nanf(""), 0.0f); },
        [](PhysicsActor& a) { a.SetFriction(-1.0f); },
        [](PhysicsActor& a) { a.SetLinearDamping(-1.0f); },
        [](PhysicsActor& a) { a.SetShapeType(PhysicsActor::SHAPETYPE_CIRCLE), a.SetSize(2e-20f); }};
    for (const auto& set : bad)
    {
        PhysicsActor refused;
        set(refused);
        refused.InitPhysics();
        const StringList lines = LogCapture::Get().Take();
        EXPECT_TRUE(lines.size() == 1 && !refused.GetBody() &&
                    lines[0].rfind("ERROR: InitPhysics() made no body - its ", 0) == 0);
    }
}

TEST_F(PhysicsActorTest, RotationIsWrappedAndSetPositionMovesTheBody)
{
    PhysicsActor loose;
    const std::pair<float, float> turns[] = {
        {190.0f, -170.0f}, {540.0f, 180.0f}, {-540.0f, -180.0f}, {-190.0f, 170.0f}, {725.0f, 5.0f}};
    for (const auto& [in, out] : turns)
    {
        loose._syncPosRot(1.0f, 2.0f, in);
        EXPECT_FLOAT_EQ(loose.GetRotation(), out) << in;
    }
    EXPECT_EQ(loose.GetPosition(), Vector2(1.0f, 2.0f));
    loose._syncPosRot(0.0f, 0.0f, 1e30f); // must not hang
    EXPECT_LE(std::fabs(loose.GetRotation()), 180.0f);

    PhysicsActor* actor = Make("Mover", Vector2(0.0f, 0.0f), 1.0f);
    actor->GetBody()->SetTransform(b2Vec2(0.0f, 0.0f), 0.5f);
    actor->SetPosition(Vector2(4.0f, -3.0f));
    EXPECT_EQ(actor->GetBody()->GetPosition(), b2Vec2(4.0f, -3.0f));
    EXPECT_FLOAT_EQ(actor->GetBody()->GetAngle(), 0.5f);
}

TEST_F(PhysicsActorTest, ForcesAndImpulsesPushTheBody)
{
    // The offset is from the actor's position, not from the origin.
    PhysicsActor* edge = Make("Edge", Vector2(10.0f, 0.0f), 2.0f);
    edge->ApplyImpulse(Vector2(0.0f, 10.0f), Vector2(1.0f, 0.0f));
    EXPECT_FLOAT_EQ(edge->GetBody()->GetLinearVelocity().y, 5.0f);
    EXPECT_GT(edge->GetBody()->GetAngularVelocity(), 0.0f) << "pushed up right of centre";

    // 120 N on 2 kg for 1/60 s gives 1 m/s; density 0 makes a static body.
    PhysicsActor* pushed = Make("Pushed", Vector2(-10.0f, 0.0f), 2.0f);
    pushed->ApplyForce(Vector2(120.0f, 0.0f), Vector2(0.0f, 0.0f));
    world->RunPhysics(1.0f / 60.0f);
    EXPECT_NEAR(pushed->GetBody()->GetLinearVelocity().x, 1.0f, 1e-5f);
    EXPECT_EQ(Make("Wall", Vector2(0.0f, 5.0f), 0.0f)->GetBody()->GetType(), b2_staticBody);

    PhysicsActor bodiless; // without a body they are ignored
    bodiless.ApplyForce(Vector2(1.0f, 1.0f), Vector2(0.0f, 0.0f));
    bodiless.ApplyImpulse(Vector2(1.0f, 1.0f), Vector2(0.0f, 0.0f));
}
