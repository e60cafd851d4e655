#include "engine/actors/ParticleActor.h"
#include "engine/util/MathUtil.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace
{

using Particle = ParticleActor::Particle;

/// Slots holding a particle (age >= 0), whether or not the last update counted them.
std::vector<const Particle*> Occupied(const ParticleActor& actor)
{
    std::vector<const Particle*> occupied;
    for (int i = 0; i < actor.GetMaxParticles(); ++i)
        if (actor.GetParticles()[i].age >= 0.0f)
            occupied.push_back(&actor.GetParticles()[i]);
    return occupied;
}

/// Particles born in the last update (not advanced yet).
int Newborn(const ParticleActor& actor)
{
    int count = 0;
    for (const Particle* particle : Occupied(actor))
        count += particle->age == 0.0f ? 1 : 0;
    return count;
}

} // namespace

TEST(ParticleActorTest, NothingHappensUntilThePoolExists)
{
    ParticleActor actor;
    EXPECT_EQ(actor.GetClassName(), "ParticleActor");
    actor.Update(1.0f);
    EXPECT_EQ(actor.GetMaxParticles(), 0);
    EXPECT_EQ(actor.GetParticles(), nullptr);
    EXPECT_EQ(actor.GetLiveParticles(), 0);

    actor.SetMaxParticles(0); // already 0: still no pool
    EXPECT_EQ(actor.GetParticles(), nullptr);
    actor.Update(1.0f);
    EXPECT_FALSE(actor.IsDestroyed());
}

TEST(ParticleActorTest, PoolSizes)
{
    ParticleActor tiny;
    tiny.SetMaxParticles(-5);
    EXPECT_EQ(tiny.GetMaxParticles(), 1) << "below 1 becomes 1";
    ASSERT_NE(tiny.GetParticles(), nullptr);
    EXPECT_LT(tiny.GetParticles()[0].age, 0.0f) << "a new pool is empty";

    ParticleActor actor;
    actor.SetMaxParticles(10);
    actor.SetParticlesPerSecond(4.0f);
    actor.Update(1.0f);
    ASSERT_EQ(Occupied(actor).size(), 4u);

    actor.SetMaxParticles(10);
    EXPECT_EQ(Occupied(actor).size(), 4u) << "the same size keeps the live particles";

    actor.SetMaxParticles(6);
    EXPECT_EQ(actor.GetMaxParticles(), 6);
    EXPECT_TRUE(Occupied(actor).empty()) << "a new size starts an empty pool";
}

TEST(ParticleActorTest, EmissionCarriesTheFractionOfAParticle)
{
    ParticleActor actor;
    actor.SetMaxParticles(100);
    actor.SetParticleLifetime(100.0f);

    // 2 per second in quarter-second ticks: one particle every other tick.
    actor.SetParticlesPerSecond(2.0f);
    std::vector<int> born;
    for (int tick = 0; tick < 8; ++tick)
    {
        actor.Update(0.25f);
        born.push_back(Newborn(actor));
    }
    EXPECT_EQ(born, (std::vector<int>{0, 1, 0, 1, 0, 1, 0, 1}));

    // 20 per second at 60 frames per second: 20 in a second, within one of rounding.
    ParticleActor steady;
    steady.SetMaxParticles(100);
    steady.SetParticleLifetime(100.0f);
    for (int frame = 0; frame < 60; ++frame)
        steady.Update(1.0f / 60.0f);
    EXPECT_NEAR(static_cast<int>(Occupied(steady).size()), 20, 1);

    ParticleActor silent;
    silent.SetMaxParticles(10);
    silent.SetParticlesPerSecond(-3.0f);
    silent.Update(1.0f);
    EXPECT_TRUE(Occupied(silent).empty()) << "a negative rate emits nothing";
}

TEST(ParticleActorTest, ParticlesFindingNoFreeSlotAreLost)
{
    ParticleActor actor;
    actor.SetMaxParticles(5);
    actor.SetParticleLifetime(1.5f);
    actor.SetParticlesPerSecond(7.0f);

    actor.Update(1.0f);
    EXPECT_EQ(Occupied(actor).size(), 5u) << "7 due, 5 slots";
    actor.Update(1.0f);
    EXPECT_EQ(Newborn(actor), 0) << "the pool is full";
    EXPECT_EQ(actor.GetLiveParticles(), 5);

    actor.Update(0.6f); // all die at age 1.6; 4.2 due
    EXPECT_EQ(Newborn(actor), 4) << "lost particles are not owed later";
    EXPECT_EQ(actor.GetLiveParticles(), 0);
}

