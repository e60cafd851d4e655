#include "game/prototypes/TuioScreenSpringSheeps.h"

#include "engine/world/World.h"
#include "engine/world/box2d/Box2D20.h"
#include "game/prototypes/TuioCursorPhysicsActor.h"

void TuioScreenSpringSheeps::Grab(TuioCursorPhysicsActor* cursorActor, PhysicsActor* sheep)
{
    box2d20::DistanceJointDef spring;
    spring.body1 = cursorActor->GetBody();
    spring.body2 = sheep->GetBody();
    spring.length = 0.0f;
    spring.frequencyHz = kSpringHz;
    spring.dampingRatio = kSpringDamping;
    spring.collideConnected = false;
    // Owned by the physics world; it goes with either body.
    box2d20::CreateDistanceJoint(World::GetInstance()->GetPhysicsWorld(), spring);
}
