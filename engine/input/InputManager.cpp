#include "engine/input/InputManager.h"

#include "engine/console/Log.h"
#include "engine/input/Controller.h"
#include "engine/messaging/Message.h"
#include "engine/messaging/Switchboard.h"
#include "engine/util/Ascii.h"
#include "engine/util/DataFile.h"
#include "engine/util/FileUtil.h"
#include "engine/util/StringUtil.h"
#include "engine/world/glfw2/Glfw2.h"

namespace
{

struct KeyName
{
    const char* name;
    int code;
};

// Only keys named here can be bound: Escape, Enter, Tab and the console's backquote stay out of
// reach of binding files. Binding files are written against FORWARDSLASH naming the backslash
// key and BACKSLASH the slash key.
constexpr KeyName kKeyNames[] = {
    {"ZERO", '0'},
    {"ONE", '1'},
    {"TWO", '2'},
    {"THREE", '3'},
    {"FOUR", '4'},
    {"FIVE", '5'},
    {"SIX", '6'},
    {"SEVEN", '7'},
    {"EIGHT", '8'},
    {"NINE", '9'},
    {"MINUS", '-'},
    {"PLUS", '+'},
    {"LEFTBRACE", '['},
    {"RIGHTBRACE", ']'},
    {"FORWARDSLASH", '\\'},
    {"SEMICOLON", ';'},
    {"APOSTROPHE", '\''},
    {"COMMA", ','},
    {"PERIOD", '.'},
    {"BACKSLASH", '/'},
    {"SPACE", ' '},
    {"DELETE", glfw2::KEY_DEL},
    {"BACKSPACE", glfw2::KEY_BACKSPACE},
    {"LEFT_ARROW", glfw2::KEY_LEFT},
    {"RIGHT_ARROW", glfw2::KEY_RIGHT},
    {"UP_ARROW", glfw2::KEY_UP},
    {"DOWN_ARROW", glfw2::KEY_DOWN},
    {"L_SHIFT", glfw2::KEY_LSHIFT},
    {"R_SHIFT", glfw2::KEY_RSHIFT},
};

constexpr int kFirstControllerButton[2] = {1000, 1020};
constexpr const char* kControllerPrefix[2] = {"P1BUTTON_", "P2BUTTON_"};

struct ControllerButton
{
    const char* name;
    bool (Controller::*isDown)() const;
};

// Button codes are the controller's first code plus the index in this table.
constexpr ControllerButton kControllerButtons[] = {
    {"A", &Controller::IsAButtonDown},
    {"B", &Controller::IsBButtonDown},
    {"X", &Controller::IsXButtonDown},
    {"Y", &Controller::IsYButtonDown},
    {"START", &Controller::IsStartButtonDown},
    {"BACK", &Controller::IsBackButtonDown},
    {"LEFTTHUMB", &Controller::IsLeftThumbstickButtonDown},
    {"RIGHTTHUMB", &Controller::IsRightThumbstickButtonDown},
    {"LEFTTRIGGER", &Controller::IsLeftTriggerPressed},
    {"RIGHTTRIGGER", &Controller::IsRightTriggerPressed},
    {"LEFTBUMPER", &Controller::IsLeftBumperDown},
    {"RIGHTBUMPER", &Controller::IsRightBumperDown},
};

/// Calls visit(controller, code, button) for every button of both controllers.
template <typename Visit> void ForEachControllerButton(Visit visit)
{
    for (int controller = 0; controller < 2; ++controller)
    {
        int code = kFirstControllerButton[controller];
        for (const ControllerButton& button : kControllerButtons)
            visit(controller, code++, button);
    }
}

void BroadcastIfNamed(const String& messageName)
{
    if (!messageName.empty())
        Switchboard::GetInstance()->Broadcast(new Message(messageName));
}

bool Send(InputBinding* binding, void (InputBinding::*event)())
{
    if (!binding)
        return false;
    (binding->*event)();
    return true;
}

} // namespace

void InputBinding::OnKeyDown()
{
    BroadcastIfNamed(m_keyDownMessage);
}

