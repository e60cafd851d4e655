// Needs a display: a console loads its fonts into the GL context.
#include "engine/actors/FontRegistry.h"
#include "engine/console/TestConsole.h"
#include "engine/input/InputManager.h"
#include "engine/input/KeyboardCallbacks.h"
#include "engine/world/WindowCallbacks.h"
#include "engine/world/glfw2/Glfw2.h"
#include "tests/input/MessageRecorder.h"
#include "tests/support/WorldWindow.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
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

    StringList executed, completionRequests, completions;
};

/// Each item as "box <x> <bottom> <width>x<height>" or "text <x> <y> <text>".
StringList Describe(const ConsoleDrawList& items)
{
    StringList described;
    for (const ConsoleDrawItem& i : items)
    {
        const String at = std::to_string(i.x) + " " + std::to_string(i.y) + " ";
        described.push_back(i.kind == ConsoleDrawItem::Text
                                ? "text " + at + i.text
                                : "box " + at + std::to_string(i.width) + "x" +
                                      std::to_string(i.height));
    }
    return described;
}

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

    String Press(int key)
    {
        EXPECT_TRUE(console.GetSpecialInputDown(key));
        return console.GetCurrentInput();
    }

    RecordingConsole console;
    InputManager input;
    MessageRecorder recorder{"MoveForwards", "Released"};
};

TEST_F(ConsoleTest, CompletionsFromTheThirdCharacterTabEnterAndTheHistoryWalk)
{
    console.completions = {"help", "hello"};
    console.Type("he");
    EXPECT_EQ(Press(glfw2::KEY_UP), "he");  // no history to walk yet
    EXPECT_EQ(Press(glfw2::KEY_TAB), "he"); // nothing asked for, nothing to take
    console.Type("l");
    EXPECT_EQ(Press(glfw2::KEY_TAB), "help");
    // Backspace asks again for whatever is left, down to the empty line, and no further.
    for (int i = 0; i < 5; ++i)
        Press(glfw2::KEY_BACKSPACE);
    EXPECT_EQ(console.completionRequests, (StringList{"hel", "hel", "he", "h", ""}));

    Press(glfw2::KEY_ENTER); // an empty line runs but stays out of the history
    for (const char* line : {"abc", "b"})
    {
        console.Type(line);
        Press(glfw2::KEY_ENTER);
        EXPECT_TRUE(console.GetCompletionList().empty());
    }
    EXPECT_EQ(console.executed, (StringList{"", "abc", "b"}));
    const int U = glfw2::KEY_UP, D = glfw2::KEY_DOWN;
    StringList walk;
    for (int key : {U, U, U, D, D, D, U, U})
        walk.push_back(Press(key));
    EXPECT_EQ(walk, (StringList{"b", "abc", "abc", "b", "", "", "b", "abc"}));
    // Entering a line puts the walk back past the newest entry.
    Press(glfw2::KEY_ENTER);
    EXPECT_EQ(console.GetInputHistory(), (StringList{"abc", "b", "abc"}));
    EXPECT_EQ(Press(U), "abc");

    // Extreme steps from scripts stay in range.
    console.AdvanceInputHistory(-2147483647 - 1);
    EXPECT_EQ(console.GetCurrentInput(), "abc");
    console.AdvanceInputHistory(2147483647);
    EXPECT_EQ(console.GetCurrentInput(), "");
}

TEST_F(ConsoleTest, OnlyTextIsTypedAndClosingKeepsTheLine)
{
    // Beyond one byte: dropped, not cut to the low byte (0x160 would be the toggle key).
    for (int c : {32, 126, 127, 200, 31, 9, -5, 0x160, 0x141, int('}'), int('A'), int('b')})
        EXPECT_TRUE(console.GetInput(c)) << c;
    EXPECT_EQ(Press(glfw2::KEY_F1), " }Ab");

    // The toggle key and its character close the console; a closed one takes nothing.
    EXPECT_TRUE(console.GetSpecialInputDown('`'));
    EXPECT_FALSE(console.IsOpen());
    console.Enable(true);
    EXPECT_TRUE(console.GetInput('`'));
    EXPECT_FALSE(console.IsOpen());
    EXPECT_FALSE(console.GetInput('a'));
    EXPECT_FALSE(console.GetSpecialInputDown(glfw2::KEY_ENTER));
    EXPECT_EQ(console.GetCurrentInput(), " }Ab");
    EXPECT_TRUE(console.executed.empty());
}

