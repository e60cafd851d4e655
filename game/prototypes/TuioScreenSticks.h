#pragma once

#include "game/prototypes/DragScreen.h"

/// A physics toy: one long thorny stick falls under gravity inside the edge blockers, and
/// fingers grab it wherever they touch it and swing or carry it. Gravity is on only while the
/// screen runs.
class TuioScreenSticks : public DragScreen
{
public:
    TuioScreenSticks();

    void Start() override;
    /// Also turns gravity off again.
    void Stop() override;
};
