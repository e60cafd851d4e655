#include "engine/input/KeyboardCallbacks.h"

#include "engine/console/Console.h"
#include "engine/input/InputManager.h"
#include "engine/world/World.h"
#include "engine/world/glfw2/Glfw2.h"

namespace
{
bool IsToggleKey(int key)
{
    return key == (Console::ToggleKey() & 0xFF);
}
} // namespace

KeyRouting RouteKeyEvent(Console* console, InputManager* input, int key, int action)
{
    const bool consoleOpen = console && console->IsOpen();
    if (action != glfw2::PRESS)
    {
        // A key released while the console is open belongs to the console.
        if (!consoleOpen)
            input->OnKeyUp(key);
        return KeyRouting::Handled;
    }
    if (console && IsToggleKey(key))
    {
        console->Enable(!consoleOpen);
        return KeyRouting::Handled;
    }
    if (console && console->GetSpecialInputDown(key))
        return KeyRouting::Handled;
    if (input->OnKeyDown(key))
        return KeyRouting::Handled;
    return key == glfw2::KEY_ESC ? KeyRouting::StopGame : KeyRouting::Ignored;
}

void KeyboardCallback(int key, int action)
{
    World* world = World::GetInstance();
    if (RouteKeyEvent(world->GetConsole(), InputManager::GetInstance(), key, action) ==
        KeyRouting::StopGame)
        world->StopGame();
}

void CharCallback(int character, int action)
{
    if (action != glfw2::PRESS || character == Console::ToggleKey())
        return;
    if (Console* console = World::GetInstance()->GetConsole())
        console->GetInput(character);
}
