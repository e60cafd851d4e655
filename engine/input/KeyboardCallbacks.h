#pragma once

class Console;
class InputManager;

/// What a key event asks of the caller once it has been routed.
enum class KeyRouting
{
    Handled,  ///< taken by the console or a binding, or a release
    StopGame, ///< an unbound Escape press with the console closed
    Ignored,  ///< nobody wanted the press
};

/// Routes one key event (GLFW 2 code and action): console toggle first, then the open console,
/// then the key bindings, then Escape. A null console counts as closed.
KeyRouting RouteKeyEvent(Console* console, InputManager* input, int key, int action);

/// The window system's key callback: routes the event for the registered console and the
/// bindings and stops the game on Escape. Main thread, between frames.
void KeyboardCallback(int key, int action);

/// The window system's character callback: feeds typed characters to the registered console.
void CharCallback(int character, int action);
