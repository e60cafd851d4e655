#include "game/prototypes/TuioScreenSticks.h"

#include "engine/util/opengl/GL.h"
#include "engine/world/World.h"
#include "engine/world/box2d/Box2D20.h"
#include "game/prototypes/DragableActor.h"

namespace
{
const b2Vec2 kGravity(0.0f, -10.0f);
// The gravity the program sets up its physics with.
const b2Vec2 kNoGravity(0.0f, 0.0f);
} // namespace

TuioScreenSticks::TuioScreenSticks() : DragScreen("", "This is Quibb", false) {}

void TuioScreenSticks::Start()
{
    BeginStart();

    auto* stick = new DragableActor();
    const Vector2 size(1.0f, 8.0f);
    stick->SetSize(size);
    // The texture repeats along the stick instead of stretching: once per unit of length.
    stick->SetSprite("Resources/Images/dornen.png", 0, GL_REPEAT, GL_LINEAR, false);
    stick->SetUVs(Vector2(0.0f, 0.0f), size);
    stick->Tag("dragable");
    stick->InitPhysics();
    AddObject(stick, 0);

    if (b2World* physics = World::GetInstance()->GetPhysicsWorld())
        physics->SetGravity(kGravity);

    AddTitle();
    AddCentredText("first finger creates stick.", Vector2(0.0f, 2.5f));
    AddClassLabel("TuioScreenSticks");
}

void TuioScreenSticks::Stop()
{
    DragScreen::Stop();
    if (b2World* physics = World::GetInstance()->GetPhysicsWorld())
        physics->SetGravity(kNoGravity);
}
