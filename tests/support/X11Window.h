#pragma once

#include <string>

/// Test-side access to the X server: find the program's window by title and close it the way
/// a window manager does (a WM_DELETE_WINDOW client message). Uses its own X connection.
class X11Window
{
public:
    /// Connects to $DISPLAY; Connected() is false when that fails.
    X11Window();
    ~X11Window();
    X11Window(const X11Window&) = delete;
    X11Window& operator=(const X11Window&) = delete;

    bool Connected() const { return m_display != nullptr; }
    /// Looks for a window titled title that belongs to process pid (any process when 0);
    /// true when found.
    bool Find(const std::string& title, long pid = 0);
    /// Size of the found window in pixels.
    bool GetSize(int* width, int* height);
    /// Asks the found window to close and waits until the server has sent the request.
    bool RequestClose();

private:
    void* m_display = nullptr;
    unsigned long m_window = 0;
};
