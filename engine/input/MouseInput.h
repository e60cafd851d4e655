#pragma once

#include "engine/util/Vec2i.h"

/// Any int is a value (scripts pass ints); the listener's base handlers refuse unknown ones.
enum MouseButtonInput : int
{
    MOUSE_LEFT = 0,
    MOUSE_MIDDLE = 1,
    MOUSE_RIGHT = 2,
};

/// Base of everything that wants mouse events. A listener registers itself when constructed
/// and unregisters when destroyed; every listener sees every event. Positions are window
/// pixels, origin top-left, y growing downwards. Main thread only.
class MouseListener
{
public:
    MouseListener();
    virtual ~MouseListener();

    /// The base handlers do nothing (but warn about an unknown button).
    virtual void MouseMotionEvent(Vec2i screenCoords);
    virtual void MouseDownEvent(Vec2i screenCoords, MouseButtonInput button);
    virtual void MouseUpEvent(Vec2i screenCoords, MouseButtonInput button);

    MouseListener(const MouseListener&) = delete;
    MouseListener& operator=(const MouseListener&) = delete;
};

/// The window system's cursor-position callback: stores the position and tells every listener.
void MouseMotion(int x, int y);

/// The window system's mouse-button callback (GLFW button number, PRESS or RELEASE). The event
/// carries the position of the latest motion event.
void MouseButton(int button, int action);
