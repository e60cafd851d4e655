// Needs a display: a console loads its fonts into the GL context.
#include "engine/actors/FontRegistry.h"
#include "engine/console/TestConsole.h"
#include "engine/input/InputManager.h"
#include "engine/input/KeyboardCallbacks.h"
#include "engine/util/StringUtil.h"
#include "engine/world/WindowCallbacks.h"
#include "tests/support/MessageRecorder.h"
#include "tests/support/WorldWindow.h"

#include <GLFW/glfw3.h>

#include <array>
#include <random>
#include <tuple>

namespace
{

using glfw2::KEY_ESC;
using glfw2::PRESS;
using glfw2::RELEASE;

/// Records the lines it runs and the completions it is asked for; offers the test's choice.
class RecordingConsole : public Console
{
public:
    void Execute(const String& input) override { executed.push_back(input); }
    StringList GetCompletions(const String& input) override
    {
        completionRequests.push_back(input);
        return completions;
    }
    void Type(const String& text)
    {
        for (char c : text)
            GetInput(static_cast<unsigned char>(c));
    }
    String Press(int key)
    {
        EXPECT_TRUE(GetSpecialInputDown(key));
        return GetCurrentInput();
    }

    StringList executed, completionRequests, completions;
};

class ConsoleTest : public WorldWindowTest
{
protected:
    void SetUp() override
    {
        WorldWindowTest::SetUp();
        console.Enable(true);
        input.Initialize("no-such-file.ini");
        input.BindKey("SPACE", "MoveForwards");
        input.BindKey("SPACE", "-Released");
    }
    void TearDown() override
    {
        InstallWindowCallbacks();
        world->GetConsole()->Enable(false);
        WorldWindowTest::TearDown();
    }

    RecordingConsole console;
    InputManager input;
    MessageRecorder recorder{{"MoveForwards", "Released"}};
};

} // namespace

TEST_F(ConsoleTest, TypingCompletionsFromTheThirdCharacterTabEnterAndTheHistoryWalk)
{
    // Only text is typed; beyond one byte is dropped, not cut (0x160 would be the toggle key).
    for (int c : {200, 31, 9, -5, 0x160, int('~'), int('h'), int('e')})
        EXPECT_TRUE(console.GetInput(c)) << c;
    console.completions = {"help", "hello"};
    EXPECT_EQ(console.Press(glfw2::KEY_UP), "he");  // no history to walk yet
    EXPECT_EQ(console.Press(glfw2::KEY_TAB), "he"); // nothing asked for, nothing to take
    console.Type("l");
    EXPECT_EQ(console.Press(glfw2::KEY_TAB), "help");
    // Backspace asks again for whatever is left, down to the empty line, and no further.
    for (int i = 0; i < 5; ++i)
        console.Press(glfw2::KEY_BACKSPACE);
    EXPECT_EQ(console.completionRequests, (StringList{"hel", "hel", "he", "h", ""}));

    console.Press(glfw2::KEY_ENTER); // an empty line runs but stays out of the history
    for (const char* line : {"abc", "b"})
    {
        console.Type(line);
        console.Press(glfw2::KEY_ENTER);
        EXPECT_TRUE(console.GetCompletionList().empty());
    }
    EXPECT_EQ(console.executed, (StringList{"", "abc", "b"}));
    const int U = glfw2::KEY_UP, D = glfw2::KEY_DOWN;
    StringList walk;
    for (int key : {U, U, U, D, D, D, U, U})
        walk.push_back(console.Press(key));
    EXPECT_EQ(walk, (StringList{"b", "abc", "abc", "b", "", "", "b", "abc"}));
    console.Press(glfw2::KEY_ENTER); // entering a line puts the walk back past the newest
    EXPECT_EQ(console.GetInputHistory(), (StringList{"abc", "b", "abc"}));
    EXPECT_EQ(console.Press(U), "abc");
    console.AdvanceInputHistory(-2147483647 - 1); // extreme steps from scripts stay in range
    EXPECT_EQ(console.GetCurrentInput(), "abc");
    console.AdvanceInputHistory(2147483647);
    EXPECT_EQ(console.GetCurrentInput(), "");

    // The toggle character closes the console and keeps the line; a closed one takes nothing.
    console.Type(" }A`");
    EXPECT_FALSE(console.IsOpen() || console.GetInput('a') ||
                 console.GetSpecialInputDown(glfw2::KEY_ENTER));
    EXPECT_EQ(console.GetCurrentInput(), " }A");
}

