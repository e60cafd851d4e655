#pragma once

// The windowing interface the engine is written against: GLFW 2's single-window calls, codes
// and callback shapes. The back-end in engine/world/glfw3/ implements it over GLFW 3.3.
// Only that back-end includes GLFW's own header.

namespace glfw2
{

// Actions and modes.
constexpr int RELEASE = 0;
constexpr int PRESS = 1;
constexpr int WINDOW = 0x00010001;
constexpr int FULLSCREEN = 0x00010002;

// Window hints and enable/disable tokens.
constexpr int FSAA_SAMPLES = 0x0002000E;
constexpr int KEY_REPEAT = 0x00030005;

// Key codes: printable keys are their upper-case character; special keys count from 256.
constexpr int KEY_UNKNOWN = -1;
constexpr int KEY_SPACE = 32;
constexpr int KEY_SPECIAL = 256;
constexpr int KEY_ESC = KEY_SPECIAL + 1;
constexpr int KEY_F1 = KEY_SPECIAL + 2; // F1 ... F25 follow in order
constexpr int KEY_F25 = KEY_SPECIAL + 26;
constexpr int KEY_UP = KEY_SPECIAL + 27;
constexpr int KEY_DOWN = KEY_SPECIAL + 28;
constexpr int KEY_LEFT = KEY_SPECIAL + 29;
constexpr int KEY_RIGHT = KEY_SPECIAL + 30;
constexpr int KEY_LSHIFT = KEY_SPECIAL + 31;
constexpr int KEY_RSHIFT = KEY_SPECIAL + 32;
constexpr int KEY_LCTRL = KEY_SPECIAL + 33;
constexpr int KEY_RCTRL = KEY_SPECIAL + 34;
constexpr int KEY_LALT = KEY_SPECIAL + 35;
constexpr int KEY_RALT = KEY_SPECIAL + 36;
constexpr int KEY_TAB = KEY_SPECIAL + 37;
constexpr int KEY_ENTER = KEY_SPECIAL + 38;
constexpr int KEY_BACKSPACE = KEY_SPECIAL + 39;
constexpr int KEY_INSERT = KEY_SPECIAL + 40;
constexpr int KEY_DEL = KEY_SPECIAL + 41;
constexpr int KEY_PAGEUP = KEY_SPECIAL + 42;
constexpr int KEY_PAGEDOWN = KEY_SPECIAL + 43;
constexpr int KEY_HOME = KEY_SPECIAL + 44;
constexpr int KEY_END = KEY_SPECIAL + 45;
constexpr int KEY_KP_0 = KEY_SPECIAL + 46; // keypad 0 ... 9 follow in order
constexpr int KEY_KP_9 = KEY_SPECIAL + 55;
constexpr int KEY_KP_DIVIDE = KEY_SPECIAL + 56;
constexpr int KEY_KP_MULTIPLY = KEY_SPECIAL + 57;
constexpr int KEY_KP_SUBTRACT = KEY_SPECIAL + 58;
constexpr int KEY_KP_ADD = KEY_SPECIAL + 59;
constexpr int KEY_KP_DECIMAL = KEY_SPECIAL + 60;
constexpr int KEY_KP_EQUAL = KEY_SPECIAL + 61;
constexpr int KEY_KP_ENTER = KEY_SPECIAL + 62;
constexpr int KEY_KP_NUM_LOCK = KEY_SPECIAL + 63;
constexpr int KEY_CAPS_LOCK = KEY_SPECIAL + 64;
constexpr int KEY_SCROLL_LOCK = KEY_SPECIAL + 65;
constexpr int KEY_PAUSE = KEY_SPECIAL + 66;
constexpr int KEY_LSUPER = KEY_SPECIAL + 67;
constexpr int KEY_RSUPER = KEY_SPECIAL + 68;
constexpr int KEY_MENU = KEY_SPECIAL + 69;
constexpr int KEY_LAST = KEY_MENU;

// Mouse buttons.
constexpr int MOUSE_BUTTON_LEFT = 0;
constexpr int MOUSE_BUTTON_RIGHT = 1;
constexpr int MOUSE_BUTTON_MIDDLE = 2;

// Callback shapes. All run on the main thread inside SwapBuffers().
using WindowSizeFun = void (*)(int width, int height);
using WindowCloseFun = int (*)(); // non-zero lets the window close
using KeyFun = void (*)(int key, int action);
using CharFun = void (*)(int character, int action);
using MousePosFun = void (*)(int x, int y);
using MouseButtonFun = void (*)(int button, int action);

/// Starts the window system; false when there is no display.
bool Init();
/// Closes the window and ends the window system. Safe to call twice. Inside a callback, or on
/// another thread than Init's, it takes effect once the next SwapBuffers has polled events.
void Terminate();

void OpenWindowHint(int target, int hint);
/// Opens the one window; false (with the reason on standard error) when it cannot be opened.
bool OpenWindow(int width, int height, int redBits, int greenBits, int blueBits, int alphaBits,
                int depthBits, int stencilBits, int mode);
bool IsWindowOpen();
void SetWindowPos(int x, int y);
void SetWindowTitle(const char* title);
void GetWindowSize(int* width, int* height);
void SwapInterval(int interval);

/// Swaps the buffers, then polls events so every callback runs here, between frames.
void SwapBuffers();

void SetWindowSizeCallback(WindowSizeFun callback);
void SetWindowCloseCallback(WindowCloseFun callback);
void SetKeyCallback(KeyFun callback);
void SetCharCallback(CharFun callback);
void SetMousePosCallback(MousePosFun callback);
void SetMouseButtonCallback(MouseButtonFun callback);

void Enable(int token);
void Disable(int token);

/// Seconds since Init().
double GetTime();
/// PRESS or RELEASE for a GLFW 2 key code.
int GetKey(int key);
int GetMouseButton(int button);
void GetMousePos(int* x, int* y);

} // namespace glfw2
