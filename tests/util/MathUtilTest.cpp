#include "engine/util/MathUtil.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>

TEST(MathUtilTest, ConstantsHaveTheirExactFloatValues)
{
    // Pi is deliberately one unit in the last place above the float nearest pi.
    EXPECT_EQ(static_cast<double>(MathUtil::Pi), 3.1415929794311523);
    EXPECT_EQ(MathUtil::Pi, std::nextafter(static_cast<float>(M_PI), 4.0f));
    EXPECT_EQ(static_cast<double>(MathUtil::TwoPi), 6.283185005187988);
    EXPECT_EQ(static_cast<double>(MathUtil::Epsilon), 9.999999974752427e-7);
}

TEST(MathUtilTest, AngleConversionsNarrowTheProduct)
{
    // Products of the widened float factors, rounded once to float; exact pi/180 would give
    // the float nearest pi instead.
    EXPECT_EQ(MathUtil::ToRadians(180.0f), 3.141592264175415f);
    EXPECT_EQ(MathUtil::ToRadians(90.0f), 1.5707961320877075f);
    EXPECT_EQ(MathUtil::ToRadians(-45.0f), -0.7853980660438538f);
    EXPECT_EQ(MathUtil::ToDegrees(static_cast<float>(M_PI)), 180.0f);
    EXPECT_EQ(MathUtil::ToDegrees(MathUtil::Pi), 180.00001525878906f);
    EXPECT_EQ(MathUtil::ToDegrees(-6.98f), -399.924560546875f);
    EXPECT_EQ(MathUtil::ToDegrees(0.0f), 0.0f);
}

TEST(MathUtilTest, LerpExtrapolatesAndSmoothStepClamps)
{
    EXPECT_EQ(MathUtil::Lerp(2.0f, 4.0f, 0.25f), 2.5f);
    EXPECT_EQ(MathUtil::Lerp(0.0f, 10.0f, 1.5f), 15.0f);
    EXPECT_EQ(MathUtil::Lerp(0.0f, 10.0f, -0.5f), -5.0f);

    EXPECT_EQ(MathUtil::SmoothStep(0.0f, 10.0f, 0.5f), 5.0f);
    EXPECT_EQ(MathUtil::SmoothStep(0.0f, 1.0f, 0.25f), 0.15625f);
    EXPECT_EQ(MathUtil::SmoothStep(0.0f, 10.0f, 1.5f), 10.0f);
    EXPECT_EQ(MathUtil::SmoothStep(0.0f, 10.0f, -1.0f), 0.0f);

    EXPECT_EQ(MathUtil::Lerp(Vector2(0.0f, 4.0f), Vector2(8.0f, 0.0f), 0.25f), Vector2(2.0f, 3.0f));
    EXPECT_EQ(MathUtil::SmoothStep(Vector2(0.0f, 0.0f), Vector2(4.0f, 8.0f), 0.25f),
              Vector2(0.625f, 1.25f));

    // Colours interpolate all four channels without clamping.
    const Color black(0.0f, 0.0f, 0.0f, 0.0f);
    const Color white;
    EXPECT_EQ(MathUtil::Lerp(black, white, 0.5f), Color(0.5f, 0.5f, 0.5f, 0.5f));
    EXPECT_EQ(MathUtil::Lerp(black, white, 2.0f), Color(2.0f, 2.0f, 2.0f, 2.0f, false));
    EXPECT_EQ(MathUtil::SmoothStep(black, white, 0.25f),
              Color(0.15625f, 0.15625f, 0.15625f, 0.15625f));
    EXPECT_EQ(MathUtil::SmoothStep(black, white, 3.0f), white);
}

TEST(MathUtilTest, RandomIntOfNonPositiveMaximumLeavesTheSequenceAlone)
{
    MathUtil::RandomInt(1); // make sure the one-time seeding has happened

    std::srand(42);
    const int expected = std::rand();
    std::srand(42);
    EXPECT_EQ(MathUtil::RandomInt(0), 0);
    EXPECT_EQ(MathUtil::RandomInt(-5), 0);
    EXPECT_EQ(std::rand(), expected);
}

TEST(MathUtilTest, RandomIntDrawsFromTheSharedGeneratorWithoutReseeding)
{
    MathUtil::RandomInt(1);

    std::srand(7);
    int expected[20];
    for (int& value : expected)
        value = std::rand() % 1000;
    std::srand(7);
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(MathUtil::RandomInt(1000), expected[i]) << i;
}

