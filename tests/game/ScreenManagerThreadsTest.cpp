// The game's manager beside the other threads: its client's receive thread, which turns touches
// into messages from the moment the manager is made, and a script's thread, which calls into the
// engine while the screens change. Needs an X display; also run under ThreadSanitizer.
#include "game/TuioScreenSheeps.h"
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

// Screens change (each herding level loads its level in Python) while a script's thread calls
// into the engine and touches come in: nothing waits for ever, and every call lands.
TEST_F(ScreenManagerThreadsTest, ScreensChangeBesideAScriptsThreadAndTouches)
{
    MessageRecorder heard({kDown});
    StartManager();
    world->ScriptExec(
        "import threading, time\n"
        "running, calls = [True], [0]\n"
        "def call():\n"
        "    while running[0]:\n"
        "        Switchboard.GetInstance().Broadcast(Message('Nobody'))\n"
        "        for actor in TagCollection.GetInstance().GetObjectsTagged('levelactor'):\n"
        "            actor.GetPosition()\n"
        "        mine = Actor()\n"
        "        World.GetInstance().Add(mine)\n"
        "        mine.Destroy()\n"
        "        calls[0] += 1\n"
        "        time.sleep(0.001)\n"
        "caller = threading.Thread(target=call)\n"
        "caller.start()\n");
    const char* const keys[] = {"MoveForwards",  "MoveForwards", "Restart",
                                "MoveBackwards", "MoveForwards", "MoveForwards"};
    {
        Watchdog watchdog(120.0, "screen changes beside a script's thread and touches");
        int session = 1;
        for (const char* key : keys)
        {
            Tick({key});
            for (int frame = 0; frame < 5; ++frame)
            {
                EXPECT_TRUE(Send({session}, {{session, 0.2f * frame + 0.1f, 0.5f}}));
                EXPECT_TRUE(Send({}, {}));
                ++session;
                Tick();
            }
        }
    }
    EXPECT_EQ(heard.received.size(), 30u);
    EXPECT_EQ(manager->GetCurrentScreenIndex(), 3);
    EXPECT_NE(Running<TuioScreenSheeps>(), nullptr);
    testing::internal::CaptureStdout();
    world->ScriptExec("running[0] = False\n"
                      "caller.join()\n"
                      "print(calls[0] > 0)\n");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "True\n");
}

// A script's thread that asks the manager itself for screen changes (its own call, not a
// message) runs each change on its thread; one it asks for while the main thread's change loads
// its level, or the main thread while its change loads, waits: no frame waits for ever, and one
// screen runs, alone in the World.
TEST_F(ScreenManagerThreadsTest, ScreenChangesAskedForOnAScriptsThreadNeitherFreezeNorNest)
{
    StartManager();
    world->ScriptExec("import threading, time\n"
                      "running, asked = [True], [0]\n"
                      "def ask():\n"
                      "    while running[0]:\n"
                      "        for each in Switchboard.GetInstance().GetSubscribersTo('Restart'):\n"
                      "            each.ReceiveMessage(Message('Restart'))\n"
                      "        asked[0] += 1\n"
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
    std::vector<Renderable*> screens;
    for (auto it = world->GetRenderablesBegin(); it != world->GetRenderablesEnd(); ++it)
        if (dynamic_cast<TuioScreen*>(*it) != nullptr)
            screens.push_back(*it);
    EXPECT_EQ(screens,
              std::vector<Renderable*>{manager->GetScreens()[manager->GetCurrentScreenIndex()]});
}

} // namespace
