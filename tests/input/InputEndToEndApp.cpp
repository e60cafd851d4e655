// The real world loop with a reporting game manager and mouse listener, for the end-to-end
// input test. Prints one line per observed event on standard output:
//   ready | message <name> | mouse down|up <x> <y> <button> | console open|closed
//   | console input <line> | console output <text> | key r down|up | stopped
#include "engine/console/Console.h"
#include "engine/input/InputManager.h"
#include "engine/input/MouseInput.h"
#include "engine/messaging/Message.h"
#include "engine/messaging/Switchboard.h"
#include "engine/world/GameManager.h"
#include "engine/world/World.h"

#include <cstdio>

namespace
{

void Report(const String& line)
{
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

class ReportingManager : public GameManager
{
public:
    ReportingManager()
    {
        for (const char* name : {"MoveForwards", "MoveBackwards", "Restart"})
            Switchboard::GetInstance()->SubscribeTo(this, name);
    }

    void ReceiveMessage(Message* message) override
    {
        Report("message " + message->GetMessageName());
    }

    void Update(float) override
    {
        // The first frame has been drawn and swapped: the window is up and taking input.
        if (++m_frames == 2)
            Report("ready");
        const bool rDown = InputManager::GetInstance()->IsKeyDown('r');
        if (rDown != m_rDown)
        {
            m_rDown = rDown;
            Report(m_rDown ? "key r down" : "key r up");
        }
        Console* console = World::GetInstance()->GetConsole();
        if (!console)
            return;
        if (console->IsOpen() != m_open)
        {
            m_open = console->IsOpen();
            Report(m_open ? "console open" : "console closed");
        }
        if (console->GetCurrentInput() != m_input)
        {
            m_input = console->GetCurrentInput();
            Report("console input " + m_input);
        }
        if (console->GetOutputText() != m_output)
        {
            m_output = console->GetOutputText();
            Report("console output " + m_output);
        }
    }

private:
    int m_frames = 0;
    bool m_open = false;
    bool m_rDown = false;
    String m_input;
    String m_output;
};

class ReportingMouse : public MouseListener
{
public:
    void MouseDownEvent(Vec2i at, MouseButtonInput button) override { Print("down", at, button); }
    void MouseUpEvent(Vec2i at, MouseButtonInput button) override { Print("up", at, button); }

private:
    static void Print(const char* what, Vec2i at, MouseButtonInput button)
    {
        char line[96];
        std::snprintf(line, sizeof(line), "mouse %s %d %d %d", what, at.X, at.Y, int(button));
        Report(line);
    }
};

} // namespace

int main()
{
    World* world = World::GetInstance();
    if (!world->Initialize(1024, 768, "Tessaly Engine", false))
        return 2;
    ReportingManager manager;
    ReportingMouse mouse;
    world->SetGameManager(&manager);
    world->StartGame();
    Report("stopped");
    world->Destroy();
    return 0;
}
