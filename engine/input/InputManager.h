#pragma once

#include "engine/util/StringTypes.h"

#include <array>
#include <memory>
#include <unordered_map>

/// The messages one key sends: a name for the press and one for the release. Empty names send
/// nothing.
class InputBinding
{
public:
    void SetKeyDownMessage(const String& message) { m_keyDownMessage = message; }
    void SetKeyUpMessage(const String& message) { m_keyUpMessage = message; }
    const String& GetKeyDownMessage() const { return m_keyDownMessage; }
    const String& GetKeyUpMessage() const { return m_keyUpMessage; }

    /// Broadcast the bound name (if any) as a new Message without sender.
    void OnKeyDown();
    void OnKeyUp();

private:
    String m_keyDownMessage;
    String m_keyUpMessage;
};

/// Turns key presses into named messages. Key codes are GLFW 2 codes: printable keys are their
/// upper-case character, special keys count from 256. Main thread only.
class InputManager
{
public:
    static constexpr const char* kBindingsFile = "Config/input_bindings.ini";
    static constexpr int kUnknownKey = -1;

    /// Creates the manager and reads the bindings file on first use.
    static InputManager* GetInstance();
    /// Deletes the manager and every binding; the next GetInstance() starts afresh.
    static void Destroy();

    /// Tests make private instances; the engine only uses GetInstance().
    InputManager() = default;
    ~InputManager();
    InputManager(const InputManager&) = delete;
    InputManager& operator=(const InputManager&) = delete;

    /// Builds the key-name table, clears the controller flags and reads bindingsFile (relative
    /// to the working directory) in place of any earlier bindings. A file that cannot be read,
    /// or is no regular file, leaves the manager unbound; so does one beyond kMaxTextFileBytes,
    /// with an "ERROR:" line.
    void Initialize(const String& bindingsFile = kBindingsFile);
    void ClearControllerBindings();

    /// Binds keyName (case-insensitive) to message: "-Name" is the key-up message, "+Name" or
    /// "Name" the key-down message. Unknown key names and empty messages change nothing.
    void BindKey(const String& keyName, const String& message);

    /// The code of a key name in any case, or kUnknownKey.
    int GetHashFromKeyName(const String& keyName) const;
    /// The binding of a key code, or null.
    InputBinding* GetBinding(int keyCode) const;

    /// Sends the key's bound message. True when the key has a binding, even if it sent nothing.
    bool OnKeyDown(int key);
    bool OnKeyUp(int key);

    /// The live state of a printable key, in either case.
    bool IsKeyDown(char key) const;

private:
    void AddKeyName(const String& name, int code);
    void ReadBindings(const String& fileName);
    InputBinding* FindBinding(int key) const;

    std::unordered_map<String, int> m_keyNames;
    std::unordered_map<int, std::unique_ptr<InputBinding>> m_bindings;
    /// Per controller: button code -> whether it was down when last looked at.
    std::array<std::unordered_map<int, bool>, 2> m_controllerButtonWasDown;

    static InputManager* s_instance;
};
