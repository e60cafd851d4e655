// End to end on a private X server: the real world loop sends X key presses and clicks to its
// own window with xdotool, one step at a time, and checks between frames that they reached the
// bindings, a mouse listener and the console. Exits 0 when the last Escape has ended the loop.
#include "engine/console/Console.h"
#include "engine/console/TestConsole.h"
#include "engine/input/MouseInput.h"
#include "engine/messaging/Message.h"
#include "engine/messaging/Switchboard.h"
#include "engine/world/GameManager.h"
#include "engine/world/World.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>

// Ending the loop terminates GLFW, which unloads the GL driver before the leak check would run;
// its blocks could then not be told apart from ours. The in-process tests check our allocations.
extern "C" int __lsan_is_turned_off()
{
    return 1;
}

namespace
{

StringList s_seen; ///< the names of the messages and "down|up <x> <y> <button>"

bool Seen(const String& what, int times = 1)
{
    return std::count(s_seen.begin(), s_seen.end(), what) == times;
}

Console* TheConsole()
{
    return World::GetInstance()->GetConsole();
}

// The game's bindings from Config/input_bindings.ini; a null check means the loop must end. The
// last but one Escape only closes the console, and the blank typed into it is no Space press.
const std::pair<const char*, std::function<bool()>> kSteps[] = {
    {"key space", [] { return Seen("MoveForwards"); }},
    {"key BackSpace", [] { return Seen("MoveBackwards"); }},
    {"key r", [] { return Seen("Restart"); }},
    {"search --name '^Tessaly Engine$' mousemove --window %1 120 45 click 3",
     [] { return Seen("down 120 45 2") && Seen("up 120 45 2"); }},
    {"key grave", [] { return TheConsole()->IsOpen(); }},
    {"type 'hi there'", [] { return TheConsole()->GetCurrentInput() == "hi there"; }},
    {"key Return", [] { return TheConsole()->GetOutputText() == "Test Console Echo: hi there"; }},
    {"key Escape", [] { return !TheConsole()->IsOpen() && Seen("MoveForwards"); }},
    {"key Escape", nullptr},
};

class ScriptedManager : public GameManager, public MouseListener
{
public:
    ScriptedManager()
    {
        for (const char* name : {"MoveForwards", "MoveBackwards", "Restart"})
            Switchboard::GetInstance()->SubscribeTo(this, name);
    }
    void ReceiveMessage(Message* message) override { s_seen.push_back(message->GetMessageName()); }
    void MouseDownEvent(Vec2i at, MouseButtonInput button) override { See("down", at, button); }
    void MouseUpEvent(Vec2i at, MouseButtonInput button) override { See("up", at, button); }

    void Update(float) override
    {
        // From the second frame on the first one has been swapped: the window takes input.
        if (++m_frames < 2 || lastSent)
            return;
        const auto& [command, reached] = kSteps[m_step];
        if (m_deadline == std::chrono::steady_clock::time_point())
        {
            m_deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
            lastSent = reached == nullptr;
            if (std::system(("xdotool " + String(command)).c_str()) != 0)
                Fail("xdotool failed");
        }
        if (reached && reached())
            ++m_step, m_deadline = {};
        else if (std::chrono::steady_clock::now() > m_deadline) // a guard against a hang only
            Fail("not reached");
    }

    bool lastSent = false;

private:
    static void See(const char* what, Vec2i at, int button)
    {
        s_seen.push_back(String(what) + " " + std::to_string(at.X) + " " + std::to_string(at.Y) +
                         " " + std::to_string(button));
    }
    void Fail(const char* what) const
    {
        std::fprintf(stderr, "step %zu (xdotool %s): %s; seen:\n", m_step, kSteps[m_step].first,
                     what);
        for (const String& line : s_seen)
            std::fprintf(stderr, "  %s\n", line.c_str());
        std::_Exit(1);
    }

    int m_frames = 0;
    size_t m_step = 0;
    std::chrono::steady_clock::time_point m_deadline;
};

} // namespace

int main()
{
    World* world = World::GetInstance();
    if (!world->Initialize(1024, 768, "Tessaly Engine", false) || !TheConsole())
        return 2;
    // The keys are checked against the echoing console, not the Python one of the start script.
    TestConsole echo;
    world->RegisterConsole(&echo);
    ScriptedManager manager;
    world->SetGameManager(&manager);
    world->StartGame();
    if (manager.lastSent)
        return 0;
    std::fprintf(stderr, "the loop ended before the last Escape\n");
    return 1;
}
