// End to end on a private X server: the real world loop sends X key presses and clicks to its
// own window with xdotool, one step at a time, and checks between frames that they reached the
// bindings, a mouse listener and the console. Exits 0 when the last Escape has ended the loop.
#include "engine/console/Console.h"
#include "engine/console/TestConsole.h"
#include "engine/input/InputManager.h"
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
#include <iterator>

// Ending the loop terminates GLFW, which unloads the GL driver before the leak check would run;
// its blocks could then not be told apart from ours. The in-process tests check our allocations.
extern "C" int __lsan_is_turned_off()
{
    return 1;
}

namespace
{

StringList s_seen; ///< "message <name>", "down|up <x> <y> <button>"

int Seen(const String& what)
{
    return static_cast<int>(std::count(s_seen.begin(), s_seen.end(), what));
}

Console* TheConsole()
{
    return World::GetInstance()->GetConsole();
}

struct Step
{
    const char* xdotool;
    std::function<bool()> reached; ///< null: the loop must end
};

// The game's bindings from Config/input_bindings.ini. The last but one Escape only closes the
// console, and the blank typed into it must not count as a Space press.
const Step kSteps[] = {
    {"key space", [] { return Seen("message MoveForwards") == 1; }},
    {"key minus", [] { return Seen("message MoveBackwards") == 1; }},
    {"key BackSpace", [] { return Seen("message MoveBackwards") == 2; }},
    {"keydown r", [] { return InputManager::GetInstance()->IsKeyDown('r'); }},
    {"keyup r",
     [] { return Seen("message Restart") == 1 && !InputManager::GetInstance()->IsKeyDown('r'); }},
    {"key a", [] { return Seen("message MoveForwards") == 2; }},
    {"search --name '^Tessaly Engine$' mousemove --window %1 120 45 click 3",
     [] { return Seen("down 120 45 2") == 1 && Seen("up 120 45 2") == 1; }},
    {"key grave", [] { return TheConsole()->IsOpen(); }},
    {"type 'hi there'", [] { return TheConsole()->GetCurrentInput() == "hi there"; }},
    {"key Return", [] { return TheConsole()->GetOutputText() == "Test Console Echo: hi there"; }},
    {"key Escape", [] { return !TheConsole()->IsOpen() && Seen("message MoveForwards") == 2; }},
    {"key Escape", nullptr},
};
constexpr size_t kLastStep = std::size(kSteps) - 1;

class ScriptedManager : public GameManager, public MouseListener
{
public:
    ScriptedManager()
    {
        for (const char* name : {"MoveForwards", "MoveBackwards", "Restart"})
            Switchboard::GetInstance()->SubscribeTo(this, name);
    }

    void ReceiveMessage(Message* message) override
    {
        s_seen.push_back("message " + message->GetMessageName());
    }
    void MouseDownEvent(Vec2i at, MouseButtonInput button) override { See("down", at, button); }
    void MouseUpEvent(Vec2i at, MouseButtonInput button) override { See("up", at, button); }

    void Update(float) override
    {
        // From the second frame on the first one has been swapped: the window takes input.
        if (++m_frames < 2 || m_step > kLastStep)
            return;
        const Step& step = kSteps[m_step];
        const auto now = std::chrono::steady_clock::now();
        if (!m_sent)
        {
            m_sent = true;
            m_deadline = now + std::chrono::seconds(10);
            if (std::system(("xdotool " + String(step.xdotool)).c_str()) != 0)
                Fail("xdotool failed");
        }
        if (step.reached && step.reached())
        {
            ++m_step;
            m_sent = false;
        }
        else if (now > m_deadline)
            Fail(step.reached ? "not reached" : "the loop did not end");
    }

    bool LastStepSent() const { return m_step == kLastStep && m_sent; }

private:
    static void See(const char* what, Vec2i at, int button)
    {
        s_seen.push_back(String(what) + " " + std::to_string(at.X) + " " + std::to_string(at.Y) +
                         " " + std::to_string(button));
    }

    void Fail(const char* what) const
    {
        std::fprintf(stderr, "step %zu (xdotool %s): %s; seen:\n", m_step, kSteps[m_step].xdotool,
                     what);
        for (const String& line : s_seen)
            std::fprintf(stderr, "  %s\n", line.c_str());
        std::_Exit(1);
    }

    int m_frames = 0;
    size_t m_step = 0;
    bool m_sent = false;
    std::chrono::steady_clock::time_point m_deadline;
};

} // namespace

int main()
{
    World* world = World::GetInstance();
    if (!world->Initialize(1024, 768, "Tessaly Engine", false) || !world->GetConsole())
        return 2;
    // The keys are checked against the echoing console, not the Python one of the start script.
    TestConsole echo;
    world->RegisterConsole(&echo);
    ScriptedManager manager;
    world->SetGameManager(&manager);
    world->StartGame();
    if (manager.LastStepSent())
        return 0;
    std::fprintf(stderr, "the loop ended before the last Escape\n");
    return 1;
}
