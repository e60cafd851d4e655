// Cost of World::RunPhysics per tick (one 1/60 s step, syncing every actor, and the collision
// messages, with one subscriber per body) next to bare b2World::Step calls on an identical
// scene: 500 dynamic circles dropped into a box under gravity, falling, piling up and coming to
// rest over 10 simulated seconds. Both worlds are built in the same order, so Box2D computes
// the same motion in each. The time of a tick's other passes and of the message delivery is not
// counted.
#include "engine/actors/PhysicsActor.h"
#include "engine/messaging/MessageListener.h"
#include "engine/messaging/Switchboard.h"
#include "engine/world/World.h"
#include "engine/world/box2d/Box2D20.h"
#include "tests/support/ManualClock.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace
{

constexpr int kCircles = 500;
constexpr int kColumns = 20;
constexpr float kRadius = 0.3f;
constexpr float kBoxWidth = 14.0f;
constexpr int kTicks = 600;
constexpr int kRounds = 3;
constexpr float kStep = 1.0f / 60.0f;

struct Placement
{
    b2Vec2 position;
    b2Vec2 halfSize; // walls only
};

/// Floor and two side walls, then the circles on a staggered grid above the floor.
void Layout(std::vector<Placement>& walls, std::vector<b2Vec2>& circles)
{
    walls = {{b2Vec2(0.0f, -0.5f), b2Vec2(kBoxWidth * 0.5f + 1.0f, 0.5f)},
             {b2Vec2(-kBoxWidth * 0.5f - 0.5f, 20.0f), b2Vec2(0.5f, 20.0f)},
             {b2Vec2(kBoxWidth * 0.5f + 0.5f, 20.0f), b2Vec2(0.5f, 20.0f)}};
    circles.clear();
    for (int i = 0; i < kCircles; ++i)
    {
        const int row = i / kColumns;
        const int column = i % kColumns;
        const float jitter = 0.05f * static_cast<float>((i * 7) % 5);
        circles.emplace_back(-kBoxWidth * 0.5f + 0.8f + column * 0.65f + jitter + (row % 2) * 0.2f,
                             1.0f + row * 0.7f);
    }
}

class Subscriber : public MessageListener
{
public:
    void ReceiveMessage(Message*) override { ++received; }
    long received = 0;
};

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

struct Timing
{
    double bare = 0.0;  // b2World::Step on the bare world
    double world = 0.0; // World::RunPhysics
    double walk = 0.0;  // reading the bare world's contact points out after each step
    long points = 0;
    long messages = 0;
    double checksum = 0.0;
};

void BuildWorldScene(Subscriber* subscriber)
{
    World* world = World::GetInstance();
    std::vector<Placement> walls;
    std::vector<b2Vec2> circles;
    Layout(walls, circles);
    for (const Placement& wall : walls)
    {
        auto* actor = new PhysicsActor();
        actor->SetPosition(wall.position.x, wall.position.y);
        actor->SetSize(wall.halfSize.x * 2.0f, wall.halfSize.y * 2.0f);
        actor->SetDensity(0.0f);
        actor->InitPhysics();
        world->Add(actor);
    }
    for (const b2Vec2& position : circles)
    {
        auto* actor = new PhysicsActor();
        actor->SetPosition(position.x, position.y);
        actor->SetSize(kRadius * 2.0f);
        actor->SetShapeType(PhysicsActor::SHAPETYPE_CIRCLE);
        actor->InitPhysics();
        world->Add(actor);
        if (subscriber != nullptr)
            Switchboard::GetInstance()->SubscribeTo(subscriber, "CollisionWith" + actor->GetName());
    }
}

/// The same bodies with the same settings, created in the same order.
void BuildBareScene(b2World& bare)
{
    std::vector<Placement> walls;
    std::vector<b2Vec2> circles;
    Layout(walls, circles);
    for (const Placement& wall : walls)
    {
        b2BodyDef def;
        def.position = wall.position;
        b2PolygonShape shape;
        shape.SetAsBox(wall.halfSize.x, wall.halfSize.y);
        b2FixtureDef fixture;
        fixture.shape = &shape;
        fixture.friction = 0.3f;
        bare.CreateBody(&def)->CreateFixture(&fixture);
    }
    for (const b2Vec2& position : circles)
    {
        b2BodyDef def;
        def.type = b2_dynamicBody;
        def.position = position;
        b2CircleShape shape;
        shape.m_radius = kRadius;
        b2FixtureDef fixture;
        fixture.shape = &shape;
        fixture.density = 1.0f;
        fixture.friction = 0.3f;
        bare.CreateBody(&def)->CreateFixture(&fixture);
    }
}

/// Runs both scenes tick by tick in turn, so that both see the same load on the machine.
Timing Run(b2World& bare, Subscriber* subscriber)
{
    World* world = World::GetInstance();
    BuildBareScene(bare);
    BuildWorldScene(subscriber);
    world->ResetPhysicsTimeCarried();
    const long before = subscriber ? subscriber->received : 0;

    Timing timing;
    for (int tick = 0; tick < kTicks; ++tick)
    {
        Clock::time_point start = Clock::now();
        bare.Step(kStep, 3, 3);
        timing.bare += Seconds(Clock::now() - start);

        start = Clock::now();
        box2d20::ForEachContactPoint(&bare,
                                     [&timing](const b2ContactPoint& point)
                                     {
                                         // Use every field, so that none of the read-out is
                                         // optimised away.
                                         ++timing.points;
                                         timing.checksum += point.position.x + point.velocity.y +
                                                            point.normal.x + point.separation +
                                                            point.friction + point.restitution;
                                         return true;
                                     });
        timing.walk += Seconds(Clock::now() - start);

        // A tick without time delivers the last tick's messages and empties the point store;
        // only the physics of the next 1/60 s is timed.
        world->Tick(true);
        start = Clock::now();
        world->RunPhysics(kStep);
        timing.world += Seconds(Clock::now() - start);
    }
    world->Tick(true);
    timing.messages = subscriber ? subscriber->received - before : 0;

    Switchboard* switchboard = Switchboard::GetInstance();
    if (subscriber != nullptr)
        for (const String& name : switchboard->GetSubscriptionsFor(subscriber))
            switchboard->UnsubscribeFrom(subscriber, name);
    world->UnloadAll();
    while (bare.GetBodyList() != nullptr)
        bare.DestroyBody(bare.GetBodyList());
    return timing;
}

/// The run with the lowest world time of several.
Timing Best(b2World& bare, Subscriber* subscriber)
{
    Timing best;
    best.world = 1e30;
    for (int round = 0; round < kRounds; ++round)
    {
        const Timing run = Run(bare, subscriber);
        if (run.world < best.world)
            best = run;
    }
    return best;
}

double PerTick(double seconds)
{
    return seconds / kTicks * 1e6;
}

} // namespace

