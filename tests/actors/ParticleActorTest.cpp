#include "engine/actors/ParticleActor.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
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

std::unique_ptr<ParticleActor> Emitter(int maxParticles, float perSecond, float lifetime)
{
    auto actor = std::make_unique<ParticleActor>();
    actor->SetMaxParticles(maxParticles);
    actor->SetParticlesPerSecond(perSecond);
    actor->SetParticleLifetime(lifetime);
    return actor;
}

} // namespace

TEST(ParticleActorTest, PoolSizes)
{
    ParticleActor idle;
    idle.SetMaxParticles(0); // already 0: still no pool
    idle.Update(1.0f);
    EXPECT_EQ(idle.GetParticles(), nullptr) << "nothing happens until the pool exists";
    idle.SetMaxParticles(-5);
    EXPECT_EQ(idle.GetMaxParticles(), 1) << "below 1 becomes 1";
    EXPECT_TRUE(Occupied(idle).empty()) << "a new pool is empty";

    auto actor = Emitter(10, 4.0f, 2.0f);
    actor->Update(1.0f);
    ASSERT_EQ(Occupied(*actor).size(), 4u);
    actor->SetMaxParticles(10);
    EXPECT_EQ(Occupied(*actor).size(), 4u) << "the same size keeps the live particles";
    actor->SetMaxParticles(6);
    EXPECT_TRUE(Occupied(*actor).empty()) << "a new size starts an empty pool";
}

TEST(ParticleActorTest, EmissionCarriesTheFractionOfAParticleAndLosesWhatFindsNoSlot)
{
    // 2 per second in quarter-second ticks: one particle every other tick.
    auto actor = Emitter(100, 2.0f, 100.0f);
    std::vector<int> born;
    for (int tick = 0; tick < 8; ++tick)
    {
        actor->Update(0.25f);
        born.push_back(Newborn(*actor));
    }
    EXPECT_EQ(born, (std::vector<int>{0, 1, 0, 1, 0, 1, 0, 1}));

    auto silent = Emitter(10, -3.0f, 1.0f);
    silent->Update(1.0f);
    EXPECT_TRUE(Occupied(*silent).empty()) << "a negative rate emits nothing";

    auto full = Emitter(5, 7.0f, 1.5f);
    full->Update(1.0f);
    EXPECT_EQ(Occupied(*full).size(), 5u) << "7 due, 5 slots";
    full->Update(1.0f);
    EXPECT_EQ(Newborn(*full), 0) << "the pool is full";
    EXPECT_EQ(full->GetLiveParticles(), 5);
    full->Update(0.6f); // all die at age 1.6; 4.2 due
    EXPECT_EQ(Newborn(*full), 4) << "lost particles are not owed later";
    EXPECT_EQ(full->GetLiveParticles(), 0);
}

TEST(ParticleActorTest, ParticlesLeaveAlongTheRotationAndFallUnderGravity)
{
    auto actor = Emitter(200, 2000.0f, 2.0f);
    actor->SetPosition(1.0f, 2.0f);
    actor->SetRotation(90.0f);
    actor->Update(0.1f);
    ASSERT_EQ(Occupied(*actor).size(), 200u);
    for (const Particle* particle : Occupied(*actor))
    {
        EXPECT_EQ(particle->position, Vector2(1.0f, 2.0f));
        EXPECT_GE(particle->velocity.Length(), 2.0f);
        EXPECT_LT(particle->velocity.Length(), 4.0f);
        EXPECT_NEAR(particle->velocity.X, 0.0f, 1e-5f) << "no spread: straight up";
        EXPECT_GT(particle->velocity.Y, 0.0f);
    }

    // Speed 4 straight up under gravity (0, -4) climbs for exactly one second.
    auto thrown = Emitter(1, 1.0f, 2.0f);
    thrown->SetRotation(90.0f);
    thrown->SetSpeedRange(4.0f, 4.0f);
    thrown->Update(1.0f);
    thrown->SetParticlesPerSecond(0.0f);
    const Particle& particle = thrown->GetParticles()[0];
    ASSERT_EQ(particle.age, 0.0f);
    for (int tick = 0; tick < 4; ++tick)
        thrown->Update(0.25f);
    EXPECT_NEAR(particle.velocity.Y, 0.0f, 1e-5f);
    EXPECT_NEAR(particle.position.Y, 2.5f, 1e-5f) << "4, 3, 2 and 1 units/s for 0.25 s each";
}

TEST(ParticleActorTest, ParticlesFadeToTheEndColourAndScaleThenFreeTheirSlot)
{
    auto actor = Emitter(1, 1.0f, 2.0f);
    actor->SetColor(Color(1.0f, 0.0f, 0.0f, 1.0f));
    actor->SetEndColor(Color(0.0f, 0.0f, 1.0f, 0.0f));
    actor->SetEndScale(0.0f);
    actor->Update(1.0f);
    actor->SetParticlesPerSecond(0.0f);
    const Particle& particle = actor->GetParticles()[0];
    EXPECT_EQ(particle.color, Color(1.0f, 0.0f, 0.0f, 1.0f)) << "born in the actor's colour";

    actor->Update(1.0f);
    EXPECT_NEAR(particle.color.R, 0.5f, 1e-6f);
    EXPECT_NEAR(particle.color.B, 0.5f, 1e-6f);
    EXPECT_NEAR(particle.color.A, 0.5f, 1e-6f);
    EXPECT_NEAR(particle.scale, 0.5f, 1e-6f);
    actor->Update(0.99f);
    EXPECT_EQ(actor->GetLiveParticles(), 1);
    actor->Update(0.01f);
    EXPECT_LT(particle.age, 0.0f) << "dead at the end of its lifetime";
    EXPECT_EQ(actor->GetLiveParticles(), 0);

    // A lifetime of 0 (from a negative one) frees the slot after the frame it was drawn in.
    auto brief = Emitter(2, 4.0f, -1.0f);
    for (int tick = 1; tick <= 5; ++tick)
    {
        brief->Update(0.25f);
        EXPECT_EQ(Newborn(*brief), 1) << "tick " << tick << ": a slot was free";
        EXPECT_EQ(Occupied(*brief).size(), 1u) << "tick " << tick;
    }
}

TEST(ParticleActorTest, AFinishedEmitterDestroysItselfOnceItsParticlesHaveDied)
{
    // Lifetimes of 1 s run down by ticks that end exactly on 0 and by ticks that overshoot.
    for (const float tick : {0.25f, 0.3f})
    {
        SCOPED_TRACE(tick);
        auto actor = Emitter(10, 1.0f / tick, 0.5f); // one per tick
        actor->SetSystemLifetime(1.0f);
        for (int i = 0; i < 3; ++i)
        {
            actor->Update(tick);
            EXPECT_EQ(Newborn(*actor), 1) << "emitting in tick " << i + 1;
        }
        actor->Update(tick);
        EXPECT_EQ(Newborn(*actor), 0) << "the lifetime ran out in the fourth tick";
        EXPECT_FALSE(actor->IsDestroyed()) << "a particle is still alive";
        actor->Update(tick);
        EXPECT_TRUE(actor->IsDestroyed());
    }

    auto endless = Emitter(10, 4.0f, 0.5f);
    endless->SetSystemLifetime(-2.0f); // negative counts as 0: endless
    for (int i = 0; i < 40; ++i)
        endless->Update(0.25f);
    EXPECT_EQ(Newborn(*endless), 1);
    EXPECT_FALSE(endless->IsDestroyed());
}
