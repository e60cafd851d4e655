#include "tuio/TuioCursor.h"
#include "tuio/TuioObject.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace TUIO;

namespace
{
TuioTime Ms(long milliseconds)
{
    return TuioTime(milliseconds);
}
} // namespace

TEST(TuioTimeTest, SubtractionBorrowsAndClampsAtZero)
{
    TuioTime difference = TuioTime(3, 200000) - TuioTime(1, 500000);
    EXPECT_EQ(difference.getSeconds(), 1);
    EXPECT_EQ(difference.getMicroseconds(), 700000);

    TuioTime negative = TuioTime(1, 0) - TuioTime(2, 0);
    EXPECT_EQ(negative.getSeconds(), 0);
    EXPECT_EQ(negative.getMicroseconds(), 0);
    // Less than a second negative: the borrow makes the seconds negative, so it clamps too.
    TuioTime justNegative = TuioTime(1, 0) - TuioTime(1, 1);
    EXPECT_EQ(justNegative.getTotalMilliseconds(), 0);
    EXPECT_EQ(justNegative.getMicroseconds(), 0);
}

TEST(TuioTimeTest, MillisecondsTruncate)
{
    TuioTime time(1234L);
    EXPECT_EQ(time.getSeconds(), 1);
    EXPECT_EQ(time.getMicroseconds(), 234000);
    EXPECT_EQ(time.getTotalMilliseconds(), 1234);
    EXPECT_EQ(TuioTime(2, 999999).getTotalMilliseconds(), 2999);
    time.reset();
    EXPECT_EQ(time.getSeconds(), 0);
    EXPECT_EQ(time.getMicroseconds(), 0);
}

TEST(TuioTimeTest, SessionTimeCountsFromInitSession)
{
    TuioTime::initSession();
    TuioTime start = TuioTime::getStartTime();
    EXPECT_EQ(start.getSeconds(), TuioTime::start_seconds);
    EXPECT_EQ(start.getMicroseconds(), TuioTime::start_micro_seconds);
    TuioTime session = TuioTime::getSessionTime();
    TuioTime system = TuioTime::getSystemTime();
    // The session time is the system time less the start, within the time between the calls.
    EXPECT_LE(session.getTotalMilliseconds(), (system - start).getTotalMilliseconds());
    EXPECT_LT(session.getTotalMilliseconds(), 5000);
    EXPECT_GT(system.getTotalMilliseconds(), 0);
}

TEST(TuioPointTest, ScreenPositionRoundsToNearestPixel)
{
    EXPECT_EQ(TuioPoint(Ms(0), 0.5f, 0.25f).getScreenX(1024), 512);
    EXPECT_EQ(TuioPoint(Ms(0), 0.5f, 0.25f).getScreenY(768), 192);
    EXPECT_EQ(TuioPoint(Ms(0), 0.9995f, 0.0f).getScreenX(1024), 1023);
    EXPECT_EQ(TuioPoint(Ms(0), 0.0f, 0.9995f).getScreenY(1024), 1023);
    EXPECT_EQ(TuioPoint(Ms(0), 1.0f, 0.0f).getScreenX(800), 800);
    EXPECT_FLOAT_EQ(TuioPoint(Ms(0), 0.3f, 0.4f).getDistance(0.0f, 0.0f), 0.5f);
}

TEST(TuioContainerTest, SpeedComputingUpdateFollowsTheMotion)
{
    TuioContainer container(Ms(0), 7, 0.5f, 0.5f);
    EXPECT_EQ(container.getTuioState(), TUIO_ADDED);
    EXPECT_EQ(container.getPath().size(), 1u);

    container.update(Ms(100), 0.6f, 0.5f);
    EXPECT_NEAR(container.getXSpeed(), 1.0f, 1e-5);
    EXPECT_FLOAT_EQ(container.getYSpeed(), 0.0f);
    EXPECT_NEAR(container.getMotionSpeed(), 1.0f, 1e-5);
    EXPECT_NEAR(container.getMotionAccel(), 10.0f, 1e-3);
    EXPECT_EQ(container.getTuioState(), TUIO_ACCELERATING);
    EXPECT_TRUE(container.isMoving());

    container.update(Ms(200), 0.65f, 0.5f);
    EXPECT_NEAR(container.getMotionSpeed(), 0.5f, 1e-5);
    EXPECT_NEAR(container.getMotionAccel(), -5.0f, 1e-3);
    EXPECT_EQ(container.getTuioState(), TUIO_DECELERATING);

    container.update(Ms(300), 0.65f, 0.5f);
    container.update(Ms(400), 0.65f, 0.5f);
    EXPECT_FLOAT_EQ(container.getMotionSpeed(), 0.0f);
    EXPECT_EQ(container.getTuioState(), TUIO_STOPPED);
    EXPECT_FALSE(container.isMoving());

    std::vector<TuioPoint> path = container.getPath();
    ASSERT_EQ(path.size(), 5u);
    EXPECT_EQ(path.front().getTuioTime().getTotalMilliseconds(), 0);
    EXPECT_FLOAT_EQ(path[1].getX(), 0.6f);
    EXPECT_EQ(path.back().getTuioTime().getTotalMilliseconds(), 400);
    EXPECT_EQ(container.getTuioTime().getTotalMilliseconds(), 400);
}

