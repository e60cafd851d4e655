#include "engine/world/Renderable.h"

#include "engine/world/World.h"

unsigned long Renderable::s_deletions = 0;

Renderable::Renderable() = default;

// A copy is a renderable of its own, in no layer until added, with a lifeline of its own.
Renderable::Renderable(const Renderable& other) : m_destroyed(other.m_destroyed) {}

Renderable& Renderable::operator=(const Renderable& other)
{
    // Where this one stands in the World stays its own.
    m_destroyed = other.m_destroyed;
    return *this;
}

Renderable::~Renderable()
{
    // Deleted by someone else than the World (a script's own proxy, an owner that did not wait
    // for a remove asked for during the update pass): the World must not reach it again.
    World::GetInstance()->ForgetDeleted(this);
    ++s_deletions;
}

void Renderable::Destroy()
{
    if (m_destroyed)
        return;
    PreDestroy();
    m_destroyed = true;
}
