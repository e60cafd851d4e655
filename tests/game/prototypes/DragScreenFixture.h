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
        world->ResetPhysicsTimeCarried();
    }
    void TearDown() override
    {
        EndScreen();
        world->SetBlockers(false, 0.0f);
        WorldWindowTest::TearDown();
    }

    template <typename Screen, typename... Args> Screen* StartScreen(Args&&... args)
    {
        EndScreen();
        Frame(0.0); // the World's time is the clock's
        auto* made = new Screen(std::forward<Args>(args)...);
        screen.reset(made);
        // As the screen manager does: started, then added, so that the World updates it.
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

    /// A touch message for the finger with this ID at a world position.
    void Touch(const char* what, int id, Vector2 at)
    {
        const Vector2 pixel = MathUtil::WorldToScreen(at);
        Switchboard::GetInstance()->Broadcast(
            new TuioCursorMessage(what, new TUIO::TuioCursor(TUIO::TuioTime(), id, id,
                                                             pixel.X / kWidth, pixel.Y / kHeight)));
    }
    void Down(int id, Vector2 at) { Touch("TuioCursorAdded", id, at); }
    void Move(int id, Vector2 at) { Touch("TuioCursorUpdated", id, at); }
    void Up(int id, Vector2 at = Vector2()) { Touch("TuioCursorRemoved", id, at); }

    void Frames(int count)
    {
        for (int i = 0; i < count; ++i)
            Frame();
    }

    /// A dynamic box of side 1 with a body, in the World.
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

    int CountRenderables() const
    {
        int count = 0;
        for (RenderableIterator it = world->GetRenderablesBegin(); it != world->GetRenderablesEnd();
             ++it)
            ++count;
        return count;
    }
    static size_t Tagged(const char* tag)
    {
        return TagCollection::GetInstance()->GetObjectsTagged(tag).size();
    }
    static int Joints(const PhysicsActor* actor)
    {
        int count = 0;
        for (b2JointEdge* edge = actor->GetBody()->GetJointList(); edge; edge = edge->next)
            ++count;
        return count;
    }

    std::unique_ptr<DragScreen> screen;
};