TEST_F(ConsoleTest, OutputLinesAndTheLayoutOfA768PixelWindow)
{
    console.WriteToOutput("one\n\ntw");
    console.WriteToOutput("o\n|gy");
    EXPECT_EQ(console.GetOutputLines(), (StringList{"one", "", "two", "|gy"}));
    const int tallest = static_cast<int>(GetTextExtents("|gy", Console::kSmallFontName).Y);
    EXPECT_EQ(static_cast<int>(console.GetOutputLineHeight()), tallest);
    TestConsole echo;
    echo.Execute("x");
    echo.Execute("y");
    EXPECT_EQ(echo.GetOutputLines(), StringList{"Test Console Echo: xTest Console Echo: y"});

    // Margin m = 768 / 192 = 4, line L = 768 / 32 + m = 28, panel P = 384: the newest output
    // line at the panel's foot, older ones a line height and m apart above it; the input line
    // below; completions indented to 38 in a box from 34, and from seven on "..." in the last.
    console.SetPrompt("::>");
    console.completions.assign(7, "c");
    console.Type("abc");
    const ConsoleDrawList items = console.BuildDrawList(1024, 768);
    auto describe = [](const ConsoleDrawItem& i)
    {
        return std::to_string(i.x) + " " + std::to_string(i.y) + " " +
               (i.kind == ConsoleDrawItem::Text
                    ? i.text
                    : std::to_string(i.width) + "x" + std::to_string(i.height));
    };
    ASSERT_EQ(items.size(), 16u);
    const std::pair<int, String> expected[] = {
        {0, "0 384 1024x384"}, // the panel
        {1, "4 380 |gy"},      {2, "4 " + std::to_string(380 - tallest - 4) + " two"},
        {5, "0 412 1024x28"}, // the input bar, its field and the prompt
        {6, "2 410 1020x24"},  {7, "6 404 ::>abc_"},
        {8, "34 608 990x196"}, // the completions
        {9, "38 430 c"},       {15, "38 598 ..."}};
    for (const auto& [index, text] : expected)
        EXPECT_EQ(describe(items[index]), text) << "item " << index;
    console.completions.assign(12, "c");
    console.Type("d");
    EXPECT_EQ(console.BuildDrawList(1024, 768).size(), 16u) << "at most seven rows";
}

TEST_F(ConsoleTest, OutputKeepsTheNewestLinesOfWhatOneSplitOfAllTheTextWouldGive)
{
    // Writes that join a line across calls, hold many line feeds, or more lines than are kept
    // (one fewer, as many, one more, with and without an unfinished last line).
    const size_t N = Console::kMaxOutputLines;
    auto lines = [](size_t count, const char* end)
    {
        String text;
        for (size_t i = 0; i < count; ++i)
            text += "n" + std::to_string(i) + (i + 1 < count ? "\n" : end);
        return text;
    };
    const StringList small = {"", "a", "\n", "bc", "d\n", "\n\n", "e\nf", "\ng", "|", "\n|", "y"};
    const StringList bulk = {lines(N - 1, "\n"), lines(N, "\n"), lines(N, ""), lines(N + 1, ""),
                             lines(3 * N, "\n")};
    std::mt19937 random(22);
    String all; // what was written, from some line's start on
    for (int write = 1; write <= 1500; ++write)
    {
        const String& piece =
            random() % 8 == 0 ? bulk[random() % bulk.size()] : small[random() % small.size()];
        console.WriteToOutput(piece);
        all += piece;
        if (write % 25 != 0)
            continue;
        const StringList split = SplitString(all, "\n", false);
        const StringList kept(split.end() - std::min(split.size(), N), split.end());
        ASSERT_EQ(console.GetOutputLines(), kept) << "after write " << write;
        String text;
        for (const String& line : kept)
            text += line + "\n";
        if (!text.empty() && all.back() != '\n')
            text.pop_back();
        ASSERT_EQ(console.GetOutputText(), text) << "after write " << write;
        all = text; // the lines dropped can no longer matter
    }
}

