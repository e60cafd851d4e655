#include "engine/console/Console.h"

#include "engine/actors/FontRegistry.h"
#include "engine/world/glfw2/Glfw2.h"

#include <algorithm>

Console::Console()
{
    // "Console" serves the game's text actors; the console itself writes in "ConsoleSmall".
    RegisterFont(kFontFile, 24, kFontName);
    RegisterFont(kFontFile, 18, kSmallFontName);
}

void Console::Enable(bool open)
{
    m_open = open;
    if (open)
        glfw2::Enable(glfw2::KEY_REPEAT);
    else
        glfw2::Disable(glfw2::KEY_REPEAT);
}

void Console::WriteToOutput(const String& text)
{
    if (text.empty())
        return;
    // A text with more lines than are kept replaces the whole output by its own tail: the
    // lines in front of that tail are skipped, never stored nor measured.
    const size_t lineFeeds = static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
    const size_t newLines = lineFeeds + (text.back() != '\n' ? 1 : 0);
    size_t begin = 0;
    if (newLines > kMaxOutputLines)
    {
        for (size_t skip = newLines - kMaxOutputLines; skip > 0; --skip)
            begin = text.find('\n', begin) + 1;
        while (!m_outputLines.empty())
            DropOldestOutputLine();
        m_lastLineOpen = false;
    }
    while (begin < text.size())
    {
        const size_t lineFeed = text.find('\n', begin);
        if (lineFeed == String::npos)
        {
            AppendOutputPiece(text, begin, text.size(), false);
            break;
        }
        AppendOutputPiece(text, begin, lineFeed, true);
        begin = lineFeed + 1;
    }
}

void Console::AppendOutputPiece(const String& text, size_t begin, size_t end, bool ends)
{
    const bool newLine = !m_lastLineOpen;
    if (newLine)
    {
        m_outputLines.emplace_back();
        m_lastLineCut = false;
        if (m_outputLines.size() > kMaxOutputLines)
            DropOldestOutputLine();
    }
    m_lastLineOpen = !ends;
    OutputLine& output = m_outputLines.back();
    String& line = output.text;
    size_t length = end - begin;
    if (m_lastLineCut || length == 0)
    {
        if (!newLine)
            return; // the line and so its height are as they were
        length = 0;
    }
    else if (line.size() + length > kMaxOutputLineLength)
    {
        length = kMaxOutputLineLength - line.size();
        // Never keep half of a UTF-8 sequence: the whole line would then draw as single bytes.
        for (int back = 0; back < 3 && length > 0 && (text[begin + length] & 0xC0) == 0x80; ++back)
            --length;
        m_lastLineCut = true;
    }
    line.append(text, begin, length);

    // This line drops out after every line before it: those no taller than it can never be
    // the tallest again. Its own earlier, shorter measure goes too.
    const uint64_t number = m_firstOutputLineNumber + m_outputLines.size() - 1;
    const Vector2 extents = line.empty() ? Vector2() : GetTextExtents(line, kSmallFontName);
    output.width = extents.X;
    output.drawnRoom = -1;
    const float height = extents.Y;
    while (!m_tallestLines.empty() &&
           (m_tallestLines.back().first == number || m_tallestLines.back().second <= height))
        m_tallestLines.pop_back();
    m_tallestLines.emplace_back(number, height);
}

void Console::DropOldestOutputLine()
{
    m_outputLines.pop_front();
    if (!m_tallestLines.empty() && m_tallestLines.front().first == m_firstOutputLineNumber)
        m_tallestLines.pop_front();
    ++m_firstOutputLineNumber;
}

StringList Console::GetOutputLines() const
{
    StringList lines;
    lines.reserve(m_outputLines.size());
    for (const OutputLine& line : m_outputLines)
        lines.push_back(line.text);
    return lines;
}

String Console::GetOutputText() const
{
    String text;
    for (const OutputLine& line : m_outputLines)
        text.append(line.text).push_back('\n');
    if (m_lastLineOpen)
        text.pop_back();
    return text;
}

bool Console::GetInput(int character)
{
    if (!m_open)
        return false;
    // Codes beyond one byte are dropped rather than cut to their low byte, which could turn
    // them into the toggle key or into unrelated text.
    if (character < 0 || character > 0xFF)
        return true;
    if (character == ToggleKey())
    {
        Enable(false);
        return true;
    }
    if (IsTextKey(character))
    {
        m_currentInput += static_cast<char>(character);
        if (m_currentInput.size() >= kCompletionThreshold)
            RefreshCompletions();
    }
    return true;
}

bool Console::GetSpecialInputDown(int key)
{
    if (!m_open)
        return false;
    switch (key)
    {
    case glfw2::KEY_ESC:
    case ToggleKey():
        Enable(false);
        break;
    case glfw2::KEY_ENTER:
        AcceptCurrentInput();
        m_completions.clear();
        break;
    case glfw2::KEY_TAB:
        AcceptCompletion();
        break;
    case glfw2::KEY_BACKSPACE:
        if (!m_currentInput.empty())
        {
            m_currentInput.pop_back();
            RefreshCompletions();
        }
        break;
    case glfw2::KEY_UP:
        AdvanceInputHistory(-1);
        break;
    case glfw2::KEY_DOWN:
        AdvanceInputHistory(1);
        break;
    default:
        break;
    }
    // Nothing else sees a key while the console is open.
    return true;
}

void Console::AcceptCurrentInput()
{
    // Execute gets a copy: a scripted console may write to us while it runs.
    const String line = m_currentInput;
    Execute(line);
    if (!line.empty())
    {
        m_inputHistory.push_back(line);
        m_historyIndex = static_cast<int>(m_inputHistory.size());
    }
    m_currentInput.clear();
}

void Console::AdvanceInputHistory(int delta)
{
    const int count = static_cast<int>(m_inputHistory.size());
    if (count == 0)
        return;
    if (delta >= 0 && m_historyIndex + delta >= count)
    {
        m_currentInput.clear();
        m_historyIndex = count;
        return;
    }
    // Wide arithmetic: scripts may pass any delta.
    const long long target = static_cast<long long>(m_historyIndex) + delta;
    m_historyIndex = static_cast<int>(std::clamp<long long>(target, 0, count));
    // Only a delta >= 0 can reach count, and that case was handled above.
    m_currentInput = m_inputHistory[std::min(m_historyIndex, count - 1)];
}

void Console::AcceptCompletion()
{
    if (!m_completions.empty())
        m_currentInput = m_completions.front();
}

void Console::RefreshCompletions()
{
    m_completions = GetCompletions(m_currentInput);
}
