#pragma once

#include "game/prototypes/RootActorBase.h"

/// The fungus screen's root: a soft black strand, 1.5 / length thick.
class RootActor : public RootActorBase
{
public:
    /// Both ends must already have their physics bodies.
    RootActor(PhysicsActor* first, PhysicsActor* second);
};
