#pragma once

#include "engine/util/StringTypes.h"

/// One ability of a punk. The screen only carries these values; nothing reads them yet.
struct PunkAbility
{
    String name;
    float cooldown = 0.0f;
    float range = 0.0f;
    float cooldownLeft = 0.0f;
    float castTime = 0.0f;
    bool enabled = false;
    bool damages = false;
    float damage = 0.0f;
    bool heals = false;
    float healing = 0.0f;
    float strength = 0.0f;
    /// Image file of the ability's icon.
    String icon;
};
