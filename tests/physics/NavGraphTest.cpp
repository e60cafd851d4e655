#include "engine/world/NavGraph.h"

#include <gtest/gtest.h>

TEST(NavGraphTest, GridPointsAreWholeCellCentresFromTheTopLeft)
{
    int columns = -1, rows = -1;
    auto points = [&](Vector2 min, Vector2 max, Vector2 cell)
    {
        NavGraph graph(cell);
        VectorList out;
        NavGraphNode(&graph, AlignedBox(min, max), 0).ComputeGridPoints(out, columns, rows);
        return out;
    };
    EXPECT_EQ(points(Vector2(0.0f, 0.0f), Vector2(10.0f, 5.0f), Vector2(3.0f, 2.0f)),
              (VectorList{Vector2(1.5f, 4.0f), Vector2(4.5f, 4.0f), Vector2(7.5f, 4.0f),
                          Vector2(1.5f, 2.0f), Vector2(4.5f, 2.0f), Vector2(7.5f, 2.0f)}));
    EXPECT_TRUE(columns == 3 && rows == 2) << "the remainders at the right and bottom get none";
    // A cell wider than the box, or without size, gives none.
    for (const Vector2& cell : {Vector2(3.0f, 1.0f), Vector2(0.0f, 1.0f), Vector2(1.0f, -1.0f)})
    {
        EXPECT_TRUE(points(Vector2(0.0f, 0.0f), Vector2(2.0f, 2.0f), cell).empty());
        EXPECT_TRUE(columns == 0 && rows == 0);
    }
}
