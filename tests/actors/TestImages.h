#pragma once

#include "engine/util/StringTypes.h"

#include <FreeImage.h>

struct Rgba
{
    unsigned char r, g, b, a;
};

/// Writes a 24-bit PNG of one colour through FreeImage.
inline bool WriteSolidPng(const String& path, int width, int height, Rgba colour)
{
    FIBITMAP* bitmap = FreeImage_Allocate(width, height, 24);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            BYTE* pixel = FreeImage_GetScanLine(bitmap, y) + x * 3;
            pixel[FI_RGBA_RED] = colour.r;
            pixel[FI_RGBA_GREEN] = colour.g;
            pixel[FI_RGBA_BLUE] = colour.b;
        }
    const bool saved = FreeImage_Save(FIF_PNG, bitmap, path.c_str(), 0) != 0;
    FreeImage_Unload(bitmap);
    return saved;
}
