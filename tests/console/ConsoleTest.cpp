// Needs a display: a console loads its fonts into the GL context.
#include "engine/actors/FontRegistry.h"
#include "engine/console/TestConsole.h"
#include "engine/world/glfw2/Glfw2.h"
#include "tests/console/RecordingConsole.h"
#include "tests/support/WorldWindow.h"

#include <gtest/gtest.h>

namespace
{

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
        glfw2::Disable(glfw2::KEY_REPEAT);
        WorldWindowTest::TearDown();
    }

    void Enter(const String& line)
    {
        console.Type(line);
        console.GetSpecialInputDown(glfw2::KEY_ENTER);
    }

    RecordingConsole console;
};

TEST_F(ConsoleTest, ClosedConsoleTakesNothing)
{
    console.Enable(false);
    EXPECT_FALSE(console.GetInput('a'));
    EXPECT_FALSE(console.GetSpecialInputDown(glfw2::KEY_ENTER));
    EXPECT_FALSE(console.GetSpecialInputDown(glfw2::KEY_ESC));
    EXPECT_EQ(console.GetCurrentInput(), "");
    EXPECT_TRUE(console.executed.empty());
}

TEST_F(ConsoleTest, TypingAsksForCompletionsFromTheThirdCharacter)
{
    console.completions = {"abcdef", "abcxyz"};
    EXPECT_TRUE(console.GetInput('a'));
    EXPECT_TRUE(console.GetInput('b'));
    EXPECT_TRUE(console.completionRequests.empty());
    EXPECT_TRUE(console.GetCompletionList().empty());

    console.GetInput('c');
    EXPECT_EQ(console.completionRequests, StringList{"abc"});
    EXPECT_EQ(console.GetCompletionList(), console.completions);

    // Backspace asks again for whatever is left, down to the empty line.
    console.completions = {};
    console.GetSpecialInputDown(glfw2::KEY_BACKSPACE);
    console.GetSpecialInputDown(glfw2::KEY_BACKSPACE);
    console.GetSpecialInputDown(glfw2::KEY_BACKSPACE);
    EXPECT_EQ(console.completionRequests, (StringList{"abc", "ab", "a", ""}));
    EXPECT_TRUE(console.GetCompletionList().empty());
    // Backspace on the empty line does nothing.
    console.GetSpecialInputDown(glfw2::KEY_BACKSPACE);
    EXPECT_EQ(console.completionRequests.size(), 4u);
    EXPECT_EQ(console.GetCurrentInput(), "");
}

TEST_F(ConsoleTest, TabTakesTheFirstCompletionAndEnterClearsThem)
{
    console.Type("he");
    console.GetSpecialInputDown(glfw2::KEY_TAB);
    EXPECT_EQ(console.GetCurrentInput(), "he");

    console.completions = {"help", "hello"};
    console.Type("l");
    console.GetSpecialInputDown(glfw2::KEY_TAB);
    EXPECT_EQ(console.GetCurrentInput(), "help");
    EXPECT_EQ(console.GetCompletionList().size(), 2u);

    console.GetSpecialInputDown(glfw2::KEY_ENTER);
    EXPECT_EQ(console.executed, StringList{"help"});
    EXPECT_EQ(console.GetCurrentInput(), "");
    EXPECT_TRUE(console.GetCompletionList().empty());
}

TEST_F(ConsoleTest, EnterOnAnEmptyLineExecutesButKeepsNoHistory)
{
    console.GetSpecialInputDown(glfw2::KEY_ENTER);
    EXPECT_EQ(console.executed, StringList{""});
    EXPECT_TRUE(console.GetInputHistory().empty());

    Enter("one");
    EXPECT_EQ(console.executed, (StringList{"", "one"}));
    EXPECT_EQ(console.GetInputHistory(), StringList{"one"});
}

