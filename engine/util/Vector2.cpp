#include "engine/util/Vector2.h"

#include "engine/util/MathUtil.h"

#include <cmath>

Vector2 Vector2::Zero(0.0f, 0.0f);
Vector2 Vector2::One(1.0f, 1.0f);
Vector2 Vector2::UnitX(1.0f, 0.0f);
Vector2 Vector2::UnitY(0.0f, 1.0f);

namespace
{
// Below this length the direction is meaningless and a unit axis is used instead.
constexpr float kNormalizeThreshold = 0.0000001f;
} // namespace

Vector2 Vector2::operator-() const
{
    return Zero - *this;
}

float Vector2::Length() const
{
    return std::sqrt(LengthSquared());
}

float Vector2::LengthSquared() const
{
    return X * X + Y * Y;
}

void Vector2::Normalize()
{
    const float length = Length();
    if (length < kNormalizeThreshold)
    {
        *this = X < Y ? UnitY : UnitX;
        return;
    }
    X /= length;
    Y /= length;
}

Vector2 Vector2::Normalize(const Vector2& v)
{
    Vector2 copy(v);
    copy.Normalize();
    return copy;
}

float Vector2::Dot(const Vector2& a, const Vector2& b)
{
    return a.X * b.X + a.Y * b.Y;
}

float Vector2::Distance(const Vector2& a, const Vector2& b)
{
    return (a - b).Length();
}

float Vector2::DistanceSquared(const Vector2& a, const Vector2& b)
{
    return (a - b).LengthSquared();
}

Vector2 Vector2::Negate(const Vector2& v)
{
    return -v;
}

Vector2 Vector2::Lerp(const Vector2& a, const Vector2& b, float t)
{
    return Vector2(MathUtil::Lerp(a.X, b.X, t), MathUtil::Lerp(a.Y, b.Y, t));
}

Vector2 Vector2::Max(const Vector2& a, const Vector2& b)
{
    return Vector2(a.X < b.X ? b.X : a.X, a.Y < b.Y ? b.Y : a.Y);
}

Vector2 Vector2::Min(const Vector2& a, const Vector2& b)
{
    return Vector2(b.X < a.X ? b.X : a.X, b.Y < a.Y ? b.Y : a.Y);
}

Vector2 Vector2::Reflect(const Vector2& v, const Vector2& n)
{
    return v - n * (2.0f * Dot(v, n));
}

Vector2 Vector2::Rotate(const Vector2& v, float radians)
{
    const float c = std::cos(radians);
    const float s = std::sin(radians);
    return Vector2(v.X * c - v.Y * s, v.Y * c + v.X * s);
}

Vector2 Vector2::Clamp(const Vector2& v, const Vector2& min, const Vector2& max)
{
    return Vector2(MathUtil::Clamp(v.X, min.X, max.X), MathUtil::Clamp(v.Y, min.Y, max.Y));
}
