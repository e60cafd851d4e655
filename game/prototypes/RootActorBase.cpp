#include "game/prototypes/RootActorBase.h"

#include "engine/actors/PhysicsActor.h"
#include "engine/util/MathUtil.h"
#include "engine/world/World.h"
#include "engine/world/box2d/Box2D20.h"

#include <algorithm>

namespace
{
constexpr float kRestLength = 3.0f;
constexpr float kSpringHz = 0.5f;
constexpr float kSpringDamping = 0.5f;
} // namespace

RootActorBase::RootActorBase(PhysicsActor* first, PhysicsActor* second, float thickness,
                             const Color& color, const char* sprite)
    : m_first(first), m_second(second), m_thickness(thickness)
{
    SetName("Root");
    Tag("root");
    Tag(first->GetName());
    Tag(second->GetName());
    SetDrawShape(ADS_Square);
    SetColor(color);
    FollowEnds();
    SetSprite(sprite, 0, kDefaultTextureClamp, kDefaultTextureFilter, false);

    box2d20::DistanceJointDef joint;
    joint.body1 = first->GetBody();
    joint.body2 = second->GetBody();
    joint.collideConnected = false;
    joint.length = kRestLength;
    joint.frequencyHz = kSpringHz;
    joint.dampingRatio = kSpringDamping;
    // The joint belongs to the physics world and goes with either body.
    box2d20::CreateDistanceJoint(World::GetInstance()->GetPhysicsWorld(), joint);
}

void RootActorBase::Update(float dt)
{
    if (m_first->IsDestroyed() || m_second->IsDestroyed())
        Destroy();
    else
        FollowEnds();
    Actor::Update(dt);
}

void RootActorBase::FollowEnds()
{
    const Vector2 p1 = m_first->GetPosition();
    const Vector2 p2 = m_second->GetPosition();
    const Vector2 gap = p2 - p1;
    const float length = gap.Length();
    SetPosition((p1 + p2) / 2.0f);
    // Ends on the same spot: the first end's width, as the quotient's limit.
    const float width = m_first->GetSize().X;
    SetSize(length, length > 0.0f ? std::min(width, m_thickness / length) : width);
    SetRotation(MathUtil::ToDegrees(MathUtil::AngleFromVector(gap)));
}
