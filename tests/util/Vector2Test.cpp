#include "engine/util/Vector2.h"
#include "engine/util/AlignedBox.h"
#include "engine/util/MathUtil.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(Vector2Test, ArithmeticAndLengths)
{
    const Vector2 a(1.0f, 2.0f);
    const Vector2 b(3.0f, -4.0f);
    EXPECT_EQ(a - b, Vector2(-2.0f, 6.0f));
    EXPECT_EQ(-a, Vector2(-1.0f, -2.0f));
    EXPECT_NE(a, Vector2(1.0f, std::nextafter(2.0f, 3.0f))); // exact, not fuzzy
    EXPECT_EQ(Vector2::Dot(a, b), -5.0f);
    EXPECT_EQ(Vector2::Distance(Vector2(1.0f), Vector2(4.0f, 5.0f)), 5.0f);
    EXPECT_EQ(Vector2::DistanceSquared(Vector2(1.0f), Vector2(4.0f, 5.0f)), 25.0f);
    EXPECT_EQ(AlignedBox(Vector2(-2.0f, -1.0f), Vector2(4.0f, 3.0f)).Center(), Vector2(1.0f, 1.0f));
}

TEST(Vector2Test, NormalizeAndItsThreshold)
{
    Vector2 v(3.0f, 4.0f);
    v.Normalize();
    EXPECT_NEAR(v.X, 0.6f, 1e-6f);
    EXPECT_NEAR(v.Y, 0.8f, 1e-6f);
    // The static form leaves its argument alone.
    const Vector2 original(0.0f, -7.0f);
    EXPECT_EQ(Vector2::Normalize(original), Vector2(0.0f, -1.0f));
    EXPECT_EQ(original, Vector2(0.0f, -7.0f));

    // Shorter than 1e-7: UnitY when X < Y, else UnitX (equal components are not X < Y).
    EXPECT_EQ(Vector2::Normalize(Vector2(0.0f, 0.0f)), Vector2(1.0f, 0.0f));
    EXPECT_EQ(Vector2::Normalize(Vector2(-1e-8f, 1e-8f)), Vector2(0.0f, 1.0f));
    EXPECT_EQ(Vector2::Normalize(Vector2(1e-8f, -1e-8f)), Vector2(1.0f, 0.0f));
    EXPECT_EQ(Vector2::Normalize(Vector2(5e-8f, 5e-8f)), Vector2(1.0f, 0.0f));
    // Exactly 1e-7 long is divided; one float shorter is not.
    EXPECT_EQ(Vector2::Normalize(Vector2(-1e-7f, 0.0f)), Vector2(-1.0f, 0.0f));
    EXPECT_EQ(Vector2::Normalize(Vector2(-std::nextafter(1e-7f, 0.0f), 0.0f)), Vector2(0.0f, 1.0f));
}

TEST(Vector2Test, RotateReflectLerpMinMaxClamp)
{
    // Counter-clockwise, in radians.
    const Vector2 turned = Vector2::Rotate(Vector2(0.0f, 2.0f), MathUtil::Pi / 2.0f);
    EXPECT_NEAR(turned.X, -2.0f, 1e-6f);
    EXPECT_NEAR(turned.Y, 0.0f, 1e-6f);
    EXPECT_NEAR(Vector2::Rotate(Vector2(1.0f, 0.0f), 1.0f).Y, std::sin(1.0f), 1e-6f);

    EXPECT_EQ(Vector2::Reflect(Vector2(2.0f, -3.0f), Vector2(0.0f, 1.0f)), Vector2(2.0f, 3.0f));
    // Lerp is not held to the segment.
    EXPECT_EQ(Vector2::Lerp(Vector2(0.0f, 2.0f), Vector2(2.0f, -2.0f), 1.5f), Vector2(3.0f, -4.0f));
    EXPECT_EQ(Vector2::Max(Vector2(1.0f, 5.0f), Vector2(3.0f, -2.0f)), Vector2(3.0f, 5.0f));
    EXPECT_EQ(Vector2::Min(Vector2(1.0f, 5.0f), Vector2(3.0f, -2.0f)), Vector2(1.0f, -2.0f));
    // Each component has its own bounds.
    const Vector2 low(0.0f, 1.0f);
    const Vector2 high(2.0f, 3.0f);
    EXPECT_EQ(Vector2::Clamp(Vector2(-5.0f, 9.0f), low, high), Vector2(0.0f, 3.0f));
    EXPECT_EQ(Vector2::Clamp(Vector2(9.0f, -5.0f), low, high), Vector2(2.0f, 1.0f));
}