TEST(ParticleActorTest, ParticlesLeaveAlongTheRotationAndFallUnderGravity)
{
    ParticleActor actor;
    actor.SetPosition(1.0f, 2.0f);
    actor.SetRotation(90.0f);
    actor.SetMaxParticles(200);
    actor.SetParticlesPerSecond(2000.0f);
    actor.Update(0.1f);
    ASSERT_EQ(Occupied(actor).size(), 200u);
    for (const Particle* particle : Occupied(actor))
    {
        EXPECT_EQ(particle->position, Vector2(1.0f, 2.0f));
        const float speed = particle->velocity.Length();
        EXPECT_GE(speed, 2.0f);
        EXPECT_LT(speed, 4.0f);
        EXPECT_NEAR(particle->velocity.X, 0.0f, 1e-5f) << "no spread: straight up";
        EXPECT_GT(particle->velocity.Y, 0.0f);
    }

    ParticleActor cone;
    cone.SetRotation(0.0f);
    cone.SetSpread(0.5f);
    cone.SetMaxParticles(200);
    cone.SetParticlesPerSecond(2000.0f);
    cone.Update(0.1f);
    for (const Particle* particle : Occupied(cone))
    {
        const float angle = std::atan2(particle->velocity.Y, particle->velocity.X);
        EXPECT_GE(angle, -0.5f - 1e-5f);
        EXPECT_LT(angle, 0.5f + 1e-5f);
    }

    // Speed 4 straight up under gravity (0, -4) climbs for exactly one second.
    ParticleActor thrown;
    thrown.SetRotation(90.0f);
    thrown.SetSpeedRange(4.0f, 4.0f);
    thrown.SetMaxParticles(1);
    thrown.SetParticlesPerSecond(1.0f);
    thrown.Update(1.0f);
    thrown.SetParticlesPerSecond(0.0f);
    const Particle& particle = thrown.GetParticles()[0];
    ASSERT_EQ(particle.age, 0.0f);
    EXPECT_NEAR(particle.velocity.Y, 4.0f, 1e-5f);
    for (int tick = 0; tick < 4; ++tick)
        thrown.Update(0.25f);
    EXPECT_NEAR(particle.velocity.Y, 0.0f, 1e-5f);
    EXPECT_NEAR(particle.position.Y, 2.5f, 1e-5f) << "4, 3, 2 and 1 units/s for 0.25 s each";
    thrown.Update(0.25f);
    EXPECT_LT(particle.velocity.Y, 0.0f) << "and falls after that";
}

TEST(ParticleActorTest, ParticlesFadeToTheEndColourAndScale)
{
    ParticleActor actor;
    actor.SetColor(Color(1.0f, 0.0f, 0.0f, 1.0f));
    actor.SetEndColor(Color(0.0f, 0.0f, 1.0f, 0.0f));
    actor.SetEndScale(0.0f);
    actor.SetParticleLifetime(2.0f);
    actor.SetMaxParticles(1);
    actor.SetParticlesPerSecond(1.0f);
    actor.Update(1.0f);
    actor.SetParticlesPerSecond(0.0f);

    const Particle& particle = actor.GetParticles()[0];
    EXPECT_EQ(particle.color, Color(1.0f, 0.0f, 0.0f, 1.0f)) << "born in the actor's colour";
    EXPECT_EQ(particle.scale, 1.0f);

    actor.Update(1.0f);
    EXPECT_NEAR(particle.color.R, 0.5f, 1e-6f);
    EXPECT_NEAR(particle.color.B, 0.5f, 1e-6f);
    EXPECT_NEAR(particle.color.A, 0.5f, 1e-6f);
    EXPECT_NEAR(particle.scale, 0.5f, 1e-6f);

    actor.Update(0.99f);
    EXPECT_NEAR(particle.scale, 0.005f, 1e-4f) << "shrinks towards nothing";
    actor.Update(0.01f);
    EXPECT_LT(particle.age, 0.0f) << "dead at the end of its lifetime";
    EXPECT_EQ(actor.GetLiveParticles(), 0);
}

TEST(ParticleActorTest, AFinishedEmitterDestroysItselfOnceItsParticlesHaveDied)
{
    // Lifetimes of 1 s run down by ticks that end exactly on 0 and by ticks that overshoot.
    for (const float tick : {0.25f, 0.3f})
    {
        SCOPED_TRACE(tick);
        ParticleActor actor;
        actor.SetMaxParticles(10);
        actor.SetParticleLifetime(0.5f);
        actor.SetParticlesPerSecond(1.0f / tick); // one per tick
        actor.SetSystemLifetime(1.0f);

        for (int i = 0; i < 3; ++i)
        {
            actor.Update(tick);
            EXPECT_EQ(Newborn(actor), 1) << "emitting in tick " << i + 1;
        }
        actor.Update(tick);
        EXPECT_EQ(Newborn(actor), 0) << "the lifetime ran out in the fourth tick";
        EXPECT_EQ(actor.GetLiveParticles(), 1);
        EXPECT_FALSE(actor.IsDestroyed()) << "a particle is still alive";

        actor.Update(tick);
        EXPECT_EQ(actor.GetLiveParticles(), 0);
        EXPECT_TRUE(actor.IsDestroyed());
    }
}

TEST(ParticleActorTest, ASystemLifetimeOfZeroIsEndless)
{
    ParticleActor actor;
    actor.SetMaxParticles(10);
    actor.SetParticleLifetime(0.5f);
    actor.SetParticlesPerSecond(4.0f);
    actor.SetSystemLifetime(-2.0f); // negative counts as 0
    for (int i = 0; i < 40; ++i)
        actor.Update(0.25f);
    EXPECT_EQ(Newborn(actor), 1);
    EXPECT_FALSE(actor.IsDestroyed());
}

TEST(ParticleActorTest, ParticlesOfNoLifetimeFreeTheirSlots)
{
    ParticleActor actor;
    actor.SetMaxParticles(2);
    actor.SetParticleLifetime(-1.0f); // becomes 0
    actor.SetParticlesPerSecond(4.0f);
    for (int i = 0; i < 10; ++i)
    {
        actor.Update(0.25f);
        EXPECT_EQ(Newborn(actor), 1) << "tick " << i + 1 << ": a slot was free";
        EXPECT_EQ(Occupied(actor).size(), 1u) << "the one from the tick before was freed";
    }
}
