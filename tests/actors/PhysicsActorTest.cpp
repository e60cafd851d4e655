#include "tests/support/LogCapture.h"
#include "tests/support/PhysicsFixture.h"

#include <cmath>
#include <functional>

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

    const std::pair<const char*, std::function<void()>> setters[] = {
        {"SetDensity", [&] { actor->SetDensity(1.0f); }},
        {"SetIsSensor", [&] { actor->SetIsSensor(true); }},
        {"SetSize", [&] { actor->SetSize(7.0f, 7.0f); }},
        {"SetSize", [&] { actor->SetSize(Vector2(9.0f, 9.0f)); }},
        {"SetRotation", [&] { actor->SetRotation(45.0f); }},
        {"InitPhysics", [&] { actor->InitPhysics(); }},
    };
    LogCapture::Get().Clear();
    for (const auto& [name, set] : setters)
    {
        set();
        EXPECT_EQ(LogCapture::Get().Take(),
                  StringList{"WARNING: " + String(name) +
                             "() had no effect - don't change this "
                             "actor after physics have been initialized."});
    }
    EXPECT_TRUE(actor->GetSize() == Vector2(2.0f, 1.0f) && actor->GetRotation() == 30.0f);
    EXPECT_EQ(world->GetPhysicsWorld()->GetBodyCount(), 1);

    // An unknown shape makes no body and leaves the actor configurable; a circle's radius is
    // half its width.
    auto* odd = new PhysicsActor();
    world->Add(odd);
    odd->SetSize(3.0f, 1.0f);
    odd->SetShapeType(static_cast<PhysicsActor::eShapeType>(7));
    odd->InitPhysics();
    EXPECT_EQ(LogCapture::Get().Take(), StringList{"ERROR: Invalid shape type given."});
    odd->SetShapeType(PhysicsActor::SHAPETYPE_CIRCLE);
    odd->InitPhysics();
    EXPECT_EQ(world->GetPhysicsWorld()->GetBodyCount(), 2);
    EXPECT_FLOAT_EQ(odd->GetBody()->GetFixtureList()->GetShape()->m_radius, 1.5f);
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

TEST_F(PhysicsActorTest, ValuesBox2DCannotTakeAreRefusedWithALogLine)
{
    const float nan = std::nanf(""), inf = INFINITY;
    // Each makes no body (the circle's mass is too small to invert); the actor stays usable.
    const std::function<void(PhysicsActor&)> bad[] = {
        [&](PhysicsActor& a) { a.SetDensity(inf); },
        [&](PhysicsActor& a) { a.SetDensity(1e-40f); },
        [&](PhysicsActor& a) { a.SetSize(1e30f); },
        [&](PhysicsActor& a) { a.SetPosition(nan, 0.0f); },
        [&](PhysicsActor& a) { a.SetRotation(nan); },
        [&](PhysicsActor& a) { a.SetFriction(-1.0f); },
        [&](PhysicsActor& a) { a.SetLinearDamping(-1.0f); },
        [&](PhysicsActor& a) { a.SetShapeType(PhysicsActor::SHAPETYPE_CIRCLE), a.SetSize(2e-20f); },
    };
    LogCapture::Get().Clear();
    for (const auto& set : bad)
    {
        PhysicsActor actor;
        set(actor);
        actor.InitPhysics();
        const StringList lines = LogCapture::Get().Take();
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0].rfind("ERROR: InitPhysics() made no body - its ", 0), 0u) << lines[0];
        EXPECT_EQ(actor.GetBody(), nullptr);
    }

    // With a body: the refused value changes nothing, and the simulation stays finite.
    PhysicsActor* small = Make("Small", Vector2(1.0f, 2.0f), 1.0f, Vector2(0.01f, 0.01f));
    const std::pair<const char*, std::function<void()>> pushes[] = {
        {"SetPosition", [&] { small->SetPosition(Vector2(nan, 0.0f)); }},
        {"SetPosition", [&] { small->SetPosition(0.0f, -3e30f); }},
        {"ApplyImpulse", [&] { small->ApplyImpulse(Vector2(3e38f, 0.0f), Vector2()); }},
        {"ApplyImpulse", [&] { small->ApplyImpulse(Vector2(0.0f, nan), Vector2()); }},
        {"ApplyForce", [&] { small->ApplyForce(Vector2(1.0f, 0.0f), Vector2(0.0f, inf)); }},
        {"ApplyLocalForce", [&] { small->ApplyLocalForce(Vector2(inf, 0.0f), Vector2()); }},
        {"ApplyTorque", [&] { small->ApplyTorque(3e38f); }},
    };
    for (const auto& [name, push] : pushes)
    {
        push();
        const StringList lines = LogCapture::Get().Take();
        ASSERT_EQ(lines.size(), 1u) << name;
        EXPECT_EQ(lines[0].rfind("WARNING: " + String(name) + "() had no effect - ", 0), 0u);
    }
    EXPECT_EQ(small->GetPosition(), Vector2(1.0f, 2.0f));
    EXPECT_EQ(small->GetBody()->GetLinearVelocity(), b2Vec2(0.0f, 0.0f));
    EXPECT_EQ(small->GetBody()->GetAngularVelocity(), 0.0f);
    small->ApplyImpulse(Vector2(0.001f, 0.0f), Vector2(0.0f, 0.001f)); // a push it can take
    Frame();
    EXPECT_GT(small->GetPosition().X, 1.0f);
    EXPECT_TRUE(std::isfinite(small->GetRotation()) && LogCapture::Get().Lines().empty());
}
