#pragma once

#include "engine/actors/PhysicsActor.h"
#include "engine/messaging/Switchboard.h"
#include "engine/messaging/TypedMessage.h"
#include "engine/world/World.h"
#include "engine/world/box2d/Box2D20.h"
#include "tests/support/ManualClock.h"

#include <gtest/gtest.h>

#include <vector>

/// The one World with physics set up, no gravity and a manual clock. Records the collision
/// messages of the actors it listens to with the frame they came in (the point copied during
/// delivery).
class PhysicsFixture : public ::testing::Test, public MessageListener
{
protected:
    struct Received
    {
        String name;
        MessageListener* sender;
        b2ContactPoint point;
        int tick;
    };

    void SetUp() override
    {
        ASSERT_TRUE(world->IsPhysicsSetUp() || world->SetupPhysics(Vector2(0.0f, 0.0f)));
        world->GetPhysicsWorld()->SetGravity(b2Vec2(0.0f, 0.0f));
        world->ResetPhysicsTimeCarried();
        clock.Set(100.0);
        world->SetClock(&clock);
        Switchboard::GetInstance()->SendAllMessages();
    }
    void TearDown() override
    {
        Switchboard::GetInstance()->UnsubscribeFromAll(this);
        world->SetBlockers(false, 0.0f);
        world->UnloadAll();
        Switchboard::GetInstance()->SendAllMessages();
        world->SetClock(nullptr);
    }

    void Listen(const Actor* actor)
    {
        Switchboard::GetInstance()->SubscribeTo(this, "CollisionWith" + actor->GetName());
    }
    void ReceiveMessage(Message* message) override
    {
        auto* typed = static_cast<TypedMessage<b2ContactPoint*>*>(message);
        received.push_back(
            {message->GetMessageName(), message->GetSender(), *typed->GetValue(), tick});
    }
    /// Messages "CollisionWith" + named's name sent by sender in frame inTick.
    int Count(const Actor* named, const Actor* sender, int inTick) const
    {
        int count = 0;
        for (const Received& r : received)
            count += r.name == "CollisionWith" + named->GetName() && r.tick == inTick &&
                     r.sender == static_cast<const MessageListener*>(sender);
        return count;
    }

    PhysicsActor* Make(const char* name, Vector2 position, float density,
                       Vector2 size = Vector2(1.0f, 1.0f),
                       PhysicsActor::eShapeType shape = PhysicsActor::SHAPETYPE_BOX,
                       bool sensor = false)
    {
        auto* actor = new PhysicsActor();
        actor->SetName(name);
        actor->SetPosition(position);
        actor->SetSize(size);
        actor->SetDensity(density);
        actor->SetShapeType(shape);
        actor->SetIsSensor(sensor);
        actor->InitPhysics();
        world->Add(actor);
        return actor;
    }
    void Frame(double seconds = 1.0 / 60.0)
    {
        ++tick;
        clock.Advance(seconds);
        world->Tick(true);
    }

    World* world = World::GetInstance();
    ManualClock clock;
    std::vector<Received> received;
    int tick = 0;
};
