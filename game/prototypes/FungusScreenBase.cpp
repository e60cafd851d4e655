#include "game/prototypes/FungusScreenBase.h"

#include "engine/actors/ParticleActor.h"
#include "engine/actors/PhysicsActor.h"
#include "engine/actors/TextActor.h"
#include "engine/messaging/Message.h"
#include "engine/messaging/Switchboard.h"
#include "engine/messaging/TagCollection.h"
#include "engine/util/MathUtil.h"
#include "engine/util/StringUtil.h"
#include "engine/world/World.h"
#include "engine/world/box2d/Box2D20.h"
#include "game/prototypes/GamePieces.h"
#include "game/prototypes/PieceQueries.h"
#include "game/prototypes/RootActorBase.h"
#include "game/prototypes/TuioCursorPhysicsActor.h"
#include "tuio/TuioCursor.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace
{
constexpr int kRootLayer = 1;
constexpr int kFungusLayer = 2;
constexpr int kSporeLayer = 3;
constexpr int kCompassLayer = 4;
constexpr int kFingerLayer = 5;
/// A fungus roots to anchors closer than this: the roots' rest length times 1.5.
constexpr float kAnchorReach = 3.0f * 1.5f;
constexpr float kFungusCountdown = 2.5f;
/// A fungus with fewer fungus roots than this is red, and a finger bursts it.
constexpr int kRootsToHold = 3;
constexpr char kCollisionPrefix[] = "CollisionWith";
constexpr size_t kCollisionPrefixLength = sizeof(kCollisionPrefix) - 1;
constexpr const char* kTouchMessages[] = {"TuioCursorAdded", "TuioCursorRemoved",
                                          "TuioCursorUpdated"};

String CollisionName(const Actor* actor)
{
    return kCollisionPrefix + actor->GetName();
}

/// The roots at actor, optionally of one kind ("roottofungus").
size_t CountRoots(const char* kind, const Actor* actor)
{
    return LiveActorsTagged(String(kind) + ", " + ToLower(actor->GetName())).size();
}

} // namespace

FungusScreenBase::FungusScreenBase(const String& levelName)
    : m_levelName(levelName), m_fingers(this, kFingerLayer)
{
}

FungusScreenBase::~FungusScreenBase()
{
    Switchboard::GetInstance()->UnsubscribeFromAll(this);
}

void FungusScreenBase::SubscribeOnStart(const String& extra)
{
    World::GetInstance()->SetBlockers(true, 1.0f);
    Switchboard* switchboard = Switchboard::GetInstance();
    for (const char* name : kTouchMessages)
        switchboard->SubscribeTo(this, name);
    for (const String& name : SplitString(extra, ", ", true))
        switchboard->SubscribeTo(this, name);
}

void FungusScreenBase::FinishStart()
{
    World* world = World::GetInstance();
    m_statusText = new TextActor("Console", "Get fungi on the food", TXT_Left, 5);
    m_statusText->SetPosition(0.0f, 9.0f);
    m_statusText->SetAlignment(TXT_Center);
    world->Add(m_statusText, 0);
    m_objects.push_back(m_statusText);

    m_gravityAngle = 0.0f;
    m_turnRate = 0.0f;
    m_gravityDirection = MathUtil::VectorFromAngle(0.0f);
    SetGravity(m_gravityDirection);

    m_compass = new Actor();
    m_compass->SetSprite("Resources/Images/kompassrose.png", 0, kDefaultTextureClamp,
                         kDefaultTextureFilter, false);
    m_compass->SetPosition(0.0f, 0.0f);
    m_compass->SetSize(3.0f);
    m_compass->SetColor(0.0f, 0.0f, 0.0f, 0.5f);
    m_compass->SetRotation(MathUtil::ToDegrees(MathUtil::AngleFromVector(m_gravityDirection)));
    world->Add(m_compass, kCompassLayer);
    m_objects.push_back(m_compass);

    m_active = true;
}

void FungusScreenBase::LoadLevelScript(const String& name)
{
    World::GetInstance()->LoadLevel(name);
}

void FungusScreenBase::AdoptActorsTagged(const String& tags)
{
    for (Actor* actor : LiveActorsTagged(tags))
        if (std::find(m_objects.begin(), m_objects.end(), actor) == m_objects.end())
            m_objects.push_back(actor);
}

void FungusScreenBase::SetSpawnFrom(const Actor* marker)
{
    m_spawnPosition = marker->GetPosition();
    m_spawnDirection = MathUtil::VectorFromAngle(marker->GetRotation());
    m_spawnCount = static_cast<int>(marker->GetAlpha());
}

void FungusScreenBase::ShowGoalText()
{
    m_statusText->SetDisplayString("Get fungi on the food");
}

