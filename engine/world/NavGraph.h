#pragma once

#include "engine/util/AlignedBox.h"
#include "engine/util/Vector2.h"

#include <memory>
#include <vector>

class NavGraphNode;

/// A navigation graph as the grid overlay draws it: a tree of boxes in world units whose
/// leaves carry a blocked flag, links to their neighbours and a regular grid of points.
class NavGraph
{
public:
    /// cellSize: width and height of one grid cell in world units.
    explicit NavGraph(const Vector2& cellSize);
    ~NavGraph();

    const Vector2& GetCellSize() const { return m_cellSize; }
    NavGraphNode* GetRoot() const { return m_root.get(); }
    /// Takes ownership of the tree.
    void SetRoot(std::unique_ptr<NavGraphNode> root);

    /// Draws the tree when the overlay shows bounds, blocked nodes, grid points or links.
    void Render();

private:
    Vector2 m_cellSize;
    std::unique_ptr<NavGraphNode> m_root;
};

/// One box of the graph: an inner node with two children, or a leaf.
class NavGraphNode
{
public:
    NavGraphNode(NavGraph* graph, const AlignedBox& bounds, int index);
    ~NavGraphNode();

    const AlignedBox& GetBounds() const { return m_bounds; }
    int GetIndex() const { return m_index; }
    bool IsBlocked() const { return m_blocked; }
    void SetBlocked(bool blocked) { m_blocked = blocked; }
    /// Makes this an inner node owning both children.
    void SetChildren(std::unique_ptr<NavGraphNode> first, std::unique_ptr<NavGraphNode> second);
    /// neighbour is not owned; linked says whether the link is drawn.
    void AddNeighbour(NavGraphNode* neighbour, bool linked);

    /// An inner node draws its children; a leaf draws what the overlay's flags ask for.
    void Render();

    /// The centres of the whole grid cells laid from the box's top-left corner, row by row
    /// from the top; a remainder at the right and bottom gets no points.
    void ComputeGridPoints(VectorList& points, int& columns, int& rows) const;

private:
    void RenderLeaf();

    AlignedBox m_bounds;
    std::unique_ptr<NavGraphNode> m_first;
    std::unique_ptr<NavGraphNode> m_second;
    NavGraph* m_graph;
    int m_index;
    bool m_blocked = false;
    std::vector<NavGraphNode*> m_neighbours;
    std::vector<bool> m_linked;
};

/// A diamond outline of the given width and height around center, in the current GL colour.
void DrawDiamond(const Vector2& center, float size);
