#include "engine/world/Renderable.h"

#include "engine/world/World.h"

#include <iterator>
#include <set>

namespace
{
/// Every live renderable by address. Never destroyed, so that renderables deleted during the
/// program's exit still find it.
std::set<const Renderable*>& LiveRenderables()
{
    static auto* live = new std::set<const Renderable*>();
    return *live;
}
} // namespace

unsigned long Renderable::s_deletions = 0;

Renderable::Renderable()
{
    LiveRenderables().insert(this);
}

Renderable::Renderable(const Renderable& other) : m_destroyed(other.m_destroyed)
{
    // A copy is a renderable of its own, in no layer until added.
    LiveRenderables().insert(this);
}

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
    LiveRenderables().erase(this);
    ++s_deletions;
}

void Renderable::Destroy()
{
    if (m_destroyed)
        return;
    PreDestroy();
    m_destroyed = true;
}

Renderable* Renderable::LiveAtOrBelow(const void* address)
{
    const std::set<const Renderable*>& live = LiveRenderables();
    auto above = live.upper_bound(static_cast<const Renderable*>(address));
    if (above == live.begin())
        return nullptr;
    return const_cast<Renderable*>(*std::prev(above));
}
