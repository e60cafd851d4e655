#include "engine/util/MathUtil.h"

#include <gtest/gtest.h>

#include <cstdlib>

TEST(MathTest, VectorHelpersAndRandomIntsThatShareTheGenerator)
{
    // Too short to divide by (a bark right on a sheep): UnitY when X < Y, else UnitX, never NaN.
    EXPECT_EQ(Vector2::Normalize(Vector2(-1e-8f, 1e-8f)), Vector2(0.0f, 1.0f));
    EXPECT_EQ(Vector2::Normalize(Vector2(0.0f, 0.0f)), Vector2(1.0f, 0.0f));
    EXPECT_EQ(Vector2::Normalize(Vector2(0.0f, -7.0f)), Vector2(0.0f, -1.0f));
    EXPECT_NEAR(Vector2::Rotate(Vector2(0.0f, 2.0f), MathUtil::Pi / 2.0f).X, -2.0f, 1e-6f);
    EXPECT_EQ(Vector2::Reflect(Vector2(2.0f, -3.0f), Vector2(0.0f, 1.0f)), Vector2(2.0f, 3.0f));
    // The one-argument arc tangent: opposite directions give the same angle.
    EXPECT_EQ(MathUtil::AngleFromVector(Vector2(-1.0f, 0.0f)), 0.0f);

    // Tests seed the process-wide generator after the engine's one seeding by the clock.
    MathUtil::RandomInt(1);
    std::srand(7);
    const int first = std::rand() % 1000;
    std::srand(7);
    EXPECT_EQ(MathUtil::RandomInt(0), 0) << "a maximum below 1 draws nothing";
    EXPECT_EQ(MathUtil::RandomInt(1000), first);
}