void InputBinding::OnKeyUp()
{
    BroadcastIfNamed(m_keyUpMessage);
}

InputManager* InputManager::s_instance = nullptr;

InputManager* InputManager::GetInstance()
{
    if (!s_instance)
    {
        s_instance = new InputManager();
        s_instance->Initialize();
    }
    return s_instance;
}

void InputManager::Destroy()
{
    delete s_instance;
    s_instance = nullptr;
}

InputManager::~InputManager() = default;

void InputManager::Initialize(const String& bindingsFile)
{
    m_keyNames.clear();
    for (char letter = 'A'; letter <= 'Z'; ++letter)
        AddKeyName(String(1, letter), letter - 'A' + 'a');
    for (const KeyName& key : kKeyNames)
        AddKeyName(key.name, key.code);
    ForEachControllerButton(
        [this](int controller, int code, const ControllerButton& button)
        { AddKeyName(String(kControllerPrefix[controller]) + button.name, code); });

    ClearControllerBindings();
    // A program may read another file later: its bindings replace, not extend, the first's.
    m_bindings.clear();
    ReadBindings(bindingsFile);
}

void InputManager::AddKeyName(const String& name, int code)
{
    m_keyNames[ToUpper(name)] = code;
}

void InputManager::ClearControllerBindings()
{
    ForEachControllerButton([this](int controller, int code, const ControllerButton&)
                            { m_controllerButtonWasDown[controller][code] = false; });
}

void InputManager::ReadBindings(const String& fileName)
{
    // A missing or unreadable file simply binds nothing; one no bindings file could need is
    // refused aloud.
    const DataFile file = ReadDataFile(fileName, kMaxTextFileBytes);
    if (file.status == DataFile::Status::TooLarge)
        GetSystemLog()->Log("ERROR: Key bindings file " + Printable(fileName) + " is " +
                            file.Reason(kMaxTextFileBytes) + ": no key is bound.");
    StringList lines;
    if (file.status == DataFile::Status::Found)
        SplitFileLines(file.contents, lines);

    for (const String& line : lines)
    {
        // Only a ';' in column one makes a comment.
        if (line.empty() || line[0] == ';')
            continue;
        const StringList pieces = SplitString(line, "=:", false);
        if (pieces.size() < 2)
            continue;
        BindKey(TrimString(pieces[0]), TrimString(pieces[1]));
    }
}

void InputManager::BindKey(const String& keyName, const String& message)
{
    if (message.empty())
        return;
    const int code = GetHashFromKeyName(keyName);
    // An unknown name gets no binding at all, so no key code (not even KEY_UNKNOWN) can
    // reach it.
    if (code == kUnknownKey)
        return;

    std::unique_ptr<InputBinding>& binding = m_bindings[code];
    if (!binding)
        binding = std::make_unique<InputBinding>();

    if (message[0] == '-')
        binding->SetKeyUpMessage(message.substr(1));
    else if (message[0] == '+')
        binding->SetKeyDownMessage(message.substr(1));
    else
        binding->SetKeyDownMessage(message);
}

int InputManager::GetHashFromKeyName(const String& keyName) const
{
    const auto found = m_keyNames.find(ToUpper(keyName));
    return found == m_keyNames.end() ? kUnknownKey : found->second;
}

InputBinding* InputManager::GetBinding(int keyCode) const
{
    const auto found = m_bindings.find(keyCode);
    return found == m_bindings.end() ? nullptr : found->second.get();
}

InputBinding* InputManager::FindBinding(int key) const
{
    // Letter keys arrive upper-case; the table stores them lower-case.
    if (key >= 'A' && key <= 'Z')
        key += 'a' - 'A';
    return GetBinding(key);
}

bool InputManager::OnKeyDown(int key)
{
    return Send(FindBinding(key), &InputBinding::OnKeyDown);
}

bool InputManager::OnKeyUp(int key)
{
    return Send(FindBinding(key), &InputBinding::OnKeyUp);
}

bool InputManager::IsKeyDown(char key) const
{
    const int upper = static_cast<unsigned char>(AsciiToUpper(key));
    return glfw2::GetKey(upper) == glfw2::PRESS;
}
