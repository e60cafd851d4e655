#include "game/EffectActor.h"

void EffectActor::AnimCallback(const String&)
{
    Destroy();
}
