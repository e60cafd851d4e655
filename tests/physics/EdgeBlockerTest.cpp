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
        // What World::Initialize does with a window: the camera sized to it, and the World
        // listening for its changes.
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

    static PhysicsActor* Blocker(const char* name)
    {
        return static_cast<PhysicsActor*>(Actor::GetNamed(name));
    }

    /// Position and size of the named blocker, checked against the actor's body.
    static void ExpectBlocker(const char* name, Vector2 position, Vector2 size)
    {
        SCOPED_TRACE(name);
        PhysicsActor* blocker = Blocker(name);
        ASSERT_NE(blocker, nullptr);
        EXPECT_NEAR(blocker->GetPosition().X, position.X, 0.01f);
        EXPECT_NEAR(blocker->GetPosition().Y, position.Y, 0.01f);
        EXPECT_NEAR(blocker->GetSize().X, size.X, 0.01f);
        EXPECT_NEAR(blocker->GetSize().Y, size.Y, 0.01f);
        ASSERT_NE(blocker->GetBody(), nullptr);
        EXPECT_EQ(blocker->GetBody()->GetType(), b2_staticBody);
        EXPECT_NEAR(blocker->GetBody()->GetPosition().x, position.X, 0.01f);
        EXPECT_NEAR(blocker->GetBody()->GetPosition().y, position.Y, 0.01f);
        EXPECT_TRUE(blocker->IsTagged("nodelete"));
        EXPECT_EQ(blocker->GetColor(), Color(1.0f, 0.5f, 0.5f, 1.0f));
    }

    int ActorsInWorld()
    {
        int count = 0;
        for (RenderableIterator it = world->GetRenderablesBegin(); it != world->GetRenderablesEnd();
             ++it)
            ++count;
        return count;
    }
};

} // namespace

TEST_F(EdgeBlockerTest, BlockersLieJustOutsideTheView)
{
    world->SetBlockers(true, 0.5f);
    ExpectBlocker("BlockerRight", Vector2(15.83f, 0.0f), Vector2(5.0f, 21.0f));
    ExpectBlocker("BlockerLeft", Vector2(-15.83f, 0.0f), Vector2(5.0f, 21.0f));
    ExpectBlocker("BlockerTop", Vector2(0.0f, 12.5f), Vector2(27.67f, 5.0f));
    ExpectBlocker("BlockerBottom", Vector2(0.0f, -12.5f), Vector2(27.67f, 5.0f));
    EXPECT_EQ(ActorsInWorld(), 4);
    EXPECT_FLOAT_EQ(Blocker("BlockerTop")->GetBody()->GetFixtureList()->GetRestitution(), 0.5f);
    EXPECT_FLOAT_EQ(Blocker("BlockerTop")->GetBody()->GetFixtureList()->GetFriction(), 0.1f);

    // Switching them on again replaces them instead of adding four more.
    world->SetBlockers(true, -1.0f);
    EXPECT_EQ(ActorsInWorld(), 4);
    EXPECT_NE(Actor::GetNamed("BlockerRight"), nullptr);
    EXPECT_EQ(Actor::GetNamed("BlockerRight1"), nullptr);

    world->SetBlockers(false, -1.0f);
    EXPECT_EQ(ActorsInWorld(), 0);
    EXPECT_EQ(Actor::GetNamed("BlockerRight"), nullptr);
    EXPECT_EQ(world->GetPhysicsWorld()->GetBodyCount(), 0);
}

TEST_F(EdgeBlockerTest, ACameraChangeRebuildsThemAroundTheNewView)
{
    world->SetBlockers(true, 0.75f);

    Camera::GetInstance()->SetPosition(10.0f, 4.0f); // queues "CameraChange"
    Frame();
    ExpectBlocker("BlockerRight", Vector2(25.83f, 4.0f), Vector2(5.0f, 21.0f));
    ExpectBlocker("BlockerBottom", Vector2(10.0f, -8.5f), Vector2(27.67f, 5.0f));
    EXPECT_EQ(ActorsInWorld(), 4);
    EXPECT_EQ(world->GetPhysicsWorld()->GetBodyCount(), 4);
    for (const char* name : {"BlockerRight", "BlockerLeft", "BlockerTop", "BlockerBottom"})
        EXPECT_FLOAT_EQ(Blocker(name)->GetBody()->GetFixtureList()->GetRestitution(), 0.75f)
            << name << " keeps the remembered restitution";

    // Switched off, a camera change brings nothing back.
    world->SetBlockers(false, -1.0f);
    Camera::GetInstance()->SetPosition(0.0f, 0.0f);
    Frame();
    EXPECT_EQ(ActorsInWorld(), 0);
}

TEST_F(EdgeBlockerTest, UnloadedBlockersAreForgottenNotDeletedTwice)
{
    world->SetBlockers(true, 1.0f);
    world->UnloadAll(); // nobody protects them: the blockers are deleted with everything else
    EXPECT_EQ(ActorsInWorld(), 0);

    // Neither turning them off nor a rebuild touches the deleted ones (run under ASan).
    Camera::GetInstance()->SetPosition(1.0f, 0.0f);
    Frame();
    EXPECT_EQ(ActorsInWorld(), 4) << "they are still on, so the camera change rebuilds them";
    world->UnloadAll();
    world->SetBlockers(false, -1.0f);
    EXPECT_EQ(ActorsInWorld(), 0);
    EXPECT_EQ(world->GetPhysicsWorld()->GetBodyCount(), 0);
}

TEST_F(EdgeBlockerTest, AFastBallStaysInView)
{
    world->SetBlockers(true, 1.0f);
    PhysicsActor* ball = Make("Ball", Vector2(0.0f, 0.0f), Vector2(0.5f, 0.5f), 1.0f,
                              PhysicsActor::SHAPETYPE_CIRCLE);
    // Close to the most Box2D moves a body in one step (2 units).
    ball->GetBody()->SetLinearVelocity(b2Vec2(95.0f, 63.0f));

    const Vector2 min = Camera::GetInstance()->GetWorldMinVertex();
    const Vector2 max = Camera::GetInstance()->GetWorldMaxVertex();
    float reachedX = 0.0f;
    for (int i = 0; i < 600; ++i)
    {
        Frame();
        const Vector2 p = ball->GetPosition();
        ASSERT_GE(p.X, min.X) << "frame " << i;
        ASSERT_LE(p.X, max.X) << "frame " << i;
        ASSERT_GE(p.Y, min.Y) << "frame " << i;
        ASSERT_LE(p.Y, max.Y) << "frame " << i;
        reachedX = std::max(reachedX, p.X);
    }
    EXPECT_GT(reachedX, max.X - 1.0f) << "the ball did reach the right edge";
    EXPECT_GT(ball->GetBody()->GetLinearVelocity().Length(), 50.0f) << "bounces keep its speed";
}