TEST_F(ConsoleTest, HistoryWalk)
{
    // Nothing to walk yet.
    console.Type("x");
    console.GetSpecialInputDown(glfw2::KEY_UP);
    EXPECT_EQ(console.GetCurrentInput(), "x");
    console.GetSpecialInputDown(glfw2::KEY_BACKSPACE);

    Enter("a");
    Enter("b");
    const auto press = [this](int key)
    {
        console.GetSpecialInputDown(key);
        return console.GetCurrentInput();
    };
    EXPECT_EQ(press(glfw2::KEY_UP), "b");
    EXPECT_EQ(press(glfw2::KEY_UP), "a");
    EXPECT_EQ(press(glfw2::KEY_UP), "a");
    EXPECT_EQ(press(glfw2::KEY_DOWN), "b");
    EXPECT_EQ(press(glfw2::KEY_DOWN), "");
    EXPECT_EQ(press(glfw2::KEY_DOWN), "");
    EXPECT_EQ(press(glfw2::KEY_UP), "b");

    // Entering a line puts the walk back past the newest entry.
    EXPECT_EQ(press(glfw2::KEY_UP), "a");
    press(glfw2::KEY_ENTER);
    EXPECT_EQ(console.GetInputHistory(), (StringList{"a", "b", "a"}));
    EXPECT_EQ(press(glfw2::KEY_UP), "a");
    EXPECT_EQ(press(glfw2::KEY_UP), "b");

    // Extreme steps from scripts stay in range.
    console.AdvanceInputHistory(-2147483647 - 1);
    EXPECT_EQ(console.GetCurrentInput(), "a");
    console.AdvanceInputHistory(2147483647);
    EXPECT_EQ(console.GetCurrentInput(), "");
}

TEST_F(ConsoleTest, OnlyTextCharactersAreTyped)
{
    for (int c : {126, 127, 200, 255, 31, 9, 10, -5})
        EXPECT_TRUE(console.GetInput(c)) << c;
    EXPECT_EQ(console.GetCurrentInput(), "");

    console.GetInput(' ');
    console.GetInput('}');
    console.GetInput('A');
    EXPECT_EQ(console.GetCurrentInput(), " }A");

    // Beyond one byte: dropped, not cut to the low byte (0x160 would read as the backquote,
    // 0x141 as 'A').
    console.GetInput(0x160);
    console.GetInput(0x141);
    EXPECT_TRUE(console.IsOpen());
    EXPECT_EQ(console.GetCurrentInput(), " }A");
}

TEST_F(ConsoleTest, ClosingKeysAndKeysWithoutAction)
{
    console.Type("ab");
    EXPECT_TRUE(console.GetSpecialInputDown('Q'));
    EXPECT_TRUE(console.GetSpecialInputDown(glfw2::KEY_DEL));
    EXPECT_TRUE(console.GetSpecialInputDown(glfw2::KEY_F1));
    EXPECT_EQ(console.GetCurrentInput(), "ab");

    EXPECT_TRUE(console.GetSpecialInputDown(glfw2::KEY_ESC));
    EXPECT_FALSE(console.IsOpen());
    // Closing keeps the line.
    console.Enable(true);
    EXPECT_EQ(console.GetCurrentInput(), "ab");
    EXPECT_TRUE(console.GetSpecialInputDown('`'));
    EXPECT_FALSE(console.IsOpen());
    console.Enable(true);
    EXPECT_TRUE(console.GetInput('`'));
    EXPECT_FALSE(console.IsOpen());
    EXPECT_EQ(console.GetCurrentInput(), "ab");
}

TEST_F(ConsoleTest, TestConsoleEchoesWithoutLineEnds)
{
    TestConsole echo;
    EXPECT_EQ(echo.GetPrompt(), "::>");
    EXPECT_TRUE(echo.GetCompletions("anything").empty());
    echo.Enable(true);
    for (const char* line : {"x", "y"})
    {
        for (const char* c = line; *c; ++c)
            echo.GetInput(*c);
        echo.GetSpecialInputDown(glfw2::KEY_ENTER);
    }
    EXPECT_EQ(echo.GetOutputLines(), StringList{"Test Console Echo: xTest Console Echo: y"});
    EXPECT_FLOAT_EQ(
        echo.GetOutputLineHeight(),
        GetTextExtents("Test Console Echo: xTest Console Echo: y", Console::kSmallFontName).Y);
}

TEST_F(ConsoleTest, OutputIsSplitAtLineFeedsAndMeasured)
{
    EXPECT_TRUE(console.GetOutputLines().empty());
    EXPECT_EQ(console.GetOutputLineHeight(), 0.0f);

    console.WriteToOutput("first\n\nsec");
    console.WriteToOutput("ond\n");
    EXPECT_EQ(console.GetOutputText(), "first\n\nsecond\n");
    EXPECT_EQ(console.GetOutputLines(), (StringList{"first", "", "second"}));

    // The fonts come from the console's constructor; the tallest line sets the height.
    const float tall = GetTextExtents("|gy", Console::kSmallFontName).Y;
    ASSERT_GT(GetTextExtents("first", Console::kSmallFontName).Y, 0.0f);
    console.WriteToOutput("|gy");
    EXPECT_FLOAT_EQ(console.GetOutputLineHeight(), tall);
    EXPECT_GT(tall, GetTextExtents("first", Console::kSmallFontName).Y);
}

} // namespace