int main()
{
    World* world = World::GetInstance();
    world->SetupPhysics(Vector2(0.0f, -10.0f));
    ManualClock clock; // never advanced: the untimed ticks carry no time
    world->SetClock(&clock);
    Subscriber subscriber;
    b2World bare(b2Vec2(0.0f, -10.0f));
    bare.SetAllowSleeping(true);

    // Both Box2D worlds are reused from run to run, as the World's must be; the first run only
    // warms them up.
    Run(bare, &subscriber);
    const Timing loud = Best(bare, &subscriber);
    const Timing quiet = Best(bare, nullptr);

    std::printf("Physics: %d dynamic circles in a box under gravity, %d ticks of 1/60 s "
                "(best of %d)\n",
                kCircles, kTicks, kRounds);
    std::printf("  contact points per tick: %.0f; collision messages per tick: %.0f\n",
                static_cast<double>(loud.points) / kTicks,
                static_cast<double>(loud.messages) / kTicks);
    std::printf("  bare b2World::Step:  %7.1f us per tick (reading its points out: %.1f us)\n",
                PerTick(loud.bare), PerTick(loud.walk));
    std::printf("  World::RunPhysics:   %7.1f us per tick, one subscriber per body: %.2fx "
                "(target: within 1.25x)\n",
                PerTick(loud.world), loud.world / loud.bare);
    std::printf("  World::RunPhysics:   %7.1f us per tick, no subscribers (points stored and "
                "checked, no messages): %.2fx of %.1f us\n",
                PerTick(quiet.world), quiet.world / quiet.bare, PerTick(quiet.bare));
    std::printf("  one collision message costs about %.0f ns to build and queue\n",
                (PerTick(loud.world) - PerTick(quiet.world)) * kTicks / loud.messages * 1e3);
    world->SetClock(nullptr);
    return 0;
}
