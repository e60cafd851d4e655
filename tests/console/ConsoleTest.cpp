// Needs a display: a console loads its fonts into the GL context, and one test draws the
// world's registered console and reads the frame back.
#include "engine/actors/FontRegistry.h"
#include "engine/console/TestConsole.h"
#include "engine/world/glfw2/Glfw2.h"
#include "tests/console/RecordingConsole.h"
#include "tests/support/WorldWindow.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

namespace
{

/// Each item as "box <x> <bottom> <width>x<height>" or "text <x> <y> <text>". The colours are
/// checked on the drawn frame.
StringList Describe(const ConsoleDrawList& items)
{
    StringList described;
    for (const ConsoleDrawItem& item : items)
    {
        std::ostringstream out;
        if (item.kind == ConsoleDrawItem::Background)
            out << "box " << item.x << " " << item.y << " " << item.width << "x" << item.height;
        else
            out << "text " << item.x << " " << item.y << " " << item.text;
        described.push_back(out.str());
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
    }
    void TearDown() override
    {
        world->GetConsole()->Enable(false);
        WorldWindowTest::TearDown();
    }

    /// Presses key and gives the input line after it.
    String Press(int key)
    {
        EXPECT_TRUE(console.GetSpecialInputDown(key));
        return console.GetCurrentInput();
    }

    RecordingConsole console;
};

TEST_F(ConsoleTest, CompletionsFromTheThirdCharacterTabAndEnter)
{
    console.completions = {"help", "hello"};
    console.Type("he");
    EXPECT_EQ(Press(glfw2::KEY_TAB), "he"); // nothing asked for, nothing to take
    console.Type("l");
    EXPECT_EQ(console.GetCompletionList(), console.completions);
    EXPECT_EQ(Press(glfw2::KEY_TAB), "help");

    // Backspace asks again for whatever is left, down to the empty line, and no further.
    console.completions = {};
    for (int i = 0; i < 5; ++i)
        Press(glfw2::KEY_BACKSPACE);
    EXPECT_EQ(console.completionRequests, (StringList{"hel", "hel", "he", "h", ""}));
    EXPECT_EQ(console.GetCurrentInput(), "");
    EXPECT_TRUE(console.GetCompletionList().empty());

    console.completions = {"abc"};
    console.Type("abc");
    Press(glfw2::KEY_ENTER);
    EXPECT_EQ(console.executed, StringList{"abc"});
    EXPECT_TRUE(console.GetCompletionList().empty());
}

TEST_F(ConsoleTest, EnterAndTheHistoryWalk)
{
    console.Type("x");
    EXPECT_EQ(Press(glfw2::KEY_UP), "x"); // nothing to walk yet
    Press(glfw2::KEY_BACKSPACE);
    Press(glfw2::KEY_ENTER); // an empty line runs but stays out of the history
    for (const char* line : {"a", "b"})
    {
        console.Type(line);
        Press(glfw2::KEY_ENTER);
    }
    EXPECT_EQ(console.executed, (StringList{"", "a", "b"}));
    EXPECT_EQ(console.GetInputHistory(), (StringList{"a", "b"}));

    const int U = glfw2::KEY_UP, D = glfw2::KEY_DOWN;
    StringList walk;
    for (int key : {U, U, U, D, D, D, U, U})
        walk.push_back(Press(key));
    EXPECT_EQ(walk, (StringList{"b", "a", "a", "b", "", "", "b", "a"}));
    // Entering a line puts the walk back past the newest entry.
    Press(glfw2::KEY_ENTER);
    EXPECT_EQ(console.GetInputHistory(), (StringList{"a", "b", "a"}));
    EXPECT_EQ(Press(U), "a");
    EXPECT_EQ(Press(U), "b");

    // Extreme steps from scripts stay in range.
    console.AdvanceInputHistory(-2147483647 - 1);
    EXPECT_EQ(console.GetCurrentInput(), "a");
    console.AdvanceInputHistory(2147483647);
    EXPECT_EQ(console.GetCurrentInput(), "");
}

TEST_F(ConsoleTest, OnlyTextIsTypedAndClosingKeepsTheLine)
{
    // Beyond one byte: dropped, not cut to the low byte (0x160 would be the toggle key).
    for (int c : {32, 126, 127, 200, 31, 9, -5, 0x160, 0x141, int('}'), int('A'), int('b')})
        EXPECT_TRUE(console.GetInput(c)) << c;
    EXPECT_EQ(console.GetCurrentInput(), " }Ab");
    for (int key : {int('Q'), glfw2::KEY_DEL, glfw2::KEY_F1})
        EXPECT_EQ(Press(key), " }Ab");

    // Escape, the toggle key and its character close the console; a closed one takes nothing.
    EXPECT_TRUE(console.GetSpecialInputDown(glfw2::KEY_ESC));
    EXPECT_FALSE(console.IsOpen());
    console.Enable(true);
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
    EXPECT_EQ(console.GetOutputText(), "first\n\nsecond\n");
    EXPECT_EQ(console.GetOutputLines(), (StringList{"first", "", "second"}));
    // The tallest line sets the line height.
    const float tall = GetTextExtents("|gy", Console::kSmallFontName).Y;
    EXPECT_GT(console.GetOutputLineHeight(), 0.0f);
    EXPECT_LT(console.GetOutputLineHeight(), tall);
    console.WriteToOutput("|gy");
    EXPECT_FLOAT_EQ(console.GetOutputLineHeight(), tall);

    TestConsole echo;
    EXPECT_EQ(echo.GetPrompt(), "::>");
    EXPECT_TRUE(echo.GetCompletions("anything").empty());
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
        console.completions.clear();
        for (int i = 0; i < offered; ++i)
            console.completions.push_back("c" + std::to_string(i));
        console.Type("d");
        const StringList items = Describe(console.BuildDrawList(1024, 768));
        const int rows = std::min(offered, 7);
        ASSERT_EQ(items.size(), 8u + rows) << offered;
        EXPECT_EQ(items[7], "box 34 " + std::to_string(412 + rows * 28) + " 990x" +
                                std::to_string(rows * 28));
        EXPECT_EQ(items[13], "text 38 570 c5");
        EXPECT_EQ(items.back(), offered == 6 ? items[13] : "text 38 598 ...");
    }

