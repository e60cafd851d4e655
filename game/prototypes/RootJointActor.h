#pragma once

#include "game/prototypes/RootActorBase.h"

/// The level-based fungus screen's root: a dark green thorny bow, 1.0 / length thick.
class RootJointActor : public RootActorBase
{
public:
    /// Both ends must already have their physics bodies.
    RootJointActor(PhysicsActor* first, PhysicsActor* second);
};
