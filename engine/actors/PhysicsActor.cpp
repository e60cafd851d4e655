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

constexpr float kMax = PhysicsActor::kMaxPhysicsValue;

// False for NaN too.
bool InRange(float value, float low)
{
    return value >= low && value <= kMax;
}

// Box2D's b2Body::ResetMassData for a body of this one fixture: a mass that overflows, or one so
// small that its inverse does, leaves NaN in the body or fails Box2D's inertia assert.
bool HasUsableMass(const b2Shape& shape, float density, bool fixedRotation)
{
    b2MassData mass;
    shape.ComputeMass(&mass, density);
    b2Vec2 center = mass.mass * mass.center;
    float inverseMass = 0.0f;
    if (mass.mass > 0.0f)
    {
        inverseMass = 1.0f / mass.mass;
        center *= inverseMass;
    }
    float inertia = mass.I;
    if (inertia > 0.0f && !fixedRotation)
    {
        inertia -= mass.mass * b2Dot(center, center);
        if (!(inertia > 0.0f))
            return false;
    }
    return std::isfinite(mass.mass) && std::isfinite(inverseMass) && center.IsValid() &&
           std::isfinite(inertia);
}

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

void PhysicsActor::SetShapeType(eShapeType shapeType)
{
    if (shapeType != SHAPETYPE_BOX && shapeType != SHAPETYPE_CIRCLE)
        GetSystemLog()->Printf("WARNING: SetShapeType() ignored the unknown shape type %d.",
                               static_cast<int>(shapeType));
    else
        Change(m_shapeType, shapeType, "SetShapeType");
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
    if (m_physBody != nullptr && !(InRange(x, -kMax) && InRange(y, -kMax)))
    {
        GetSystemLog()->Printf("WARNING: SetPosition() had no effect - (%g, %g) is outside "
                               "%g ... %g.",
                               x, y, -kMax, kMax);
        return;
    }
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
    // SetShapeType keeps out any other value.
    if (m_shapeType == SHAPETYPE_CIRCLE)
    {
        circle.m_radius = m_size.X * 0.5f;
        shapeDef.shape = &circle;
    }
    else
    {
        box.SetAsBox(std::fmax(m_size.X * 0.5f, kMinHalfExtent),
                     std::fmax(m_size.Y * 0.5f, kMinHalfExtent));
        shapeDef.shape = &box;
    }
    shapeDef.density = m_density;
    shapeDef.friction = m_friction;
    shapeDef.restitution = m_restitution;
    shapeDef.isSensor = m_isSensor;
    shapeDef.filter.groupIndex = static_cast<int16>(m_groupIndex);

    InitShape(&shapeDef);
    if (!CanBuildBody(shapeDef))
        return;

    b2BodyDef bodyDef;
    bodyDef.userData.pointer = reinterpret_cast<uintptr_t>(this);
    bodyDef.position = ToB2(m_position);
    bodyDef.angle = MathUtil::ToRadians(m_rotation);
    bodyDef.fixedRotation = m_fixedRotation;
    bodyDef.linearDamping = m_linearDamping;

    m_physBody = box2d20::CreateBody(world->GetPhysicsWorld(), bodyDef, shapeDef);

    CustomInitPhysics();
}

bool PhysicsActor::CanBuildBody(const b2FixtureDef& shapeDef) const
{
    struct Value
    {
        const char* name;
        float value;
        float low;
    };
    const Value values[] = {{"position x", m_position.X, -kMax},
                            {"position y", m_position.Y, -kMax},
                            {"width", m_size.X, 0.0f},
                            {"height", m_size.Y, 0.0f},
                            {"rotation", m_rotation, -kMax},
                            {"density", shapeDef.density, -kMax},
                            {"friction", shapeDef.friction, 0.0f},
                            {"restitution", shapeDef.restitution, -kMax},
                            {"linear damping", m_linearDamping, 0.0f}};
    for (const Value& value : values)
        if (!InRange(value.value, value.low))
        {
            GetSystemLog()->Printf("ERROR: InitPhysics() made no body - its %s %g is outside %g "
                                   "... %g.",
                                   value.name, value.value, value.low, kMax);
            return false;
        }
    if (shapeDef.density > 0.0f &&
        !HasUsableMass(*shapeDef.shape, shapeDef.density, m_fixedRotation))
    {
        GetSystemLog()->Printf("ERROR: InitPhysics() made no body - its size (%g, %g) and "
                               "density %g give no usable mass.",
                               m_size.X, m_size.Y, shapeDef.density);
        return false;
    }
    return true;
}

bool PhysicsActor::CanPush(const b2Vec2& force, const b2Vec2& point, float torque) const
{
    const float mass = m_physBody->GetMass();
    const b2Vec2 center = m_physBody->GetLocalCenter();
    const float inertia = m_physBody->GetInertia() - mass * b2Dot(center, center);
    const float inverseMass = mass > 0.0f ? 1.0f / mass : 0.0f;
    const float inverseInertia = inertia > 0.0f ? 1.0f / inertia : 0.0f;
    const b2Vec2 linear = inverseMass * force;
    const float angular =
        inverseInertia * (b2Cross(point - m_physBody->GetWorldCenter(), force) + torque);
    // Finite inputs can still overflow on the way, so the results are checked.
    return std::isfinite(linear.x) && std::isfinite(linear.y) && std::isfinite(angular) &&
           linear.Length() <= kMaxSpeedChange && std::fabs(angular) <= kMaxSpeedChange;
}

bool PhysicsActor::PushOrWarn(const char* operation, const Vector2& given, const Vector2& givenAt,
                              const b2Vec2& force, const b2Vec2& at) const
{
    if (CanPush(force, at, 0.0f))
        return true;
    GetSystemLog()->Printf("WARNING: %s() had no effect - (%g, %g) at (%g, %g) is not finite or "
                           "too strong for this body.",
                           operation, given.X, given.Y, givenAt.X, givenAt.Y);
    return false;
}

void PhysicsActor::ApplyForce(const Vector2& force, const Vector2& point)
{
    if (m_physBody == nullptr)
        return;
    const b2Vec2 at = ToB2(m_position + point);
    if (PushOrWarn("ApplyForce", force, point, ToB2(force), at))
        m_physBody->ApplyForce(ToB2(force), at, true);
}

void PhysicsActor::ApplyLocalForce(const Vector2& force, const Vector2& point)
{
    if (m_physBody == nullptr)
        return;
    const b2Vec2 worldForce = m_physBody->GetWorldVector(ToB2(force));
    const b2Vec2 at = ToB2(m_position + point);
    if (PushOrWarn("ApplyLocalForce", force, point, worldForce, at))
        m_physBody->ApplyForce(worldForce, at, true);
}

void PhysicsActor::ApplyImpulse(const Vector2& impulse, const Vector2& offset)
{
    if (m_physBody == nullptr)
        return;
    const b2Vec2 at = ToB2(m_position + offset);
    if (PushOrWarn("ApplyImpulse", impulse, offset, ToB2(impulse), at))
        m_physBody->ApplyLinearImpulse(ToB2(impulse), at, true);
}

void PhysicsActor::ApplyTorque(float torque)
{
    if (m_physBody == nullptr)
        return;
    if (CanPush(b2Vec2(0.0f, 0.0f), m_physBody->GetWorldCenter(), torque))
        m_physBody->ApplyTorque(torque, true);
    else
        GetSystemLog()->Printf("WARNING: ApplyTorque() had no effect - %g is not finite or too "
                               "strong for this body.",
                               torque);
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
