#include "engine/console/Console.h"

#include "engine/actors/FontRegistry.h"
#include "engine/util/StringUtil.h"
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
    m_outputText += text;
    m_outputLines = SplitString(m_outputText, "\n", false);
    m_outputLineHeight = 0.0f;
    for (const String& line : m_outputLines)
        m_outputLineHeight = std::max(m_outputLineHeight, GetTextExtents(line, kSmallFontName).Y);
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