TEST_F(ConsoleTest, OutputIsSplitAtLineFeedsAndMeasuredAndTestConsoleEchoesOnOneLine)
{
    console.WriteToOutput("first\n\nsec");
    console.WriteToOutput("ond\n");
    EXPECT_EQ(console.GetOutputLines(), (StringList{"first", "", "second"}));
    // The tallest line sets the line height.
    const float tall = GetTextExtents("|gy", Console::kSmallFontName).Y;
    EXPECT_LT(console.GetOutputLineHeight(), tall);
    console.WriteToOutput("|gy");
    EXPECT_FLOAT_EQ(console.GetOutputLineHeight(), tall);

    TestConsole echo;
    EXPECT_EQ(echo.GetPrompt(), "::>");
    echo.Execute("x");
    echo.Execute("y");
    EXPECT_EQ(echo.GetOutputLines(), StringList{"Test Console Echo: xTest Console Echo: y"});
}

TEST_F(ConsoleTest, LayoutOfA768PixelWindow)
{
    // Margin m = 768 / 192 = 4, line L = 768 / 32 + m = 28, panel P = 384; completions indented
    // to cx = m / 2 + m + 768 / 24 = 38 in a box from cx - m = 34.
    console.SetPrompt("::>");
    console.WriteToOutput("one\ntwo\nthree");
    console.completions = {"c0", "c1", "c2"};
    console.Type("abc");
    const int step = static_cast<int>(console.GetOutputLineHeight()) + 4;
    ASSERT_GT(step, 4);
    // Newest output line at the panel's foot, older ones above.
    EXPECT_EQ(Describe(console.BuildDrawList(1024, 768)),
              (StringList{"box 0 384 1024x384", "text 4 380 three",
                          "text 4 " + std::to_string(380 - step) + " two",
                          "text 4 " + std::to_string(380 - 2 * step) + " one", "box 0 412 1024x28",
                          "box 2 410 1020x24", "text 6 404 ::>abc_", "box 34 496 990x84",
                          "text 38 430 c0", "text 38 458 c1", "text 38 486 c2"}));

    // Six completions fill six rows; from seven on, seven rows with "..." in the last.
    for (int offered : {6, 7, 12})
    {
        console.completions.assign(offered, "c");
        console.Type("d");
        const StringList items = Describe(console.BuildDrawList(1024, 768));
        const int rows = std::min(offered, 7);
        ASSERT_EQ(items.size(), 8u + rows) << offered;
        EXPECT_EQ(items[7], "box 34 " + std::to_string(412 + rows * 28) + " 990x" +
                                std::to_string(rows * 28));
        EXPECT_EQ(items.back(), offered == 6 ? "text 38 570 c" : "text 38 598 ...");
    }

    // Twice the height: the panel follows, the margin and line size stay those of the first.
    const StringList twice = Describe(console.BuildDrawList(2048, 1536));
    EXPECT_EQ(twice[0], "box 0 768 2048x768");
    EXPECT_EQ(twice[5], "box 2 794 2044x24");
}

TEST_F(ConsoleTest, TheRegisteredConsoleDrawsOverTheTopHalfWhenOpen)
{
    Console* console = world->GetConsole();
    ASSERT_NE(console, nullptr) << "World::Initialize registers a console";
    Pixel closed;
    Frame(1.0 / 60.0, [&] { closed = ReadPixel(500, 100); });
    console->Enable(true);
    console->WriteToOutput("WWWWWWWW");
    std::vector<unsigned char> open;
    Frame(1.0 / 60.0, [&] { open = ReadFrame(); });

    const auto at = [&](int x, int y)
    {
        const unsigned char* p = &open[(y * kWidth + x) * 4];
        return Pixel{p[0], p[1], p[2], p[3]};
    };
    const auto near = [](Pixel p, int r, int g, int b)
    { return std::abs(p.r - r) <= 3 && std::abs(p.g - g) <= 3 && std::abs(p.b - b) <= 3; };
    // Closed: the white clear colour. Open: the panel (black at 0.75 over white), the input
    // bar's edge (green at 0.375), the input field (black at 0.75 over that), white below.
    EXPECT_TRUE(near(closed, 255, 255, 255));
    EXPECT_TRUE(near(at(500, 100), 64, 64, 64));
    EXPECT_TRUE(near(at(1, 400), 159, 255, 159));
    EXPECT_TRUE(near(at(500, 400), 40, 64, 40));
    EXPECT_TRUE(near(at(500, 600), 255, 255, 255));

    // Green prompt text from x = 6 above its baseline at 404; white output text from x = 4
    // above its baseline at 380.
    bool green = false, white = false;
    for (int y = 366; y < 404; ++y)
        for (int x = 4; x < 60; ++x)
        {
            const Pixel p = at(x, y);
            green = green || (y >= 390 && p.g > 200 && p.r < 80);
            white = white || (y < 380 && p.r > 200 && p.g > 200 && p.b > 200);
        }
    EXPECT_TRUE(green) << "no green prompt text in the input field";
    EXPECT_TRUE(white) << "no white output text above the input bar";
}

