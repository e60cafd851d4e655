#pragma once

#include "engine/util/Color.h"
#include "engine/util/Vector2.h"

/// Static math helpers: angles, clamping, interpolation, the process-wide random source,
/// fuzzy compares, and conversions between window pixels and world units.
class MathUtil
{
public:
    /// Pi and 2 pi as the engine's float code has always used them (Pi is one unit in the last
    /// place above the float nearest pi); behaviour tuned against them depends on these values.
    static const float Pi;
    static const float TwoPi;
    static const float Epsilon;
    /// Pi to double precision, for code that wants it exact (camera aperture, sound angles).
    static constexpr double PrecisePi = 3.14159265358979323846;

    static float ToRadians(float degrees);
    static float ToDegrees(float radians);

    static float Clamp(float value, float min, float max) { return Max(min, Min(max, value)); }
    static int Clamp(int value, int min, int max) { return Max(min, Min(max, value)); }
    static int Min(int a, int b) { return b < a ? b : a; }
    /// value truncated toward zero into the int range: beyond it the nearest end, NaN 0. For
    /// pixel positions and counts computed in floating point, whose plain conversion is
    /// undefined out of range.
    static int SaturateToInt(double value);

    /// a + (b - a) * t; for floats computed as (b - a) * t + a.
    static float Lerp(float a, float b, float t);
    static Vector2 Lerp(const Vector2& a, const Vector2& b, float t);
    static Color Lerp(const Color& a, const Color& b, float t);
    /// Lerp with t clamped to 0 ... 1 and eased by t * t * (3 - 2 * t).
    static float SmoothStep(float a, float b, float t);
    static Vector2 SmoothStep(const Vector2& a, const Vector2& b, float t);
    static Color SmoothStep(const Color& a, const Color& b, float t);

    /// 0 when maxValue < 1; else 0 ... maxValue - 1. Seeds the generator from the clock on the
    /// first call of the process; every other random function draws through this one.
    static int RandomInt(int maxValue);
    /// [0, maxValue) in steps of maxValue / 10000.
    static float RandomFloat(float maxValue = 1.0f);
    static float RandomFloatInRange(float min, float max);
    static Vector2 RandomVector(const Vector2& min, const Vector2& max);
    static float RandomFloatWithError(float target, float error);

    /// |a - b| < epsilon, strictly.
    static bool FuzzyEquals(float a, float b, float epsilon = Epsilon);

    /// Unit vector at an angle in degrees.
    static Vector2 VectorFromAngle(float degrees);
    /// atan(Y / X) of the normalised vector, in radians (-pi/2 ... pi/2).
    static float AngleFromVector(const Vector2& v);

    // Window pixels <-> world units, through the Camera (defined with the camera).
    static Vector2 GetVisibleWorldSize();
    static Vector2 WorldToScreen(const Vector2& world);
    static Vector2 WorldToScreen(float x, float y);
    static Vector2 ScreenToWorld(int x, int y);
    static float WorldSizeToScreenSize(float worldSize);
    static float ScreenSizeToWorldSize(float screenSize);

private:
    static float Max(float a, float b) { return a < b ? b : a; }
    static float Min(float a, float b) { return b < a ? b : a; }
    static int Max(int a, int b) { return a < b ? b : a; }
};
