#pragma once

// Needs an X display. Drives a drag screen through real touch messages and physics contacts,
// one frame of the main loop at a time.

#include "engine/actors/PhysicsActor.h"
#include "engine/messaging/TagCollection.h"
#include "engine/util/MathUtil.h"
#include "engine/world/box2d/Box2D20.h"
#include "game/TuioCursorMessage.h"
#include "game/prototypes/DragScreen.h"
#include "tests/support/WorldWindow.h"

#include <memory>

class DragScreenFixture : public WorldWindowTest
{
protected:
    void SetUp() override
    {
        WorldWindowTest::SetUp();
        ASSERT_TRUE(world->IsPhysicsSetUp() || world->SetupPhysics(Vector2(0.0f, 0.0f)));
    }
    void TearDown() override
    {
        EndScreen();
        world->SetBlockers(false, 0.0f);
        WorldWindowTest::TearDown();
    }

    /// Started, then added to the World, as the screen manager does.
    template <typename Screen, typename... Args> Screen* StartScreen(Args&&... args)
    {
        EndScreen();
        Frame(0.0); // the World's time is the clock's
        auto* made = new Screen(std::forward<Args>(args)...);
        screen.reset(made);
        made->Start();
        world->Add(made, 0);
        return made;
    }
    void EndScreen()
    {
        if (screen && screen->IsActive())
            screen->Stop();
        world->Remove(screen.get());
        screen.reset();
    }

    /// A touch of the finger with this ID at a world position, then frames of the main loop
    /// (by default those a new finger needs to make its cursor actor and touch something).
    void Touch(const char* what, int id, Vector2 at, int frames)
    {
        const Vector2 pixel = MathUtil::WorldToScreen(at);
        Switchboard::GetInstance()->Broadcast(new TuioCursorMessage(
            what, new TUIO::TuioCursor(TUIO::TuioTime(), id, id, pixel.X / Picture::kWidth,
                                       pixel.Y / Picture::kHeight)));
        for (int i = 0; i < frames; ++i)
            Frame();
    }
    void Down(int id, Vector2 at, int frames = 2) { Touch("TuioCursorAdded", id, at, frames); }
    void Move(int id, Vector2 at, int frames = 1) { Touch("TuioCursorUpdated", id, at, frames); }
    void Up(int id, int frames = 1) { Touch("TuioCursorRemoved", id, Vector2(), frames); }

    /// A dynamic box of side 1 in the World.
    PhysicsActor* Box(const char* name, Vector2 at, bool sensor = false)
    {
        auto* box = new PhysicsActor();
        box->SetName(name);
        box->SetPosition(at);
        box->SetIsSensor(sensor);
        box->InitPhysics();
        world->Add(box, 0);
        return box;
    }
    static size_t Tagged(const char* tag)
    {
        return TagCollection::GetInstance()->GetObjectsTagged(tag).size();
    }

    std::unique_ptr<DragScreen> screen;
};
