#pragma once

#include "game/prototypes/GrabSheepsScreen.h"

/// Two players grab sheep and carry them under the finger; lifting the finger flings the sheep
/// with the finger's velocity.
class TuioScreenCarrySheeps : public GrabSheepsScreen
{
protected:
    /// Tags the sheep as carried by the touch: moves and the lift find it by that tag.
    void Grab(TuioCursorPhysicsActor* cursorActor, PhysicsActor* sheep) override;
};
