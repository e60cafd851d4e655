#pragma once

#include "engine/console/ConsoleDrawItem.h"
#include "engine/util/StringTypes.h"

/// The drop-down developer console over the top half of the window. While open it takes all
/// keyboard input: typed characters build an input line, Enter hands it to Execute, Tab takes
/// the first completion, Up and Down walk the history, Escape or the toggle key close it.
/// Subclasses (native or scripted) decide what a line does. Main thread only.
class Console
{
public:
    static constexpr const char* kFontFile = "Resources/Fonts/Inconsolata.otf";
    static constexpr const char* kFontName = "Console";
    static constexpr const char* kSmallFontName = "ConsoleSmall";
    /// Input lines this long or longer ask for completions as they are typed.
    static constexpr size_t kCompletionThreshold = 3;
    /// Completion rows shown; from this many on the last row reads "...".
    static constexpr int kMaxCompletionRows = 7;

    /// Closed, empty; registers the "Console" and "ConsoleSmall" fonts.
    Console();
    virtual ~Console() = default;

    /// Runs one entered line (possibly empty).
    virtual void Execute(const String& input) = 0;
    /// The completions offered for a partial line.
    virtual StringList GetCompletions(const String& input) = 0;

    bool IsOpen() const { return m_open; }
    /// The backquote.
    static constexpr int ToggleKey() { return '`'; }
    /// Opens or closes. Held keys repeat only while the console is open.
    void Enable(bool open);
    void SetPrompt(const String& prompt) { m_prompt = prompt; }
    /// Appends text (no line end is added) and re-splits the output into lines.
    void WriteToOutput(const String& text);

    /// A typed character. False only when the console is closed.
    bool GetInput(int character);
    /// A key press (GLFW 2 code). True when the console took it: an open console takes every key.
    bool GetSpecialInputDown(int key);
    /// Enter: executes the line, records a non-empty one in the history, empties the line.
    void AcceptCurrentInput();
    /// Up (-1) and Down (+1) through the history; past the newest entry gives an empty line.
    void AdvanceInputHistory(int delta);
    /// Tab: the input line becomes the first completion, when there is one.
    void AcceptCompletion();

    /// Characters that the input line accepts: 32 ... 125 (so not '~').
    static bool IsTextKey(int character) { return character >= 32 && character <= 125; }

    /// Per-frame hook; nothing to do.
    void Update(float) {}
    /// Draws the console over everything, when open.
    void Render();
    /// Fills columns x ... x + width and rows bottom - height ... bottom (window pixels, y down)
    /// in the current colour, without depth testing.
    void RenderBackground(int x, int bottom, int width, int height);
    /// What Render draws for a window of that size, in order. The margin and line sizes are
    /// taken from the height of the first window laid out and kept from then on.
    ConsoleDrawList BuildDrawList(int windowWidth, int windowHeight);

    const String& GetCurrentInput() const { return m_currentInput; }
    const StringList& GetInputHistory() const { return m_inputHistory; }
    const String& GetPrompt() const { return m_prompt; }
    const String& GetOutputText() const { return m_outputText; }
    const StringList& GetOutputLines() const { return m_outputLines; }
    /// The tallest output line in the "ConsoleSmall" font, in pixels.
    float GetOutputLineHeight() const { return m_outputLineHeight; }
    const StringList& GetCompletionList() const { return m_completions; }

    Console(const Console&) = delete;
    Console& operator=(const Console&) = delete;

private:
    void RefreshCompletions();

    String m_currentInput;
    StringList m_inputHistory;
    int m_historyIndex = 0;
    String m_prompt;
    StringList m_outputLines;
    String m_outputText;
    float m_outputLineHeight = 0.0f;
    StringList m_completions;
    bool m_open = false;

    // Layout sizes fixed at the first draw.
    bool m_sizesKnown = false;
    int m_margin = 0;
    int m_lineHeight = 0;
};
