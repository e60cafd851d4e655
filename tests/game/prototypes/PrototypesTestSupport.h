#pragma once

// The further screens and their actors in the engine's real window (run under Xvfb): physics
// without gravity as the program sets it up, the process-wide random source seeded, and touches
// and collisions sent as the manager and the World would send them.

#include "engine/actors/PhysicsActor.h"
#include "engine/messaging/Switchboard.h"
#include "engine/messaging/TagCollection.h"
#include "engine/util/MathUtil.h"
#include "game/TuioCursorMessage.h"
#include "game/TuioScreen.h"
#include "tests/actors/PictureSupport.h"

#include <cstdlib>

class PrototypeTest : public PictureTest
{
protected:
    static void SetUpTestSuite()
    {
        PictureTest::SetUpTestSuite();
        World::GetInstance()->SetupPhysics(Vector2(0.0f, 0.0f), Vector2(100.0f, 100.0f),
                                           Vector2(-100.0f, -100.0f));
    }

    void SetUp() override
    {
        PictureTest::SetUp();
        MathUtil::RandomInt(1); // the engine's one seeding by the clock happens first
        std::srand(7);
        Switchboard::GetInstance()->SendAllMessages();
    }

    /// Stops and deletes the screen under test, then empties the World.
    void TearDown() override
    {
        if (screen != nullptr)
        {
            screen->Stop();
            world->Remove(screen);
            delete screen;
        }
        world->SetBlockers(false, 0.0f);
        PictureTest::TearDown();
    }

    /// Adds the screen to the World and starts it, as the manager does.
    template <typename Screen> Screen* Run(Screen* started)
    {
        screen = started;
        world->Add(started, 0);
        started->Start();
        return started;
    }

    /// Queues a touch message for the cursor with id at normalised (x, y) moving at (xs, ys).
    static void Touch(const char* name, int id, float x, float y, float xs = 0.0f, float ys = 0.0f)
    {
        auto* cursor = new TUIO::TuioCursor(TUIO::TuioTime(), 100 + id, id, x, y);
        cursor->update(x, y, xs, ys, 0.0f);
        Switchboard::GetInstance()->Broadcast(new TuioCursorMessage(name, cursor));
    }

    /// Queues the collision message the World sends to subject's subscribers on a contact.
    static void Collide(const Actor* subject, Actor* other)
    {
        Switchboard::GetInstance()->Broadcast(
            new Message("CollisionWith" + subject->GetName(), other));
    }

    static void Deliver() { Switchboard::GetInstance()->SendAllMessages(); }

    /// A static level piece with a body, in the World.
    PhysicsActor* Piece(const char* name, const char* tags, Vector2 position, float size = 1.0f)
    {
        auto* piece = new PhysicsActor();
        piece->SetName(name);
        piece->Tag(tags);
        piece->SetPosition(position);
        piece->SetSize(size);
        piece->SetDensity(0.0f);
        piece->InitPhysics();
        world->Add(piece, 0);
        return piece;
    }

    static size_t Tagged(const char* tags)
    {
        return TagCollection::GetInstance()->GetObjectsTagged(tags).size();
    }

    /// Every renderable in the World but the screen under test.
    std::vector<Renderable*> InWorld()
    {
        std::vector<Renderable*> all;
        for (auto it = world->GetRenderablesBegin(); it != world->GetRenderablesEnd(); ++it)
            if (*it != screen)
                all.push_back(*it);
        return all;
    }

    TuioScreen* screen = nullptr;
};
