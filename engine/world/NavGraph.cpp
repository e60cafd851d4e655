#include "engine/world/NavGraph.h"

#include "engine/actors/FontRegistry.h"
#include "engine/util/MathUtil.h"
#include "engine/util/StringUtil.h"
#include "engine/util/opengl/GL.h"
#include "engine/world/NavGraphManager.h"

NavGraph::NavGraph(const Vector2& cellSize) : m_cellSize(cellSize) {}

NavGraph::~NavGraph() = default;

void NavGraph::SetRoot(std::unique_ptr<NavGraphNode> root)
{
    m_root = std::move(root);
}

void NavGraph::Render()
{
    // Node ids alone are not worth a walk of the tree.
    const NavGraphManager* overlay = NavGraphManager::GetInstance();
    const bool anything = overlay->ShowsBounds() || overlay->ShowsGridPoints() ||
                          overlay->ShowsLinks() || overlay->ShowsBlocked();
    if (anything && m_root)
        m_root->Render();
}

NavGraphNode::NavGraphNode(NavGraph* graph, const AlignedBox& bounds, int index)
    : m_bounds(bounds), m_graph(graph), m_index(index)
{
}

NavGraphNode::~NavGraphNode() = default;

void NavGraphNode::SetChildren(std::unique_ptr<NavGraphNode> first,
                               std::unique_ptr<NavGraphNode> second)
{
    m_first = std::move(first);
    m_second = std::move(second);
}

void NavGraphNode::AddNeighbour(NavGraphNode* neighbour, bool linked)
{
    m_neighbours.push_back(neighbour);
    m_linked.push_back(linked);
}

void NavGraphNode::Render()
{
    if (m_first && m_second)
    {
        m_first->Render();
        m_second->Render();
        return;
    }
    RenderLeaf();
}

void NavGraphNode::RenderLeaf()
{
    const NavGraphManager* overlay = NavGraphManager::GetInstance();
    const Vector2 centre = m_bounds.Center();

    if (overlay->ShowsBlocked() && m_blocked)
    {
        glColor4f(1.0f, 0.0f, 0.0f, 0.25f);
        m_bounds.DrawFilled();
    }
    if (overlay->ShowsBounds())
    {
        glColor4f(0.0f, 0.0f, 0.0f, 1.0f);
        m_bounds.DrawOutline();
    }
    if (overlay->ShowsNodeIds())
    {
        glColor3f(0.0f, 1.0f, 1.0f);
        const Vector2 pixel = MathUtil::WorldToScreen(centre);
        DrawScreenText(IntToString(m_index), "ConsoleSmall", MathUtil::SaturateToInt(pixel.X),
                       MathUtil::SaturateToInt(pixel.Y), 0.0f);
    }
    if (overlay->ShowsLinks() && !m_blocked)
    {
        // Each side draws 0.6 of the way, so a pair of links leaves a gap in the middle.
        glColor3f(1.0f, 0.0f, 0.0f);
        glBegin(GL_LINES);
        for (size_t i = 0; i < m_neighbours.size(); ++i)
        {
            const NavGraphNode* neighbour = m_neighbours[i];
            if (neighbour->m_blocked || !m_linked[i])
                continue;
            const Vector2 end = MathUtil::Lerp(centre, neighbour->m_bounds.Center(), 0.6f);
            glVertex2f(centre.X, centre.Y);
            glVertex2f(end.X, end.Y);
        }
        glEnd();
    }
    if (overlay->ShowsGridPoints())
    {
        glColor3f(1.0f, 0.0f, 0.0f);
        VectorList points;
        int columns = 0, rows = 0;
        ComputeGridPoints(points, columns, rows);
        const float size = 0.15f * m_graph->GetCellSize().X;
        for (const Vector2& point : points)
            DrawDiamond(point, size);
    }
}

void NavGraphNode::ComputeGridPoints(VectorList& points, int& columns, int& rows) const
{
    const Vector2 cell = m_graph->GetCellSize();
    const Vector2 extent = m_bounds.Max - m_bounds.Min;
    // Each count is truncated on its own; a cell without size (which would divide by zero) or
    // wider than the box fits no whole cell.
    auto wholeCells = [](float length, float cellLength)
    {
        return cellLength > 0.0f && length >= cellLength
                   ? MathUtil::SaturateToInt(static_cast<double>(length) / cellLength)
                   : 0;
    };
    columns = wholeCells(extent.X, cell.X);
    rows = wholeCells(extent.Y, cell.Y);
    points.reserve(points.size() + static_cast<size_t>(columns) * static_cast<size_t>(rows));

    const Vector2 rowStart(m_bounds.Min.X, m_bounds.Max.Y - cell.Y);
    AlignedBox box(rowStart, rowStart + cell);
    for (int row = 0; row < rows; ++row)
    {
        for (int column = 0; column < columns; ++column)
        {
            points.push_back(box.Center());
            box.Min.X += cell.X;
            box.Max.X += cell.X;
        }
        box.Min = Vector2(rowStart.X, box.Min.Y - cell.Y);
        box.Max = box.Min + cell;
    }
}

void DrawDiamond(const Vector2& center, float size)
{
    const float h = size * 0.5f;
    const Vector2 top = center + Vector2::UnitY * h;
    const Vector2 bottom = center - Vector2::UnitY * h;
    const Vector2 right = center + Vector2::UnitX * h;
    const Vector2 left = center - Vector2::UnitX * h;
    glBegin(GL_LINES);
    const Vector2 lines[] = {top, right, right, bottom, bottom, left, left, top};
    for (const Vector2& point : lines)
        glVertex2f(point.X, point.Y);
    glEnd();
}
