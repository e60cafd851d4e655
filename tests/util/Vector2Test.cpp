#include "engine/util/Vector2.h"
#include "engine/util/AlignedBox.h"
#include "engine/util/MathUtil.h"
#include "engine/util/Vector3.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
void ExpectNear(const Vector2& actual, float x, float y, float tolerance = 1e-6f)
{
    EXPECT_NEAR(actual.X, x, tolerance);
    EXPECT_NEAR(actual.Y, y, tolerance);
}
} // namespace

TEST(Vector2Test, ConstantsAndBasicArithmetic)
{
    EXPECT_EQ(Vector2::Zero, Vector2(0.0f, 0.0f));
    EXPECT_EQ(Vector2::One, Vector2(1.0f));
    EXPECT_EQ(Vector2::UnitX, Vector2(1.0f, 0.0f));
    EXPECT_EQ(Vector2::UnitY, Vector2(0.0f, 1.0f));
    EXPECT_EQ(Vector3::UnitZ.Z, 1.0f);
    EXPECT_EQ(Vector3::One.X + Vector3::One.Y + Vector3::One.Z, 3.0f);

    const Vector2 a(1.0f, 2.0f);
    const Vector2 b(3.0f, -4.0f);
    EXPECT_EQ(a - b, Vector2(-2.0f, 6.0f));
    EXPECT_EQ(Vector2::Negate(a), Vector2(-1.0f, -2.0f));
    EXPECT_EQ(b / 2.0f, Vector2(1.5f, -2.0f));
    // Equality is exact, not fuzzy.
    EXPECT_NE(a, Vector2(1.0f, std::nextafter(2.0f, 3.0f)));

    EXPECT_EQ(Vector2(3.0f, 4.0f).Length(), 5.0f);
    EXPECT_EQ(Vector2::Dot(a, b), -5.0f);
    EXPECT_EQ(Vector2::Distance(Vector2(1.0f, 1.0f), Vector2(4.0f, 5.0f)), 5.0f);
    EXPECT_EQ(Vector2::DistanceSquared(Vector2(1.0f, 1.0f), Vector2(4.0f, 5.0f)), 25.0f);
}

TEST(Vector2Test, NormalizeDividesByLength)
{
    Vector2 v(3.0f, 4.0f);
    v.Normalize();
    ExpectNear(v, 0.6f, 0.8f);
    ExpectNear(Vector2::Normalize(Vector2(0.0f, -7.0f)), 0.0f, -1.0f, 0.0f);

    // The static form leaves its argument alone.
    const Vector2 original(3.0f, 4.0f);
    Vector2::Normalize(original);
    EXPECT_EQ(original, Vector2(3.0f, 4.0f));
}

TEST(Vector2Test, NormalizeOfTinyVectorsPicksAnAxis)
{
    EXPECT_EQ(Vector2::Normalize(Vector2(0.0f, 0.0f)), Vector2::UnitX);
    EXPECT_EQ(Vector2::Normalize(Vector2(-1e-8f, 1e-8f)), Vector2::UnitY);
    EXPECT_EQ(Vector2::Normalize(Vector2(1e-8f, -1e-8f)), Vector2::UnitX);
    // Equal components are not X < Y.
    EXPECT_EQ(Vector2::Normalize(Vector2(5e-8f, 5e-8f)), Vector2::UnitX);

    // The threshold is 1e-7: exactly that length is divided, anything shorter is not.
    EXPECT_EQ(Vector2::Normalize(Vector2(-1e-7f, 0.0f)), Vector2(-1.0f, 0.0f));
    EXPECT_EQ(Vector2::Normalize(Vector2(-std::nextafter(1e-7f, 0.0f), 0.0f)), Vector2::UnitY);
}

TEST(Vector2Test, RotateTakesRadians)
{
    ExpectNear(Vector2::Rotate(Vector2(1.0f, 0.0f), MathUtil::Pi / 2.0f), 0.0f, 1.0f);
    ExpectNear(Vector2::Rotate(Vector2(0.0f, 2.0f), MathUtil::Pi / 2.0f), -2.0f, 0.0f);
    // 90 taken as radians, not degrees.
    ExpectNear(Vector2::Rotate(Vector2(1.0f, 0.0f), 90.0f), std::cos(90.0f), std::sin(90.0f));
    const Vector2 rotated = Vector2::Rotate(Vector2(3.0f, 4.0f), 1.234f);
    EXPECT_NEAR(rotated.Length(), 5.0f, 1e-5f);
}

TEST(Vector2Test, ReflectLerpMinMaxClamp)
{
    EXPECT_EQ(Vector2::Reflect(Vector2(1.0f, -1.0f), Vector2(0.0f, 1.0f)), Vector2(1.0f, 1.0f));
    EXPECT_EQ(Vector2::Reflect(Vector2(2.0f, 3.0f), Vector2(-1.0f, 0.0f)), Vector2(-2.0f, 3.0f));

    EXPECT_EQ(Vector2::Lerp(Vector2(0.0f, 10.0f), Vector2(4.0f, 20.0f), 0.25f),
              Vector2(1.0f, 12.5f));
    // Not clamped to the segment.
    EXPECT_EQ(Vector2::Lerp(Vector2(0.0f, 0.0f), Vector2(2.0f, -2.0f), 2.0f), Vector2(4.0f, -4.0f));

    EXPECT_EQ(Vector2::Max(Vector2(1.0f, 5.0f), Vector2(3.0f, -2.0f)), Vector2(3.0f, 5.0f));

    EXPECT_EQ(Vector2::Clamp(Vector2(5.0f, -5.0f), Vector2(0.0f, 0.0f), Vector2(1.0f, 1.0f)),
              Vector2(1.0f, 0.0f));
    EXPECT_EQ(Vector2::Clamp(Vector2(0.5f, 0.25f), Vector2(0.0f, 0.0f), Vector2(1.0f, 1.0f)),
              Vector2(0.5f, 0.25f));
    // Each component uses its own bounds.
    EXPECT_EQ(Vector2::Clamp(Vector2(9.0f, 9.0f), Vector2(0.0f, 0.0f), Vector2(2.0f, 3.0f)),
              Vector2(2.0f, 3.0f));
}

TEST(AlignedBoxTest, CenterIsHalfwayBetweenCorners)
{
    const AlignedBox box(Vector2(-2.0f, -1.0f), Vector2(4.0f, 3.0f));
    EXPECT_EQ(box.Center(), Vector2(1.0f, 1.0f));
}