TEST(TuioContainerTest, UpdatesAtTheSameTimeDivideByZero)
{
    TuioContainer container(Ms(50), 1, 0.5f, 0.5f);
    container.update(Ms(50), 0.6f, 0.5f);
    EXPECT_TRUE(std::isinf(container.getXSpeed()));
    EXPECT_TRUE(std::isnan(container.getYSpeed()));
    EXPECT_EQ(container.getTuioState(), TUIO_ACCELERATING);

    container.update(Ms(50), 0.6f, 0.5f);
    EXPECT_TRUE(std::isnan(container.getMotionAccel()));
    EXPECT_EQ(container.getTuioState(), TUIO_STOPPED);
}

TEST(TuioContainerTest, GivenValueUpdatesAndRemoval)
{
    TuioContainer container(Ms(0), 3, 0.1f, 0.1f);
    container.update(Ms(20), 0.2f, 0.3f, 3.0f, 4.0f, -1.0f);
    EXPECT_FLOAT_EQ(container.getMotionSpeed(), 5.0f);
    EXPECT_EQ(container.getTuioState(), TUIO_DECELERATING);
    EXPECT_EQ(container.getTuioTime().getTotalMilliseconds(), 20);

    // Without a time: the time and the new path point keep the container's time.
    container.update(0.4f, 0.4f, 0.0f, 0.0f, 0.0f);
    EXPECT_EQ(container.getTuioTime().getTotalMilliseconds(), 20);
    EXPECT_EQ(container.getPath().back().getTuioTime().getTotalMilliseconds(), 20);
    EXPECT_EQ(container.getTuioState(), TUIO_STOPPED);

    // From another container: values and the path point's time from it, own time kept.
    TuioContainer other(Ms(90), 4, 0.9f, 0.8f);
    other.update(Ms(90), 0.9f, 0.8f, 1.0f, 0.0f, 2.0f);
    container.update(&other);
    EXPECT_FLOAT_EQ(container.getX(), 0.9f);
    EXPECT_FLOAT_EQ(container.getXSpeed(), 1.0f);
    EXPECT_FLOAT_EQ(container.getMotionAccel(), 2.0f);
    EXPECT_EQ(container.getTuioState(), TUIO_ACCELERATING);
    EXPECT_EQ(container.getTuioTime().getTotalMilliseconds(), 20);
    EXPECT_EQ(container.getPath().back().getTuioTime().getTotalMilliseconds(), 90);
    EXPECT_EQ(container.getSessionID(), 3);

    // stop: an update in place, timed from the last path point; the speed falls to 0.
    container.stop(Ms(520));
    EXPECT_FLOAT_EQ(container.getMotionSpeed(), 0.0f);
    EXPECT_EQ(container.getTuioState(), TUIO_DECELERATING);
    size_t pathLength = container.getPath().size();

    container.remove(Ms(600));
    EXPECT_EQ(container.getTuioState(), TUIO_REMOVED);
    EXPECT_EQ(container.getTuioTime().getTotalMilliseconds(), 600);
    EXPECT_FLOAT_EQ(container.getX(), 0.9f);
    EXPECT_EQ(container.getPath().size(), pathLength);
    EXPECT_FALSE(container.isMoving());
}

TEST(TuioContainerTest, PositionCarriesTheSessionTimeOfTheCall)
{
    TuioTime::initSession();
    TuioContainer container(TuioTime(100000, 0), 1, 0.25f, 0.75f);
    TuioPoint position = container.getPosition();
    EXPECT_FLOAT_EQ(position.getX(), 0.25f);
    EXPECT_FLOAT_EQ(position.getY(), 0.75f);
    EXPECT_LT(position.getTuioTime().getSeconds(), 100000);
}

