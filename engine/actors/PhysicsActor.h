#pragma once

#include "engine/actors/Actor.h"

class b2Body;
struct b2FixtureDef;

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

    PhysicsActor() = default;
    /// Destroys the body, which takes its joints along.
    ~PhysicsActor() override;

    /// Moves the actor and, once it has one, its body at once, keeping the body's angle.
    void SetPosition(const Vector2& pos) override;
    void SetPosition(float x, float y) override;
    String GetClassName() const override { return "PhysicsActor"; }

    /// Creates the body from the properties set so far. Refused with a line in the system log
    /// before World::SetupPhysics, for an unknown shape type, and when a body already exists.
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
    void SetShapeType(eShapeType shapeType) { Change(m_shapeType, shapeType, "SetShapeType"); }
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
    // actor's position in world axes.

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
    template <typename T> void Change(T& field, T value, const char* setterName)
    {
        if (CanChange(setterName))
            field = value;
    }
};
