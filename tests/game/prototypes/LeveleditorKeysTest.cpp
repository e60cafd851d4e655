// Run on a private X server (see CMakeLists.txt): held keys reach only the focused window.
#include "engine/input/InputManager.h"
#include "engine/world/Camera.h"
#include "game/prototypes/TuioScreenLeveleditorSheeps.h"
#include "tests/game/prototypes/DragScreenFixture.h"

#include <unistd.h>

#include <cstdlib>
#include <string>

namespace
{

using LeveleditorKeysTest = DragScreenFixture;

/// Holds keys down in this process's window (xdotool sends them to it directly).
bool Keys(const char* action, const char* keys)
{
    const std::string command = "xdotool search --pid " + std::to_string(getpid()) +
                                " --name '^Tessaly Engine$' " + action + " --window %1 " + keys;
    return std::system(command.c_str()) == 0;
}

TEST_F(LeveleditorKeysTest, WAndDHeldTogetherPanTheCameraByOneUnitEachPerFrame)
{
    StartScreen<TuioScreenLeveleditorSheeps>("");
    ASSERT_TRUE(Keys("keydown", "w d"));
    for (int i = 0; i < 500 && !InputManager::GetInstance()->IsKeyDown('d'); ++i)
        Frame(); // the buffer swap reads the window's events
    Camera* camera = Camera::GetInstance();
    const Vector2 before = camera->GetPosition();
    Frames(3);
    EXPECT_EQ(camera->GetPosition(), before + Vector2(3.0f, 3.0f));
    ASSERT_TRUE(Keys("keyup", "w d"));
    screen->Stop();
    EXPECT_EQ(camera->GetPosition(), Vector2(0.0f, 0.0f)) << "the next screen sees the old view";
}

} // namespace
