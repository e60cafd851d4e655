#include "engine/input/MouseInput.h"

#include "engine/world/glfw2/Glfw2.h"

#include <set>
#include <vector>

namespace
{

// Heap-held and never freed, so listeners that outlive static destruction can still
// unregister.
std::set<MouseListener*>& Registry()
{
    static auto* registry = new std::set<MouseListener*>();
    return *registry;
}

int s_lastX = 0;
int s_lastY = 0;

MouseButtonInput MapButton(int button)
{
    switch (button)
    {
    case glfw2::MOUSE_BUTTON_RIGHT:
        return MOUSE_RIGHT;
    case glfw2::MOUSE_BUTTON_MIDDLE:
        return MOUSE_MIDDLE;
    default:
        return MOUSE_LEFT;
    }
}

// Handlers may create or destroy listeners: walk a copy, and skip entries that have left the
// registry since the copy was taken. Listeners added during the walk get the next event.
template <typename Event> void Dispatch(Event event)
{
    const std::vector<MouseListener*> snapshot(Registry().begin(), Registry().end());
    for (MouseListener* listener : snapshot)
        if (Registry().count(listener) != 0)
            event(listener);
}

} // namespace

MouseListener::MouseListener()
{
    Registry().insert(this);
}

MouseListener::~MouseListener()
{
    Registry().erase(this);
}

void MouseListener::MouseMotionEvent(Vec2i) {}
void MouseListener::MouseDownEvent(Vec2i, MouseButtonInput) {}
void MouseListener::MouseUpEvent(Vec2i, MouseButtonInput) {}

void MouseMotion(int x, int y)
{
    s_lastX = x;
    s_lastY = y;
    Dispatch([x, y](MouseListener* listener) { listener->MouseMotionEvent(Vec2i(x, y)); });
}

void MouseButton(int button, int action)
{
    const MouseButtonInput mapped = MapButton(button);
    const Vec2i position(s_lastX, s_lastY);
    if (action == glfw2::PRESS)
        Dispatch([&](MouseListener* listener) { listener->MouseDownEvent(position, mapped); });
    else
        Dispatch([&](MouseListener* listener) { listener->MouseUpEvent(position, mapped); });
}
