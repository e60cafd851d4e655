#pragma once

#include "engine/util/Color.h"
#include "engine/util/StringTypes.h"

#include <vector>

/// One step of drawing the console, in window pixels (origin top-left, y downwards).
struct ConsoleDrawItem
{
    enum Kind
    {
        Background, ///< a filled rectangle: columns x ... x + width, rows y - height ... y
        Text,       ///< text in the "ConsoleSmall" font with its baseline origin at (x, y)
    };

    Kind kind;
    Color color;
    int x;
    int y;
    int width;
    int height;
    String text;
};

using ConsoleDrawList = std::vector<ConsoleDrawItem>;
