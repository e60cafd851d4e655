#pragma once

#include "engine/util/Vec2i.h"
#include "engine/util/Vector2.h"

/// The raw state of one game pad.
struct ControllerInput
{
    int LeftThumbstickX = 0;
    int LeftThumbstickY = 0;
    int RightThumbstickX = 0;
    int RightThumbstickY = 0;
    int LeftTriggerValue = 0;
    int RightTriggerValue = 0;
    unsigned int Buttons = 0; ///< bit mask
};

/// One game-pad slot. No device back-end is attached: a controller stays disconnected, its
/// stored state stays zero and vibration requests are ignored.
class Controller
{
public:
    explicit Controller(int controllerID) : m_controllerID(controllerID) {}

    void Initialize() {}
    void Poll() {}

    bool IsConnected() const { return m_connected; }
    int GetControllerID() const { return m_controllerID; }
    ControllerInput GetState() const { return m_currentState; }

    Vec2i GetLeftThumbstick() const;
    Vec2i GetRightThumbstick() const;
    /// The stick axes scaled by 1/32768, so about -1 ... 1.
    Vector2 GetLeftThumbVec2() const;
    Vector2 GetRightThumbVec2() const;
    int GetLeftTrigger() const { return m_currentState.LeftTriggerValue; }
    int GetRightTrigger() const { return m_currentState.RightTriggerValue; }

    /// True when the stored button mask shares a bit with mask.
    bool IsButtonDown(unsigned int mask) const { return (m_currentState.Buttons & mask) != 0; }
    bool IsAButtonDown() const { return false; }
    bool IsBButtonDown() const { return false; }
    bool IsXButtonDown() const { return false; }
    bool IsYButtonDown() const { return false; }
    bool IsStartButtonDown() const { return false; }
    bool IsBackButtonDown() const { return false; }
    bool IsLeftThumbstickButtonDown() const { return false; }
    bool IsRightThumbstickButtonDown() const { return false; }
    bool IsLeftBumperDown() const { return false; }
    bool IsRightBumperDown() const { return false; }
    bool IsLeftTriggerPressed() const { return false; }
    bool IsRightTriggerPressed() const { return false; }

    void SetLeftVibration(unsigned int) {}
    void SetRightVibration(unsigned int) {}
    void SetLeftVibrationRaw(unsigned int) {}
    void SetRightVibrationRaw(unsigned int) {}
    unsigned int GetLeftVibration() const { return m_leftVibration; }
    unsigned int GetRightVibration() const { return m_rightVibration; }

private:
    int m_controllerID;
    bool m_connected = false;
    ControllerInput m_currentState;
    unsigned int m_leftVibration = 0;
    unsigned int m_rightVibration = 0;
};

/// Owns the two controller slots for the whole run.
class ControllerManager
{
public:
    static ControllerManager* GetInstance();

    /// Controller 0 or 1; any other index logs an error and gives null.
    Controller* GetController(int index);
    void InitializeAll();
    /// Called once a frame by the world's tick.
    void PollAll();

private:
    ControllerManager();

    static constexpr int kControllerCount = 2;
    Controller m_controllers[kControllerCount];
};
