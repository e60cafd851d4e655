#pragma once

#include "engine/util/Lifeline.h"

/// The base of everything the World updates and draws.
class Renderable
{
public:
    Renderable();
    Renderable(const Renderable& other);
    Renderable& operator=(const Renderable& other);
    virtual ~Renderable();

    virtual void Update(float dt) = 0;
    virtual void Render() = 0;
    /// Hook that Destroy() runs once, before setting the destroyed flag.
    virtual void PreDestroy() {}

    /// Marks the object for deletion by the World's next clean-up pass; a second call does
    /// nothing. Neither removes nor deletes it.
    void Destroy();
    bool IsDestroyed() const { return m_destroyed; }
    /// The World layer that holds it (0 until added).
    int GetLayer() const { return m_layer; }
    /// Ends when the renderable is deleted, by whomever: what RenderableRef watches.
    const Lifeline& GetLifeline() const { return m_lifeline; }

    /// For holders of a plain pointer that was stored without a watch (a script's list of
    /// actors, a message's sender): the live renderable of which `address` is the T view, or
    /// null. Nothing at the address is read unless a live renderable is there. A renderable made
    /// at the address of a deleted one is taken for it. Main thread only.
    template <typename T> static T* FindLive(const void* address)
    {
        Renderable* candidate = LiveAtOrBelow(address);
        T* view = candidate != nullptr ? dynamic_cast<T*>(candidate) : nullptr;
        return view != nullptr && static_cast<const void*>(view) == address ? view : nullptr;
    }

    /// How many renderables have been deleted so far: holders of many watches look at them
    /// again only when it has changed.
    static unsigned long GetDeletionCount() { return s_deletions; }

private:
    friend class World;
    friend class RenderableIterator;

    static unsigned long s_deletions;

    /// The live renderable at the highest address not above `address`: the one whose object
    /// holds it, when any does.
    static Renderable* LiveAtOrBelow(const void* address);

    bool m_destroyed = false;
    int m_layer = 0;
    /// In one of the World's layers (not only waiting to be added).
    bool m_inWorld = false;
    Lifeline m_lifeline;
};
