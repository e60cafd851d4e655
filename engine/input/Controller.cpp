#include "engine/input/Controller.h"

#include "engine/console/Log.h"

namespace
{
constexpr float kThumbstickScale = 32768.0f;
}

Vec2i Controller::GetLeftThumbstick() const
{
    return Vec2i(m_currentState.LeftThumbstickX, m_currentState.LeftThumbstickY);
}

Vec2i Controller::GetRightThumbstick() const
{
    return Vec2i(m_currentState.RightThumbstickX, m_currentState.RightThumbstickY);
}

Vector2 Controller::GetLeftThumbVec2() const
{
    return Vector2(m_currentState.LeftThumbstickX / kThumbstickScale,
                   m_currentState.LeftThumbstickY / kThumbstickScale);
}

Vector2 Controller::GetRightThumbVec2() const
{
    return Vector2(m_currentState.RightThumbstickX / kThumbstickScale,
                   m_currentState.RightThumbstickY / kThumbstickScale);
}

ControllerManager* ControllerManager::GetInstance()
{
    // Lives until the process ends, like the controllers it owns.
    static ControllerManager* instance = new ControllerManager();
    return instance;
}

ControllerManager::ControllerManager() : m_controllers{Controller(0), Controller(1)} {}

Controller* ControllerManager::GetController(int index)
{
    if (index < 0 || index >= kControllerCount)
    {
        GetSystemLog()->Log("ERROR: Bad controller index.");
        return nullptr;
    }
    return &m_controllers[index];
}

void ControllerManager::InitializeAll()
{
    for (Controller& controller : m_controllers)
        controller.Initialize();
}

void ControllerManager::PollAll()
{
    for (Controller& controller : m_controllers)
        controller.Poll();
}
