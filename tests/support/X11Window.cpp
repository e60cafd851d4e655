#include "tests/support/X11Window.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstring>

namespace
{

// Windows of other processes can vanish while we walk the tree; their errors are expected.
int IgnoreXErrors(Display*, XErrorEvent*)
{
    return 0;
}

Display* AsDisplay(void* display)
{
    return static_cast<Display*>(display);
}

bool HasTitle(Display* display, Window window, const std::string& title)
{
    char* name = nullptr;
    bool match = false;
    if (XFetchName(display, window, &name) && name)
    {
        match = title == name;
        XFree(name);
    }
    if (match)
        return true;
    // GLFW 3 also sets the UTF-8 _NET_WM_NAME.
    Atom netName = XInternAtom(display, "_NET_WM_NAME", False);
    Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, netName, 0, 1024, False, utf8, &type, &format, &count,
                           &after, &data) == Success &&
        data)
    {
        match = title == reinterpret_cast<char*>(data);
        XFree(data);
    }
    return match;
}

bool HasPid(Display* display, Window window, long pid)
{
    if (pid == 0)
        return true;
    Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    bool match = false;
    if (XGetWindowProperty(display, window, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format,
                           &count, &after, &data) == Success &&
        data && count == 1)
        match = static_cast<long>(*reinterpret_cast<unsigned long*>(data)) == pid;
    if (data)
        XFree(data);
    return match;
}

Window Search(Display* display, Window root, const std::string& title, long pid)
{
    if (HasTitle(display, root, title) && HasPid(display, root, pid))
        return root;
    Window parent, rootReturn;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, root, &rootReturn, &parent, &children, &count))
        return 0;
    Window found = 0;
    for (unsigned int i = 0; i < count && !found; ++i)
        found = Search(display, children[i], title, pid);
    if (children)
        XFree(children);
    return found;
}

} // namespace

X11Window::X11Window() : m_display(XOpenDisplay(nullptr)) {}

X11Window::~X11Window()
{
    if (m_display)
        XCloseDisplay(AsDisplay(m_display));
}

bool X11Window::Find(const std::string& title, long pid)
{
    if (!m_display)
        return false;
    Display* display = AsDisplay(m_display);
    XSync(display, False);
    auto previous = XSetErrorHandler(IgnoreXErrors);
    m_window = Search(display, DefaultRootWindow(display), title, pid);
    XSync(display, False);
    XSetErrorHandler(previous);
    return m_window != 0;
}

bool X11Window::GetSize(int* width, int* height)
{
    if (!m_display || !m_window)
        return false;
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(AsDisplay(m_display), m_window, &attributes))
        return false;
    *width = attributes.width;
    *height = attributes.height;
    return true;
}

bool X11Window::RequestClose()
{
    if (!m_display || !m_window)
        return false;
    Display* display = AsDisplay(m_display);
    XEvent event;
    std::memset(&event, 0, sizeof(event));
    event.xclient.type = ClientMessage;
    event.xclient.window = m_window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, m_window, False, NoEventMask, &event);
    XSync(display, False);
    return true;
}
