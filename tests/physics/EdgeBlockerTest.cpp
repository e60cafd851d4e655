#include "engine/world/Camera.h"
#include "tests/physics/PhysicsTestSupport.h"

#include <algorithm>

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

    /// The named blocker's actor and body at centre x, y with the given size and restitution.
    static void ExpectBlocker(const char* name, float x, float y, float w, float h, float bounce)
    {
        SCOPED_TRACE(name);
        auto* blocker = static_cast<PhysicsActor*>(Actor::GetNamed(name));
        ASSERT_TRUE(blocker != nullptr && blocker->GetBody() != nullptr);
        const b2Body* body = blocker->GetBody();
        EXPECT_NEAR(body->GetPosition().x, x, 0.01f);
        EXPECT_NEAR(body->GetPosition().y, y, 0.01f);
        EXPECT_NEAR(blocker->GetSize().X, w, 0.01f);
        EXPECT_NEAR(blocker->GetSize().Y, h, 0.01f);
        EXPECT_EQ(body->GetType(), b2_staticBody);
        EXPECT_FLOAT_EQ(body->GetFixtureList()->GetRestitution(), bounce);
        EXPECT_FLOAT_EQ(body->GetFixtureList()->GetFriction(), 0.1f);
        EXPECT_TRUE(blocker->IsTagged("nodelete"));
        EXPECT_EQ(blocker->GetColor(), Color(1.0f, 0.5f, 0.5f, 1.0f));
    }

    int ActorsInWorld() const
    {
        int count = 0;
        for (auto it = world->GetRenderablesBegin(); it != world->GetRenderablesEnd(); ++it)
            ++count;
        return count;
    }
};

} // namespace

TEST_F(EdgeBlockerTest, BlockersLieJustOutsideTheViewAndFollowTheCamera)
{
    world->SetBlockers(true, 0.5f);
    ExpectBlocker("BlockerRight", 15.83f, 0.0f, 5.0f, 21.0f, 0.5f);
    ExpectBlocker("BlockerLeft", -15.83f, 0.0f, 5.0f, 21.0f, 0.5f);
    ExpectBlocker("BlockerTop", 0.0f, 12.5f, 27.67f, 5.0f, 0.5f);
    ExpectBlocker("BlockerBottom", 0.0f, -12.5f, 27.67f, 5.0f, 0.5f);
    EXPECT_EQ(ActorsInWorld(), 4);

    // A camera change rebuilds them (replaced, not added) with the remembered restitution.
    Camera::GetInstance()->SetPosition(10.0f, 4.0f);
    Frame();
    ExpectBlocker("BlockerRight", 25.83f, 4.0f, 5.0f, 21.0f, 0.5f);
    ExpectBlocker("BlockerBottom", 10.0f, -8.5f, 27.67f, 5.0f, 0.5f);
    EXPECT_EQ(ActorsInWorld(), 4);
    EXPECT_EQ(world->GetPhysicsWorld()->GetBodyCount(), 4);
    EXPECT_EQ(Actor::GetNamed("BlockerRight1"), nullptr);

    // Switched off, they are gone, and a camera change brings nothing back.
    world->SetBlockers(false, -1.0f);
    Camera::GetInstance()->SetPosition(0.0f, 0.0f);
    Frame();
    EXPECT_EQ(ActorsInWorld(), 0);
    EXPECT_EQ(world->GetPhysicsWorld()->GetBodyCount(), 0);

    // Unloaded (nobody protects them), they are forgotten, not deleted again (ASan): still on,
    // a camera change rebuilds them.
    world->SetBlockers(true, 1.0f);
    world->UnloadAll();
    Camera::GetInstance()->SetPosition(1.0f, 0.0f);
    Frame();
    EXPECT_EQ(ActorsInWorld(), 4);
    world->UnloadAll();
    world->SetBlockers(false, -1.0f);
    EXPECT_EQ(world->GetPhysicsWorld()->GetBodyCount(), 0);
}

TEST_F(EdgeBlockerTest, AFastBallStaysInView)
{
    world->SetBlockers(true, 1.0f);
    PhysicsActor* ball = Make("Ball", Vector2(0.0f, 0.0f), Vector2(0.5f, 0.5f), 1.0f,
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