TEST_F(ConsoleTest, OutputLineHeightFollowsTheKeptLinesAndOverlongLinesAreCut)
{
    auto height = [](const String& text)
    { return GetTextExtents(text, Console::kSmallFontName).Y; };
    console.WriteToOutput("a");
    EXPECT_FLOAT_EQ(console.GetOutputLineHeight(), height("a"));
    console.WriteToOutput("|\n"); // joins the line, which grows taller
    EXPECT_FLOAT_EQ(console.GetOutputLineHeight(), height("a|"));
    ASSERT_GT(height("a|"), height("a"));
    for (size_t i = 1; i < Console::kMaxOutputLines; ++i)
        console.WriteToOutput("a\n");
    EXPECT_FLOAT_EQ(console.GetOutputLineHeight(), height("a|")) << "the tall line is kept";
    console.WriteToOutput("a\n");
    EXPECT_FLOAT_EQ(console.GetOutputLineHeight(), height("a")) << "the tall line is gone";

    // A line keeps its first kMaxOutputLineLength bytes, never half a UTF-8 sequence; the rest
    // of it is dropped, however many writes bring it.
    const String start(Console::kMaxOutputLineLength - 1, 'x');
    console.WriteToOutput(start + "\xC3\xA9" + "more");
    console.WriteToOutput(String(10'000'000, 'z'));
    console.WriteToOutput("z\nnext");
    const StringList lines = console.GetOutputLines();
    ASSERT_EQ(lines.size(), Console::kMaxOutputLines);
    EXPECT_EQ(lines[lines.size() - 2], start);
    EXPECT_EQ(lines.back(), "next");
    console.WriteToOutput(String(10'000'000, 'w') + "\n\n");
    EXPECT_EQ(console.GetOutputLines().back(), "");
    EXPECT_EQ(console.GetOutputLines().end()[-2], "next" + String(1020, 'w'));
}

namespace
{
/// The output lines that a window of that size shows, newest first, and the topmost one's y.
std::pair<StringList, int> DrawnOutput(Console& console, int width, int height)
{
    StringList drawn;
    int topmost = 0;
    for (const ConsoleDrawItem& item : console.BuildDrawList(width, height))
        if (item.kind == ConsoleDrawItem::Text && item.color.R == 1.0f) // white: output
        {
            drawn.push_back(item.text);
            topmost = item.y;
        }
    return {drawn, topmost};
}
} // namespace

TEST_F(ConsoleTest, OnlyOutputWithinTheWindowIsDrawn)
{
    for (int i = 0; i < 3000; ++i)
        console.WriteToOutput(std::to_string(i) + "|\n");
    const int h = static_cast<int>(console.GetOutputLineHeight());
    ASSERT_GT(h, 0);
    const auto [drawn, topmost] = DrawnOutput(console, 1024, 768);
    // The newest lines from the panel's foot upwards, the topmost still reaching into the
    // window and the next one up lying wholly above it.
    ASSERT_GE(drawn.size(), 10u);
    for (size_t i = 0; i < drawn.size(); ++i)
        EXPECT_EQ(drawn[i], std::to_string(2999 - i) + "|");
    const int margin = 768 / 192;
    EXPECT_GT(topmost + h, 0);
    EXPECT_LE(topmost - (h + margin) + h, 0);

    // Lines wider than the window are drawn up to the glyph that crosses its right edge, UTF-8
    // sequences whole; a wider window shows more of them.
    console.WriteToOutput(String(3000, 'W') + "\n");
    String accents;
    for (int i = 0; i < 1000; ++i)
        accents += "\xC3\xA9";
    console.WriteToOutput(accents + "\nshort");
    auto width = [](const String& text) { return GetTextExtents(text, Console::kSmallFontName).X; };
    for (const int window : {1024, 2048})
    {
        const float room = static_cast<float>(window - margin);
        const StringList wide = DrawnOutput(console, window, 768).first;
        EXPECT_EQ(wide[0], "short");
        EXPECT_EQ(wide[1].size() % 2, 0u);
        EXPECT_EQ(wide[1], accents.substr(0, wide[1].size()));
        EXPECT_EQ(wide[2], String(wide[2].size(), 'W'));
        for (const String& line : {wide[1], wide[2]})
        {
            const size_t last = line[0] == 'W' ? 1 : 2; // bytes of one character
            EXPECT_GT(width(line), room) << window;
            EXPECT_LE(width(line.substr(0, line.size() - last)), room) << window;
        }
    }
}

