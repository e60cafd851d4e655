#include "game/TextScreen.h"

#include "engine/util/Vector2.h"

void TextScreen::Start()
{
    for (const Line& line : m_lines)
        AddCentredText(line.text, Vector2(0.0f, line.y));
}
