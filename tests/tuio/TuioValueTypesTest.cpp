#include "tuio/TuioCursor.h"

#include <gtest/gtest.h>

using namespace TUIO;

TEST(TuioValueTypesTest, TimesBorrowAndClampAndScreenPositionsRound)
{
    auto text = [](const TuioTime& time)
    { return std::to_string(time.getSeconds()) + " s " + std::to_string(time.getMicroseconds()); };
    EXPECT_EQ(text(TuioTime(3, 200000) - TuioTime(1, 500000)), "1 s 700000");
    EXPECT_EQ(text(TuioTime(1, 0) - TuioTime(1, 1)), "0 s 0"); // the borrow goes negative
    EXPECT_EQ(text(TuioTime(1234)), "1 s 234000");
    EXPECT_EQ(TuioTime(2, 999999).getTotalMilliseconds(), 2999);
    TuioTime::initSession();
    EXPECT_LT(TuioTime::getSessionTime().getTotalMilliseconds(), 5000);
    // The position carries the session time of the call, not the container's.
    TuioContainer container(TuioTime(100000, 0), 1, 0.25f, 0.75f);
    EXPECT_LT(container.getPosition().getTuioTime().getTotalMilliseconds(), 5000);

    EXPECT_EQ(TuioPoint(TuioTime(0), 0.5f, 0.25f).getScreenX(1024), 512);
    EXPECT_EQ(TuioPoint(TuioTime(0), 0.0f, 0.5f).getScreenY(3), 2); // 1.5 rounds up
    EXPECT_EQ(TuioPoint(TuioTime(0), 0.9995f, 0.0f).getScreenX(1024), 1023);
}

TEST(TuioValueTypesTest, ContainersComputeSpeedsFromTheMotionOrTakeThemGiven)
{
    TuioContainer container(TuioTime(0), 7, 0.5f, 0.5f);
    EXPECT_EQ(container.getTuioState(), TUIO_ADDED);
    container.update(TuioTime(100), 0.6f, 0.5f);
    EXPECT_NEAR(container.getXSpeed(), 1.0f, 1e-5);
    EXPECT_NEAR(container.getMotionAccel(), 10.0f, 1e-3);
    EXPECT_EQ(container.getTuioState(), TUIO_ACCELERATING);
    container.update(TuioTime(200), 0.65f, 0.5f);
    EXPECT_NEAR(container.getMotionSpeed(), 0.5f, 1e-5);
    EXPECT_NEAR(container.getMotionAccel(), -5.0f, 1e-3);
    EXPECT_EQ(container.getTuioState(), TUIO_DECELERATING);
    container.update(TuioTime(300), 0.65f, 0.5f);
    container.stop(TuioTime(400)); // an update in place, timed from the last path point
    EXPECT_EQ(container.getTuioState(), TUIO_STOPPED);
    EXPECT_FALSE(container.isMoving());
    EXPECT_EQ(container.getPath().size(), 5u);
    container.remove(TuioTime(600));
    EXPECT_EQ(container.getTuioState(), TUIO_REMOVED);
    EXPECT_EQ(container.getTuioTime().getTotalMilliseconds(), 600);

    TuioContainer given(TuioTime(0), 3, 0.1f, 0.1f); // given speeds, kept as they are
    given.update(TuioTime(20), 0.2f, 0.3f, 3.0f, 4.0f, -1.0f);
    EXPECT_FLOAT_EQ(given.getMotionSpeed(), 5.0f);
    EXPECT_EQ(given.getTuioState(), TUIO_DECELERATING);
}

TEST(TuioValueTypesTest, APointerCopyIsAFreshCursorAnAssignmentCopiesAll)
{
    TuioCursor cursor(TuioTime(0), 42, 3, 0.1f, 0.2f);
    cursor.update(TuioTime(100), 0.3f, 0.2f);
    TuioCursor copy(&cursor); // a fresh cursor at the same place
    EXPECT_EQ(copy.getCursorID(), 3);
    EXPECT_FLOAT_EQ(copy.getX(), 0.3f);
    EXPECT_FLOAT_EQ(copy.getXSpeed(), 0.0f);
    EXPECT_EQ(copy.getPath().size(), 1u);
    copy = cursor; // everything, independent of the original
    cursor.update(TuioTime(300), 0.9f, 0.9f);
    EXPECT_EQ(copy.getTuioState(), TUIO_ACCELERATING);
    ASSERT_EQ(copy.getPath().size(), 2u);
    EXPECT_FLOAT_EQ(copy.getPath()[1].getX(), 0.3f);
}
