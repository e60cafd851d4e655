#include "engine/world/NavGraphManager.h"

#include "engine/world/NavGraph.h"

NavGraphManager* NavGraphManager::GetInstance()
{
    static NavGraphManager* instance = new NavGraphManager();
    return instance;
}

void NavGraphManager::Render()
{
    if (m_graph != nullptr)
        m_graph->Render();
}

void NavGraphManager::SetShows(bool bounds, bool blocked, bool gridPoints, bool links, bool nodeIds)
{
    m_showBounds = bounds;
    m_showBlocked = blocked;
    m_showGridPoints = gridPoints;
    m_showLinks = links;
    m_showNodeIds = nodeIds;
}
