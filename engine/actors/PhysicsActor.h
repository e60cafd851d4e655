#pragma once

#include "engine/actors/Actor.h"

class b2Body;
struct b2FixtureDef;
struct b2Vec2;

/// An Actor with a rigid body in the World's Box2D world. Shape, density and the other physical
/// properties are set first; InitPhysics then creates the body and freezes them. After each
/// physics step the World copies the body's position and angle into the actor. Main thread
/// only.
class PhysicsActor : public Actor
{
public:
    enum eShapeType : int
    {
        SHAPETYPE_BOX = 0,
        SHAPETYPE_CIRCLE = 1
    };

    /// Every number that reaches Box2D (position, size, rotation in degrees, density, friction,
    /// restitution, damping) must be finite and at most this far from 0; beyond it Box2D's
    /// float arithmetic overflows into NaN or fails its asserts.
    static constexpr float kMaxPhysicsValue = 1.0e6f;
    /// The most one impulse may change the body's speed (units or radians per second), or one
    /// force or torque its speed within a second.
    static constexpr float kMaxSpeedChange = 1.0e6f;

    PhysicsActor() = default;
    /// Destroys the body, which takes its joints along.
    ~PhysicsActor() override;

    /// Moves the actor and, once it has one, its body at once, keeping the body's angle. With a
    /// body, a coordinate that is not finite or beyond kMaxPhysicsValue is refused with a
    /// warning.
    void SetPosition(const Vector2& pos) override;
    void SetPosition(float x, float y) override;
    String GetClassName() const override { return "PhysicsActor"; }

    /// Creates the body from the properties set so far. Refused with a line in the system log
    /// before World::SetupPhysics, for an unknown shape type, when a body already exists, for a
    /// value that is not finite or beyond kMaxPhysicsValue (friction, damping and size below 0
    /// too), and for a size and density whose mass Box2D cannot use.
    virtual void InitPhysics();
    /// Called at the end of InitPhysics once the body exists (extra fixtures, joints).
    virtual void CustomInitPhysics() {}
    /// Called with the filled fixture definition just before the body is created.
    virtual void InitShape(b2FixtureDef* /*shapeDef*/) {}

    // Physical properties: each is refused with a warning once the body exists.

    /// kg per square metre; 0 or less makes a static body that forces do not move.
    void SetDensity(float density) { Change(m_density, density, "SetDensity"); }
    void SetFriction(float friction) { Change(m_friction, friction, "SetFriction"); }
    void SetRestitution(float restitution) { Change(m_restitution, restitution, "SetRestitution"); }
    void SetLinearDamping(float damping) { Change(m_linearDamping, damping, "SetLinearDamping"); }
    /// An unknown shape type is refused with a warning.
    void SetShapeType(eShapeType shapeType);
    /// A sensor reports contacts but is not pushed and pushes nothing.
    void SetIsSensor(bool isSensor) { Change(m_isSensor, isSensor, "SetIsSensor"); }
    /// Bodies sharing a negative group never touch, a positive one always; only the low 16
    /// bits are used.
    void SetGroupIndex(int groupIndex) { Change(m_groupIndex, groupIndex, "SetGroupIndex"); }
    void SetFixedRotation(bool fixed) { Change(m_fixedRotation, fixed, "SetFixedRotation"); }
    /// The body's shape follows the size: a box of the full size, or a circle of diameter x.
    void SetSize(float x, float y = -1.0f);
    void SetSize(const Vector2& size);
    /// Degrees; the body's starting angle.
    void SetRotation(float rotation);

    /// Changes only the drawn size, also after the body exists.
    void SetDrawSize(float x, float y = -1.0f);

    // Forces: ignored without a body, and by static bodies. Points are offsets from the
    // actor's position in world axes. A push that is not finite or would change the body's
    // speed by more than kMaxSpeedChange is refused with a warning.

    void ApplyForce(const Vector2& force, const Vector2& point);
    /// The force is given in the body's axes.
    void ApplyLocalForce(const Vector2& force, const Vector2& point);
    void ApplyImpulse(const Vector2& impulse, const Vector2& offset);
    void ApplyTorque(float torque);

    /// Null until InitPhysics succeeds.
    b2Body* GetBody() const { return m_physBody; }

    /// Called by the World after each physics tick: stores the body's position and angle
    /// (degrees, brought into -180 ... 180) without touching the body.
    void _syncPosRot(float x, float y, float rotation);

protected:
    b2Body* m_physBody = nullptr;
    float m_density = 1.0f;
    float m_friction = 0.3f;
    float m_restitution = 0.0f;
    float m_linearDamping = 0.0f;
    eShapeType m_shapeType = SHAPETYPE_BOX;
    bool m_isSensor = false;
    int m_groupIndex = 0;
    bool m_fixedRotation = false;

private:
    /// False, with the warning for setterName, once the body exists.
    bool CanChange(const char* setterName) const;
    /// False, with an error line, when a value of the body to be made is out of range.
    bool CanBuildBody(const b2FixtureDef& shapeDef) const;
    /// False when pushing with force (or impulse) at the world point, plus torque, would give the
    /// body a speed change that is not finite or above kMaxSpeedChange.
    bool CanPush(const b2Vec2& force, const b2Vec2& point, float torque) const;
    /// CanPush for a force or impulse as operation was given it (at givenAt); else a warning
    /// naming operation.
    bool PushOrWarn(const char* operation, const Vector2& given, const Vector2& givenAt,
                    const b2Vec2& force, const b2Vec2& at) const;
    template <typename T> void Change(T& field, T value, const char* setterName)
    {
        if (CanChange(setterName))
            field = value;
    }
};