TEST(MathUtilTest, FirstRandomIntSeedsFromTheClock)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // A re-executed child process has not drawn yet, so its first draw does the seeding.
    EXPECT_EXIT(
        {
            const std::time_t before = std::time(nullptr);
            const int drawn = MathUtil::RandomInt(1 << 30);
            const std::time_t after = std::time(nullptr);
            bool matched = false;
            for (std::time_t t = before; t <= after && !matched; ++t)
            {
                std::srand(static_cast<unsigned int>(t));
                matched = std::rand() % (1 << 30) == drawn;
            }
            std::exit(matched ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(MathUtilTest, RandomFloatStaysBelowItsMaximumInTenThousandSteps)
{
    float highest = 0.0f;
    for (int i = 0; i < 200000; ++i)
    {
        const float value = MathUtil::RandomFloat(1.0f);
        ASSERT_GE(value, 0.0f);
        ASSERT_LT(value, 1.0f);
        const float steps = value * 10000.0f;
        ASSERT_NEAR(steps, std::round(steps), 1e-2f) << value;
        highest = std::max(highest, value);
    }
    EXPECT_FLOAT_EQ(highest, 0.9999f);

    for (int i = 0; i < 1000; ++i)
    {
        const float inRange = MathUtil::RandomFloatInRange(2.0f, 3.0f);
        EXPECT_TRUE(inRange >= 2.0f && inRange < 3.0f) << inRange;
        const float withError = MathUtil::RandomFloatWithError(10.0f, 0.5f);
        EXPECT_TRUE(withError >= 9.5f && withError < 10.5f) << withError;
        const Vector2 v = MathUtil::RandomVector(Vector2(-1.0f, 5.0f), Vector2(1.0f, 6.0f));
        EXPECT_TRUE(v.X >= -1.0f && v.X < 1.0f && v.Y >= 5.0f && v.Y < 6.0f) << v.X << ", " << v.Y;
    }
}

TEST(MathUtilTest, FuzzyEqualsIsStrict)
{
    EXPECT_FALSE(MathUtil::FuzzyEquals(1.0f, 1.5f, 0.5f));
    EXPECT_TRUE(MathUtil::FuzzyEquals(1.0f, 1.25f, 0.5f));
    EXPECT_TRUE(MathUtil::FuzzyEquals(1.25f, 1.0f, 0.5f));
    EXPECT_TRUE(MathUtil::FuzzyEquals(0.0f, 9e-7f));
    EXPECT_FALSE(MathUtil::FuzzyEquals(0.0f, MathUtil::Epsilon));
    EXPECT_FALSE(MathUtil::FuzzyEquals(0.0f, -2e-6f));
}

TEST(MathUtilTest, VectorFromAngleTakesDegrees)
{
    const Vector2 up = MathUtil::VectorFromAngle(90.0f);
    EXPECT_NEAR(up.X, 0.0f, 1e-6f);
    EXPECT_NEAR(up.Y, 1.0f, 1e-6f);
    const Vector2 left = MathUtil::VectorFromAngle(180.0f);
    EXPECT_NEAR(left.X, -1.0f, 1e-6f);
    EXPECT_NEAR(left.Y, 0.0f, 1e-6f);
    // pi/2 is read as about 1.57 degrees.
    const Vector2 small = MathUtil::VectorFromAngle(MathUtil::Pi / 2.0f);
    EXPECT_NEAR(small.X, std::cos(MathUtil::ToRadians(MathUtil::Pi / 2.0f)), 1e-6f);
    EXPECT_GT(small.X, 0.999f);
    EXPECT_NEAR(MathUtil::VectorFromAngle(-30.0f).Length(), 1.0f, 1e-6f);
}

TEST(MathUtilTest, AngleFromVectorUsesTheOneArgumentArcTangent)
{
    // Opposite directions give the same angle.
    EXPECT_EQ(MathUtil::AngleFromVector(Vector2(-1.0f, 0.0f)), 0.0f);
    EXPECT_EQ(MathUtil::AngleFromVector(Vector2(1.0f, 0.0f)), 0.0f);
    EXPECT_FLOAT_EQ(MathUtil::AngleFromVector(Vector2(0.0f, 1.0f)), static_cast<float>(M_PI_2));
    EXPECT_FLOAT_EQ(MathUtil::AngleFromVector(Vector2(0.0f, -3.0f)), -static_cast<float>(M_PI_2));
    EXPECT_FLOAT_EQ(MathUtil::AngleFromVector(Vector2(2.0f, 2.0f)), static_cast<float>(M_PI_4));
    EXPECT_FLOAT_EQ(MathUtil::AngleFromVector(Vector2(-2.0f, -2.0f)), static_cast<float>(M_PI_4));
    EXPECT_FLOAT_EQ(MathUtil::AngleFromVector(Vector2(-1.0f, 1.0f)), -static_cast<float>(M_PI_4));
    // The zero vector normalises to UnitX; a tiny vector with X < Y to UnitY.
    EXPECT_EQ(MathUtil::AngleFromVector(Vector2(0.0f, 0.0f)), 0.0f);
    EXPECT_FLOAT_EQ(MathUtil::AngleFromVector(Vector2(-1e-8f, 1e-8f)), static_cast<float>(M_PI_2));
}
