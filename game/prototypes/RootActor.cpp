#include "game/prototypes/RootActor.h"

RootActor::RootActor(PhysicsActor* first, PhysicsActor* second)
    : RootActorBase(first, second, 1.5f, Color(0.0f, 0.0f, 0.0f, 1.0f),
                    "Resources/Images/verbindung_weich.png")
{
}
