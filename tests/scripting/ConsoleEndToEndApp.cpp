// The program's console runs Python, end to end on a private X server: the real world loop
// types into its own window with xdotool, one step at a time, and checks between frames that
// a typed line took effect on screen. Exits 0 when the last Escape has ended the loop.
#include "engine/console/Console.h"
#include "engine/util/opengl/GL.h"
#include "engine/world/GameManager.h"
#include "engine/world/World.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <iterator>

// Ending the loop terminates GLFW, which unloads the GL driver before the leak check would run;
// the in-process tests check the interpreter's shut-down.
extern "C" int __lsan_is_turned_off()
{
    return 1;
}

namespace
{

unsigned char s_pixel[4]; ///< below the console, read back at every frame

Console* TheConsole()
{
    return World::GetInstance()->GetConsole();
}

struct Step
{
    const char* xdotool;
    std::function<bool()> reached; ///< null: the loop must end
};

const String kBlue = "World.GetInstance().SetBackgroundColor([0, 0, 1])";

const Step kSteps[] = {
    {"key grave", [] { return TheConsole()->IsOpen() && TheConsole()->GetPrompt() == ">>> "; }},
    {"type 'World.GetInstance().SetBackgroundColor([0, 0, 1])'",
     [] { return TheConsole()->GetCurrentInput() == kBlue; }},
    {"key Return", [] { return s_pixel[0] == 0 && s_pixel[1] == 0 && s_pixel[2] == 255; }},
    {"key Escape", [] { return !TheConsole()->IsOpen(); }},
    {"key Escape", nullptr},
};
constexpr size_t kLastStep = std::size(kSteps) - 1;

class Driver : public GameManager
{
public:
    void Update(float) override
    {
        // From the second frame on the first one has been swapped: the window takes input.
        if (++m_frames < 2 || m_step > kLastStep)
            return;
        const auto now = std::chrono::steady_clock::now();
        if (!m_sent)
        {
            m_sent = true;
            m_deadline = now + std::chrono::seconds(10);
            if (std::system(("xdotool " + String(kSteps[m_step].xdotool)).c_str()) != 0)
                Fail("xdotool failed");
        }
        if (kSteps[m_step].reached && kSteps[m_step].reached())
        {
            ++m_step;
            m_sent = false;
        }
        else if (now > m_deadline)
            Fail(kSteps[m_step].reached ? "not reached" : "the loop did not end");
    }

    void Render() override
    {
        glReadBuffer(GL_BACK);
        glReadPixels(512, 50, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, s_pixel);
    }

    bool LastStepSent() const { return m_step == kLastStep && m_sent; }

private:
    void Fail(const char* what) const
    {
        std::fprintf(stderr, "step %zu (xdotool %s): %s; console output:\n%s\n", m_step,
                     kSteps[m_step].xdotool, what, TheConsole()->GetOutputText().c_str());
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
    Driver driver;
    world->SetGameManager(&driver);
    world->StartGame();
    world->Destroy();
    if (driver.LastStepSent())
        return 0;
    std::fprintf(stderr, "the loop ended before the last Escape\n");
    return 1;
}
