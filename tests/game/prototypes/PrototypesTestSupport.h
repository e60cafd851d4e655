#pragma once

// The further screens in the real window (run under Xvfb): physics without gravity as the
// program sets it up, the random source seeded, touches and collisions sent as in the program.

#include "engine/actors/ParticleActor.h"
#include "engine/actors/PhysicsActor.h"
#include "engine/messaging/Switchboard.h"
#include "engine/messaging/TagCollection.h"
#include "engine/util/StringUtil.h"
#include "game/TuioCursorMessage.h"
#include "game/TuioScreen.h"
#include "tests/support/WorldWindow.h"

#include <cstdlib>

class PrototypeTest : public WorldWindowTest
{
protected:
    static void SetUpTestSuite()
    {
        WorldWindowTest::SetUpTestSuite();
        World::GetInstance()->SetupPhysics(Vector2(0.0f, 0.0f));
    }
    void SetUp() override
    {
        WorldWindowTest::SetUp();
        MathUtil::RandomInt(1); // the engine's one seeding by the clock happens first
        std::srand(7);
        Switchboard::GetInstance()->SendAllMessages();
    }
    void TearDown() override
    {
        if (screen != nullptr)
            screen->Stop(), world->Remove(screen), delete screen;
        WorldWindowTest::TearDown();
    }

    /// As the manager does.
    template <typename Screen> Screen* Run(Screen* started)
    {
        world->Add(screen = started, 0);
        started->Start();
        return started;
    }

    /// A cursor with id at normalised (x, y) moving at (xs, ys).
    static void Touch(const char* name, int id, float x, float y, float xs = 0, float ys = 0)
    {
        auto* cursor = new TUIO::TuioCursor(TUIO::TuioTime(), 100 + id, id, x, y);
        cursor->update(x, y, xs, ys, 0.0f);
        Switchboard::GetInstance()->Broadcast(new TuioCursorMessage(name, cursor));
    }
    static void Collide(const Actor* subject, Actor* other)
    {
        Switchboard::GetInstance()->Broadcast(
            new Message("CollisionWith" + subject->GetName(), other));
    }
    static void Deliver() { Switchboard::GetInstance()->SendAllMessages(); }

    /// A static level piece.
    PhysicsActor* Piece(const char* name, const String& tags, Vector2 position, float size = 1)
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

    static ActorList Live(const String& tags)
    {
        ActorList live;
        for (Actor* actor : TagCollection::GetInstance()->GetObjectsTagged(tags))
            if (!actor->IsDestroyed())
                live.push_back(actor);
        return live;
    }
    static size_t Tagged(const String& tags)
    {
        return TagCollection::GetInstance()->GetObjectsTagged(tags).size();
    }
    /// The roots at a, or between a and b.
    static size_t Roots(const Actor* a, const Actor* b = nullptr)
    {
        return Tagged("root, " + ToLower(a->GetName()) + (b ? ", " + ToLower(b->GetName()) : ""));
    }

    /// Every renderable in the World but the screen, after the puffs have ended.
    size_t LeftInWorld()
    {
        Frame(0.5);
        size_t left = 0;
        for (auto it = world->GetRenderablesBegin(); it != world->GetRenderablesEnd(); ++it)
            left += *it != screen;
        return left;
    }
    int Puffs(const Color& colour)
    {
        int puffs = 0;
        for (auto it = world->GetRenderablesBegin(); it != world->GetRenderablesEnd(); ++it)
            if (auto* puff = dynamic_cast<ParticleActor*>(*it))
                puffs += puff->GetColor() == colour;
        return puffs;
    }

    TuioScreen* screen = nullptr;
};
