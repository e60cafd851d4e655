#include "engine/actors/ParticleActor.h"

#include "engine/console/Log.h"
#include "engine/util/MathUtil.h"
#include "engine/util/opengl/GL.h"

#include <cmath>

ParticleActor::ParticleActor() = default;

ParticleActor::~ParticleActor() = default;

void ParticleActor::SetParticlesPerSecond(float particlesPerSecond)
{
    m_particlesPerSecond = particlesPerSecond < 0.0f ? 0.0f : particlesPerSecond;
}

void ParticleActor::SetSystemLifetime(float lifetime)
{
    m_systemLifetime = lifetime < 0.0f ? 0.0f : lifetime;
    m_emissionEnded = false;
}

void ParticleActor::SetParticleLifetime(float lifetime)
{
    m_particleLifetime = lifetime < 0.0f ? 0.0f : lifetime;
}

void ParticleActor::SetSpread(float radians)
{
    m_spread = radians;
}

void ParticleActor::SetEndColor(const Color& color)
{
    m_endColor = color;
}

void ParticleActor::SetEndScale(float scale)
{
    m_endScale = scale;
}

void ParticleActor::SetSpeedRange(float minSpeed, float maxSpeed)
{
    m_minSpeed = minSpeed;
    m_maxSpeed = maxSpeed;
}

void ParticleActor::SetGravity(const Vector2& gravity)
{
    m_gravity = gravity;
}

void ParticleActor::SetMaxParticles(int maxParticles)
{
    if (maxParticles == m_maxParticles)
        return;
    int count = maxParticles < 1 ? 1 : maxParticles;
    if (count > kMostParticles)
    {
        // Every frame walks the whole pool: a script's hundred million would stall the game.
        GetSystemLog()->Printf("WARNING: SetMaxParticles() was given %d; a pool holds at most "
                               "%d particles.",
                               maxParticles, kMostParticles);
        count = kMostParticles;
    }
    // Allocated first: when that fails the actor keeps its pool and the count that goes with it.
    m_particles = std::make_unique<Particle[]>(count);
    m_maxParticles = count;
    m_liveParticles = 0;
}

void ParticleActor::Update(float dt)
{
    Actor::Update(dt);

    if (m_maxParticles == 0)
        return;

    m_liveParticles = 0;
    for (int i = 0; i < m_maxParticles; ++i)
    {
        Particle& particle = m_particles[i];
        if (particle.age < 0.0f)
            continue;

        // A particle of lifetime 0 is freed here too, after the one frame it was drawn in.
        particle.age += dt;
        if (particle.age >= particle.lifetime)
        {
            particle.age = -1.0f;
            continue;
        }

        const float t = particle.age / particle.lifetime;
        particle.position = particle.position + particle.velocity * dt;
        particle.velocity = particle.velocity + m_gravity * dt;
        particle.color = MathUtil::Lerp(GetColor(), m_endColor, t);
        particle.scale = MathUtil::Lerp(1.0f, m_endScale, t);
        ++m_liveParticles;
    }

    // Running down to exactly 0 ends emission too; only a lifetime never set is endless.
    if (m_systemLifetime > 0.0f)
    {
        m_systemLifetime -= dt;
        if (m_systemLifetime <= 0.0f)
            m_emissionEnded = true;
    }
    if (m_emissionEnded)
    {
        if (m_liveParticles == 0)
            Destroy();
        return;
    }

    // The fraction of a particle not emitted yet is carried to the next tick, as particles.
    const float due = m_particlesPerSecond * dt + m_emissionRemainder;
    const float whole = std::trunc(due);
    m_emissionRemainder = due - whole;
    if (whole >= 1.0f)
        Emit(whole >= static_cast<float>(m_maxParticles) ? m_maxParticles
                                                         : static_cast<int>(whole));
}

void ParticleActor::Emit(int count)
{
    const float baseAngle = MathUtil::ToRadians(GetRotation());
    for (int i = 0; i < m_maxParticles && count > 0; ++i)
    {
        Particle& particle = m_particles[i];
        if (particle.age >= 0.0f)
            continue;

        particle.age = 0.0f;
        particle.lifetime = m_particleLifetime;
        particle.position = GetPosition();
        particle.scale = 1.0f;
        particle.color = GetColor();
        const float angle = MathUtil::RandomFloatWithError(baseAngle, m_spread);
        const float speed = MathUtil::RandomFloatInRange(m_minSpeed, m_maxSpeed);
        particle.velocity = Vector2(std::cos(angle) * speed, std::sin(angle) * speed);
        --count;
    }
}

void ParticleActor::Render()
{
    if (!m_particles)
        return;

    const bool textured = BindSpriteTexture();
    const Vector2& size = GetSize();
    const float rotation = GetRotation();
    for (int i = 0; i < m_maxParticles; ++i)
    {
        const Particle& particle = m_particles[i];
        if (particle.age < 0.0f)
            continue;

        glPushMatrix();
        glTranslatef(particle.position.X, particle.position.Y, 0.0f);
        glRotatef(rotation, 0.0f, 0.0f, 1.0f);
        glScalef(size.X * particle.scale, size.Y * particle.scale, 1.0f);
        glColor4f(particle.color.R, particle.color.G, particle.color.B, particle.color.A);
        DrawUnitSquare(Vector2(0.0f, 0.0f), Vector2(1.0f, 1.0f));
        glPopMatrix();
    }
    if (textured)
        glDisable(GL_TEXTURE_2D);
}
