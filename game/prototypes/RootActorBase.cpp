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
    FollowEnds(first, second);
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
    const PhysicsActor* first = m_first.GetLive();
    const PhysicsActor* second = m_second.GetLive();
    if (first == nullptr || second == nullptr)
        Destroy();
    else
        FollowEnds(first, second);
    Actor::Update(dt);
}

void RootActorBase::FollowEnds(const PhysicsActor* first, const PhysicsActor* second)
{
    const Vector2 p1 = first->GetPosition();
    const Vector2 p2 = second->GetPosition();
    const Vector2 gap = p2 - p1;
    const float length = gap.Length();
    SetPosition((p1 + p2) / 2.0f);
    // Ends on the same spot: the first end's width, as the quotient's limit.
    const float width = first->GetSize().X;
    SetSize(length, length > 0.0f ? std::min(width, m_thickness / length) : width);
    SetRotation(MathUtil::ToDegrees(MathUtil::AngleFromVector(gap)));
}
