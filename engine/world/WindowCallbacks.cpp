#include "engine/world/WindowCallbacks.h"

#include "engine/input/KeyboardCallbacks.h"
#include "engine/input/MouseInput.h"
#include "engine/world/Camera.h"
#include "engine/world/World.h"
#include "engine/world/glfw2/Glfw2.h"

int WindowClosed()
{
    World::GetInstance()->StopGame();
    return 1;
}

void InstallWindowCallbacks()
{
    // Order: window size, key, character, key repeat off, mouse position, mouse button, close.
    glfw2::SetWindowSizeCallback(Camera::ResizeCallback);
    glfw2::SetKeyCallback(KeyboardCallback);
    glfw2::SetCharCallback(CharCallback);
    glfw2::Disable(glfw2::KEY_REPEAT);
    glfw2::SetMousePosCallback(MouseMotion);
    glfw2::SetMouseButtonCallback(MouseButton);
    glfw2::SetWindowCloseCallback(WindowClosed);
}