std::vector<std::array<int, 3>> s_events; ///< {'k'ey / 'c'har / 'p'osition, a, b}

TEST_F(ConsoleTest, Glfw3KeysAreTranslatedAndRepeatsPassOnlyWhileAConsoleIsOpen)
{
    console.Enable(false);
    GLFWwindow* window = glfwGetCurrentContext();
    // Setting a callback hands back the one it replaces: the layer's own.
    const GLFWkeyfun onKey = glfwSetKeyCallback(window, nullptr);
    glfwSetKeyCallback(window, onKey);
    const GLFWcharfun onChar = glfwSetCharCallback(window, nullptr);
    glfwSetCharCallback(window, onChar);
    ASSERT_TRUE(onKey && onChar);
    glfw2::SetKeyCallback([](int key, int action) { s_events.push_back({'k', key, action}); });
    glfw2::SetCharCallback([](int c, int action) { s_events.push_back({'c', c, action}); });
    // Setting the position callback reports the current position at once, as GLFW 2 did.
    double x = 0.0, y = 0.0;
    glfwGetCursorPos(window, &x, &y);
    glfw2::SetMousePosCallback([](int x, int y) { s_events.push_back({'p', x, y}); });

    // Key strokes as GLFW 3 reports them: the key event, then its character if any. GLFW 3's
    // Enter (257) is GLFW 2's Escape. Repeats and their characters pass only into an open console.
    const auto strokes = [&](std::initializer_list<std::array<int, 3>> keyActionCharacter)
    {
        for (const auto& [key, action, character] : keyActionCharacter)
        {
            onKey(window, key, 0, action, 0);
            if (character)
                onChar(window, character);
        }
    };
    // clang-format off
    strokes({{GLFW_KEY_ESCAPE, GLFW_PRESS, 0}, {GLFW_KEY_ENTER, GLFW_PRESS, 0},
             {GLFW_KEY_TAB, GLFW_RELEASE, 0}, {GLFW_KEY_F3, GLFW_PRESS, 0},
             {GLFW_KEY_KP_9, GLFW_PRESS, 0}, {GLFW_KEY_WORLD_1, GLFW_PRESS, 0},
             {GLFW_KEY_UNKNOWN, GLFW_PRESS, 0}, {GLFW_KEY_GRAVE_ACCENT, GLFW_PRESS, '`'},
             {GLFW_KEY_B, GLFW_PRESS, 'b'}, {GLFW_KEY_B, GLFW_REPEAT, 'b'},
             {GLFW_KEY_B, GLFW_REPEAT, 'b'}, {GLFW_KEY_B, GLFW_RELEASE, 0}});
    // clang-format on
    onChar(window, 0xE9); // a character without a key event of its own (an input method)
    console.Enable(true);
    strokes({{GLFW_KEY_C, GLFW_REPEAT, 'c'}});
    console.Enable(false);
    strokes({{GLFW_KEY_D, GLFW_REPEAT, 'd'}});

    const std::vector<std::array<int, 3>> expected = {
        {'p', int(x), int(y)}, {'k', 257, PRESS}, {'k', 294, PRESS},   {'k', 293, RELEASE},
        {'k', 260, PRESS},     {'k', 311, PRESS}, {'k', '`', PRESS},   {'c', '`', PRESS},
        {'k', 'B', PRESS},     {'c', 'b', PRESS}, {'k', 'B', RELEASE}, {'c', 0xE9, PRESS},
        {'k', 'C', PRESS},     {'c', 'c', PRESS}};
    EXPECT_EQ(s_events, expected);
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
        {' ', RELEASE, R::Handled, true}, {'Q', PRESS, R::Handled, true},
        {KEY_ESC, PRESS, R::Handled, false}, {'`', PRESS, R::Handled, true},
        {'`', PRESS, R::Handled, false}};
    // clang-format on
    for (const auto& [key, action, routing, openAfter] : steps)
    {
        SCOPED_TRACE(testing::Message() << "key " << key << " action " << action);
        EXPECT_EQ(RouteKeyEvent(&console, &input, key, action), routing);
        EXPECT_EQ(console.IsOpen(), openAfter);
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

} // namespace
