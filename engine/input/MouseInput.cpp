#include "engine/input/MouseInput.h"

#include "engine/console/Log.h"
#include "engine/world/glfw2/Glfw2.h"

#include <cstdint>
#include <map>
#include <vector>

namespace
{

// Each listener with the number of its registration. Heap-held and never freed, so listeners
// that outlive static destruction can still unregister.
std::map<MouseListener*, uint64_t>& Registry()
{
    static auto* registry = new std::map<MouseListener*, uint64_t>();
    return *registry;
}

uint64_t s_registrations = 0;
int s_lastX = 0;
int s_lastY = 0;

// Only a script hands the base handlers a button that is none of the three.
void WarnUnknownButton(const char* handler, MouseButtonInput button)
{
    if (button != MOUSE_LEFT && button != MOUSE_MIDDLE && button != MOUSE_RIGHT)
        GetSystemLog()->Printf("WARNING: %s() ignored the unknown mouse button %d.", handler,
                               static_cast<int>(button));
}

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
// registry since the copy was taken. A listener registered during the walk, even at the address
// of one destroyed in it, has a later number: it gets only the next event.
template <typename Event> void Dispatch(Event event)
{
    const std::vector<std::pair<MouseListener*, uint64_t>> snapshot(Registry().begin(),
                                                                    Registry().end());
    for (const auto& [listener, registration] : snapshot)
    {
        auto found = Registry().find(listener);
        if (found != Registry().end() && found->second == registration)
            event(listener);
    }
}

} // namespace

MouseListener::MouseListener()
{
    Registry()[this] = ++s_registrations;
}

MouseListener::~MouseListener()
{
    Registry().erase(this);
}

void MouseListener::MouseMotionEvent(Vec2i) {}

void MouseListener::MouseDownEvent(Vec2i, MouseButtonInput button)
{
    WarnUnknownButton("MouseDownEvent", button);
}

void MouseListener::MouseUpEvent(Vec2i, MouseButtonInput button)
{
    WarnUnknownButton("MouseUpEvent", button);
}

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
