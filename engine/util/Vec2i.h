#pragma once

/// A point of two ints: window pixel positions (origin top-left, y growing downwards).
struct Vec2i
{
    int X, Y;

    Vec2i(int x, int y) : X(x), Y(y) {}
};