TEST_F(ConsoleTest, TheRegisteredConsoleDrawsOverTheTopHalfWhenOpen)
{
    Console* registered = world->GetConsole();
    ASSERT_NE(registered, nullptr) << "World::Initialize registers a console";
    EXPECT_TRUE(Shoot().At(500, 100).Is(255, 255, 255, 3)) << "closed: the white clear colour";
    registered->Enable(true);
    registered->WriteToOutput("WWWWWWWW");
    const Picture open = Shoot();
    // The panel (black at 0.75 over white), the input field (black at 0.75 over the input bar's
    // green at 0.375), white below.
    EXPECT_TRUE(open.At(500, 100).Is(64, 64, 64, 3));
    EXPECT_TRUE(open.At(500, 400).Is(40, 64, 40, 3));
    EXPECT_TRUE(open.At(500, 600).Is(255, 255, 255, 3));
    // Green prompt text from x = 6 above its baseline at 404; white output text from x = 4
    // above its baseline at 380.
    const Picture::Box green = open.Find([](const Pixel& p) { return p.g > 200 && p.r < 80; });
    EXPECT_TRUE(green.left >= 6 && green.left < 20 && green.bottom < 404 && green.top >= 384);
    EXPECT_LT(open.Find(255, 255, 255, 55).top, 380) << "no white output text";
}

std::vector<std::array<int, 3>> s_events; ///< {'k'ey / 'c'har / 'p'osition, a, b}

TEST_F(ConsoleTest, Glfw3KeysAreTranslatedAndRepeatsPassOnlyWhileAConsoleIsOpen)
{
    console.Enable(false);
    GLFWwindow* window = glfwGetCurrentContext();
    // Setting a callback hands back the one it replaces: the layer's own.
    const GLFWkeyfun onKey = glfwSetKeyCallback(window, nullptr);
    const GLFWcharfun onChar = glfwSetCharCallback(window, nullptr);
    glfw2::SetKeyCallback([](int key, int action) { s_events.push_back({'k', key, action}); });
    glfw2::SetCharCallback([](int c, int action) { s_events.push_back({'c', c, action}); });
    // Setting the position callback reports the current position at once, as GLFW 2 did.
    double x = 0.0, y = 0.0;
    glfwGetCursorPos(window, &x, &y);
    glfw2::SetMousePosCallback([](int x, int y) { s_events.push_back({'p', x, y}); });
    // Key strokes as GLFW 3 reports them: the key event, then its character if any. GLFW 3's
    // Enter (257) would be GLFW 2's Escape. Repeats pass only into an open console.
    for (const auto& [key, action, character] : {std::array{GLFW_KEY_ENTER, GLFW_PRESS, 0},
                                                 {GLFW_KEY_UNKNOWN, GLFW_PRESS, 0},
                                                 {GLFW_KEY_B, GLFW_REPEAT, int('b')},
                                                 {GLFW_KEY_C, GLFW_REPEAT, int('c')}})
    {
        console.Enable(key == GLFW_KEY_C);
        onKey(window, key, 0, action, 0);
        if (character)
            onChar(window, character);
    }
    EXPECT_EQ(s_events,
              (std::vector<std::array<int, 3>>{
                  {'p', int(x), int(y)}, {'k', 294, PRESS}, {'k', 'C', PRESS}, {'c', 'c', PRESS}}));
}

TEST_F(ConsoleTest, RoutingGoesToggleKeyThenOpenConsoleThenBindingsThenEscape)
{
    console.Enable(false);
    using R = KeyRouting;
    // clang-format off
    const std::tuple<int, int, KeyRouting, bool> steps[] = { // key, action, routing, open after
        // Closed: bindings take their keys; an unbound Escape stops the game.
        {' ', PRESS, R::Handled, false}, {' ', RELEASE, R::Handled, false},
        {'Q', PRESS, R::Ignored, false}, {KEY_ESC, PRESS, R::StopGame, false},
        // Open: the console takes every press and release; Escape only closes it.
        {'`', PRESS, R::Handled, true}, {' ', PRESS, R::Handled, true},
        {' ', RELEASE, R::Handled, true}, {KEY_ESC, PRESS, R::Handled, false}};
    // clang-format on
    for (const auto& [key, action, routing, openAfter] : steps)
    {
        EXPECT_EQ(RouteKeyEvent(&console, &input, key, action), routing) << key << " " << action;
        EXPECT_EQ(console.IsOpen(), openAfter) << key << " " << action;
    }
    // Without a console, bindings and Escape still work.
    EXPECT_EQ(RouteKeyEvent(nullptr, &input, '`', PRESS), KeyRouting::Ignored);
    EXPECT_EQ(RouteKeyEvent(nullptr, &input, KEY_ESC, PRESS), KeyRouting::StopGame);
    EXPECT_EQ(recorder.Deliver(), (StringList{"MoveForwards", "Released"}));
    Console* registered = world->GetConsole();
    world->RegisterConsole(nullptr);
    CharCallback('x', PRESS); // goes nowhere, without crashing
    world->RegisterConsole(registered);
}
