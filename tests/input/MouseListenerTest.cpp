#include "engine/input/MouseInput.h"
#include "engine/util/StringTypes.h"
#include "engine/world/glfw2/Glfw2.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace
{

class RecordingListener : public MouseListener
{
public:
    void MouseMotionEvent(Vec2i at) override { Record("move", at, -1); }
    void MouseDownEvent(Vec2i at, MouseButtonInput b) override { Record("down", at, b); }
    void MouseUpEvent(Vec2i at, MouseButtonInput b) override { Record("up", at, b); }

    StringList events;
    std::function<void()> onEvent; ///< runs inside every handler, after the event is recorded

private:
    void Record(const String& kind, Vec2i at, int button)
    {
        events.push_back(kind + " " + std::to_string(at.X) + " " + std::to_string(at.Y) +
                         (button < 0 ? "" : " " + std::to_string(button)));
        if (onEvent)
            onEvent();
    }
};

TEST(MouseListener, ButtonsMapAndTakeTheLastMotionsPosition)
{
    MouseMotion(7, 8); // sets the position even with nobody listening
    RecordingListener listener;
    MouseButton(glfw2::MOUSE_BUTTON_LEFT, glfw2::PRESS);
    MouseMotion(120, 45);
    MouseButton(glfw2::MOUSE_BUTTON_MIDDLE, glfw2::PRESS);
    MouseButton(glfw2::MOUSE_BUTTON_RIGHT, glfw2::RELEASE);
    MouseButton(7, glfw2::RELEASE); // further buttons count as the left one
    EXPECT_EQ(listener.events, (StringList{"down 7 8 0", "move 120 45", "down 120 45 1",
                                           "up 120 45 2", "up 120 45 0"}));
}

TEST(MouseListener, HandlersMayCreateAndDestroyListeners)
{
    {
        SCOPED_TRACE("two listeners destroying each other: the second walked is not called");
        auto a = std::make_unique<RecordingListener>();
        auto b = std::make_unique<RecordingListener>();
        int calls = 0;
        a->onEvent = [&] { ++calls, b.reset(); };
        b->onEvent = [&] { ++calls, a.reset(); };
        MouseMotion(5, 5);
        EXPECT_EQ(calls, 1);
    }
    SCOPED_TRACE("one destroying itself between two others, which get this and later events");
    RecordingListener before;
    auto self = std::make_unique<RecordingListener>();
    RecordingListener after;
    self->onEvent = [&] { self.reset(); };
    MouseButton(glfw2::MOUSE_BUTTON_RIGHT, glfw2::PRESS);
    MouseButton(glfw2::MOUSE_BUTTON_RIGHT, glfw2::RELEASE);
    EXPECT_EQ(before.events, (StringList{"down 5 5 2", "up 5 5 2"}));
    EXPECT_EQ(after.events, before.events);

    SCOPED_TRACE("created in a handler, even in the place of one destroyed there: next event on");
    alignas(RecordingListener) unsigned char slots[2][sizeof(RecordingListener)];
    auto* first = new (slots[0]) RecordingListener();
    auto* second = new (slots[1]) RecordingListener(); // walked after first
    first->onEvent = [&]
    {
        second->~RecordingListener();
        second = new (slots[1]) RecordingListener();
        first->onEvent = nullptr;
    };
    MouseMotion(10, 20);
    MouseButton(glfw2::MOUSE_BUTTON_LEFT, glfw2::PRESS);
    EXPECT_EQ(second->events, StringList{"down 10 20 0"});
    first->~RecordingListener();
    second->~RecordingListener();
}

} // namespace
