#include "engine/world/Camera.h"
#include "tests/physics/PhysicsTestSupport.h"

#include <algorithm>
#include <tuple>

namespace
{

class EdgeBlockerTest : public PhysicsFixture
{
protected:
    void SetUp() override
    {
        PhysicsFixture::SetUp();
        // As World::Initialize leaves it with a 1024 x 768 window.
        Camera::GetInstance()->Reset();
        Camera::ResizeCallback(1024, 768);
        Switchboard::GetInstance()->SubscribeTo(world, "CameraChange");
        Switchboard::GetInstance()->SendAllMessages();
    }
    void TearDown() override
    {
        PhysicsFixture::TearDown();
        Camera::GetInstance()->Reset();
        Switchboard::GetInstance()->SendAllMessages();
        Switchboard::GetInstance()->UnsubscribeFrom(world, "CameraChange");
    }
};

// Static, light red blockers kept on level unloads, their centres and sizes around a camera at
// (cx, cy).
void ExpectBlockersAround(float cx, float cy)
{
    const std::tuple<const char*, float, float, float, float> blockers[] = {
        {"BlockerRight", 15.83f, 0.0f, 5.0f, 21.0f},
        {"BlockerLeft", -15.83f, 0.0f, 5.0f, 21.0f},
        {"BlockerTop", 0.0f, 12.5f, 27.67f, 5.0f},
        {"BlockerBottom", 0.0f, -12.5f, 27.67f, 5.0f}};
    for (const auto& [name, x, y, w, h] : blockers)
    {
        SCOPED_TRACE(name);
        auto* blocker = static_cast<PhysicsActor*>(Actor::GetNamed(name));
        ASSERT_TRUE(blocker != nullptr && blocker->GetBody() != nullptr);
        EXPECT_NEAR(blocker->GetBody()->GetPosition().x, cx + x, 0.01f);
        EXPECT_NEAR(blocker->GetBody()->GetPosition().y, cy + y, 0.01f);
        EXPECT_NEAR(blocker->GetSize().X, w, 0.01f);
        EXPECT_NEAR(blocker->GetSize().Y, h, 0.01f);
        EXPECT_EQ(blocker->GetBody()->GetType(), b2_staticBody);
        EXPECT_FLOAT_EQ(blocker->GetBody()->GetFixtureList()->GetRestitution(), 0.5f);
        EXPECT_FLOAT_EQ(blocker->GetBody()->GetFixtureList()->GetFriction(), 0.1f);
        EXPECT_TRUE(blocker->IsTagged("nodelete"));
        EXPECT_EQ(blocker->GetColor(), Color(1.0f, 0.5f, 0.5f, 1.0f));
    }
}

} // namespace

TEST_F(EdgeBlockerTest, BlockersLieJustOutsideTheViewAndFollowTheCamera)
{
    b2World* physics = world->GetPhysicsWorld();
    world->SetBlockers(true, 0.5f);
    ExpectBlockersAround(0.0f, 0.0f);

    // A camera change replaces them, with the remembered restitution.
    Camera::GetInstance()->SetPosition(10.0f, 4.0f);
    Frame();
    ExpectBlockersAround(10.0f, 4.0f);
    EXPECT_EQ(physics->GetBodyCount(), 4);

    // Switched off, they are gone, and a camera change brings nothing back.
    world->SetBlockers(false, -1.0f);
    Camera::GetInstance()->SetPosition(0.0f, 0.0f);
    Frame();
    EXPECT_EQ(physics->GetBodyCount(), 0);
    EXPECT_TRUE(world->GetRenderablesBegin() == world->GetRenderablesEnd());

    // Unloaded, they are forgotten, not deleted again (ASan); still on, a camera change
    // rebuilds them.
    world->SetBlockers(true, 1.0f);
    world->UnloadAll();
    Camera::GetInstance()->SetPosition(1.0f, 0.0f);
    Frame();
    EXPECT_EQ(physics->GetBodyCount(), 4);
    world->UnloadAll();
    world->SetBlockers(false, -1.0f);
    EXPECT_EQ(physics->GetBodyCount(), 0);
}

TEST_F(EdgeBlockerTest, AFastBallStaysInView)
{
    world->SetBlockers(true, 1.0f);
    PhysicsActor* ball = Make("Ball", Vector2(0.0f, 0.0f), 1.0f, Vector2(0.5f, 0.5f),
                              PhysicsActor::SHAPETYPE_CIRCLE);
    ball->GetBody()->SetLinearVelocity(b2Vec2(95.0f, 63.0f)); // near Box2D's 2 units per step
    const Vector2 min = Camera::GetInstance()->GetWorldMinVertex();
    const Vector2 max = Camera::GetInstance()->GetWorldMaxVertex();
    float reachedX = 0.0f;
    for (int i = 0; i < 600; ++i)
    {
        Frame();
        const Vector2 p = ball->GetPosition();
        ASSERT_TRUE(p.X >= min.X && p.X <= max.X && p.Y >= min.Y && p.Y <= max.Y) << "frame " << i;
        reachedX = std::max(reachedX, p.X);
    }
    EXPECT_GT(reachedX, max.X - 1.0f) << "the ball did reach the right edge";
    EXPECT_GT(ball->GetBody()->GetLinearVelocity().Length(), 50.0f) << "bounces keep its speed";
}
