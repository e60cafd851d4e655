#pragma once

#include "engine/console/ConsoleDrawItem.h"
#include "engine/util/StringTypes.h"

#include <cstdint>
#include <deque>
#include <utility>

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
    /// Output lines kept: the newest; each line written beyond them drops the oldest.
    static constexpr size_t kMaxOutputLines = 1000;
    /// Bytes kept of one output line (far more than any window shows); the rest of a longer
    /// line is dropped, so measuring and drawing a line stays cheap.
    static constexpr size_t kMaxOutputLineLength = 1024;

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
    /// Appends text (no line end is added): its first piece continues an unfinished last line,
    /// each line feed ends a line. Costs in proportion to the text, not to the output so far.
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
    /// The kept output lines, each ended by a line feed except an unfinished last one.
    String GetOutputText() const;
    /// The kept output lines, oldest first.
    StringList GetOutputLines() const;
    /// The tallest kept output line in the "ConsoleSmall" font, in pixels; 0 without lines.
    float GetOutputLineHeight() const
    {
        return m_tallestLines.empty() ? 0.0f : m_tallestLines.front().second;
    }
    const StringList& GetCompletionList() const { return m_completions; }

    Console(const Console&) = delete;
    Console& operator=(const Console&) = delete;

private:
    void RefreshCompletions();
    /// Adds text[begin, end) to the output as one line's piece; ends the line when `ends`.
    void AppendOutputPiece(const String& text, size_t begin, size_t end, bool ends);
    void DropOldestOutputLine();

    struct OutputLine
    {
        String text;
        float width = 0.0f; ///< in "ConsoleSmall", pixels
        // How much of the text reaches as far as `room` pixels: found when first drawn so.
        int drawnRoom = -1;
        size_t drawnLength = 0;
    };
    /// The part of a line that can be seen in `room` pixels: up to the glyph that crosses them.
    String VisiblePart(OutputLine& line, int room);

    String m_currentInput;
    StringList m_inputHistory;
    int m_historyIndex = 0;
    String m_prompt;
    std::deque<OutputLine> m_outputLines;
    uint64_t m_firstOutputLineNumber = 0; ///< counts every line ever written
    bool m_lastLineOpen = false;          ///< the next write continues the last line
    bool m_lastLineCut = false;           ///< the last line reached its length limit
    // The kept lines that may yet be the tallest, as (line number, height): numbers rising,
    // heights falling, so the front is the tallest and drops out with its line.
    std::deque<std::pair<uint64_t, float>> m_tallestLines;
    StringList m_completions;
    bool m_open = false;

    // Layout sizes fixed at the first draw.
    bool m_sizesKnown = false;
    int m_margin = 0;
    int m_lineHeight = 0;
};
