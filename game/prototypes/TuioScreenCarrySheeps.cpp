#include "game/prototypes/TuioScreenCarrySheeps.h"

#include "engine/actors/PhysicsActor.h"
#include "game/prototypes/TuioCursorPhysicsActor.h"

void TuioScreenCarrySheeps::Grab(TuioCursorPhysicsActor* cursorActor, PhysicsActor* sheep)
{
    sheep->Tag(CarryTag(cursorActor->GetCursorId()));
}
