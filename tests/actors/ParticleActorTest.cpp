#include "engine/actors/ParticleActor.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

namespace
{

using Particle = ParticleActor::Particle;

/// Slots holding a particle (age >= 0), or only those born in the last update (age 0).
int Count(const ParticleActor& actor, bool newborn = false)
{
    int count = 0;
    for (int i = 0; i < actor.GetMaxParticles(); ++i)
        count +=
            newborn ? actor.GetParticles()[i].age == 0.0f : actor.GetParticles()[i].age >= 0.0f;
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

TEST(ParticleActorTest, PoolSizesAndEmissionWithTheCarriedRemainderAndLostParticles)
{
    ParticleActor idle;
    idle.Update(1.0f); // nothing happens until the pool exists
    idle.SetMaxParticles(-5);
    EXPECT_EQ(idle.GetMaxParticles(), 1) << "below 1 becomes 1";
    idle.SetMaxParticles(2000000000); // a script's: every frame would walk them all
    EXPECT_EQ(idle.GetMaxParticles(), ParticleActor::kMostParticles);

    // 2 per second in quarter-second ticks: one particle every other tick.
    auto actor = Emitter(100, 2.0f, 100.0f);
    std::vector<int> born;
    for (int tick = 0; tick < 6; ++tick)
    {
        actor->Update(0.25f);
        born.push_back(Count(*actor, true));
    }
    EXPECT_EQ(born, (std::vector<int>{0, 1, 0, 1, 0, 1}));
    actor->SetMaxParticles(100);
    EXPECT_EQ(Count(*actor), 3) << "the same size keeps the live particles";
    actor->SetMaxParticles(6);
    EXPECT_EQ(Count(*actor), 0) << "a new size starts an empty pool";

    auto full = Emitter(5, 7.0f, 1.5f);
    full->Update(1.0f);
    EXPECT_EQ(Count(*full), 5) << "7 due, 5 slots";
    full->Update(1.0f);
    EXPECT_EQ(Count(*full, true), 0) << "the pool is full";
    full->Update(0.6f); // all die at age 1.6; 4.2 due
    EXPECT_EQ(Count(*full, true), 4) << "lost particles are not owed later";
    EXPECT_EQ(full->GetLiveParticles(), 0);
}

TEST(ParticleActorTest, ParticlesLeaveAlongTheRotationFallFadeAndFreeTheirSlot)
{
    auto actor = Emitter(50, 500.0f, 2.0f);
    actor->SetPosition(1.0f, 2.0f);
    actor->SetRotation(90.0f);
    actor->Update(0.1f);
    ASSERT_EQ(Count(*actor), 50);
    for (const Particle* p = actor->GetParticles(); p < actor->GetParticles() + 50; ++p)
        EXPECT_TRUE(p->position == Vector2(1.0f, 2.0f) && std::fabs(p->velocity.X) < 1e-5f &&
                    p->velocity.Y >= 2.0f && p->velocity.Y < 4.0f)
            << "no spread: straight up, at 2 to 4 units a second";

    // Speed 4 straight up under gravity (0, -4) climbs for exactly one second, fading to the
    // end colour and scale on the way.
    auto thrown = Emitter(1, 1.0f, 2.0f);
    thrown->SetRotation(90.0f);
    thrown->SetSpeedRange(4.0f, 4.0f);
    thrown->SetColor(Color(1.0f, 0.0f, 0.0f, 1.0f));
    thrown->SetEndColor(Color(0.0f, 0.0f, 1.0f, 0.0f));
    thrown->SetEndScale(0.0f);
    thrown->Update(1.0f);
    thrown->SetParticlesPerSecond(0.0f);
    const Particle& particle = thrown->GetParticles()[0];
    for (int tick = 0; tick < 4; ++tick)
        thrown->Update(0.25f);
    EXPECT_NEAR(particle.velocity.Y, 0.0f, 1e-5f);
    EXPECT_NEAR(particle.position.Y, 2.5f, 1e-5f) << "4, 3, 2 and 1 units/s for 0.25 s each";
    EXPECT_EQ(particle.color, Color(0.5f, 0.0f, 0.5f, 0.5f));
    EXPECT_FLOAT_EQ(particle.scale, 0.5f);
    thrown->Update(0.99f);
    EXPECT_EQ(thrown->GetLiveParticles(), 1);
    thrown->Update(0.01f);
    EXPECT_EQ(thrown->GetLiveParticles(), 0) << "dead at the end of its lifetime";

    // A lifetime of 0 (from a negative one) frees the slot after the frame it was drawn in.
    auto brief = Emitter(2, 4.0f, -1.0f);
    for (int tick = 1; tick <= 4; ++tick)
    {
        brief->Update(0.25f);
        EXPECT_TRUE(Count(*brief, true) == 1 && Count(*brief) == 1) << "tick " << tick;
    }
}

TEST(ParticleActorTest, AFinishedEmitterDestroysItselfOnceItsParticlesHaveDied)
{
    // A lifetime of 1 s run down by ticks that end exactly on 0.
    auto actor = Emitter(10, 4.0f, 0.5f); // one per tick
    actor->SetSystemLifetime(1.0f);
    for (int i = 0; i < 3; ++i)
    {
        actor->Update(0.25f);
        EXPECT_EQ(Count(*actor, true), 1) << "emitting in tick " << i + 1;
    }
    actor->Update(0.25f);
    EXPECT_EQ(Count(*actor, true), 0) << "the lifetime ran out in the fourth tick";
    EXPECT_FALSE(actor->IsDestroyed()) << "a particle is still alive";
    actor->Update(0.25f);
    EXPECT_TRUE(actor->IsDestroyed());
}
