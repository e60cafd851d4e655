#include "engine/world/Renderable.h"

void Renderable::Destroy()
{
    if (m_destroyed)
        return;
    PreDestroy();
    m_destroyed = true;
}
