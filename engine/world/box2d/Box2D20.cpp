#include "engine/world/box2d/Box2D20.h"

#include <cfloat>

namespace box2d20
{
namespace
{

/// Wakes every dynamic body whose fixtures' bounds overlap the query box.
class WakeInBox : public b2QueryCallback
{
public:
    explicit WakeInBox(const b2Body* except) : m_except(except) {}

    bool ReportFixture(b2Fixture* fixture) override
    {
        b2Body* body = fixture->GetBody();
        if (body != m_except && body->GetType() == b2_dynamicBody)
            body->SetAwake(true);
        return true;
    }

private:
    const b2Body* m_except;
};

void WakeBodiesAt(b2Body* body)
{
    const b2Fixture* fixture = body->GetFixtureList();
    if (fixture == nullptr)
        return;
    b2AABB box = fixture->GetAABB(0);
    for (; fixture; fixture = fixture->GetNext())
        for (int32 child = 0; child < fixture->GetShape()->GetChildCount(); ++child)
            box.Combine(fixture->GetAABB(child));
    WakeInBox wake(body);
    body->GetWorld()->QueryAABB(&wake, box);
}

void WakeNeighbours(b2Body* body)
{
    // 2.4 leaves a contact alone while its only awake body is static or kinematic, so a resting
    // body would neither notice a sensor arriving nor one leaving.
    for (b2ContactEdge* edge = body->GetContactList(); edge; edge = edge->next)
        edge->other->SetAwake(true);
    for (b2JointEdge* edge = body->GetJointList(); edge; edge = edge->next)
        edge->other->SetAwake(true);
    WakeBodiesAt(body);
}

} // namespace

b2BodyType BodyTypeForDensity(float density)
{
    return density > 0.0f ? b2_dynamicBody : b2_staticBody;
}

b2Body* CreateBody(b2World* world, b2BodyDef bodyDef, const b2FixtureDef& fixtureDef)
{
    bodyDef.type = BodyTypeForDensity(fixtureDef.density);
    b2Body* body = world->CreateBody(&bodyDef);
    body->CreateFixture(&fixtureDef);
    if (body->GetType() != b2_dynamicBody)
        WakeBodiesAt(body);
    return body;
}

void MoveBody(b2Body* body, const b2Vec2& position, float angle)
{
    body->SetTransform(position, angle);
    if (body->GetType() != b2_dynamicBody)
        WakeNeighbours(body);
}

void DistanceJointDef::Initialize(b2Body* b1, b2Body* b2, const b2Vec2& anchor1,
                                  const b2Vec2& anchor2)
{
    body1 = b1;
    body2 = b2;
    localAnchor1 = b1->GetLocalPoint(anchor1);
    localAnchor2 = b2->GetLocalPoint(anchor2);
    length = (anchor2 - anchor1).Length();
}

b2Joint* CreateDistanceJoint(b2World* world, const DistanceJointDef& def)
{
    // Box2D aborts on a joint of a body to itself (a script may have made a screen's two
    // actors one by renaming).
    if (def.body1 == nullptr || def.body2 == nullptr || def.body1 == def.body2)
        return nullptr;
    b2DistanceJointDef jointDef;
    jointDef.bodyA = def.body1;
    jointDef.bodyB = def.body2;
    jointDef.localAnchorA = def.localAnchor1;
    jointDef.localAnchorB = def.localAnchor2;
    jointDef.length = def.length;
    jointDef.collideConnected = def.collideConnected;
    if (def.frequencyHz > 0.0f)
    {
        // A spring only acts between the length limits; 2.0's spring had none.
        b2LinearStiffness(jointDef.stiffness, jointDef.damping, def.frequencyHz, def.dampingRatio,
                          def.body1, def.body2);
        jointDef.minLength = 0.0f;
        jointDef.maxLength = FLT_MAX;
    }
    else
    {
        jointDef.stiffness = 0.0f;
        jointDef.damping = 0.0f;
        jointDef.minLength = def.length;
        jointDef.maxLength = def.length;
    }
    return world->CreateJoint(&jointDef);
}

} // namespace box2d20
