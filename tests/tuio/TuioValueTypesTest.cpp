#include "tuio/TuioCursor.h"

#include <gtest/gtest.h>

#include <climits>

using namespace TUIO;

TEST(TuioValueTypesTest, TimesBorrowAndClampPixelsRoundAndSaturateCopiesTakeAllPathsKeepTheNewest)
{
    auto text = [](const TuioTime& time)
    { return std::to_string(time.getSeconds()) + " s " + std::to_string(time.getMicroseconds()); };
    EXPECT_EQ(text(TuioTime(3, 200000) - TuioTime(1, 500000)), "1 s 700000");
    EXPECT_EQ(text(TuioTime(1, 0) - TuioTime(1, 1)), "0 s 0"); // the borrow goes negative
    EXPECT_EQ(text(TuioTime(1234)), "1 s 234000");

    EXPECT_EQ(TuioPoint(TuioTime(0), 0.5f, 0.25f).getScreenX(1024), 512);
    EXPECT_EQ(TuioPoint(TuioTime(0), 0.0f, 0.5f).getScreenY(3), 2); // 1.5 rounds up
    EXPECT_EQ(TuioPoint(TuioTime(0), 0.9995f, 0.0f).getScreenX(1024), 1023);
    const TuioPoint farOff(TuioTime(0), 1e30f, -1e30f); // saturates, no int overflow
    EXPECT_TRUE(farOff.getScreenX(1024) == INT_MAX && farOff.getScreenY(768) == INT_MIN);

    // Listeners keep copies of the client's cursors: a copy is independent of the original.
    TuioCursor cursor(TuioTime(0), 42, 3, 0.1f, 0.2f);
    cursor.update(TuioTime(100), 0.3f, 0.2f, 3.0f, 4.0f, 1.0f);
    TuioCursor copy(cursor);
    cursor.update(TuioTime(300), 0.9f, 0.9f, 0.0f, 0.0f, -1.0f);
    EXPECT_TRUE(copy.getCursorID() == 3 && copy.getSessionID() == 42 && copy.getX() == 0.3f);
    EXPECT_TRUE(copy.getXSpeed() == 3.0f && copy.getYSpeed() == 4.0f);
    EXPECT_FLOAT_EQ(copy.getMotionSpeed(), 5.0f);
    EXPECT_EQ(copy.getTuioState(), TUIO_ACCELERATING);
    EXPECT_EQ(copy.getPath().size(), 2u);

    // Update i at i ms to x i: the path keeps updates 9n + 1 ... 10n, n = MaxPathPoints.
    const long n = long(MaxPathPoints);
    for (long i = 1; i <= 10 * n; ++i)
        cursor.update(TuioTime(i), float(i), 0.5f, 0.0f, 0.0f, 0.0f);
    for (const std::vector<TuioPoint>& path : {cursor.getPath(), TuioCursor(cursor).getPath()})
    {
        ASSERT_EQ(path.size(), MaxPathPoints);
        for (long i = 0; i < n; ++i)
            EXPECT_TRUE(path[i].getX() == 9 * n + 1 + i &&
                        path[i].getTuioTime().getTotalMilliseconds() == 9 * n + 1 + i);
        EXPECT_TRUE(path.back().getX() == cursor.getX() && path.back().getY() == cursor.getY());
    }
}
