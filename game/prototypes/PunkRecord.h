#pragma once

#include "engine/util/StringTypes.h"
#include "engine/world/RenderableRef.h"
#include "game/prototypes/PunkAbility.h"

#include <map>
#include <memory>

class PhysicsActor;

/// What a punk is doing from moment to moment; nothing fills it in yet.
struct PunkState
{
};

/// One character of the punks screen's roster: its values, its abilities by name, and the
/// actor that shows it. The record owns its abilities and state; the screen owns the actor,
/// which someone else may delete first.
struct PunkRecord
{
    String name;
    String typeName;
    float health = 0.0f;
    float maxHealth = 0.0f;
    float energy = 0.0f;
    float maxEnergy = 0.0f;
    float speed = 0.0f;
    int experience = 0;
    int level = 0;
    float scale = 0.0f;
    std::map<String, std::unique_ptr<PunkAbility>> abilities;
    std::unique_ptr<PunkState> state;
    float positionX = 0.0f;
    float positionY = 0.0f;
    /// Width and height of the actor, world units.
    float size = 0.0f;
    /// Image file of the standing punk.
    String image;
    String portrait;
    String description;
    String walkImage;
    String attackImage;
    /// Null until the screen shows the punk, and once the actor has been deleted.
    RenderableRef<PhysicsActor> actor;
};
