#pragma once

#include "engine/util/Vector2.h"

/// An axis-aligned rectangle in world units.
class AlignedBox
{
public:
    /// Lower-left corner.
    Vector2 Min;
    /// Upper-right corner.
    Vector2 Max;

    AlignedBox(const Vector2& min, const Vector2& max) : Min(min), Max(max) {}

    Vector2 Center() const;

    /// One quad in the current GL colour.
    void DrawFilled() const;
    /// The four edges as GL lines in the current GL colour.
    void DrawOutline() const;
};
