// Needs a display. Feeds GLFW 3 events straight into the callbacks the GLFW 2 layer installed
// on the window, and checks what reaches the engine's GLFW 2 style callbacks.
#include "engine/world/WindowCallbacks.h"
#include "engine/world/glfw2/Glfw2.h"
#include "tests/support/WorldWindow.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <vector>

namespace
{

struct Event
{
    char kind; // 'k'ey, 'c'har, 'p'osition, 'b'utton
    int a, b;

    bool operator==(const Event& other) const
    {
        return kind == other.kind && a == other.a && b == other.b;
    }
};

std::ostream& operator<<(std::ostream& out, const Event& event)
{
    return out << event.kind << "(" << event.a << "," << event.b << ")";
}

std::vector<Event> s_events;

class Glfw3InputTest : public WorldWindowTest
{
protected:
    void SetUp() override
    {
        WorldWindowTest::SetUp();
        window = glfwGetCurrentContext();
        ASSERT_NE(window, nullptr);
        // Setting a callback hands back the one it replaces: the layer's own.
        onKey = glfwSetKeyCallback(window, nullptr);
        glfwSetKeyCallback(window, onKey);
        onChar = glfwSetCharCallback(window, nullptr);
        glfwSetCharCallback(window, onChar);
        onCursor = glfwSetCursorPosCallback(window, nullptr);
        glfwSetCursorPosCallback(window, onCursor);
        onButton = glfwSetMouseButtonCallback(window, nullptr);
        glfwSetMouseButtonCallback(window, onButton);
        ASSERT_TRUE(onKey && onChar && onCursor && onButton);

        glfw2::SetKeyCallback([](int key, int action) { s_events.push_back({'k', key, action}); });
        glfw2::SetCharCallback([](int c, int action) { s_events.push_back({'c', c, action}); });
        glfw2::SetMouseButtonCallback(
            [](int button, int action) {
                s_events.push_back({'b', button, action});
            });
        s_events.clear();
    }
    void TearDown() override
    {
        glfw2::Disable(glfw2::KEY_REPEAT);
        InstallWindowCallbacks();
        WorldWindowTest::TearDown();
    }

    /// One key stroke as GLFW 3 reports it on X11: the key event, then its character if any.
    void Stroke(int glfw3Key, int action, unsigned int character = 0)
    {
        onKey(window, glfw3Key, 0, action, 0);
        if (character)
            onChar(window, character);
    }

    GLFWwindow* window = nullptr;
    GLFWkeyfun onKey = nullptr;
    GLFWcharfun onChar = nullptr;
    GLFWcursorposfun onCursor = nullptr;
    GLFWmousebuttonfun onButton = nullptr;
};

TEST_F(Glfw3InputTest, SpecialKeysAreTranslatedAndUnknownKeysDropped)
{
    // GLFW 3's Enter (257) is GLFW 2's Escape: neither may pass through untranslated.
    Stroke(GLFW_KEY_ESCAPE, GLFW_PRESS);
    Stroke(GLFW_KEY_ENTER, GLFW_PRESS);
    Stroke(GLFW_KEY_TAB, GLFW_RELEASE);
    Stroke(GLFW_KEY_UP, GLFW_PRESS);
    Stroke(GLFW_KEY_F3, GLFW_PRESS);
    Stroke(GLFW_KEY_WORLD_1, GLFW_PRESS);
    Stroke(GLFW_KEY_UNKNOWN, GLFW_PRESS);
    Stroke(GLFW_KEY_A, GLFW_PRESS, 'a');
    Stroke(GLFW_KEY_GRAVE_ACCENT, GLFW_PRESS, '`');

    const std::vector<Event> expected = {
        {'k', 257, glfw2::PRESS}, {'k', 294, glfw2::PRESS}, {'k', 293, glfw2::RELEASE},
        {'k', 283, glfw2::PRESS}, {'k', 260, glfw2::PRESS}, {'k', 'A', glfw2::PRESS},
        {'c', 'a', glfw2::PRESS}, {'k', '`', glfw2::PRESS}, {'c', '`', glfw2::PRESS},
    };
    EXPECT_EQ(s_events, expected);
}

TEST_F(Glfw3InputTest, RepeatsAndTheirCharactersPassOnlyWithKeyRepeatOn)
{
    glfw2::Disable(glfw2::KEY_REPEAT);
    Stroke(GLFW_KEY_B, GLFW_PRESS, 'b');
    Stroke(GLFW_KEY_B, GLFW_REPEAT, 'b');
    Stroke(GLFW_KEY_B, GLFW_REPEAT, 'b');
    Stroke(GLFW_KEY_B, GLFW_RELEASE);
    // A character without a key event of its own (an input method) still arrives.
    onChar(window, 0xE9);

    glfw2::Enable(glfw2::KEY_REPEAT);
    Stroke(GLFW_KEY_C, GLFW_PRESS, 'c');
    Stroke(GLFW_KEY_C, GLFW_REPEAT, 'c');
    Stroke(GLFW_KEY_C, GLFW_RELEASE);

    const std::vector<Event> expected = {
        {'k', 'B', glfw2::PRESS},  {'c', 'b', glfw2::PRESS}, {'k', 'B', glfw2::RELEASE},
        {'c', 0xE9, glfw2::PRESS}, {'k', 'C', glfw2::PRESS}, {'c', 'c', glfw2::PRESS},
        {'k', 'C', glfw2::PRESS},  {'c', 'c', glfw2::PRESS}, {'k', 'C', glfw2::RELEASE},
    };
    EXPECT_EQ(s_events, expected);
}

TEST_F(Glfw3InputTest, MousePositionsAndButtons)
{
    glfw2::SetMousePosCallback([](int x, int y) { s_events.push_back({'p', x, y}); });
    // Setting the callback reports the current position at once, as GLFW 2 did.
    ASSERT_EQ(s_events.size(), 1u);
    double x = 0.0, y = 0.0;
    glfwGetCursorPos(window, &x, &y);
    EXPECT_EQ(s_events[0], (Event{'p', static_cast<int>(x), static_cast<int>(y)}));
    s_events.clear();

    onCursor(window, 120.75, 45.25);
    onButton(window, GLFW_MOUSE_BUTTON_MIDDLE, GLFW_PRESS, 0);
    onButton(window, GLFW_MOUSE_BUTTON_MIDDLE, GLFW_RELEASE, 0);
    onButton(window, GLFW_MOUSE_BUTTON_RIGHT, GLFW_PRESS, GLFW_MOD_SHIFT);
    const std::vector<Event> expected = {
        {'p', 120, 45},
        {'b', glfw2::MOUSE_BUTTON_MIDDLE, glfw2::PRESS},
        {'b', glfw2::MOUSE_BUTTON_MIDDLE, glfw2::RELEASE},
        {'b', glfw2::MOUSE_BUTTON_RIGHT, glfw2::PRESS},
    };
    EXPECT_EQ(s_events, expected);
}

} // namespace
