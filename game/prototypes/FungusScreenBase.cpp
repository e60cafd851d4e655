#include "game/prototypes/FungusScreenBase.h"

#include "engine/actors/PhysicsActor.h"
#include "engine/actors/TextActor.h"
#include "engine/messaging/TagCollection.h"
#include "engine/util/MathUtil.h"
#include "engine/util/StringUtil.h"
#include "engine/world/World.h"
#include "engine/world/box2d/Box2D20.h"
#include "game/ActorQueries.h"
#include "game/ScreenMessages.h"
#include "game/prototypes/GamePieces.h"
#include "game/prototypes/RootActorBase.h"
#include "game/prototypes/TuioCursorPhysicsActor.h"
#include "tuio/TuioCursor.h"

#include <algorithm>
#include <cmath>

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
/// What the level files allow a wave.
constexpr float kMostSporesAWave = 100.0f;

/// The roots at actor, optionally of one kind ("roottofungus").
size_t CountRoots(const char* kind, const Actor* actor)
{
    return LiveActorsTagged(String(kind) + ", " + ToLower(actor->GetName())).size();
}

} // namespace

FungusScreenBase::FungusScreenBase(const String& levelName, const Kinds& kinds)
    : PieceScreen(kFingerLayer), m_levelName(levelName), m_kinds(kinds)
{
}

void FungusScreenBase::FinishFungusStart()
{
    m_gravityAngle = 0.0f;
    m_turnRate = 0.0f;
    m_gravityDirection = MathUtil::VectorFromAngle(0.0f);
    SetGravity(m_gravityDirection);

    auto* compass = new Actor();
    compass->SetSprite("Resources/Images/kompassrose.png", 0, kDefaultTextureClamp,
                       kDefaultTextureFilter, false);
    compass->SetPosition(0.0f, 0.0f);
    compass->SetSize(3.0f);
    compass->SetColor(0.0f, 0.0f, 0.0f, 0.5f);
    compass->SetRotation(MathUtil::ToDegrees(MathUtil::AngleFromVector(m_gravityDirection)));
    m_compass = AddObject(compass, kCompassLayer);

    FinishStart("Get fungi on the food");
}

void FungusScreenBase::LoadLevelScript(const String& name)
{
    World::GetInstance()->LoadLevel(name);
}

void FungusScreenBase::SetSpawnFrom(const Actor* marker)
{
    m_spawnPosition = marker->GetPosition();
    m_spawnDirection = MathUtil::VectorFromAngle(marker->GetRotation());
    // The marker's alpha counts a wave's spores; a script may have set any number there.
    const float count = marker->GetAlpha();
    m_spawnCount = count > 0.0f ? static_cast<int>(std::min(count, kMostSporesAWave)) : 0;
}

void FungusScreenBase::ShowGoalText()
{
    ShowStatus("Get fungi on the food");
}

Actor* FungusScreenBase::GetCompass() const
{
    return m_compass.GetLive();
}

