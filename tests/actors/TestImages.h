#pragma once

// Writes small test pictures. PNGs go through FreeImage; the orientation picture is a binary
// PPM written by hand (top row first), so "up" does not depend on FreeImage's own row order.

#include "engine/util/StringTypes.h"

#include <FreeImage.h>

#include <cstdio>
#include <vector>

struct Rgba
{
    unsigned char r, g, b, a;
};

/// A 24-bit PNG, or 32-bit withAlpha, whose pixel (x, y), y from the bottom, is colourAt(x, y).
template <typename ColourAt>
bool WritePng(const String& path, int width, int height, bool withAlpha, ColourAt colourAt)
{
    FIBITMAP* bitmap = FreeImage_Allocate(width, height, withAlpha ? 32 : 24);
    if (bitmap == nullptr)
        return false;
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

/// A 24-bit PNG of one colour.
inline bool WriteSolidPng(const String& path, int width, int height, Rgba colour)
{
    return WritePng(path, width, height, false, [colour](int, int) { return colour; });
}

/// An 8-bit palette PNG with a transparency table: entry 0 is transparent and fills the left
/// half, entry 1 (colour) the right half.
inline bool WritePalettePngWithTransparency(const String& path, int width, int height, Rgba colour)
{
    FIBITMAP* bitmap = FreeImage_Allocate(width, height, 8);
    if (bitmap == nullptr)
        return false;
    RGBQUAD* palette = FreeImage_GetPalette(bitmap);
    palette[0] = RGBQUAD{0, 0, 0, 0};
    palette[1].rgbRed = colour.r;
    palette[1].rgbGreen = colour.g;
    palette[1].rgbBlue = colour.b;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            FreeImage_GetScanLine(bitmap, y)[x] = x < width / 2 ? 0 : 1;
    BYTE alphaTable[2] = {0, 255};
    FreeImage_SetTransparencyTable(bitmap, alphaTable, 2);
    const bool saved = FreeImage_Save(FIF_PNG, bitmap, path.c_str(), 0) != 0;
    FreeImage_Unload(bitmap);
    return saved;
}

/// A binary PPM, rows given top row first, each pixel as r, g, b.
inline bool WritePpm(const String& path, int width, int height,
                     const std::vector<unsigned char>& rgbTopRowFirst)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    std::fprintf(file, "P6\n%d %d\n255\n", width, height);
    const size_t written = std::fwrite(rgbTopRowFirst.data(), 1, rgbTopRowFirst.size(), file);
    return std::fclose(file) == 0 && written == rgbTopRowFirst.size();
}
