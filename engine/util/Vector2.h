#pragma once

#include <vector>

/// A 2D vector of 32-bit floats: positions, sizes, velocities and forces of actors.
struct Vector2
{
    float X, Y;

    /// (0, 0).
    constexpr Vector2() : X(0.0f), Y(0.0f) {}
    /// (value, value).
    constexpr explicit Vector2(float value) : X(value), Y(value) {}
    constexpr Vector2(float x, float y) : X(x), Y(y) {}

    // Constant-initialised, so they hold their values before any dynamic initialiser runs.
    // Scripts may overwrite them.
    static Vector2 Zero;
    static Vector2 One;
    static Vector2 UnitX;
    static Vector2 UnitY;

    bool operator==(const Vector2& other) const { return X == other.X && Y == other.Y; }
    bool operator!=(const Vector2& other) const { return !(*this == other); }
    Vector2 operator+(const Vector2& other) const { return Vector2(X + other.X, Y + other.Y); }
    Vector2 operator-(const Vector2& other) const { return Vector2(X - other.X, Y - other.Y); }
    /// Vector2::Zero minus this vector.
    Vector2 operator-() const;
    Vector2 operator*(float scalar) const { return Vector2(X * scalar, Y * scalar); }
    Vector2 operator/(float scalar) const { return Vector2(X / scalar, Y / scalar); }

    float Length() const;
    float LengthSquared() const;
    /// In place. Vectors shorter than 1e-7 become UnitY when X < Y, else UnitX.
    void Normalize();

    static Vector2 Normalize(const Vector2& v);
    static float Dot(const Vector2& a, const Vector2& b);
    static float Distance(const Vector2& a, const Vector2& b);
    static float DistanceSquared(const Vector2& a, const Vector2& b);
    static Vector2 Negate(const Vector2& v);
    static Vector2 Lerp(const Vector2& a, const Vector2& b, float t);
    static Vector2 Max(const Vector2& a, const Vector2& b);
    static Vector2 Min(const Vector2& a, const Vector2& b);
    /// v - n * (2 * Dot(v, n)).
    static Vector2 Reflect(const Vector2& v, const Vector2& n);
    /// Counter-clockwise by an angle in radians.
    static Vector2 Rotate(const Vector2& v, float radians);
    static Vector2 Clamp(const Vector2& v, const Vector2& min, const Vector2& max);
};

using VectorList = std::vector<Vector2>;
