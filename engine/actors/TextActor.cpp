#include "engine/actors/TextActor.h"

#include "engine/actors/FontRegistry.h"
#include "engine/console/Log.h"
#include "engine/messaging/Message.h"
#include "engine/messaging/Switchboard.h"
#include "engine/util/MathUtil.h"
#include "engine/util/opengl/GL.h"
#include "engine/util/opengl/GLContext.h"

#include <cmath>

namespace
{
void WarnUnknownAlignment(const char* operation, TextAlignment alignment)
{
    GetSystemLog()->Printf("WARNING: %s() ignored the unknown alignment %d.", operation,
                           static_cast<int>(alignment));
}
} // namespace

TextActor::TextActor(const String& fontNickname, const String& displayString, TextAlignment align,
                     int lineSpacing)
    : m_fontNickname(fontNickname), m_alignment(TXT_Left), m_lineSpacing(lineSpacing)
{
    if (IsKnownAlignment(align))
        m_alignment = align;
    else
        WarnUnknownAlignment("TextActor", align);
    SetColor(0.0f, 0.0f, 0.0f, 1.0f);
    SetDisplayString(displayString);
    Switchboard::GetInstance()->SubscribeTo(this, "CameraChange");
}

void TextActor::SetDisplayString(const String& newString)
{
    m_displayString = newString;
    m_lines = SplitTextLines(newString);
    CalculatePosition();
}

void TextActor::SetFont(const String& newFont)
{
    m_fontNickname = newFont;
    CalculatePosition();
}

void TextActor::SetAlignment(TextAlignment newAlignment)
{
    if (!IsKnownAlignment(newAlignment))
    {
        WarnUnknownAlignment("SetAlignment", newAlignment);
        return;
    }
    m_alignment = newAlignment;
    CalculatePosition();
}

void TextActor::SetLineSpacing(int spacing)
{
    m_lineSpacing = spacing;
    CalculatePosition();
}

void TextActor::SetPosition(const Vector2& position)
{
    Actor::SetPosition(position);
    CalculatePosition();
}

void TextActor::SetPosition(float x, float y)
{
    Actor::SetPosition(x, y);
    CalculatePosition();
}

void TextActor::CalculatePosition()
{
    // A script's thread cannot measure text: the main thread lays it out before drawing it.
    m_layoutPending = !HasCurrentGLContext();
    for (TextLine& line : m_lines)
        line.extents = GetTextExtents(line.text, m_fontNickname);
    LayOutTextLines(m_lines, MathUtil::WorldToScreen(GetPosition()), m_alignment, m_lineSpacing);
}

void TextActor::Render()
{
    if (m_layoutPending)
        CalculatePosition();
    const Color& color = GetColor();
    glColor4f(color.R, color.G, color.B, color.A);
    for (const TextLine& line : m_lines)
        if (std::isfinite(line.position.X) && std::isfinite(line.position.Y))
            DrawScreenText(line.text, m_fontNickname, MathUtil::SaturateToInt(line.position.X),
                           MathUtil::SaturateToInt(line.position.Y), 0.0f);
}

void TextActor::ReceiveMessage(Message* message)
{
    if (message->GetMessageName() == "CameraChange")
        CalculatePosition();
}
