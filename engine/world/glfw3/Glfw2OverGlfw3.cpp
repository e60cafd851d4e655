// GLFW 2's single-window interface (engine/world/glfw2/Glfw2.h) over GLFW 3.3.
//
// Differences bridged here:
// - GLFW 3 has windows as objects; GLFW 2 had one implicit window. We keep it in s_window.
// - GLFW 2 polled events inside glfwSwapBuffers; we call glfwPollEvents() right after the swap.
// - Special key codes differ; KeyFromGlfw3 maps them with a table and drops unknown keys
//   (GLFW 3's Enter is 257, which is GLFW 2's Escape).
// - GLFW 2 key repeat on/off becomes dropping GLFW_REPEAT actions and the char events that
//   follow them.
// - GLFW 2 called the mouse-position callback with the current position when it was set;
//   SetMousePosCallback does the same. GLFW 3 has no character release events.
// - GLFW 3 forbids glfwTerminate inside a callback and on any thread but the one that called
//   glfwInit; a Terminate() asked for while events are polled, or on another thread (a script's),
//   runs once the next polling has returned.
// - Calls that reach X or the GL driver run under a LeakCheckPause, the engine's callbacks under
//   a LeakCheckResume, and the driver stays loaded once the context exists (LeakCheckPause.h).

#include "engine/world/glfw2/Glfw2.h"

#include "engine/util/LeakCheckPause.h"
#include "engine/util/MathUtil.h"

#include <GLFW/glfw3.h>

#include <cstdio>
#include <thread>

