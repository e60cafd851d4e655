#include "game/prototypes/TuioScreenPunks.h"

#include "engine/actors/PhysicsActor.h"
#include "engine/util/opengl/GL.h"
#include "engine/world/World.h"

namespace
{
std::unique_ptr<PunkAbility> MakeAbility(const char* name, float castTime, bool damages,
                                         float damage, bool heals, float healing, const char* icon)
{
    auto ability = std::make_unique<PunkAbility>();
    ability->name = name;
    ability->cooldown = 0.0f;
    ability->range = 1.0f;
    ability->cooldownLeft = 0.0f;
    ability->castTime = castTime;
    ability->enabled = true;
    ability->damages = damages;
    ability->damage = damage;
    ability->heals = heals;
    ability->healing = healing;
    ability->strength = 1.0f;
    ability->icon = icon;
    return ability;
}

struct PunkValues
{
    const char* name;
    const char* typeName;
    float health;
    float energy;
    float speed;
    float position;
    const char* image;
};

std::unique_ptr<PunkRecord> MakePunk(const PunkValues& values, std::unique_ptr<PunkAbility> ability)
{
    auto punk = std::make_unique<PunkRecord>();
    punk->name = values.name;
    punk->typeName = values.typeName;
    punk->health = values.health;
    punk->maxHealth = values.health;
    punk->energy = values.energy;
    punk->maxEnergy = values.energy;
    punk->speed = values.speed;
    punk->experience = 0;
    punk->level = 1;
    punk->scale = 1.0f;
    const String abilityName = ability->name;
    punk->abilities[abilityName] = std::move(ability);
    punk->state = std::make_unique<PunkState>();
    punk->positionX = values.position;
    punk->positionY = values.position;
    punk->size = 1.0f;
    punk->image = values.image;
    return punk;
}
} // namespace

TuioScreenPunks::TuioScreenPunks(const String& levelName) : TuioScreenPunksBare(levelName) {}

TuioScreenPunks::~TuioScreenPunks() = default;

void TuioScreenPunks::Start()
{
    TuioScreenPunksBare::Start();
    BuildRoster();

    World* world = World::GetInstance();
    for (auto& entry : m_roster)
    {
        PunkRecord& punk = *entry.second;
        // No body: the punks are pictures that fingers cannot pick up.
        auto* actor = new PhysicsActor();
        actor->SetName(punk.name);
        actor->SetSize(punk.size, -1.0f);
        actor->SetPosition(punk.positionX, punk.positionY);
        actor->SetSprite(punk.image, 0, GL_CLAMP, GL_LINEAR, false);
        punk.actor = actor;
        world->Add(actor, 0);
    }
}

void TuioScreenPunks::BuildRoster()
{
    m_roster.clear();
    auto attacker = MakePunk({"AttackPunk1", "AttackPunk", 10.0f, 0.0f, 0.5f, 1.0f,
                              "Resources/Images/drennic/attackpunk_standing.png"},
                             MakeAbility("baseattack", 0.1f, true, 1.0f, false, 0.0f,
                                         "Resources/Images/drennic/ability_attack.png"));
    auto healer = MakePunk({"HealPunk1", "HealPunk", 5.0f, 10.0f, 0.1f, -1.0f,
                            "Resources/Images/drennic/healpunk_standing.png"},
                           MakeAbility("baseheal", 0.5f, false, 0.0f, true, 1.0f,
                                       "Resources/Images/drennic/ability_heal.png"));
    m_roster[healer->name] = std::move(healer);
    m_roster[attacker->name] = std::move(attacker);
}

void TuioScreenPunks::Stop()
{
    TuioScreenPunksBare::Stop();
    // The punks belong to this run of the screen: left in the World they would stand on every
    // screen that follows and pile up with each new Start.
    World* world = World::GetInstance();
    for (auto& entry : m_roster)
    {
        PunkRecord& punk = *entry.second;
        // A script or a level unload may have deleted it already.
        if (PhysicsActor* actor = punk.actor.Get())
        {
            world->Remove(actor);
            delete actor;
        }
        punk.actor.Reset();
    }
}