    // Twice the height: the panel follows, the margin and line size stay those of the first.
    const StringList twice = Describe(console.BuildDrawList(2048, 1536));
    EXPECT_EQ(twice[0], "box 0 768 2048x768");
    EXPECT_EQ(twice[4], "box 0 796 2048x28");
    EXPECT_EQ(twice[5], "box 2 794 2044x24");
}

TEST_F(ConsoleTest, TheRegisteredConsoleDrawsOverTheTopHalfWhenOpen)
{
    Console* console = world->GetConsole();
    ASSERT_NE(console, nullptr) << "World::Initialize registers a console";
    std::vector<unsigned char> closed, open;
    Frame(1.0 / 60.0, [&] { closed = ReadFrame(); });
    console->Enable(true);
    console->WriteToOutput("WWWWWWWW");
    Frame(1.0 / 60.0, [&] { open = ReadFrame(); });

    const auto pixel = [](const std::vector<unsigned char>& frame, int x, int y)
    { return &frame[(y * kWidth + x) * 4]; };
    const auto near =
        [&](const std::vector<unsigned char>& frame, int x, int y, int r, int g, int b)
    {
        const unsigned char* p = pixel(frame, x, y);
        return std::abs(p[0] - r) <= 3 && std::abs(p[1] - g) <= 3 && std::abs(p[2] - b) <= 3;
    };
    // Closed: the white clear colour. Open: the panel (black at 0.75 over white), the input
    // bar's edge (green at 0.375), the input field (black at 0.75 over that), white below.
    EXPECT_TRUE(near(closed, 500, 100, 255, 255, 255));
    EXPECT_TRUE(near(open, 500, 100, 64, 64, 64));
    EXPECT_TRUE(near(open, 1, 400, 159, 255, 159));
    EXPECT_TRUE(near(open, 500, 400, 40, 64, 40));
    EXPECT_TRUE(near(open, 500, 600, 255, 255, 255));

    // Green prompt text from x = 6 above its baseline at 404; white output text from x = 4
    // above its baseline at 380.
    bool green = false, white = false;
    for (int y = 366; y < 404; ++y)
        for (int x = 4; x < 60; ++x)
        {
            const unsigned char* p = pixel(open, x, y);
            green = green || (y >= 390 && p[1] > 200 && p[0] < 80);
            white = white || (y < 380 && p[0] > 200 && p[1] > 200 && p[2] > 200);
        }
    EXPECT_TRUE(green) << "no green prompt text in the input field";
    EXPECT_TRUE(white) << "no white output text above the input bar";
}

} // namespace