void FungusScreenBase::Stop()
{
    if (IsActive())
        DeleteRoots();
    PieceScreen::Stop();
    m_compass.Reset();
    SetGravity(Vector2(0.0f, 0.0f));
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
    if (!IsActive())
        return;
    WalkGravity();

    const ActorList fungi = LiveActorsTagged("fungus");
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
    CheckWave(static_cast<int>(fungi.size()) + AgeSpores());
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
    if (Actor* compass = GetCompass())
    {
        compass->SetAlpha(m_gravityStrength / 20.0f + 0.5f);
        compass->SetRotation(m_gravityAngle);
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

void FungusScreenBase::PopActor(Actor* actor)
{
    AddPuff(actor, kSporeLayer);
    RemoveActor(actor);
}

PhysicsActor* FungusScreenBase::AddStaticFungus(const Vector2& position)
{
    auto* fungus = new PhysicsActor();
    fungus->SetSprite(m_kinds.staticFungusSprite, 0, kDefaultTextureClamp, kDefaultTextureFilter,
                      false);
    fungus->SetSize(1.0f);
    fungus->ChangeColorTo(Color(0.0f, 0.0f, 1.0f, 1.0f), 0.5f);
    fungus->SetShapeType(PhysicsActor::SHAPETYPE_CIRCLE);
    fungus->SetDrawShape(ADS_Square);
    fungus->SetPosition(position);
    fungus->SetName("Staticfungus");
    fungus->Tag("grabthis");
    fungus->SetDensity(0.0f);
    fungus->InitPhysics();
    return AddObject(fungus, kFungusLayer);
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
        // An end that someone else deleted reads null.
        PhysicsActor* other = root->GetFirstActor();
        if (other == fungus)
            other = root->GetSecondActor();
        if (other != nullptr && !other->IsDestroyed() && other->GetBody() != nullptr)
            World::GetInstance()->Add(m_kinds.newRoot(other, fixed), kRootLayer);
        // The old root destroys itself in its next update.
    }
}

void FungusScreenBase::RootTo(GamePieceActor* fungus, Actor* other, const char* tag)
{
    Actor* root = m_kinds.newRoot(fungus, static_cast<PhysicsActor*>(other));
    root->Tag(tag);
    World::GetInstance()->Add(root, kRootLayer);
}

GamePieceActor* FungusScreenBase::SpawnFungusPiece(const Vector2& position)
{
    GamePieceActor* fungus =
        AddPiece(m_kinds.newFungus(), kFungusCountdown, position, kFungusLayer);

    // Destroyed fungi are still tagged until the World deletes them; a root to one would
    // outlive its end.
    ActorList others;
    for (Actor* other : LiveActorsTagged("fungus"))
        if (other != fungus && dynamic_cast<PhysicsActor*>(other) != nullptr)
            others.push_back(other);
    if (others.size() <= 2)
    {
        for (Actor* other : others)
            RootTo(fungus, other, "roottofungus");
    }
    else
    {
        // The two nearest; of equal distances the one met first in the set keeps the nearer
        // place.
        const Vector2 here = fungus->GetPosition();
        auto distance = [&](Actor* other)
        { return Vector2::DistanceSquared(other->GetPosition(), here); };
        Actor* nearest = others[0];
        Actor* second = others[1];
        if (distance(second) < distance(nearest))
            std::swap(nearest, second);
        for (size_t i = 2; i < others.size(); ++i)
        {
            if (distance(others[i]) < distance(nearest))
                second = nearest, nearest = others[i];
            else if (distance(others[i]) < distance(second))
                second = others[i];
        }
        RootTo(fungus, nearest, "roottofungus");
        RootTo(fungus, second, "roottofungus");
    }

    for (Actor* anchor : LiveActorsTagged("grabthis"))
    {
        auto* body = dynamic_cast<PhysicsActor*>(anchor);
        if (body == nullptr || body->GetBody() == nullptr || CountRoots("root", anchor) > 0)
            continue;
        if (Vector2::Distance(anchor->GetPosition(), fungus->GetPosition()) < kAnchorReach)
            RootTo(fungus, anchor, "roottograbthis");
    }
    return fungus;
}

GamePieceActor* FungusScreenBase::SpawnSporePiece(const Vector2& position)
{
    const float life = MathUtil::RandomFloatInRange(m_kinds.sporeLifeMin, m_kinds.sporeLifeMax);
    return AddPiece(m_kinds.newSpore(), life, position, kSporeLayer);
}

void FungusScreenBase::BurstFungus(Actor* fungus, const Vector2& impulse)
{
    const size_t spores =
        std::min(CountRoots("root", fungus), static_cast<size_t>(RoomForPieces()));
    for (size_t i = 0; i < spores; ++i)
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

void FungusScreenBase::ReceiveCollision(const String& subject, Actor* other)
{
    Actor* self = Actor::GetNamed(subject);
    if (self == nullptr || self->IsDestroyed())
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
            if (ShowInfested("food"))
                AllFoodInfested();
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
            impulse = Vector2::Normalize(CursorWorldVelocity(*finger->GetTuioCursor()));
        }
        BurstFungus(other, impulse * 0.7f);
    }
}
