#pragma once

// Writes small test pictures through FreeImage.

#include "engine/util/StringTypes.h"

#include <FreeImage.h>

struct Rgba
{
    unsigned char r, g, b, a;
};

/// A 24-bit PNG, or 32-bit withAlpha, whose pixel (x, y), y from the bottom, is colourAt(x, y).
template <typename ColourAt>
bool WritePng(const String& path, int width, int height, bool withAlpha, ColourAt colourAt)
{
    FIBITMAP* bitmap = FreeImage_Allocate(width, height, withAlpha ? 32 : 24);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            const Rgba colour = colourAt(x, y);
            BYTE* pixel = FreeImage_GetScanLine(bitmap, y) + x * (withAlpha ? 4 : 3);
            pixel[FI_RGBA_RED] = colour.r;
            pixel[FI_RGBA_GREEN] = colour.g;
            pixel[FI_RGBA_BLUE] = colour.b;
            if (withAlpha)
                pixel[FI_RGBA_ALPHA] = colour.a;
        }
    const bool saved = FreeImage_Save(FIF_PNG, bitmap, path.c_str(), 0) != 0;
    FreeImage_Unload(bitmap);
    return saved;
}

inline bool WriteSolidPng(const String& path, int width, int height, Rgba colour)
{
    return WritePng(path, width, height, false, [colour](int, int) { return colour; });
}
