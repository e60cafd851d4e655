#include "engine/world/NavGraph.h"

#include <gtest/gtest.h>

namespace
{

VectorList GridPoints(const AlignedBox& box, const Vector2& cell, int& columns, int& rows)
{
    NavGraph graph(cell);
    NavGraphNode node(&graph, box, 0);
    VectorList points;
    node.ComputeGridPoints(points, columns, rows);
    return points;
}

} // namespace

TEST(NavGraphTest, GridPointsAreWholeCellCentresFromTheTopLeft)
{
    int columns = 0, rows = 0;
    const VectorList points = GridPoints(AlignedBox(Vector2(0.0f, 0.0f), Vector2(10.0f, 4.0f)),
                                         Vector2(3.0f, 2.0f), columns, rows);
    EXPECT_EQ(columns, 3);
    EXPECT_EQ(rows, 2);
    const VectorList expected = {Vector2(1.5f, 3.0f), Vector2(4.5f, 3.0f), Vector2(7.5f, 3.0f),
                                 Vector2(1.5f, 1.0f), Vector2(4.5f, 1.0f), Vector2(7.5f, 1.0f)};
    EXPECT_EQ(points, expected);

    // A box that is not a whole number of cells high loses its bottom remainder.
    const VectorList offset = GridPoints(AlignedBox(Vector2(-2.0f, -1.0f), Vector2(0.0f, 2.5f)),
                                         Vector2(1.0f, 1.0f), columns, rows);
    EXPECT_EQ(columns, 2);
    EXPECT_EQ(rows, 3);
    ASSERT_EQ(offset.size(), 6u);
    EXPECT_EQ(offset.front(), Vector2(-1.5f, 2.0f));
    EXPECT_EQ(offset.back(), Vector2(-0.5f, 0.0f));
}

TEST(NavGraphTest, DegenerateGridsHaveNoPoints)
{
    int columns = -1, rows = -1;
    const AlignedBox box(Vector2(0.0f, 0.0f), Vector2(2.0f, 2.0f));
    EXPECT_TRUE(GridPoints(box, Vector2(3.0f, 1.0f), columns, rows).empty()) << "cell too wide";
    EXPECT_EQ(columns, 0);
    EXPECT_EQ(rows, 0);
    EXPECT_TRUE(GridPoints(box, Vector2(0.0f, 1.0f), columns, rows).empty()) << "empty cell";
    EXPECT_TRUE(GridPoints(box, Vector2(1.0f, -1.0f), columns, rows).empty());
}
