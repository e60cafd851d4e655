#pragma once

#include "engine/actors/Actor.h"
#include "engine/actors/TextLayout.h"

/// Multi-line text shown at the actor's world position in a registered font. The lines are
/// laid out in window pixels (the first baseline at the actor's position) and laid out again on
/// every change of text, font, alignment, spacing or position, and on every "CameraChange".
/// Size, rotation, draw shape and sprite play no part; the colour is the text colour (black by
/// default).
class TextActor : public Actor
{
public:
    /// An unknown alignment is refused with a warning: the text is left-aligned.
    explicit TextActor(const String& fontNickname = "Console", const String& displayString = "",
                       TextAlignment align = TXT_Left, int lineSpacing = 5);

    void SetDisplayString(const String& newString);
    String GetDisplayString() const { return m_displayString; }
    /// An unregistered nickname draws nothing until a font of that name is registered and the
    /// text is laid out again.
    void SetFont(const String& newFont);
    String GetFont() const { return m_fontNickname; }
    /// An unknown alignment is refused with a warning.
    void SetAlignment(TextAlignment newAlignment);
    TextAlignment GetAlignment() const { return m_alignment; }
    /// Pixels between lines, beyond the tallest line's height.
    void SetLineSpacing(int spacing);
    int GetLineSpacing() const { return m_lineSpacing; }

    void SetPosition(const Vector2& position) override;
    void SetPosition(float x, float y) override;

    /// Draws each line at its pixel position; a line whose position is not finite (NaN or
    /// infinite) is not drawn, and one beyond the int range is drawn at the range's end
    /// (outside the window).
    void Render() override;
    /// Lays the lines out again on "CameraChange".
    void ReceiveMessage(Message* message) override;
    String GetClassName() const override { return "TextActor"; }

    /// Measures every line and places it in window pixels. Without the window's GL context (on
    /// a script's thread) the lines measure nothing until Render lays them out again.
    void CalculatePosition();

    /// The current layout, one entry per line.
    const TextLineList& GetLines() const { return m_lines; }

private:
    String m_fontNickname;
    String m_displayString;
    TextAlignment m_alignment;
    TextLineList m_lines;
    int m_lineSpacing;
    bool m_layoutPending = false;
};
