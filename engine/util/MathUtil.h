#pragma once

/// Static math helpers: clamping, interpolation, random numbers, fuzzy compares.
/// (To be completed: angle conversion, lerp, smooth step, random source, camera conversions.)
class MathUtil
{
public:
    static float Clamp(float value, float min, float max) { return Max(min, Min(max, value)); }
    static int Clamp(int value, int min, int max) { return Max(min, Min(max, value)); }

private:
    template <typename T>
    static T Max(T a, T b) { return a < b ? b : a; }
    template <typename T>
    static T Min(T a, T b) { return b < a ? b : a; }
};