TEST(TuioCursorTest, PointerCopyIsFreshAssignmentCopiesAll)
{
    TuioCursor cursor(Ms(0), 42, 3, 0.1f, 0.2f);
    cursor.update(Ms(100), 0.3f, 0.2f);
    cursor.update(Ms(200), 0.6f, 0.2f);
    ASSERT_TRUE(cursor.isMoving());

    TuioCursor copy(&cursor);
    EXPECT_EQ(copy.getSessionID(), 42);
    EXPECT_EQ(copy.getCursorID(), 3);
    EXPECT_FLOAT_EQ(copy.getX(), 0.6f);
    EXPECT_FLOAT_EQ(copy.getY(), 0.2f);
    EXPECT_FLOAT_EQ(copy.getXSpeed(), 0.0f);
    EXPECT_FLOAT_EQ(copy.getMotionSpeed(), 0.0f);
    EXPECT_EQ(copy.getTuioState(), TUIO_ADDED);
    EXPECT_EQ(copy.getPath().size(), 1u);

    copy = cursor;
    EXPECT_FLOAT_EQ(copy.getXSpeed(), cursor.getXSpeed());
    EXPECT_FLOAT_EQ(copy.getMotionAccel(), cursor.getMotionAccel());
    EXPECT_EQ(copy.getTuioState(), cursor.getTuioState());
    EXPECT_EQ(copy.getTuioTime().getTotalMilliseconds(), 200);
    ASSERT_EQ(copy.getPath().size(), 3u);
    EXPECT_FLOAT_EQ(copy.getPath()[1].getX(), 0.3f);

    // The copy is independent of the original.
    cursor.update(Ms(300), 0.9f, 0.9f);
    EXPECT_EQ(copy.getPath().size(), 3u);
    EXPECT_FLOAT_EQ(copy.getX(), 0.6f);
}

TEST(TuioObjectTest, RotationSpeedIsTurnsPerSecond)
{
    TuioObject object(Ms(0), 9, 12, 0.5f, 0.5f, 0.1f);
    EXPECT_EQ(object.getSymbolID(), 12);
    object.update(Ms(100), 0.5f, 0.5f, 0.2f);
    EXPECT_NEAR(object.getRotationSpeed(), (0.1 / (2 * M_PI)) / 0.1, 1e-4);
    EXPECT_NEAR(object.getRotationSpeed(), 0.159f, 1e-3);
    EXPECT_FLOAT_EQ(object.getAngle(), 0.2f);
    // Standing still but turning faster: rotating, and so moving.
    EXPECT_EQ(object.getTuioState(), TUIO_ROTATING);
    EXPECT_TRUE(object.isMoving());

    // Turning at a steady rate while standing: no rotation acceleration, so only stopped.
    object.update(Ms(200), 0.5f, 0.5f, 0.3f);
    EXPECT_NEAR(object.getRotationAccel(), 0.0f, 1e-3);
    object.update(Ms(300), 0.5f, 0.5f, 0.3f);
    object.stop(Ms(400));
    EXPECT_FLOAT_EQ(object.getRotationSpeed(), 0.0f);
    EXPECT_FLOAT_EQ(object.getRotationAccel(), 0.0f);
    EXPECT_EQ(object.getTuioState(), TUIO_STOPPED);
    EXPECT_FALSE(object.isMoving());

    // A moving object stays accelerating whatever its rotation does.
    object.update(Ms(500), 0.7f, 0.5f, 1.0f);
    EXPECT_EQ(object.getTuioState(), TUIO_ACCELERATING);
}

TEST(TuioObjectTest, GivenValueUpdate)
{
    TuioObject object(Ms(0), 9, 1, 0.5f, 0.5f, 0.0f);
    object.update(Ms(10), 0.6f, 0.4f, 1.5f, 0.3f, 0.4f, 0.25f, 0.0f, 2.0f);
    EXPECT_FLOAT_EQ(object.getMotionSpeed(), 0.5f);
    EXPECT_FLOAT_EQ(object.getAngle(), 1.5f);
    EXPECT_FLOAT_EQ(object.getRotationSpeed(), 0.25f);
    EXPECT_FLOAT_EQ(object.getRotationAccel(), 2.0f);
    EXPECT_EQ(object.getTuioState(), TUIO_ROTATING);
    EXPECT_EQ(object.getPath().size(), 2u);

    object.update(Ms(20), 0.6f, 0.4f, 1.5f, 0.3f, 0.4f, 0.25f, -1.0f, 2.0f);
    EXPECT_EQ(object.getTuioState(), TUIO_DECELERATING);
}
