#pragma once

// Box2D 2.0.1's behaviour where the engine and its games rely on it, over Box2D 2.4.1:
// - b2ContactPoint, 2.0's record of one contact point, and ForEachContactPoint, which hands out
//   every touching point of every step as 2.0's Add and Persist callbacks did, sensors included.
// - Bodies typed from their density: dynamic above 0, static otherwise (2.0 derived this from
//   the mass; 2.4 needs it in the body definition).
// - Static bodies moved by hand (a sensor that follows a finger) touch resting bodies, as 2.0's
//   static bodies did: MoveBody and CreateBody wake the bodies around a static body.
// - Distance joints with frequency and damping ratio (2.4 takes stiffness and damping).
// Known differences from 2.0: there are no world bounds, so bodies that leave the box are not
// frozen; points are read after the step, so position and relative velocity are the solved
// ones rather than those before solving; shapes are 2.4's fixtures; the contact id is 2.4's
// b2ContactID; a distance joint is never shorter than b2_linearSlop (0.005), even at length 0.
// No Box2D callback is used, so nothing here runs while the world is locked.

#include <box2d/box2d.h>

/// One point of a touching contact, copied out of Box2D after a step.
struct b2ContactPoint
{
    b2Fixture* shape1;
    b2Fixture* shape2;
    /// World position of the point.
    b2Vec2 position;
    /// Velocity of the point on shape2's body relative to the point on shape1's body.
    b2Vec2 velocity;
    /// Unit vector from shape1 towards shape2.
    b2Vec2 normal;
    /// Negative while the shapes overlap.
    float separation;
    float friction;
    float restitution;
    b2ContactID id;
};

namespace box2d20
{

/// Dynamic when density is above 0, else static.
b2BodyType BodyTypeForDensity(float density);

/// Creates a body of the type its fixture's density gives, with that one fixture. A new static
/// body wakes the bodies it overlaps so that their contacts with it are reported.
b2Body* CreateBody(b2World* world, b2BodyDef bodyDef, const b2FixtureDef& fixtureDef);

/// Moves the body at once. A static or kinematic body also wakes the bodies it touched, the
/// bodies joined to it and the bodies at its new place, since 2.4 only updates contacts in
/// which a moving body is awake.
void MoveBody(b2Body* body, const b2Vec2& position, float angle);

/// Calls report(const b2ContactPoint&) for every point of every touching contact, in contact
/// list order; a sensor contact's points are computed, since 2.4 keeps none for it. Stops early
/// when report returns false. Call it after b2World::Step, outside any callback.
template <typename Report> void ForEachContactPoint(b2World* world, Report&& report);

/// 2.0's distance joint definition: a rigid rod when frequencyHz is 0, else a spring.
struct DistanceJointDef
{
    b2Body* body1 = nullptr;
    b2Body* body2 = nullptr;
    b2Vec2 localAnchor1 = b2Vec2(0.0f, 0.0f);
    b2Vec2 localAnchor2 = b2Vec2(0.0f, 0.0f);
    /// Rest length in metres.
    float length = 1.0f;
    /// Spring frequency in Hz; 0 for a rigid joint.
    float frequencyHz = 0.0f;
    /// 0 no damping, 1 critical.
    float dampingRatio = 0.0f;
    bool collideConnected = false;

    /// Anchors given in world coordinates; the rest length is their current distance.
    void Initialize(b2Body* b1, b2Body* b2, const b2Vec2& anchor1, const b2Vec2& anchor2);
};

/// Creates the joint in world; null when either body is missing or both are one. Owned by the
/// world and destroyed with either body.
b2Joint* CreateDistanceJoint(b2World* world, const DistanceJointDef& def);

// -------------------------------------------------------------------------------------------

template <typename Report> void ForEachContactPoint(b2World* world, Report&& report)
{
    for (b2Contact* contact = world->GetContactList(); contact; contact = contact->GetNext())
    {
        if (!contact->IsTouching())
            continue;
        b2Fixture* fixtureA = contact->GetFixtureA();
        b2Fixture* fixtureB = contact->GetFixtureB();
        b2Body* bodyA = fixtureA->GetBody();
        b2Body* bodyB = fixtureB->GetBody();

        const b2Manifold* manifold = contact->GetManifold();
        b2Manifold sensorManifold;
        if (manifold->pointCount == 0)
        {
            // Only sensor contacts touch without points.
            contact->Evaluate(&sensorManifold, bodyA->GetTransform(), bodyB->GetTransform());
            manifold = &sensorManifold;
            if (manifold->pointCount == 0)
                continue;
        }

        b2WorldManifold worldManifold;
        worldManifold.Initialize(manifold, bodyA->GetTransform(), fixtureA->GetShape()->m_radius,
                                 bodyB->GetTransform(), fixtureB->GetShape()->m_radius);
        b2ContactPoint point;
        point.shape1 = fixtureA;
        point.shape2 = fixtureB;
        point.normal = worldManifold.normal;
        point.friction = contact->GetFriction();
        point.restitution = contact->GetRestitution();
        for (int32 i = 0; i < manifold->pointCount; ++i)
        {
            point.position = worldManifold.points[i];
            point.separation = worldManifold.separations[i];
            point.id = manifold->points[i].id;
            point.velocity = bodyB->GetLinearVelocityFromWorldPoint(point.position) -
                             bodyA->GetLinearVelocityFromWorldPoint(point.position);
            if (!report(static_cast<const b2ContactPoint&>(point)))
                return;
        }
    }
}

} // namespace box2d20
