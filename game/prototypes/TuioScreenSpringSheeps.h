#pragma once

#include "game/prototypes/GrabSheepsScreen.h"

/// Two players grab sheep, which trail the finger on a spring; lifting the finger lets the
/// sheep go with the speed it has.
class TuioScreenSpringSheeps : public GrabSheepsScreen
{
public:
    static constexpr float kSpringHz = 1.5f;
    static constexpr float kSpringDamping = 0.5f;

protected:
    /// Ties the sheep to the touch's actor; the spring goes when that actor is deleted at the
    /// lift.
    void Grab(TuioCursorPhysicsActor* cursorActor, PhysicsActor* sheep) override;
};
