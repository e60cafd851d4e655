#include "engine/util/MathUtil.h"
#include "engine/util/Interval.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>

TEST(MathUtilTest, ConstantsAndAngleConversionsHaveExactFloatBits)
{
    // Pi is one unit in the last place above the float nearest pi. Conversions narrow the
    // product of widened float factors once; exact pi/180 would give other bits.
    EXPECT_EQ(MathUtil::Pi, std::nextafter(static_cast<float>(M_PI), 4.0f));
    EXPECT_EQ(static_cast<double>(MathUtil::TwoPi), 6.283185005187988);
    EXPECT_EQ(static_cast<double>(MathUtil::Epsilon), 9.999999974752427e-7);
    EXPECT_EQ(MathUtil::ToRadians(180.0f), 3.141592264175415f);
    EXPECT_EQ(MathUtil::ToDegrees(static_cast<float>(M_PI)), 180.0f);
    EXPECT_EQ(MathUtil::ToDegrees(MathUtil::Pi), 180.00001525878906f);
    EXPECT_EQ(MathUtil::ToDegrees(-6.98f), -399.924560546875f);
}

TEST(MathUtilTest, InterpolationAndIntervals)
{
    EXPECT_EQ(MathUtil::Lerp(0.0f, 10.0f, -0.5f), -5.0f);
    EXPECT_EQ(MathUtil::SmoothStep(0.0f, 1.0f, 0.25f), 0.15625f);
    EXPECT_EQ(MathUtil::SmoothStep(0.0f, 10.0f, 1.5f), 10.0f);
    EXPECT_EQ(MathUtil::SmoothStep(0.0f, 10.0f, -1.0f), 0.0f);
    const Color clear(0.0f, 0.0f, 0.0f, 0.0f);
    EXPECT_EQ(MathUtil::Lerp(clear, Color(), 2.0f), Color(2.0f, 2.0f, 2.0f, 2.0f, false));

    EXPECT_FALSE(Interval<float>().ShouldStep());
    Interval<float> linear(0.0f, 10.0f, 2.0f, false);
    EXPECT_EQ(linear.Step(0.5f), 2.5f);
    EXPECT_TRUE(linear.ShouldStep());
    EXPECT_EQ(linear.Step(5.0f), 10.0f); // overshooting lands on the end
    EXPECT_FALSE(linear.ShouldStep());
    // Elapsed equal to the duration finishes, so a zero duration ends on the first step.
    Interval<float> instant(4.0f, 8.0f, 0.0f, false);
    EXPECT_EQ(instant.Step(0.0f), 8.0f);
    EXPECT_FALSE(instant.ShouldStep());

    Interval<Vector2> ease(Vector2(0.0f, 0.0f), Vector2(4.0f, -8.0f), 1.0f, true);
    EXPECT_EQ(ease.Step(0.75f), Vector2(3.375f, -6.75f));
    // Colours move all four channels.
    Interval<Color> fade(clear, Color(), 4.0f, true);
    EXPECT_EQ(fade.Step(1.0f), Color(0.15625f, 0.15625f, 0.15625f, 0.15625f));
    EXPECT_EQ(fade.Step(3.0f), Color());
}

TEST(MathUtilTest, RandomIntDrawsFromTheSharedGeneratorWithoutReseeding)
{
    MathUtil::RandomInt(1); // the one-time seeding is done
    std::srand(7);
    int expected[20];
    for (int& value : expected)
        value = std::rand() % 1000;
    std::srand(7);
    // A maximum below 1 gives 0 without drawing.
    EXPECT_EQ(MathUtil::RandomInt(0), 0);
    EXPECT_EQ(MathUtil::RandomInt(-5), 0);
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(MathUtil::RandomInt(1000), expected[i]) << i;
}

TEST(MathUtilTest, FirstRandomIntSeedsFromTheClock)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // A re-executed child has not drawn yet, so its first draw does the seeding.
    EXPECT_EXIT(
        {
            const int drawn = MathUtil::RandomInt(1 << 30);
            const std::time_t now = std::time(nullptr);
            bool matched = false;
            for (std::time_t t = now - 1; t <= now; ++t)
            {
                std::srand(static_cast<unsigned int>(t));
                matched = matched || std::rand() % (1 << 30) == drawn;
            }
            std::exit(matched ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(MathUtilTest, RandomFloatsStayBelowTheirMaximumInTenThousandSteps)
{
    float highest = 0.0f;
    for (int i = 0; i < 200000; ++i)
    {
        const float f = MathUtil::RandomFloatWithError(10.0f, 0.5f);
        const Vector2 v = MathUtil::RandomVector(Vector2(-1.0f, 5.0f), Vector2(1.0f, 6.0f));
        ASSERT_TRUE(f >= 9.5f && v.X >= -1.0f && v.X < 1.0f && v.Y >= 5.0f && v.Y < 6.0f);
        highest = std::max(highest, f);
    }
    EXPECT_FLOAT_EQ(highest, 10.4999f);
}

TEST(MathUtilTest, FuzzyEqualsAndAngles)
{
    EXPECT_TRUE(MathUtil::FuzzyEquals(1.25f, 1.0f, 0.5f));
    EXPECT_FALSE(MathUtil::FuzzyEquals(1.0f, 1.5f, 0.5f));
    EXPECT_TRUE(MathUtil::FuzzyEquals(0.0f, 9e-7f));
    EXPECT_FALSE(MathUtil::FuzzyEquals(0.0f, MathUtil::Epsilon)); // strictly less

    // VectorFromAngle takes degrees.
    EXPECT_NEAR(MathUtil::VectorFromAngle(90.0f).X, 0.0f, 1e-6f);
    EXPECT_NEAR(MathUtil::VectorFromAngle(90.0f).Y, 1.0f, 1e-6f);
    // The one-argument arc tangent: opposite directions give the same angle.
    const float halfPi = static_cast<float>(M_PI_2);
    EXPECT_EQ(MathUtil::AngleFromVector(Vector2(-1.0f, 0.0f)), 0.0f);
    EXPECT_FLOAT_EQ(MathUtil::AngleFromVector(Vector2(0.0f, -3.0f)), -halfPi);
    EXPECT_FLOAT_EQ(MathUtil::AngleFromVector(Vector2(-1.0f, 1.0f)), -static_cast<float>(M_PI_4));
    // Zero normalises to UnitX; a tiny vector with X < Y to UnitY.
    EXPECT_EQ(MathUtil::AngleFromVector(Vector2(0.0f, 0.0f)), 0.0f);
    EXPECT_FLOAT_EQ(MathUtil::AngleFromVector(Vector2(-1e-8f, 1e-8f)), halfPi);
}
