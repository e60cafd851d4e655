#include "engine/actors/TextLayout.h"

#include "engine/util/StringUtil.h"

TextLineList SplitTextLines(const String& text)
{
    TextLineList lines;
    for (const String& piece : SplitString(text, "\n", false))
        lines.push_back(TextLine{piece, Vector2(), Vector2()});
    return lines;
}

void LayOutTextLines(TextLineList& lines, const Vector2& origin, TextAlignment alignment,
                     int lineSpacing)
{
    Vector2 maxExtents;
    for (const TextLine& line : lines)
        maxExtents = Vector2::Max(maxExtents, line.extents);

    float y = origin.Y;
    for (TextLine& line : lines)
    {
        switch (alignment)
        {
        case TXT_Left:
            line.position = Vector2(origin.X, y);
            break;
        case TXT_Center:
            line.position = Vector2(origin.X - line.extents.X * 0.5f, y);
            break;
        case TXT_Right:
            line.position = Vector2(origin.X - line.extents.X, y);
            break;
        }
        y += static_cast<float>(lineSpacing) + maxExtents.Y;
    }
}
