#include "game/TextScreen.h"

#include "engine/actors/TextActor.h"
#include "engine/world/World.h"

void TextScreen::Start()
{
    for (const Line& line : m_lines)
    {
        TextActor* text = new TextActor("Console", line.text, TXT_Left, 5);
        text->SetPosition(0.0f, line.y);
        text->SetAlignment(TXT_Center);
        World::GetInstance()->Add(text, 0);
        m_objects.push_back(text);
    }
}