void FungusScreenBase::Stop()
{
    if (m_active)
        DeleteRoots();
    TuioScreen::Stop();
    m_statusText = nullptr;
    m_compass = nullptr;
    SetGravity(Vector2(0.0f, 0.0f));
    World::GetInstance()->SetBlockers(false, -1.0f);
    // A finger left behind could no longer follow its touch, nor leave when the touch ends.
    m_fingers.Clear();

    Switchboard* switchboard = Switchboard::GetInstance();
    for (const char* name : kTouchMessages)
        switchboard->UnsubscribeFrom(this, name);
    for (const String& name : switchboard->GetSubscriptionsFor(this))
        if (StartsWith(name, kCollisionPrefix))
            switchboard->UnsubscribeFrom(this, name);
    m_active = false;
}

void FungusScreenBase::DeleteRoots()
{
    // Roots are not among the objects, but their ends are: they must go first, while the ends
    // they read still exist.
    World* world = World::GetInstance();
    for (Actor* root : TagCollection::GetInstance()->GetObjectsTagged("root"))
    {
        if (dynamic_cast<RootActorBase*>(root) == nullptr)
            continue;
        world->Remove(root);
        delete root;
    }
}

void FungusScreenBase::SetGravity(const Vector2& gravity)
{
    if (b2World* physics = World::GetInstance()->GetPhysicsWorld())
        physics->SetGravity(b2Vec2(gravity.X, gravity.Y));
}

void FungusScreenBase::Update(float)
{
    if (!m_active)
        return;
    WalkGravity();

    const ActorList fungi = LiveActorsTagged("fungus");
    int count = static_cast<int>(fungi.size());
    for (Actor* fungus : fungi)
    {
        if (CountRoots("roottofungus", fungus) < kRootsToHold)
        {
            fungus->ChangeColorTo(Color(1.0f, 0.0f, 0.0f, 1.0f), 0.5f);
            fungus->Tag("popable");
        }
        else
        {
            fungus->ChangeColorTo(Color(1.0f, 1.0f, 1.0f, 1.0f), 0.5f);
            fungus->Untag("popable");
        }
    }

    const ActorList spores = LiveActorsTagged("spore");
    count += static_cast<int>(spores.size());
    const float dt = World::GetInstance()->GetDT();
    for (Actor* actor : spores)
    {
        auto* spore = dynamic_cast<GamePieceActor*>(actor);
        if (spore == nullptr)
            continue;
        spore->DecreaseCountdown(dt);
        if (spore->GetCountdown() < 0.0f)
            SporeToFungus(spore);
    }

    CheckWave(count);
}

void FungusScreenBase::WalkGravity()
{
    // Per frame, not scaled by the frame time.
    if (MathUtil::RandomInt(100) == 0)
        m_gravityStrength = MathUtil::RandomFloatInRange(0.0f, 10.0f);
    else
        m_gravityStrength += MathUtil::RandomFloatInRange(-0.1f, 0.1f);
    if (m_gravityStrength < 1.0f)
        m_gravityStrength += 0.1f;
    else if (m_gravityStrength > 2.0f)
        m_gravityStrength -= 0.1f;

    if (MathUtil::RandomInt(300) == 0)
        m_turnRate = MathUtil::RandomFloatInRange(2.0f, 6.0f);
    else if (MathUtil::RandomInt(300) == 0)
        m_turnRate = MathUtil::RandomFloatInRange(-6.0f, -2.0f);
    else
        m_turnRate += MathUtil::RandomFloatInRange(-0.1f, 0.1f);
    if (m_turnRate < -0.2f)
        m_turnRate += 0.1f;
    else if (m_turnRate > 0.2f)
        m_turnRate -= 0.1f;

    m_gravityAngle = std::fmod(m_gravityAngle + m_turnRate, 360.0f);
    m_gravityDirection = MathUtil::VectorFromAngle(m_gravityAngle);
    SetGravity(m_gravityDirection * m_gravityStrength);
    if (m_compass != nullptr)
    {
        m_compass->SetAlpha(m_gravityStrength / 20.0f + 0.5f);
        m_compass->SetRotation(m_gravityAngle);
    }
}

void FungusScreenBase::SpawnWave()
{
    for (int i = 0; i < m_spawnCount; ++i)
    {
        GamePieceActor* spore = SpawnSporePiece(m_spawnPosition);
        spore->SetColor(Color(0.0f, 1.0f, 0.0f, 1.0f));
        const Vector2 scatter = MathUtil::RandomVector(Vector2(-0.2f, -0.2f), Vector2(0.2f, 0.2f));
        spore->ApplyImpulse(m_spawnDirection + scatter, spore->GetPosition());
    }
}

