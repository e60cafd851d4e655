#include "engine/console/Console.h"

#include "engine/actors/FontRegistry.h"
#include "engine/util/opengl/GL.h"
#include "engine/util/opengl/ScopedPixelProjection.h"
#include "engine/world/Camera.h"

#include <algorithm>

namespace
{
const Color kPanelColor(0.0f, 0.0f, 0.0f, 0.75f);
const Color kOutputColor(1.0f, 1.0f, 1.0f, 1.0f);
const Color kInputBarColor(0.0f, 1.0f, 0.0f, 0.375f);
const Color kInputTextColor(0.0f, 1.0f, 0.0f, 1.0f);

ConsoleDrawItem Background(const Color& color, int x, int bottom, int width, int height)
{
    return ConsoleDrawItem{ConsoleDrawItem::Background, color, x, bottom, width, height, String()};
}

ConsoleDrawItem Text(const Color& color, int x, int y, const String& text)
{
    return ConsoleDrawItem{ConsoleDrawItem::Text, color, x, y, 0, 0, text};
}
} // namespace

ConsoleDrawList Console::BuildDrawList(int windowWidth, int windowHeight)
{
    const int W = windowWidth;
    const int H = windowHeight;
    if (!m_sizesKnown)
    {
        m_margin = H / 192;
        m_lineHeight = H / 32 + m_margin;
        m_sizesKnown = true;
    }
    const int m = m_margin;
    const int L = m_lineHeight;
    const int P = static_cast<int>(H * 0.5);

    ConsoleDrawList items;
    items.push_back(Background(kPanelColor, 0, P, W, P));

    // Newest line at the bottom of the panel, older ones above, as far as the window's top: a
    // line reaches at most its height below its baseline, so one whose baseline lies that far
    // above the window shows nothing, nor do the older ones above it.
    const int textHeight = static_cast<int>(GetOutputLineHeight());
    const int lineStep = textHeight + m;
    int y = P - m;
    for (auto line = m_outputLines.rbegin(); line != m_outputLines.rend() && y + textHeight > 0;
         ++line)
    {
        items.push_back(Text(kOutputColor, m, y, VisiblePart(*line, W - m)));
        y -= lineStep;
    }

    items.push_back(Background(kInputBarColor, 0, P + L, W, L));
    items.push_back(Background(kPanelColor, m / 2, P + L - m / 2, W - m, L - m));
    items.push_back(
        Text(kInputTextColor, m / 2 + m, P + L - 2 * (m / 2) - m, m_prompt + m_currentInput + "_"));

    const int rows = std::min<int>(kMaxCompletionRows, static_cast<int>(m_completions.size()));
    if (rows > 0)
    {
        const int textX = m / 2 + m + H / 24;
        const int boxX = textX - m;
        items.push_back(Background(kPanelColor, boxX, P + L + rows * L, W - boxX, rows * L));
        const bool overflow = static_cast<int>(m_completions.size()) >= kMaxCompletionRows;
        for (int row = 0; row < rows; ++row)
        {
            const bool ellipsis = overflow && row == kMaxCompletionRows - 1;
            items.push_back(Text(kInputTextColor, textX, P + L + (2 * L) / 3 + row * L,
                                 ellipsis ? String("...") : m_completions[row]));
        }
    }
    return items;
}

String Console::VisiblePart(OutputLine& line, int room)
{
    if (line.width <= room)
        return line.text;
    if (line.drawnRoom != room)
    {
        // Glyphs lie left to right, so the prefixes' widths grow with their length: search for
        // the shortest one wider than the room. Prefixes end between UTF-8 sequences, so that
        // they are drawn as the whole line is.
        const String& text = line.text;
        auto sequenceEnd = [&text](size_t i)
        {
            while (i < text.size() && (text[i] & 0xC0) == 0x80)
                ++i;
            return i;
        };
        size_t fits = 0;
        size_t crosses = text.size();
        for (;;)
        {
            const size_t middle = sequenceEnd(std::max(fits + 1, fits + (crosses - fits) / 2));
            if (middle >= crosses)
                break;
            if (GetTextExtents(text.substr(0, middle), kSmallFontName).X > room)
                crosses = middle;
            else
                fits = middle;
        }
        line.drawnRoom = room;
        line.drawnLength = crosses;
    }
    return line.text.substr(0, line.drawnLength);
}

void Console::Render()
{
    if (!m_open)
        return;
    const Camera* camera = Camera::GetInstance();
    for (const ConsoleDrawItem& item :
         BuildDrawList(camera->GetWindowWidth(), camera->GetWindowHeight()))
    {
        glColor4f(item.color.R, item.color.G, item.color.B, item.color.A);
        if (item.kind == ConsoleDrawItem::Background)
            RenderBackground(item.x, item.y, item.width, item.height);
        else
            DrawScreenText(item.text, kSmallFontName, item.x, item.y, 0.0f);
    }
}

void Console::RenderBackground(int x, int bottom, int width, int height)
{
    const Camera* camera = Camera::GetInstance();
    const int windowHeight = camera->GetWindowHeight();

    ScopedPixelProjection pixels(camera->GetWindowWidth(), windowHeight);

    const float left = static_cast<float>(x);
    const float right = static_cast<float>(x + width);
    const float low = static_cast<float>(windowHeight - bottom);
    const float high = static_cast<float>(windowHeight - (bottom - height));
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glBegin(GL_QUADS);
    glVertex2f(left, low);
    glVertex2f(right, low);
    glVertex2f(right, high);
    glVertex2f(left, high);
    glEnd();
    glEnable(GL_DEPTH_TEST);
}
