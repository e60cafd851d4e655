#pragma once

#include "engine/util/StringTypes.h"
#include "engine/util/Vector2.h"

#include <vector>

/// How each line of a text actor sits on the actor's x. Any int is a value (scripts pass ints);
/// TextActor refuses the unknown ones.
enum TextAlignment : int
{
    TXT_Left = 0,
    TXT_Center = 1,
    TXT_Right = 2,
};

/// One laid-out line of text.
struct TextLine
{
    String text;
    /// Width and height in pixels.
    Vector2 extents;
    /// Baseline origin in window pixels, x from the left, y from the top.
    Vector2 position;
};

using TextLineList = std::vector<TextLine>;

/// Left, centre or right.
inline bool IsKnownAlignment(TextAlignment alignment)
{
    return alignment == TXT_Left || alignment == TXT_Center || alignment == TXT_Right;
}

/// One line per piece between line breaks: empty pieces between two breaks are kept, a trailing
/// break adds no line and the empty text gives none.
TextLineList SplitTextLines(const String& text);

/// Places the lines (with their extents already measured) from origin downwards: the first
/// baseline at origin.Y, each next one lower by the tallest line's height plus lineSpacing, and
/// each line aligned on origin.X on its own. An unknown alignment leaves positions unchanged.
void LayOutTextLines(TextLineList& lines, const Vector2& origin, TextAlignment alignment,
                     int lineSpacing);