void FungusScreenBase::RemoveActor(Actor* actor)
{
    Switchboard::GetInstance()->UnsubscribeFrom(this, CollisionName(actor));
    auto found = std::find(m_objects.begin(), m_objects.end(), actor);
    if (found != m_objects.end())
        m_objects.erase(found);
    actor->Destroy();
}

void FungusScreenBase::PopActor(Actor* actor)
{
    auto* puff = new ParticleActor();
    puff->SetColor(actor->GetColor());
    puff->SetEndScale(0.0f);
    puff->SetPosition(actor->GetPosition());
    puff->SetSystemLifetime(0.1f);
    puff->SetSize(Vector2(0.5f, 0.5f));
    puff->SetMaxParticles(100);
    puff->SetParticlesPerSecond(5.0f);
    puff->SetParticleLifetime(0.2f);
    puff->SetSpread(3.141593f);
    World::GetInstance()->Add(puff, kSporeLayer);
    RemoveActor(actor);
}

PhysicsActor* FungusScreenBase::AddStaticFungus(const Vector2& position)
{
    auto* fungus = new PhysicsActor();
    fungus->SetSprite(StaticFungusSprite(), 0, kDefaultTextureClamp, kDefaultTextureFilter, false);
    fungus->SetSize(1.0f);
    fungus->ChangeColorTo(Color(0.0f, 0.0f, 1.0f, 1.0f), 0.5f);
    fungus->SetShapeType(PhysicsActor::SHAPETYPE_CIRCLE);
    fungus->SetDrawShape(ADS_Square);
    fungus->SetPosition(position);
    fungus->SetName("Staticfungus");
    fungus->Tag("grabthis");
    fungus->SetDensity(0.0f);
    fungus->InitPhysics();
    World::GetInstance()->Add(fungus, kFungusLayer);
    m_objects.push_back(fungus);
    return fungus;
}

void FungusScreenBase::TurnIntoStaticFungus(Actor* fungus)
{
    RemoveActor(fungus);
    PhysicsActor* fixed = AddStaticFungus(fungus->GetPosition());
    // The change toward blue started above runs from white and wins from the next update on.
    fixed->SetColor(fungus->GetColor());

    const String roots = "roottofungus, " + ToLower(fungus->GetName());
    for (Actor* actor : LiveActorsTagged(roots))
    {
        auto* root = dynamic_cast<RootActorBase*>(actor);
        if (root == nullptr)
            continue;
        PhysicsActor* other = root->GetFirstActor();
        if (other == fungus)
            other = root->GetSecondActor();
        if (!other->IsDestroyed() && other->GetBody() != nullptr)
            World::GetInstance()->Add(NewRoot(other, fixed), kRootLayer);
        // The old root destroys itself in its next update.
    }
}

GamePieceActor* FungusScreenBase::SpawnFungusPiece(const Vector2& position)
{
    World* world = World::GetInstance();
    GamePieceActor* fungus = NewFungus();
    fungus->SetCountdown(kFungusCountdown);
    fungus->SetPosition(position);
    fungus->InitPhysics();
    world->Add(fungus, kFungusLayer);
    m_objects.push_back(fungus);
    Switchboard::GetInstance()->SubscribeTo(this, CollisionName(fungus));

    auto rootTo = [&](Actor* other, const char* tag)
    {
        Actor* root = NewRoot(fungus, static_cast<PhysicsActor*>(other));
        root->Tag(tag);
        world->Add(root, kRootLayer);
    };

    // Destroyed fungi are still tagged until the World deletes them; a root to one would
    // outlive its end.
    ActorList others;
    for (Actor* other : LiveActorsTagged("fungus"))
        if (other != fungus && dynamic_cast<PhysicsActor*>(other) != nullptr)
            others.push_back(other);
    if (others.size() <= 2)
    {
        for (Actor* other : others)
            rootTo(other, "roottofungus");
    }
    else
    {
        const Vector2 here = fungus->GetPosition();
        auto distance = [&](Actor* other)
        { return Vector2::DistanceSquared(other->GetPosition(), here); };
        Actor* nearest = others[0];
        Actor* second = others[1];
        float nearestDistance = distance(nearest);
        float secondDistance = distance(second);
        if (secondDistance < nearestDistance)
        {
            std::swap(nearest, second);
            std::swap(nearestDistance, secondDistance);
        }
        for (size_t i = 2; i < others.size(); ++i)
        {
            const float d = distance(others[i]);
            if (d < nearestDistance)
            {
                second = nearest;
                secondDistance = nearestDistance;
                nearest = others[i];
                nearestDistance = d;
            }
            else if (d < secondDistance)
            {
                second = others[i];
                secondDistance = d;
            }
        }
        rootTo(nearest, "roottofungus");
        rootTo(second, "roottofungus");
    }

    for (Actor* anchor : LiveActorsTagged("grabthis"))
    {
        auto* body = dynamic_cast<PhysicsActor*>(anchor);
        if (body == nullptr || body->GetBody() == nullptr)
            continue;
        if (CountRoots("root", anchor) > 0)
            continue;
        if (Vector2::Distance(anchor->GetPosition(), fungus->GetPosition()) < kAnchorReach)
            rootTo(anchor, "roottograbthis");
    }
    return fungus;
}

