#pragma once

#include "engine/util/StringTypes.h"

/// An RGBA colour of 32-bit floats, nominally 0 ... 1 per channel. Constructors can clamp;
/// the arithmetic operators never do.
class Color
{
public:
    float R, G, B, A;

    /// Opaque white.
    Color();
    Color(float r, float g, float b, float a = 1.0f, bool clamp = true);
    /// Channels 0 ... 255, divided by 255.
    Color(int r, int g, int b, int a = 255, bool clamp = true);
    /// "#rrggbb", "#rgb", "0xrrggbb" or "0xrgb" (also "#0x..."); anything else gives white.
    explicit Color(const String& hexString);

    void Clamp();

    bool operator==(const Color& other) const;
    bool operator!=(const Color& other) const { return !(*this == other); }
    Color operator*(float scalar) const;
    Color operator/(float scalar) const;
    Color operator+(const Color& other) const;
    Color operator-(const Color& other) const;
};
