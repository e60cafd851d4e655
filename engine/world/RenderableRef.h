#pragma once

#include "engine/util/Lifeline.h"

#include <vector>

/// A plain pointer to a renderable that the holder does not own alone, which turns null once
/// the renderable is deleted: by the World's clean-up after a Destroy() (a script's, another
/// actor's), by a level unload, or by anyone else. A screen keeps its actors through these
/// rather than guessing from addresses, which a new actor may reuse. Main thread only.
template <typename T> class RenderableRef
{
public:
    RenderableRef() = default;
    /// Null refers to nothing. Implicit, so that a new renderable is simply assigned.
    RenderableRef(T* renderable)
        : m_renderable(renderable),
          m_watch(renderable != nullptr ? renderable->GetLifeline().GetWatch() : Lifeline::Watch())
    {
    }

    /// The renderable, or null once it has been deleted.
    T* Get() const { return m_watch.IsAlive() ? m_renderable : nullptr; }
    /// The renderable, or null once it has been deleted or destroyed (marked for deletion):
    /// what game logic may still act on.
    T* GetLive() const
    {
        T* renderable = Get();
        return renderable != nullptr && !renderable->IsDestroyed() ? renderable : nullptr;
    }
    /// Whether this refers to that existing renderable.
    bool Is(const T* renderable) const { return renderable != nullptr && Get() == renderable; }
    void Reset() { *this = RenderableRef(); }

private:
    T* m_renderable = nullptr;
    Lifeline::Watch m_watch;
};

/// The renderables of refs that still exist and are not destroyed, in order.
template <typename T> std::vector<T*> LiveOf(const std::vector<RenderableRef<T>>& refs)
{
    std::vector<T*> live;
    for (const RenderableRef<T>& ref : refs)
        if (T* renderable = ref.GetLive())
            live.push_back(renderable);
    return live;
}
