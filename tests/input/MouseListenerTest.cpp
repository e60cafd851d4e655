#include "engine/input/MouseInput.h"
#include "engine/world/glfw2/Glfw2.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

namespace
{

struct MouseEvent
{
    char kind; // 'm'otion, 'd'own, 'u'p
    int x, y;
    int button;

    bool operator==(const MouseEvent& other) const
    {
        return kind == other.kind && x == other.x && y == other.y && button == other.button;
    }
};

std::ostream& operator<<(std::ostream& out, const MouseEvent& event)
{
    return out << event.kind << "(" << event.x << "," << event.y << "," << event.button << ")";
}

class RecordingListener : public MouseListener
{
public:
    void MouseMotionEvent(Vec2i at) override { Record('m', at, -1); }
    void MouseDownEvent(Vec2i at, MouseButtonInput button) override { Record('d', at, button); }
    void MouseUpEvent(Vec2i at, MouseButtonInput button) override { Record('u', at, button); }

    std::vector<MouseEvent> events;
    /// Runs inside every handler, after the event was recorded.
    std::function<void()> onEvent;

private:
    void Record(char kind, Vec2i at, int button)
    {
        events.push_back({kind, at.X, at.Y, button});
        if (onEvent)
            onEvent();
    }
};

TEST(MouseListener, ButtonsMapAndTakeTheLastMotionsPosition)
{
    // Events before any listener exists still set the position.
    MouseMotion(7, 8);
    RecordingListener listener;
    MouseButton(glfw2::MOUSE_BUTTON_LEFT, glfw2::PRESS);
    MouseMotion(120, 45);
    MouseButton(glfw2::MOUSE_BUTTON_MIDDLE, glfw2::PRESS);
    MouseButton(glfw2::MOUSE_BUTTON_MIDDLE, glfw2::RELEASE);
    MouseButton(glfw2::MOUSE_BUTTON_RIGHT, glfw2::PRESS);
    MouseButton(glfw2::MOUSE_BUTTON_RIGHT, glfw2::RELEASE);
    MouseButton(3, glfw2::PRESS);
    MouseButton(7, glfw2::RELEASE);

    const std::vector<MouseEvent> expected = {
        {'d', 7, 8, MOUSE_LEFT},      {'m', 120, 45, -1},          {'d', 120, 45, MOUSE_MIDDLE},
        {'u', 120, 45, MOUSE_MIDDLE}, {'d', 120, 45, MOUSE_RIGHT}, {'u', 120, 45, MOUSE_RIGHT},
        {'d', 120, 45, MOUSE_LEFT},   {'u', 120, 45, MOUSE_LEFT},
    };
    EXPECT_EQ(listener.events, expected);
    EXPECT_EQ(MOUSE_LEFT, 0);
    EXPECT_EQ(MOUSE_MIDDLE, 1);
    EXPECT_EQ(MOUSE_RIGHT, 2);
}

TEST(MouseListener, EveryListenerUntilItIsDestroyed)
{
    RecordingListener first;
    auto second = std::make_unique<RecordingListener>();
    MouseMotion(1, 2);
    second.reset();
    MouseMotion(3, 4);
    MouseButton(glfw2::MOUSE_BUTTON_LEFT, glfw2::PRESS);

    const std::vector<MouseEvent> expected = {
        {'m', 1, 2, -1}, {'m', 3, 4, -1}, {'d', 3, 4, MOUSE_LEFT}};
    EXPECT_EQ(first.events, expected);
}

TEST(MouseListener, HandlersMayDestroyListeners)
{
    // Which of the two is walked first depends on the registry's order; either way the one
    // destroyed during the walk must not be called afterwards.
    auto a = std::make_unique<RecordingListener>();
    auto b = std::make_unique<RecordingListener>();
    RecordingListener* aRaw = a.get();
    RecordingListener* bRaw = b.get();
    int calls = 0;
    aRaw->onEvent = [&]
    {
        ++calls;
        b.reset();
    };
    bRaw->onEvent = [&]
    {
        ++calls;
        a.reset();
    };
    MouseMotion(5, 5);
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(a == nullptr || b == nullptr);

    // A listener that destroys itself, with others around it.
    RecordingListener before;
    auto self = std::make_unique<RecordingListener>();
    RecordingListener after;
    self->onEvent = [&] { self.reset(); };
    MouseButton(glfw2::MOUSE_BUTTON_RIGHT, glfw2::PRESS);
    EXPECT_EQ(self, nullptr);
    EXPECT_EQ(before.events.size(), 1u);
    EXPECT_EQ(after.events.size(), 1u);
    MouseButton(glfw2::MOUSE_BUTTON_RIGHT, glfw2::RELEASE);
    EXPECT_EQ(before.events.size(), 2u);
}

TEST(MouseListener, ListenersCreatedInAHandlerJoinFromTheNextEvent)
{
    RecordingListener creator;
    std::vector<std::unique_ptr<RecordingListener>> created;
    creator.onEvent = [&] { created.push_back(std::make_unique<RecordingListener>()); };

    MouseMotion(10, 20);
    ASSERT_EQ(created.size(), 1u);
    EXPECT_TRUE(created[0]->events.empty());

    creator.onEvent = nullptr;
    MouseButton(glfw2::MOUSE_BUTTON_LEFT, glfw2::PRESS);
    const std::vector<MouseEvent> expected = {{'d', 10, 20, MOUSE_LEFT}};
    EXPECT_EQ(created[0]->events, expected);
}

} // namespace
