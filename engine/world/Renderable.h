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

    /// How many renderables have been deleted so far: holders of many watches look at them
    /// again only when it has changed.
    static unsigned long GetDeletionCount() { return s_deletions; }

private:
    friend class World;
    friend class RenderableIterator;

    static unsigned long s_deletions;

    bool m_destroyed = false;
    int m_layer = 0;
    /// In one of the World's layers (not only waiting to be added).
    bool m_inWorld = false;
    Lifeline m_lifeline;
};
