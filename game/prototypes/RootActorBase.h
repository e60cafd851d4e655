#pragma once

#include "engine/actors/Actor.h"
#include "engine/world/RenderableRef.h"

class PhysicsActor;

/// A root between two physics actors: a spring joint in the physics world and a sprite
/// stretched from one end to the other that gets thinner as the gap grows. The root is named
/// "Root" and tagged "root" and with the lower-cased names of both ends, so that the roots at
/// one actor are found with GetObjectsTagged("root, <name>"). It destroys itself in the first
/// update after either end is destroyed or deleted; the joint goes with the ends' bodies.
class RootActorBase : public Actor
{
public:
    /// The ends; null once deleted (by whomever).
    PhysicsActor* GetFirstActor() const { return m_first.Get(); }
    PhysicsActor* GetSecondActor() const { return m_second.Get(); }

    /// Follows the ends, or destroys the root once either end is destroyed.
    void Update(float dt) override;

protected:
    /// Both ends must have their bodies. thickness / gap length is the drawn height, at most the
    /// width of the first end.
    RootActorBase(PhysicsActor* first, PhysicsActor* second, float thickness, const Color& color,
                  const char* sprite);

private:
    void FollowEnds(const PhysicsActor* first, const PhysicsActor* second);

    RenderableRef<PhysicsActor> m_first;
    RenderableRef<PhysicsActor> m_second;
    float m_thickness;
};
