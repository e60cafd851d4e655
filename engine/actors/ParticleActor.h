#pragma once

#include "engine/actors/Actor.h"

#include <memory>

/// Emits and draws a fixed pool of short-lived particles. Each leaves the actor's position in a
/// direction around the actor's rotation, flies under constant gravity, and fades from the
/// actor's colour and size to the end colour and scale over its lifetime. The emitter itself is
/// not drawn; particles use its current sprite texture. With a system lifetime it stops emitting
/// when that runs out and destroys itself once its last particle has died.
class ParticleActor : public Actor
{
public:
    struct Particle
    {
        Vector2 position;
        Vector2 velocity;
        /// Seconds; negative marks a free slot.
        float age = -1.0f;
        float lifetime = 0.0f;
        Color color;
        float scale = 1.0f;
    };

    /// An idle emitter: nothing is emitted or drawn until SetMaxParticles makes the pool.
    ParticleActor();
    ~ParticleActor() override;

    void Update(float dt) override;
    void Render() override;
    String GetClassName() const override { return "ParticleActor"; }

    /// Particles per second; negative becomes 0.
    void SetParticlesPerSecond(float particlesPerSecond);
    /// Seconds of emission left; 0 (and anything negative) means endless. Once a lifetime has
    /// run out, emission stops and the actor destroys itself when its last particle has died.
    void SetSystemLifetime(float lifetime);
    /// Lifetime of particles emitted from now on; negative becomes 0.
    void SetParticleLifetime(float lifetime);
    /// Half-width of the emission cone, in radians.
    void SetSpread(float radians);
    void SetEndColor(const Color& color);
    void SetEndScale(float scale);
    /// World units per second.
    void SetSpeedRange(float minSpeed, float maxSpeed);
    /// World units per second squared.
    void SetGravity(const Vector2& gravity);
    /// Makes a new, empty pool when the size differs from the current one (values below 1 give
    /// 1, above kMostParticles that, with a warning); the particles of the old pool vanish. The
    /// pool is the only allocation.
    void SetMaxParticles(int maxParticles);
    static constexpr int kMostParticles = 100000;

    int GetMaxParticles() const { return m_maxParticles; }
    /// Particles counted alive by the last update.
    int GetLiveParticles() const { return m_liveParticles; }
    /// The pool (GetMaxParticles() records; null before SetMaxParticles).
    const Particle* GetParticles() const { return m_particles.get(); }

private:
    void Emit(int count);

    std::unique_ptr<Particle[]> m_particles;
    int m_maxParticles = 0;
    int m_liveParticles = 0;
    float m_particlesPerSecond = 20.0f;
    float m_emissionRemainder = 0.0f;
    float m_systemLifetime = 0.0f;
    bool m_emissionEnded = false;
    float m_particleLifetime = 2.0f;
    float m_spread = 0.0f;
    Color m_endColor;
    float m_minSpeed = 2.0f;
    float m_maxSpeed = 4.0f;
    float m_endScale = 1.0f;
    Vector2 m_gravity = Vector2(0.0f, -4.0f);
};
