// The World's physics: the Box2D world, its fixed-step clock, collision messages and the edge
// blockers around the visible area.

#include "engine/actors/PhysicsActor.h"
#include "engine/messaging/Message.h"
#include "engine/util/MathUtil.h"
#include "engine/world/Camera.h"
#include "engine/world/CollisionRecord.h"
#include "engine/world/World.h"
#include "engine/world/box2d/Box2D20.h"
#include "engine/world/box2d/DebugDraw.h"

namespace
{

constexpr float kPhysicsStep = 1.0f / 60.0f;
constexpr int kVelocityIterations = 3;
constexpr int kPositionIterations = 3;
constexpr float kBlockerThickness = 5.0f;
/// Seconds on the World's clock that one tick's steps may take. A world that costs more to step
/// than the time it simulates (thousands of overlapping bodies) would otherwise make each frame
/// longer than the last, up to 60 costly steps a frame, with Escape waiting for every one.
constexpr double kMaxStepSecondsPerTick = 0.1;

PhysicsActor* ActorOf(b2Fixture* fixture)
{
    if (fixture == nullptr)
        return nullptr;
    return reinterpret_cast<PhysicsActor*>(fixture->GetBody()->GetUserData().pointer);
}

} // namespace

bool World::SetupPhysics(const Vector2& gravity, const Vector2& /*maxVertex*/,
                         const Vector2& /*minVertex*/)
{
    if (m_physicsWorld != nullptr)
        return false;
    m_physicsWorld = new b2World(b2Vec2(gravity.X, gravity.Y));
    m_physicsWorld->SetAllowSleeping(true);
    m_debugDraw = new DebugDraw();
    m_physicsWorld->SetDebugDraw(m_debugDraw);
    m_contactPoints = new b2ContactPoint[kMaxContactPoints];
    m_contactPointCount = 0;
    m_collisionRecord = new CollisionRecord();
    return true;
}

void World::DestroyDebugDraw()
{
    if (m_physicsWorld != nullptr)
        m_physicsWorld->SetDebugDraw(nullptr);
    delete m_debugDraw;
    m_debugDraw = nullptr;
}

void World::RunPhysics(float dt)
{
    if (m_physicsWorld == nullptr)
        return;
    m_collisionRecord->Clear();

    // The tick's collision messages are made and queued together after the steps.
    m_collisionRecord->Hold();
    const double started = ReadClock();
    float carried = m_physicsDelta + dt;
    while (carried >= kPhysicsStep)
    {
        m_physicsWorld->Step(kPhysicsStep, kVelocityIterations, kPositionIterations);
        box2d20::ForEachContactPoint(m_physicsWorld,
                                     [this](const b2ContactPoint& point)
                                     {
                                         ProcessContact(&point);
                                         return m_contactPointCount < kMaxContactPoints;
                                     });
        carried -= kPhysicsStep;
        // Past the budget the time not yet stepped is dropped: the world runs slow instead.
        if (carried >= kPhysicsStep && ReadClock() - started > kMaxStepSecondsPerTick)
            carried = 0.0f;
    }
    m_collisionRecord->Release();
    m_physicsDelta = carried;

    for (b2Body* body = m_physicsWorld->GetBodyList(); body; body = body->GetNext())
    {
        auto* actor = reinterpret_cast<PhysicsActor*>(body->GetUserData().pointer);
        if (actor == nullptr)
            continue;
        const b2Vec2& position = body->GetPosition();
        actor->_syncPosRot(position.x, position.y, MathUtil::ToDegrees(body->GetAngle()));
    }
}

void World::ProcessContact(const b2ContactPoint* point)
{
    if (m_contactPoints == nullptr || m_contactPointCount >= kMaxContactPoints)
        return;
    PhysicsActor* first = ActorOf(point->shape1);
    PhysicsActor* second = ActorOf(point->shape2);
    if (first == nullptr || second == nullptr)
        return;

    b2ContactPoint* stored = &m_contactPoints[m_contactPointCount];
    *stored = *point;
    m_collisionRecord->Report(first, second, stored);
    ++m_contactPointCount;
}

void World::SetBlockers(bool turnOn, float restitution)
{
    if (!MathUtil::FuzzyEquals(restitution, -1.0f, 1e-6f))
        m_blockerRestitution = restitution;

    for (RenderableRef<PhysicsActor>& old : m_blockers)
    {
        PhysicsActor* blocker = old.Get();
        old.Reset();
        if (blocker == nullptr)
            continue;
        if (m_elementsLocked)
        {
            // Inside a pass the removal would be deferred: let the clean-up delete it instead.
            blocker->Destroy();
        }
        else
        {
            Remove(blocker);
            delete blocker;
        }
    }

    if (!turnOn)
    {
        m_blockersOn = false;
        return;
    }
    m_blockersOn = true;

    const Camera* camera = Camera::GetInstance();
    const Vector2 min = camera->GetWorldMinVertex();
    const Vector2 max = camera->GetWorldMaxVertex();
    const float w = max.X - min.X;
    const float h = max.Y - min.Y;
    const Vector2 centre(min.X + w * 0.5f, min.Y + h * 0.5f);
    const float t = kBlockerThickness;

    auto make = [this](const char* name, const Vector2& position, const Vector2& size)
    {
        PhysicsActor* blocker = new PhysicsActor();
        blocker->SetName(name);
        blocker->SetPosition(position.X, position.Y);
        blocker->SetColor(1.0f, 0.5f, 0.5f, 1.0f);
        blocker->SetSize(size.X, size.Y);
        blocker->SetDensity(0.0f);
        blocker->SetFriction(0.1f);
        blocker->SetRestitution(m_blockerRestitution);
        blocker->InitPhysics();
        return blocker;
    };
    PhysicsActor* blockers[] = {
        make("BlockerRight", Vector2(max.X + t * 0.5f, centre.Y), Vector2(t, h + 1.0f)),
        make("BlockerLeft", Vector2(min.X - t * 0.5f, centre.Y), Vector2(t, h + 1.0f)),
        make("BlockerTop", Vector2(centre.X, max.Y + t * 0.5f), Vector2(w + 1.0f, t)),
        make("BlockerBottom", Vector2(centre.X, min.Y - t * 0.5f), Vector2(w + 1.0f, t))};
    for (PhysicsActor* blocker : blockers)
        blocker->Tag("NoDelete");
    for (int i = 0; i < 4; ++i)
    {
        m_blockers[i] = blockers[i];
        Add(blockers[i], 0);
    }
}

void World::ReceiveMessage(Message* message)
{
    if (message->GetMessageName() == "CameraChange" && m_blockersOn)
        SetBlockers(true, -1.0f);
}
