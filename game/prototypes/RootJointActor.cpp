#include "game/prototypes/RootJointActor.h"

RootJointActor::RootJointActor(PhysicsActor* first, PhysicsActor* second)
    : RootActorBase(first, second, 1.0f, Color(0.0f, 0.3f, 0.0f, 1.0f),
                    "Resources/Images/dornen_bogen.png")
{
}