namespace glfw2
{
namespace
{

GLFWwindow* s_window = nullptr;
bool s_initialized = false;
bool s_keyRepeat = false;
bool s_dropNextChar = false;
bool s_polling = false;
bool s_terminateRequested = false;
std::thread::id s_owner; // the thread that started GLFW
int s_samples = 0;

WindowSizeFun s_windowSizeFun = nullptr;
WindowCloseFun s_windowCloseFun = nullptr;
KeyFun s_keyFun = nullptr;
CharFun s_charFun = nullptr;
MousePosFun s_mousePosFun = nullptr;
MouseButtonFun s_mouseButtonFun = nullptr;

// Runs of keys numbered alike in both versions: GLFW 3 codes glfw3 ... glfw3 + count - 1 are
// GLFW 2 codes glfw2 ... glfw2 + count - 1.
struct KeyRange
{
    int glfw3;
    int glfw2;
    int count = 1;
};

constexpr KeyRange kKeyRanges[] = {
    // Printable keys 32 ... 96 share their codes.
    {GLFW_KEY_SPACE, KEY_SPACE, GLFW_KEY_GRAVE_ACCENT - GLFW_KEY_SPACE + 1},
    {GLFW_KEY_F1, KEY_F1, KEY_F25 - KEY_F1 + 1},
    {GLFW_KEY_KP_0, KEY_KP_0, KEY_KP_9 - KEY_KP_0 + 1},
    {GLFW_KEY_ESCAPE, KEY_ESC},
    {GLFW_KEY_UP, KEY_UP},
    {GLFW_KEY_DOWN, KEY_DOWN},
    {GLFW_KEY_LEFT, KEY_LEFT},
    {GLFW_KEY_RIGHT, KEY_RIGHT},
    {GLFW_KEY_LEFT_SHIFT, KEY_LSHIFT},
    {GLFW_KEY_RIGHT_SHIFT, KEY_RSHIFT},
    {GLFW_KEY_LEFT_CONTROL, KEY_LCTRL},
    {GLFW_KEY_RIGHT_CONTROL, KEY_RCTRL},
    {GLFW_KEY_LEFT_ALT, KEY_LALT},
    {GLFW_KEY_RIGHT_ALT, KEY_RALT},
    {GLFW_KEY_TAB, KEY_TAB},
    {GLFW_KEY_ENTER, KEY_ENTER},
    {GLFW_KEY_BACKSPACE, KEY_BACKSPACE},
    {GLFW_KEY_INSERT, KEY_INSERT},
    {GLFW_KEY_DELETE, KEY_DEL},
    {GLFW_KEY_PAGE_UP, KEY_PAGEUP},
    {GLFW_KEY_PAGE_DOWN, KEY_PAGEDOWN},
    {GLFW_KEY_HOME, KEY_HOME},
    {GLFW_KEY_END, KEY_END},
    {GLFW_KEY_KP_DIVIDE, KEY_KP_DIVIDE},
    {GLFW_KEY_KP_MULTIPLY, KEY_KP_MULTIPLY},
    {GLFW_KEY_KP_SUBTRACT, KEY_KP_SUBTRACT},
    {GLFW_KEY_KP_ADD, KEY_KP_ADD},
    {GLFW_KEY_KP_DECIMAL, KEY_KP_DECIMAL},
    {GLFW_KEY_KP_EQUAL, KEY_KP_EQUAL},
    {GLFW_KEY_KP_ENTER, KEY_KP_ENTER},
    {GLFW_KEY_NUM_LOCK, KEY_KP_NUM_LOCK},
    {GLFW_KEY_CAPS_LOCK, KEY_CAPS_LOCK},
    {GLFW_KEY_SCROLL_LOCK, KEY_SCROLL_LOCK},
    {GLFW_KEY_PAUSE, KEY_PAUSE},
    {GLFW_KEY_LEFT_SUPER, KEY_LSUPER},
    {GLFW_KEY_RIGHT_SUPER, KEY_RSUPER},
    {GLFW_KEY_MENU, KEY_MENU},
};

/// Looks key up in the `from` column of kKeyRanges and gives its code in the `to` column.
int MapKey(int key, int KeyRange::*from, int KeyRange::*to, int unknown)
{
    for (const KeyRange& range : kKeyRanges)
        if (key >= range.*from && key < range.*from + range.count)
            return range.*to + (key - range.*from);
    return unknown;
}

int KeyFromGlfw3(int key)
{
    return MapKey(key, &KeyRange::glfw3, &KeyRange::glfw2, KEY_UNKNOWN);
}

int KeyToGlfw3(int key)
{
    return MapKey(key, &KeyRange::glfw2, &KeyRange::glfw3, GLFW_KEY_UNKNOWN);
}

void OnError(int code, const char* description)
{
    std::fprintf(stderr, "GLFW error %d: %s\n", code, description);
}

void OnWindowSize(GLFWwindow*, int width, int height)
{
    LeakCheckResume engineCode;
    if (s_windowSizeFun)
        s_windowSizeFun(width, height);
}

void OnWindowClose(GLFWwindow* window)
{
    LeakCheckResume engineCode;
    if (s_windowCloseFun && s_windowCloseFun() == 0)
        glfwSetWindowShouldClose(window, GLFW_FALSE);
}

void OnKey(GLFWwindow*, int key, int, int action, int)
{
    LeakCheckResume engineCode;
    s_dropNextChar = false;
    if (action == GLFW_REPEAT && !s_keyRepeat)
    {
        s_dropNextChar = true;
        return;
    }
    const int mapped = KeyFromGlfw3(key);
    if (mapped == KEY_UNKNOWN || !s_keyFun)
        return;
    s_keyFun(mapped, action == GLFW_RELEASE ? RELEASE : PRESS);
}

void OnChar(GLFWwindow*, unsigned int codepoint)
{
    LeakCheckResume engineCode;
    if (s_dropNextChar)
    {
        s_dropNextChar = false;
        return;
    }
    if (s_charFun)
        s_charFun(static_cast<int>(codepoint), PRESS);
}

void OnCursorPos(GLFWwindow*, double x, double y)
{
    LeakCheckResume engineCode;
    if (s_mousePosFun)
        s_mousePosFun(MathUtil::SaturateToInt(x), MathUtil::SaturateToInt(y));
}

void OnMouseButton(GLFWwindow*, int button, int action, int)
{
    LeakCheckResume engineCode;
    if (s_mouseButtonFun)
        s_mouseButtonFun(button, action == GLFW_PRESS ? PRESS : RELEASE);
}

void TerminateNow()
{
    s_terminateRequested = false;
    if (!s_initialized)
        return;
    LeakCheckPause driverCalls;
    glfwTerminate();
    s_window = nullptr;
    s_initialized = false;
}

} // namespace

bool Init()
{
    if (s_initialized)
        return true;
    glfwSetErrorCallback(OnError);
    LeakCheckPause driverCalls;
    s_initialized = glfwInit() == GLFW_TRUE;
    s_owner = std::this_thread::get_id();
    return s_initialized;
}

void Terminate()
{
    if (std::this_thread::get_id() != s_owner)
    {
        // Another thread calls this only while the owner waits (for the script interpreter),
        // between its GLFW calls; SwapBuffers finishes it on the owner's thread.
        s_terminateRequested = true;
        return;
    }
    if (s_polling)
    {
        // Not allowed inside a GLFW callback; SwapBuffers finishes it after polling.
        s_terminateRequested = true;
        LeakCheckPause driverCalls;
        if (s_window)
            glfwHideWindow(s_window);
        return;
    }
    TerminateNow();
}

void OpenWindowHint(int target, int hint)
{
    if (target == FSAA_SAMPLES)
        s_samples = hint;
}

bool OpenWindow(int width, int height, int redBits, int greenBits, int blueBits, int alphaBits,
                int depthBits, int stencilBits, int mode)
{
    if (!s_initialized)
    {
        std::fprintf(stderr, "Cannot open a window: the window system is not initialised "
                             "(no display?)\n");
        return false;
    }
    if (s_window)
        return true;
    LeakCheckPause driverCalls;
    glfwDefaultWindowHints();
    glfwWindowHint(GLFW_RED_BITS, redBits);
    glfwWindowHint(GLFW_GREEN_BITS, greenBits);
    glfwWindowHint(GLFW_BLUE_BITS, blueBits);
    glfwWindowHint(GLFW_ALPHA_BITS, alphaBits);
    glfwWindowHint(GLFW_DEPTH_BITS, depthBits);
    glfwWindowHint(GLFW_STENCIL_BITS, stencilBits);
    glfwWindowHint(GLFW_SAMPLES, s_samples);
    GLFWmonitor* monitor = mode == FULLSCREEN ? glfwGetPrimaryMonitor() : nullptr;
    s_window = glfwCreateWindow(width, height, "", monitor, nullptr);
    if (!s_window)
        return false;
    glfwMakeContextCurrent(s_window);
    LeakCheckPause::PinLoadedLibraries();
    glfwSetWindowSizeCallback(s_window, OnWindowSize);
    glfwSetWindowCloseCallback(s_window, OnWindowClose);
    glfwSetKeyCallback(s_window, OnKey);
    glfwSetCharCallback(s_window, OnChar);
    glfwSetCursorPosCallback(s_window, OnCursorPos);
    glfwSetMouseButtonCallback(s_window, OnMouseButton);
    return true;
}

bool IsWindowOpen()
{
    return s_window != nullptr;
}

void SetWindowPos(int x, int y)
{
    LeakCheckPause driverCalls;
    if (s_window)
        glfwSetWindowPos(s_window, x, y);
}

void SetWindowTitle(const char* title)
{
    LeakCheckPause driverCalls;
    if (s_window)
        glfwSetWindowTitle(s_window, title);
}

void GetWindowSize(int* width, int* height)
{
    *width = 0;
    *height = 0;
    if (s_window)
        glfwGetWindowSize(s_window, width, height);
}

void SwapInterval(int interval)
{
    LeakCheckPause driverCalls;
    if (s_window)
        glfwSwapInterval(interval);
}

void SwapBuffers()
{
    if (!s_window)
        return;
    LeakCheckPause driverCalls;
    glfwSwapBuffers(s_window);
    s_polling = true;
    glfwPollEvents();
    s_polling = false;
    if (s_terminateRequested)
        TerminateNow();
}

void SetWindowSizeCallback(WindowSizeFun callback)
{
    s_windowSizeFun = callback;
}

void SetWindowCloseCallback(WindowCloseFun callback)
{
    s_windowCloseFun = callback;
}

void SetKeyCallback(KeyFun callback)
{
    s_keyFun = callback;
}

void SetCharCallback(CharFun callback)
{
    s_charFun = callback;
}

void SetMousePosCallback(MousePosFun callback)
{
    s_mousePosFun = callback;
    // GLFW 2 reported the current position as soon as the callback was set; GLFW 3 waits for
    // the first motion. Report it now so button events have a position from the start.
    if (s_window && callback)
    {
        double x = 0.0, y = 0.0;
        glfwGetCursorPos(s_window, &x, &y);
        callback(MathUtil::SaturateToInt(x), MathUtil::SaturateToInt(y));
    }
}

void SetMouseButtonCallback(MouseButtonFun callback)
{
    s_mouseButtonFun = callback;
}

void Enable(int token)
{
    if (token == KEY_REPEAT)
        s_keyRepeat = true;
}

void Disable(int token)
{
    if (token == KEY_REPEAT)
        s_keyRepeat = false;
}

double GetTime()
{
    return s_initialized ? glfwGetTime() : 0.0;
}

int GetKey(int key)
{
    const int glfw3Key = KeyToGlfw3(key);
    if (!s_window || glfw3Key == GLFW_KEY_UNKNOWN)
        return RELEASE;
    return glfwGetKey(s_window, glfw3Key) == GLFW_PRESS ? PRESS : RELEASE;
}

int GetMouseButton(int button)
{
    if (!s_window || button < 0 || button > GLFW_MOUSE_BUTTON_LAST)
        return RELEASE;
    return glfwGetMouseButton(s_window, button) == GLFW_PRESS ? PRESS : RELEASE;
}

void GetMousePos(int* x, int* y)
{
    double dx = 0.0, dy = 0.0;
    if (s_window)
        glfwGetCursorPos(s_window, &dx, &dy);
    *x = MathUtil::SaturateToInt(dx);
    *y = MathUtil::SaturateToInt(dy);
}

} // namespace glfw2
