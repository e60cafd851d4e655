// Needs a display: a console loads its fonts into the GL context. From GLFW 3's key events
// through the GLFW 2 layer to the routing between console, bindings and Escape.
#include "engine/input/InputManager.h"
#include "engine/input/KeyboardCallbacks.h"
#include "engine/world/WindowCallbacks.h"
#include "engine/world/glfw2/Glfw2.h"
#include "tests/console/RecordingConsole.h"
#include "tests/input/MessageRecorder.h"
#include "tests/support/WorldWindow.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <array>
#include <tuple>

namespace
{

using glfw2::KEY_ESC;
using glfw2::PRESS;
using glfw2::RELEASE;

class KeyboardTest : public WorldWindowTest
{
protected:
    void SetUp() override
    {
        WorldWindowTest::SetUp();
        input.Initialize("no-such-file.ini");
        input.BindKey("SPACE", "MoveForwards");
        input.BindKey("SPACE", "-Released");
    }
    void TearDown() override
    {
        InstallWindowCallbacks();
        WorldWindowTest::TearDown();
    }

    InputManager input;
    RecordingConsole console;
    MessageRecorder recorder{"MoveForwards", "Released"};
};

std::vector<std::array<int, 3>> s_events; ///< {'k'ey / 'c'har / 'p'osition, a, b}

TEST_F(KeyboardTest, Glfw3KeysAreTranslatedAndRepeatsPassOnlyWhileAConsoleIsOpen)
{
    GLFWwindow* window = glfwGetCurrentContext();
    ASSERT_NE(window, nullptr);
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

    // Key strokes as GLFW 3 reports them on X11: the key event, then its character if any.
    // GLFW 3's Enter (257) is GLFW 2's Escape: neither may pass through untranslated. Repeats,
    // and the characters that follow them, pass only while a console is open.
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

TEST_F(KeyboardTest, RoutingGoesToggleKeyThenOpenConsoleThenBindingsThenEscape)
{
    using R = KeyRouting;
    // clang-format off
    const std::tuple<int, int, KeyRouting, bool> steps[] = { // key, action, routing, open after
        // Closed: bindings take their keys; an unbound Escape stops the game.
        {' ', PRESS, R::Handled, false}, {' ', RELEASE, R::Handled, false},
        {'Q', PRESS, R::Ignored, false}, {KEY_ESC, PRESS, R::StopGame, false},
        {KEY_ESC, RELEASE, R::Handled, false},
        // Open: the console takes every press and release; Escape only closes it.
        {'`', PRESS, R::Handled, true}, {'`', RELEASE, R::Handled, true},
        {' ', PRESS, R::Handled, true}, {' ', RELEASE, R::Handled, true},
        {'Q', PRESS, R::Handled, true}, {KEY_ESC, PRESS, R::Handled, false},
        // Closed again; the toggle key opens and closes.
        {' ', PRESS, R::Handled, false}, {'`', PRESS, R::Handled, true},
        {'`', PRESS, R::Handled, false}};
    // clang-format on
    for (const auto& [key, action, routing, openAfter] : steps)
    {
        SCOPED_TRACE(testing::Message() << "key " << key << " action " << action);
        EXPECT_EQ(RouteKeyEvent(&console, &input, key, action), routing);
        EXPECT_EQ(console.IsOpen(), openAfter);
    }
    EXPECT_TRUE(console.executed.empty());

    // Without a console, bindings and Escape still work.
    EXPECT_EQ(RouteKeyEvent(nullptr, &input, ' ', PRESS), KeyRouting::Handled);
    EXPECT_EQ(RouteKeyEvent(nullptr, &input, '`', PRESS), KeyRouting::Ignored);
    EXPECT_EQ(RouteKeyEvent(nullptr, &input, KEY_ESC, PRESS), KeyRouting::StopGame);
    EXPECT_EQ(recorder.Deliver(),
              (StringList{"MoveForwards", "Released", "MoveForwards", "MoveForwards"}));
    Console* registered = world->GetConsole();
    world->RegisterConsole(nullptr);
    CharCallback('x', PRESS); // goes nowhere, without crashing
    world->RegisterConsole(registered);
}

} // namespace
