#pragma once

#include "engine/actors/Actor.h"

/// A one-off animation that removes itself: when its one-shot sprite animation ends, it
/// destroys itself and the World deletes it at the tick's clean-up. The burning sheep.
class EffectActor : public Actor
{
public:
    EffectActor() = default;

    /// Destroys the effect, whatever animation ended.
    void AnimCallback(const String& animName) override;
};
