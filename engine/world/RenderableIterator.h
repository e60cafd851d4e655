#pragma once

#include <map>
#include <vector>

class Renderable;

/// The renderables of one layer, in the order they were added.
using RenderList = std::vector<Renderable*>;
using LayerMap = std::map<int, RenderList>;

/// Walks every renderable of every layer: ascending layer number, then list order; empty layers
/// and the gaps of renderables deleted during a walk are skipped. Iterators compare by their
/// current renderable, so all end iterators are equal.
class RenderableIterator
{
public:
    /// The end iterator.
    RenderableIterator() = default;
    /// The first renderable of layers, or the end.
    explicit RenderableIterator(LayerMap& layers);

    Renderable* operator*() const { return m_current; }
    RenderableIterator& operator++();
    bool operator==(const RenderableIterator& other) const { return m_current == other.m_current; }
    bool operator!=(const RenderableIterator& other) const { return m_current != other.m_current; }

    /// Deletes the current renderable, takes it out of its layer and moves on to the one that
    /// followed it.
    RenderableIterator& erase();

private:
    void SettleOnNonEmptyLayer();

    LayerMap* m_layers = nullptr;
    LayerMap::iterator m_layer;
    RenderList::size_type m_index = 0;
    Renderable* m_current = nullptr;
};
