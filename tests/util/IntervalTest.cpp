#include "engine/util/Interval.h"

#include <gtest/gtest.h>

TEST(IntervalTest, DefaultIntervalDoesNotStep)
{
    Interval<Vector2> vectors;
    EXPECT_FALSE(vectors.ShouldStep());
    EXPECT_EQ(vectors.Step(1.0f), Vector2(0.0f, 0.0f));

    Interval<Color> colours;
    EXPECT_FALSE(colours.ShouldStep());
    EXPECT_EQ(colours.Step(1.0f), Color());
}

TEST(IntervalTest, LinearStepsReachTheEndAndStop)
{
    Interval<float> interval(0.0f, 10.0f, 2.0f, false);
    EXPECT_TRUE(interval.ShouldStep());
    EXPECT_EQ(interval.Step(0.5f), 2.5f);
    EXPECT_EQ(interval.Step(0.5f), 5.0f);
    EXPECT_TRUE(interval.ShouldStep());
    // Overshooting lands exactly on the end value.
    EXPECT_EQ(interval.Step(5.0f), 10.0f);
    EXPECT_FALSE(interval.ShouldStep());
    EXPECT_EQ(interval.Step(1.0f), 10.0f);
}

TEST(IntervalTest, ElapsedEqualToDurationFinishes)
{
    Interval<float> interval(1.0f, 3.0f, 1.0f, false);
    interval.Step(0.5f);
    EXPECT_EQ(interval.Step(0.5f), 3.0f);
    EXPECT_FALSE(interval.ShouldStep());
}

TEST(IntervalTest, ZeroDurationEndsOnTheFirstStep)
{
    Interval<float> zeroStep(4.0f, 8.0f, 0.0f, true);
    EXPECT_EQ(zeroStep.Step(0.0f), 8.0f);
    EXPECT_FALSE(zeroStep.ShouldStep());

    Interval<Vector2> longStep(Vector2(0.0f, 0.0f), Vector2(1.0f, 2.0f), 0.0f, false);
    EXPECT_EQ(longStep.Step(3.0f), Vector2(1.0f, 2.0f));
    EXPECT_FALSE(longStep.ShouldStep());
}

TEST(IntervalTest, SmoothIntervalEasesInAndOut)
{
    Interval<float> half(0.0f, 1.0f, 2.0f, true);
    EXPECT_EQ(half.Step(1.0f), 0.5f);

    Interval<float> quarter(0.0f, 1.0f, 2.0f, true);
    EXPECT_EQ(quarter.Step(0.5f), 0.15625f);
    EXPECT_EQ(quarter.Step(1.0f), 0.84375f);

    Interval<Vector2> vectors(Vector2(0.0f, 0.0f), Vector2(4.0f, -8.0f), 1.0f, true);
    EXPECT_EQ(vectors.Step(0.25f), Vector2(0.625f, -1.25f));
}

TEST(IntervalTest, ColourIntervalMovesAllChannels)
{
    Interval<Color> fade(Color(1.0f, 0.0f, 0.0f, 1.0f), Color(0.0f, 0.0f, 1.0f, 0.0f), 4.0f, false);
    EXPECT_EQ(fade.Step(1.0f), Color(0.75f, 0.0f, 0.25f, 0.75f));
    EXPECT_EQ(fade.Step(3.0f), Color(0.0f, 0.0f, 1.0f, 0.0f));
    EXPECT_FALSE(fade.ShouldStep());
}
