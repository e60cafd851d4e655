// Needs an X display (run under Xvfb): opens the real window once and runs the real loop.
#include "engine/util/Color.h"
#include "engine/util/opengl/GL.h"
#include "engine/world/Renderable.h"
#include "engine/world/World.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>

#include <unistd.h>

namespace
{

/// The first line a shell command prints.
String FirstLine(const String& command)
{
    char line[256] = "";
    FILE* output = popen(command.c_str(), "r");
    if (output == nullptr || std::fgets(line, sizeof line, output) == nullptr)
        line[0] = '\0';
    if (output != nullptr)
        pclose(output);
    return String(line).substr(0, String(line).find('\n'));
}

/// Runs an action each frame from inside the loop.
struct FrameHook : Renderable
{
    explicit FrameHook(std::function<void(int)> action) : m_action(std::move(action)) {}
    void Update(float) override { m_action(++frames); }
    void Render() override {}
    int frames = 0;
    std::function<void(int)> m_action;
};

} // namespace

TEST(WindowTest, WindowClearColourAndCloseEndTheLoop)
{
    World* world = World::GetInstance();
    ASSERT_TRUE(world->Initialize(1024, 768, "Tessaly Engine", false));
    EXPECT_FALSE(world->Initialize(800, 600, "Again", false)) << "a second start is refused";
    const String find =
        "xdotool search --all --pid " + std::to_string(getpid()) + " --name '^Tessaly Engine$'";
    // Another test's window closing while xdotool walks the shared display's windows ends the
    // search with BadWindow: search again.
    String window;
    for (int attempt = 0; attempt < 5 && window.empty(); ++attempt)
        window = FirstLine(find);
    ASSERT_FALSE(window.empty()) << "no X window of ours carries the title";
    EXPECT_EQ(FirstLine("xdotool getwindowgeometry " + window + " | grep Geometry"),
              "  Geometry: 1024x768");

    world->SetBackgroundColor(Color(0.2f, 0.4f, 0.6f, 0.0f)); // alpha is ignored
    unsigned char pixel[4] = {0, 0, 0, 0};
    auto* hook = new FrameHook(
        [&](int frame)
        {
            if (frame == 2) // the loop cleared the back buffer before this tick
            {
                glReadBuffer(GL_BACK);
                glReadPixels(512, 384, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
            }
            if (frame == 5) // as a window manager asks
            {
                EXPECT_EQ(std::system((String(CLOSE_WINDOW) + " " + window).c_str()), 0);
            }
            if (frame >= 600)
                world->StopGame(); // never hang the suite if the close request is lost
        });
    world->Add(hook);

    world->StartGame(); // returns when the window is closed
    EXPECT_FALSE(world->IsRunning());
    EXPECT_TRUE(hook->frames >= 5 && hook->frames <= 7) << "the loop ran on after the close";
    EXPECT_TRUE(std::abs(pixel[0] - 51) <= 1 && std::abs(pixel[1] - 102) <= 1 &&
                std::abs(pixel[2] - 153) <= 1);
    EXPECT_TRUE(FirstLine(find).empty()) << "the window is still there";
    world->Destroy();
}
