#pragma once

#include "engine/actors/PhysicsActor.h"

#include <cstdint>

/// A physics actor made to be carried by fingers: the sticks screen's stick. It behaves as a
/// plain PhysicsActor (and names itself like one).
class DragableActor : public PhysicsActor
{
public:
    DragableActor();

private:
    /// Room for whatever a screen wants to hang on the actor; nothing uses it yet.
    [[maybe_unused]] std::uintptr_t m_dragData = 0;
};