GamePieceActor* FungusScreenBase::SpawnSporePiece(const Vector2& position)
{
    GamePieceActor* spore = NewSpore();
    spore->SetCountdown(NewSporeCountdown());
    spore->SetPosition(position);
    spore->InitPhysics();
    World::GetInstance()->Add(spore, kSporeLayer);
    m_objects.push_back(spore);
    Switchboard::GetInstance()->SubscribeTo(this, CollisionName(spore));
    return spore;
}

void FungusScreenBase::BurstFungus(Actor* fungus, const Vector2& impulse)
{
    const size_t roots = CountRoots("root", fungus);
    for (size_t i = 0; i < roots; ++i)
    {
        GamePieceActor* spore = SpawnSporePiece(fungus->GetPosition());
        spore->SetColor(fungus->GetColor());
        const float scaleX = MathUtil::RandomFloatInRange(0.5f, 1.5f);
        const float scaleY = MathUtil::RandomFloatInRange(0.5f, 1.5f);
        // Pushed off-centre, at the spore's own position taken as an offset.
        spore->ApplyImpulse(Vector2(scaleX * impulse.X, scaleY * impulse.Y), spore->GetPosition());
    }
    PopActor(fungus);
}

void FungusScreenBase::SporeToFungus(Actor* spore)
{
    SpawnFungusPiece(spore->GetPosition());
    RemoveActor(spore);
}

void FungusScreenBase::ReceiveMessage(Message* message)
{
    if (!m_active || m_fingers.Handle(message))
        return;
    const String name = message->GetMessageName();
    if (StartsWith(name, kCollisionPrefix))
        ReceiveCollision(name.substr(kCollisionPrefixLength), message);
    else
        ReceiveOtherMessage(message);
}

void FungusScreenBase::ReceiveCollision(const String& subject, Message* message)
{
    Actor* self = Actor::GetNamed(subject);
    Actor* other = LiveSender(message);
    // A piece that an earlier message of this pass already removed takes no further part: the
    // first contact decides.
    if (self == nullptr || other == nullptr || self->IsDestroyed() || other->IsDestroyed())
        return;
    const String& otherName = other->GetName();

    if (StartsWith(subject, "Spore"))
    {
        if (StartsWith(otherName, "Blocker"))
            RemoveActor(self);
        else if (StartsWith(otherName, "Root"))
        {
            if (auto* spore = dynamic_cast<GamePieceActor*>(self))
                spore->IncreaseCountdown(1.0f);
        }
    }
    else if (StartsWith(subject, "Pilz"))
    {
        if (other->IsTagged("food"))
        {
            TurnIntoStaticFungus(self);
            ColorInfestedFood(other);
            other->Tag("infested");
            ShowFoodCount();
        }
        else if (other->IsTagged("poison") || StartsWith(otherName, "Blocker"))
            PopActor(self);
    }
    else if (StartsWith(subject, "Cursor") && StartsWith(otherName, "Pilz"))
    {
        if (!other->IsTagged("popable"))
        {
            PopActor(other);
            return;
        }
        // Thrown the way the finger moves; the table's y axis points down, the world's up.
        Vector2 impulse(1.0f, 0.0f);
        auto* finger = dynamic_cast<TuioCursorPhysicsActor*>(self);
        if (finger != nullptr && finger->GetTuioCursor() != nullptr)
        {
            const Vector2 visible = MathUtil::GetVisibleWorldSize();
            const TUIO::TuioCursor* cursor = finger->GetTuioCursor();
            impulse = Vector2::Normalize(
                Vector2(cursor->getXSpeed() * visible.X, -cursor->getYSpeed() * visible.Y));
        }
        BurstFungus(other, impulse * 0.7f);
    }
}

void FungusScreenBase::ShowFoodCount()
{
    const ActorList food = LiveActorsTagged("food");
    const int total = static_cast<int>(food.size());
    const int infested = static_cast<int>(std::count_if(
        food.begin(), food.end(), [](Actor* piece) { return piece->IsTagged("infested"); }));
    if (infested == total)
    {
        m_statusText->SetDisplayString("All food infested. Well done!");
        AllFoodInfested();
        return;
    }
    char text[64];
    std::snprintf(text, sizeof(text), "%d food infested. %d more to go.", infested,
                  total - infested);
    m_statusText->SetDisplayString(text);
}
