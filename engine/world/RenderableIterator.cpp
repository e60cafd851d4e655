#include "engine/world/RenderableIterator.h"

#include "engine/world/Renderable.h"

RenderableIterator::RenderableIterator(LayerMap& layers)
    : m_layers(&layers), m_layer(layers.begin()), m_index(0)
{
    SettleOnNonEmptyLayer();
}

void RenderableIterator::SettleOnNonEmptyLayer()
{
    for (;;)
    {
        while (m_layer != m_layers->end() && m_index >= m_layer->second.size())
        {
            ++m_layer;
            m_index = 0;
        }
        m_current = m_layer == m_layers->end() ? nullptr : m_layer->second[m_index];
        // A gap is where a renderable was deleted during a walk (see World::ForgetDeleted).
        if (m_current != nullptr || m_layer == m_layers->end())
            return;
        ++m_index;
    }
}

RenderableIterator& RenderableIterator::operator++()
{
    if (m_current == nullptr)
        return *this;
    ++m_index;
    SettleOnNonEmptyLayer();
    return *this;
}

RenderableIterator& RenderableIterator::erase()
{
    if (m_current == nullptr)
        return *this;
    RenderList& list = m_layer->second;
    list.erase(list.begin() + static_cast<RenderList::difference_type>(m_index));
    m_current->m_inWorld = false;
    delete m_current;
    SettleOnNonEmptyLayer();
    return *this;
}
