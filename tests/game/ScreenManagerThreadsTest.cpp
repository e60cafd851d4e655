// The game's manager beside the other threads: its client's receive thread, which turns touches
// into messages from the moment the manager is made, and a script's thread that changes screens.
// Needs an X display; also run under ThreadSanitizer.
#include "tests/game/GameTestSupport.h"
#include "tests/support/MessageRecorder.h"
#include "tests/support/Watchdog.h"

#include <chrono>
#include <thread>

namespace
{

using ScreenManagerThreadsTest = ScreenTest;

// The first touch calls the manager on the receive thread: the manager must be made whole by
// then (a constructor still running would be writing what that call reads).
TEST_F(ScreenManagerThreadsTest, TheFirstTouchesReachAManagerJustMade)
{
    MessageRecorder heard({kDown, kMove, kUp});
    touches = std::make_unique<TuioTest::ConnectedClient>();
    // The manager is the only listener: nothing passes between the threads after it is made
    // but what the touches send.
    touches->client->removeTuioListener(&touches->listener);
    manager = std::make_unique<TestManager>(touches->client.get(), &QuorvelManager::MakeScreens);
    StringList received;
    auto deliverUntil = [&](const String& last)
    {
        for (int wait = 0; wait < 5000 && (received.empty() || received.back() != last); ++wait)
        {
            for (const String& name : heard.Deliver())
                received.push_back(name);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    };
    TuioTest::SendTo(touches->port, TuioTest::CursorBundle({1}, {{1, 0.5f, 0.5f}}, 1));
    deliverUntil(kDown);
    // Slid off the left edge (no message) and lifted there.
    TuioTest::SendTo(touches->port, TuioTest::CursorBundle({1}, {{1, 0.0f, 0.5f}}, 2));
    TuioTest::SendTo(touches->port, TuioTest::CursorBundle({}, {}, 3));
    deliverUntil(kUp);
    EXPECT_EQ(received, (StringList{kDown, kUp}));
}

// A script's thread that asks the manager itself for screen changes (its own call, not a
// message) runs each change on its thread; one it asks for while the main thread's change loads
// its level, or the main thread while its change loads, waits: no frame waits for ever, and one
// screen runs, alone in the World.
TEST_F(ScreenManagerThreadsTest, ScreenChangesAskedForOnAScriptsThreadNeitherFreezeNorNest)
{
    StartManager();
    world->ScriptExec("import threading, time\n"
                      "running = [True]\n"
                      "def ask():\n"
                      "    while running[0]:\n"
                      "        for each in Switchboard.GetInstance().GetSubscribersTo('Restart'):\n"
                      "            each.ReceiveMessage(Message('Restart'))\n"
                      "        time.sleep(0.001)\n"
                      "asker = threading.Thread(target=ask)\n"
                      "asker.start()\n");
    {
        Watchdog watchdog(120.0, "screen changes beside a thread that changes screens");
        testing::internal::CaptureStdout(); // "restarting"
        for (int frame = 0; frame < 60; ++frame)
            Tick({frame % 4 == 3 ? "MoveBackwards" : "MoveForwards"});
        world->ScriptExec("running[0] = False\n"
                          "asker.join()\n");
        Tick();
        Tick();
        testing::internal::GetCapturedStdout();
    }
    EXPECT_EQ(ScreensInWorld(),
              std::vector<Renderable*>{manager->GetScreens()[manager->GetCurrentScreenIndex()]});
}

} // namespace
