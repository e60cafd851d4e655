#include "engine/util/MathUtil.h"

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <limits>

// TwoPi is one unit in the last place below the float nearest 2 pi.
const float MathUtil::Pi = 3.1415929794311523f;
const float MathUtil::TwoPi = 6.283185005187988f;
const float MathUtil::Epsilon = 0.000001f;

namespace
{
// The floats nearest pi/180 and 180/pi, widened; products are narrowed back to float.
constexpr double kDegreesToRadians = 0.01745329052209854;
constexpr double kRadiansToDegrees = 57.295780181884766;
// RandomFloat resolution: the largest request the engine makes of RandomInt.
constexpr int kRandomFloatSteps = 10000;
} // namespace

float MathUtil::ToRadians(float degrees)
{
    return static_cast<float>(degrees * kDegreesToRadians);
}

float MathUtil::ToDegrees(float radians)
{
    return static_cast<float>(radians * kRadiansToDegrees);
}

int MathUtil::SaturateToInt(double value)
{
    if (!(value == value))
        return 0;
    if (value >= static_cast<double>(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (value <= static_cast<double>(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return static_cast<int>(value);
}

float MathUtil::Lerp(float a, float b, float t)
{
    return (b - a) * t + a;
}

Vector2 MathUtil::Lerp(const Vector2& a, const Vector2& b, float t)
{
    return Vector2::Lerp(a, b, t);
}

Color MathUtil::Lerp(const Color& a, const Color& b, float t)
{
    return a + (b - a) * t;
}

namespace
{
float SmoothFactor(float t)
{
    const float clamped = MathUtil::Clamp(t, 0.0f, 1.0f);
    return clamped * clamped * (3.0f - 2.0f * clamped);
}
} // namespace

float MathUtil::SmoothStep(float a, float b, float t)
{
    return Lerp(a, b, SmoothFactor(t));
}

Vector2 MathUtil::SmoothStep(const Vector2& a, const Vector2& b, float t)
{
    return Lerp(a, b, SmoothFactor(t));
}

Color MathUtil::SmoothStep(const Color& a, const Color& b, float t)
{
    return Lerp(a, b, SmoothFactor(t));
}

int MathUtil::RandomInt(int maxValue)
{
    // The one seeding of the process-wide generator; game code calling rand() relies on it.
    static const bool seeded = []
    {
        std::srand(static_cast<unsigned int>(std::time(nullptr)));
        return true;
    }();
    (void)seeded;
    if (maxValue < 1)
        return 0;
    return std::rand() % maxValue;
}

float MathUtil::RandomFloat(float maxValue)
{
    return static_cast<float>(RandomInt(kRandomFloatSteps)) / kRandomFloatSteps * maxValue;
}

float MathUtil::RandomFloatInRange(float min, float max)
{
    return RandomFloat(max - min) + min;
}

Vector2 MathUtil::RandomVector(const Vector2& min, const Vector2& max)
{
    return Vector2(RandomFloatInRange(min.X, max.X), RandomFloatInRange(min.Y, max.Y));
}

float MathUtil::RandomFloatWithError(float target, float error)
{
    return RandomFloatInRange(target - error, target + error);
}

bool MathUtil::FuzzyEquals(float a, float b, float epsilon)
{
    return std::fabs(a - b) < epsilon;
}

Vector2 MathUtil::VectorFromAngle(float degrees)
{
    const float radians = ToRadians(degrees);
    return Vector2(std::cos(radians), std::sin(radians));
}

float MathUtil::AngleFromVector(const Vector2& v)
{
    // One-argument arc tangent: (-1, 0) and (1, 0) both give 0. A vertical vector divides by
    // zero, which gives +-infinity and so +-pi/2.
    const Vector2 direction = Vector2::Normalize(v);
    return std::atan(direction.Y / direction.X);
}
