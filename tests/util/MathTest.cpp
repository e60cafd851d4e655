#include "engine/util/Interval.h"
#include "engine/util/MathUtil.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

TEST(MathTest, ConstantsConversionsAndNormalizeWithItsThreshold)
{
    // Pi is one unit in the last place above the float nearest pi. Conversions narrow the
    // product of widened float factors once; exact pi/180 would give other bits.
    EXPECT_EQ(MathUtil::Pi, std::nextafter(static_cast<float>(M_PI), 4.0f));
    EXPECT_EQ(MathUtil::ToRadians(180.0f), 3.141592264175415f);
    EXPECT_EQ(MathUtil::ToDegrees(-6.98f), -399.924560546875f);
    EXPECT_FALSE(MathUtil::FuzzyEquals(0.0f, MathUtil::Epsilon)); // strictly less
    // The one-argument arc tangent: opposite directions give the same angle.
    EXPECT_EQ(MathUtil::AngleFromVector(Vector2(-1.0f, 0.0f)), 0.0f);

    const Vector2 original(0.0f, -7.0f);
    EXPECT_EQ(Vector2::Normalize(original), Vector2(0.0f, -1.0f));
    EXPECT_EQ(original, Vector2(0.0f, -7.0f)) << "the static form leaves its argument alone";
    // Shorter than 1e-7: UnitY when X < Y, else UnitX; exactly 1e-7 long is divided.
    EXPECT_EQ(Vector2::Normalize(Vector2(-1e-8f, 1e-8f)), Vector2(0.0f, 1.0f));
    EXPECT_EQ(Vector2::Normalize(Vector2(5e-8f, 5e-8f)), Vector2(1.0f, 0.0f));
    EXPECT_EQ(Vector2::Normalize(Vector2(-1e-7f, 0.0f)), Vector2(-1.0f, 0.0f));
    EXPECT_EQ(Vector2::Normalize(Vector2(-std::nextafter(1e-7f, 0.0f), 0.0f)), Vector2(0.0f, 1.0f));
    EXPECT_NEAR(Vector2::Rotate(Vector2(0.0f, 2.0f), MathUtil::Pi / 2.0f).X, -2.0f, 1e-6f);
    EXPECT_EQ(Vector2::Reflect(Vector2(2.0f, -3.0f), Vector2(0.0f, 1.0f)), Vector2(2.0f, 3.0f));
    EXPECT_EQ(Vector2::Clamp(Vector2(-5.0f, 9.0f), Vector2(0.0f, 1.0f), Vector2(2.0f, 3.0f)),
              Vector2(0.0f, 3.0f));
}

TEST(MathTest, IntervalsEaseAndEndOnTheirTargetAndRandomIntsShareTheGenerator)
{
    Interval<float> linear(0.0f, 10.0f, 2.0f, false);
    EXPECT_EQ(linear.Step(0.5f), 2.5f);
    EXPECT_EQ(linear.Step(5.0f), 10.0f); // overshooting lands on the end
    EXPECT_FALSE(linear.ShouldStep());
    Interval<float> instant(4.0f, 8.0f, 0.0f, false); // elapsed equal to duration finishes
    EXPECT_EQ(instant.Step(0.0f), 8.0f);
    Interval<Color> fade(Color(0.0f, 0.0f, 0.0f, 0.0f), Color(), 4.0f, true);
    EXPECT_EQ(fade.Step(1.0f), Color(0.15625f, 0.15625f, 0.15625f, 0.15625f));

    MathUtil::RandomInt(1); // the one-time seeding is done
    std::srand(7);
    const int first = std::rand() % 1000;
    std::srand(7);
    EXPECT_EQ(MathUtil::RandomInt(0), 0) << "a maximum below 1 draws nothing";
    EXPECT_EQ(MathUtil::RandomInt(1000), first);
}
