// Needs a display: a console loads its fonts into the GL context.
#include "engine/input/InputManager.h"
#include "engine/input/KeyboardCallbacks.h"
#include "engine/world/glfw2/Glfw2.h"
#include "tests/console/RecordingConsole.h"
#include "tests/input/MessageRecorder.h"
#include "tests/support/WorldWindow.h"

#include <gtest/gtest.h>

namespace
{

constexpr int kBackquote = '`';

class KeyRoutingTest : public WorldWindowTest
{
protected:
    void SetUp() override
    {
        WorldWindowTest::SetUp();
        input.Initialize("no-such-file.ini");
        input.BindKey("SPACE", "MoveForwards");
        input.BindKey("SPACE", "-Released");
        input.BindKey("A", "MoveForwards");
        recorder.Deliver();
        registeredBefore = world->GetConsole();
        world->RegisterConsole(&console);
    }
    void TearDown() override
    {
        world->RegisterConsole(registeredBefore);
        WorldWindowTest::TearDown();
    }

    KeyRouting Press(int key) { return RouteKeyEvent(&console, &input, key, glfw2::PRESS); }
    KeyRouting Release(int key) { return RouteKeyEvent(&console, &input, key, glfw2::RELEASE); }

    InputManager input;
    RecordingConsole console;
    MessageRecorder recorder{"MoveForwards", "Released"};
    Console* registeredBefore = nullptr;
};

TEST_F(KeyRoutingTest, ClosedConsoleLeavesKeysToTheBindings)
{
    EXPECT_EQ(Press(' '), KeyRouting::Handled);
    EXPECT_EQ(Release(' '), KeyRouting::Handled);
    EXPECT_EQ(Press('A'), KeyRouting::Handled);
    EXPECT_EQ(recorder.Deliver(), (StringList{"MoveForwards", "Released", "MoveForwards"}));

    EXPECT_EQ(Press('Q'), KeyRouting::Ignored);
    EXPECT_EQ(Press(glfw2::KEY_ESC), KeyRouting::StopGame);
    EXPECT_EQ(Release(glfw2::KEY_ESC), KeyRouting::Handled);
    EXPECT_TRUE(recorder.Deliver().empty());
    EXPECT_TRUE(console.executed.empty());
    EXPECT_FALSE(console.IsOpen());
}

TEST_F(KeyRoutingTest, OpenConsoleTakesEveryKeyAndEscapeClosesIt)
{
    EXPECT_EQ(Press(kBackquote), KeyRouting::Handled);
    ASSERT_TRUE(console.IsOpen());
    EXPECT_EQ(Release(kBackquote), KeyRouting::Handled);

    EXPECT_EQ(Press(' '), KeyRouting::Handled);
    EXPECT_EQ(Release(' '), KeyRouting::Handled);
    EXPECT_EQ(Press('Q'), KeyRouting::Handled);
    console.Type("hi");
    EXPECT_EQ(Press(glfw2::KEY_ENTER), KeyRouting::Handled);
    EXPECT_EQ(console.executed, StringList{"hi"});
    EXPECT_TRUE(recorder.Deliver().empty());

    // Escape closes the console instead of stopping the game; its release is nobody's.
    EXPECT_EQ(Press(glfw2::KEY_ESC), KeyRouting::Handled);
    EXPECT_FALSE(console.IsOpen());
    EXPECT_EQ(Release(glfw2::KEY_ESC), KeyRouting::Handled);

    EXPECT_EQ(Press(' '), KeyRouting::Handled);
    EXPECT_EQ(recorder.Deliver(), StringList{"MoveForwards"});
}

TEST_F(KeyRoutingTest, BackquoteTogglesAndNeverReachesTheInputLine)
{
    EXPECT_EQ(Press(kBackquote), KeyRouting::Handled);
    EXPECT_TRUE(console.IsOpen());
    // The character callback sees the same key; it must not type it or close the console.
    CharCallback(kBackquote, glfw2::PRESS);
    CharCallback('x', glfw2::PRESS);
    CharCallback('y', glfw2::RELEASE);
    EXPECT_TRUE(console.IsOpen());
    EXPECT_EQ(console.GetCurrentInput(), "x");

    EXPECT_EQ(Press(kBackquote), KeyRouting::Handled);
    EXPECT_FALSE(console.IsOpen());
    CharCallback('z', glfw2::PRESS);
    EXPECT_EQ(console.GetCurrentInput(), "x");
}

TEST_F(KeyRoutingTest, WithoutAConsoleBindingsAndEscapeStillWork)
{
    EXPECT_EQ(RouteKeyEvent(nullptr, &input, ' ', glfw2::PRESS), KeyRouting::Handled);
    EXPECT_EQ(RouteKeyEvent(nullptr, &input, kBackquote, glfw2::PRESS), KeyRouting::Ignored);
    EXPECT_EQ(RouteKeyEvent(nullptr, &input, glfw2::KEY_ESC, glfw2::PRESS), KeyRouting::StopGame);
    EXPECT_EQ(recorder.Deliver(), StringList{"MoveForwards"});

    world->RegisterConsole(nullptr);
    CharCallback('x', glfw2::PRESS); // must not crash without a console
}

} // namespace
