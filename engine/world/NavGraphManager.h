#pragma once

class NavGraph;

/// The grid overlay: draws a navigation graph over the world when one is set and a display
/// flag is on. Nothing in the engine builds a graph, so by default it draws nothing. Created on
/// first use, never deleted; main thread only.
class NavGraphManager
{
public:
    static NavGraphManager* GetInstance();

    /// Draws the graph, if any, with the GL state of the world's frame.
    void Render();

    bool ShowsBounds() const { return m_showBounds; }
    bool ShowsBlocked() const { return m_showBlocked; }
    bool ShowsGridPoints() const { return m_showGridPoints; }
    bool ShowsLinks() const { return m_showLinks; }
    bool ShowsNodeIds() const { return m_showNodeIds; }

    /// Not owned; null for none.
    void SetGraph(NavGraph* graph) { m_graph = graph; }
    NavGraph* GetGraph() const { return m_graph; }
    void SetShows(bool bounds, bool blocked, bool gridPoints, bool links, bool nodeIds);

private:
    NavGraphManager() = default;

    NavGraph* m_graph = nullptr;
    bool m_showBounds = false;
    bool m_showBlocked = false;
    bool m_showGridPoints = false;
    bool m_showLinks = false;
    bool m_showNodeIds = false;
};
