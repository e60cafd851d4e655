#include "engine/actors/PhysicsActor.h"

#include "engine/console/Log.h"
#include "engine/util/MathUtil.h"
#include "engine/world/World.h"
#include "engine/world/box2d/Box2D20.h"

#include <cmath>
#include <cstdint>

namespace
{

b2Vec2 ToB2(const Vector2& v)
{
    return b2Vec2(v.X, v.Y);
}

// Box2D refuses polygons without area; keep degenerate boxes a hair's width thick.
constexpr float kMinHalfExtent = 0.5f * b2_linearSlop;

} // namespace

PhysicsActor::~PhysicsActor()
{
    if (m_physBody != nullptr)
    {
        m_physBody->GetUserData().pointer = 0;
        World::GetInstance()->GetPhysicsWorld()->DestroyBody(m_physBody);
    }
}

bool PhysicsActor::CanChange(const char* setterName) const
{
    if (m_physBody == nullptr)
        return true;
    GetSystemLog()->Printf("WARNING: %s() had no effect - don't change this actor after physics "
                           "have been initialized.",
                           setterName);
    return false;
}

void PhysicsActor::SetSize(float x, float y)
{
    if (CanChange("SetSize"))
        Actor::SetSize(x, y);
}

void PhysicsActor::SetSize(const Vector2& size)
{
    if (CanChange("SetSize"))
        Actor::SetSize(size);
}

void PhysicsActor::SetRotation(float rotation)
{
    if (CanChange("SetRotation"))
        Actor::SetRotation(rotation);
}

void PhysicsActor::SetDrawSize(float x, float y)
{
    Actor::SetSize(x, y);
}

void PhysicsActor::SetPosition(const Vector2& pos)
{
    SetPosition(pos.X, pos.Y);
}

void PhysicsActor::SetPosition(float x, float y)
{
    Actor::SetPosition(x, y);
    if (m_physBody != nullptr)
        box2d20::MoveBody(m_physBody, b2Vec2(x, y), m_physBody->GetAngle());
}

void PhysicsActor::InitPhysics()
{
    World* world = World::GetInstance();
    if (!world->IsPhysicsSetUp())
    {
        GetSystemLog()->Log("ERROR: World physics must be initialized before Actor's.");
        return;
    }
    if (!CanChange("InitPhysics"))
        return;

    b2PolygonShape box;
    b2CircleShape circle;
    b2FixtureDef shapeDef;
    switch (m_shapeType)
    {
    case SHAPETYPE_BOX:
        box.SetAsBox(std::fmax(m_size.X * 0.5f, kMinHalfExtent),
                     std::fmax(m_size.Y * 0.5f, kMinHalfExtent));
        shapeDef.shape = &box;
        break;
    case SHAPETYPE_CIRCLE:
        circle.m_radius = m_size.X * 0.5f;
        shapeDef.shape = &circle;
        break;
    default:
        GetSystemLog()->Log("ERROR: Invalid shape type given.");
        return;
    }
    shapeDef.density = m_density;
    shapeDef.friction = m_friction;
    shapeDef.restitution = m_restitution;
    shapeDef.isSensor = m_isSensor;
    shapeDef.filter.groupIndex = static_cast<int16>(m_groupIndex);

    InitShape(&shapeDef);

    b2BodyDef bodyDef;
    bodyDef.userData.pointer = reinterpret_cast<uintptr_t>(this);
    bodyDef.position = ToB2(m_position);
    bodyDef.angle = MathUtil::ToRadians(m_rotation);
    bodyDef.fixedRotation = m_fixedRotation;
    bodyDef.linearDamping = m_linearDamping;

    m_physBody = box2d20::CreateBody(world->GetPhysicsWorld(), bodyDef, shapeDef);

    CustomInitPhysics();
}

void PhysicsActor::ApplyForce(const Vector2& force, const Vector2& point)
{
    if (m_physBody != nullptr)
        m_physBody->ApplyForce(ToB2(force), ToB2(m_position + point), true);
}

void PhysicsActor::ApplyLocalForce(const Vector2& force, const Vector2& point)
{
    if (m_physBody != nullptr)
        m_physBody->ApplyForce(m_physBody->GetWorldVector(ToB2(force)), ToB2(m_position + point),
                               true);
}

void PhysicsActor::ApplyImpulse(const Vector2& impulse, const Vector2& offset)
{
    if (m_physBody != nullptr)
        m_physBody->ApplyLinearImpulse(ToB2(impulse), ToB2(m_position + offset), true);
}

void PhysicsActor::ApplyTorque(float torque)
{
    if (m_physBody != nullptr)
        m_physBody->ApplyTorque(torque, true);
}

void PhysicsActor::_syncPosRot(float x, float y, float rotation)
{
    m_position = Vector2(x, y);
    // A huge angle would not change by subtracting 360 and never leave the loops.
    if (std::fabs(rotation) > 540.0f)
        rotation = std::fmod(rotation, 360.0f);
    while (rotation > 180.0f)
        rotation -= 360.0f;
    while (rotation < -180.0f)
        rotation += 360.0f;
    m_rotation = rotation;
}
