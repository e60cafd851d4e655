// The interpreter's life: each test needs a process of its own (ctest runs every test alone).
#include "engine/actors/TextActor.h"
#include "engine/console/TestConsole.h"
#include "engine/messaging/Switchboard.h"
#include "engine/scripting/ScriptInterface.h"
#include "engine/world/World.h"
#include "engine/world/glfw2/Glfw2.h"
#include "tests/support/LogCapture.h"
#include "tests/support/TempDir.h"
#include "tests/support/Watchdog.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include <pthread.h>
#include <signal.h>

namespace
{
/// Set by a test whose script's thread Python cuts short: unwound without Python's own clean-up,
/// it leaves behind what it was running (its parsed statement, its frames), as any thread cut
/// short does.
bool g_threadCutShort = false;
} // namespace

/// The leak check at exit is off for the process of such a test.
extern "C" int __lsan_is_turned_off()
{
    return g_threadCutShort ? 1 : 0;
}

namespace
{

bool FirstStartInThisProcess()
{
    static int starts = 0;
    return starts++ == 0;
}

TEST(ScriptHostTest, WithoutTheStartScriptStatementsAreIgnoredAndOnlyLogged)
{
    if (!FirstStartInThisProcess())
        GTEST_SKIP() << "needs a process of its own";
    TempDir dir;
    const std::filesystem::path root = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path());
    LogCapture::Get().Clear();

    ScriptInterface::Initialize();
    EXPECT_FALSE(ScriptInterface::IsInitialized());
    World::GetInstance()->ScriptExec("open('ran', 'w')");
    World::GetInstance()->LoadLevel("sheeps_level1");
    EXPECT_EQ(Actor::Create("sheep"), nullptr);
    EXPECT_FALSE(std::filesystem::exists("ran"));
    EXPECT_EQ(LogCapture::Get().Lines(),
              (StringList{"Error initializing Python: couldn't find startup file.",
                          "ERROR: Script failed to create Actor with archetype sheep. "}));
    std::filesystem::current_path(root);
}

// Needs a display. Under AddressSanitizer: nothing with a Python half outlives the interpreter.
TEST(ScriptHostTest, ShutDownDeletesPythonActorsAndConsolesBeforeTheInterpreter)
{
    if (!FirstStartInThisProcess())
        GTEST_SKIP() << "needs a process of its own";
    World* world = World::GetInstance();
    ASSERT_TRUE(world->Initialize(1024, 768, "Tessaly Engine", false));
    ASSERT_TRUE(ScriptInterface::IsInitialized());
    ASSERT_EQ(dynamic_cast<TestConsole*>(world->GetConsole()), nullptr) << "a Python console";
    world->ScriptExec("class Walker(Actor):\n"
                      "    def Update(self, dt): pass\n"
                      "kept = Walker()\n"
                      "World.GetInstance().Add(kept)\n"
                      "World.GetInstance().Add(Walker(), 3)\n"
                      "World.GetInstance().Add(TextActor(), 3)\n");

    world->Destroy();
    EXPECT_FALSE(ScriptInterface::IsInitialized());
    EXPECT_NE(dynamic_cast<TestConsole*>(world->GetConsole()), nullptr);
    // The text actor has no Python half and stays, alone.
    ASSERT_NE(dynamic_cast<TextActor*>(*world->GetRenderablesBegin()), nullptr);
    EXPECT_TRUE(++world->GetRenderablesBegin() == world->GetRenderablesEnd());
    world->UnloadAll();
}

// Needs a display. Deleting a Python actor at shut-down runs Python, where a script's thread may
// take the interpreter and unload the World: the actors it deletes are not deleted again.
TEST(ScriptHostTest, ShutDownDeletesPythonActorsThatAThreadDeletesMeanwhileOnce)
{
    if (!FirstStartInThisProcess())
        GTEST_SKIP() << "needs a process of its own";
    World* world = World::GetInstance();
    ASSERT_TRUE(world->Initialize(1024, 768, "Tessaly Engine", false));
    world->ScriptExec("import threading\n"
                      "first, unloaded = threading.Event(), threading.Event()\n"
                      "class Walker(Actor):\n"
                      "    def __del__(self):\n"
                      "        if not first.is_set():\n"
                      "            first.set()\n"
                      "            unloaded.wait(10)\n"
                      "def unload():\n"
                      "    first.wait()\n"
                      "    World.GetInstance().ResetWorld()\n"
                      "    unloaded.set()\n"
                      "for layer in (0, 3, 3):\n"
                      "    World.GetInstance().Add(Walker(), layer)\n"
                      "threading.Thread(target=unload, daemon=True).start()\n");
    const unsigned long deletions = Renderable::GetDeletionCount();

    Watchdog watchdog(60.0, "the shut-down, beside a thread that unloads the World");
    world->Destroy();
    EXPECT_FALSE(ScriptInterface::IsInitialized());
    EXPECT_EQ(Renderable::GetDeletionCount() - deletions, 3u);
    EXPECT_TRUE(world->GetRenderablesBegin() == world->GetRenderablesEnd());
}

// Needs a display. A script's daemon thread inside an engine call that runs Python (a handler
// called directly, a level load) when Python ends is ended by Python, which unwinds it through
// the engine: the program ends all the same.
TEST(ScriptHostTest, ADaemonThreadInsideAnEngineCallEndsWithPython)
{
    if (!FirstStartInThisProcess())
        GTEST_SKIP() << "needs a process of its own";
    World* world = World::GetInstance();
    ASSERT_TRUE(world->Initialize(1024, 768, "Tessaly Engine", false));
    struct Napping : Actor
    {
        Napping() { Switchboard::GetInstance()->SubscribeTo(this, "Nap"); }
        void ReceiveMessage(Message*) override
        {
            World::GetInstance()->ScriptExec("napping.set()\ntime.sleep(0.5)\n");
        }
    } napping;
    world->ScriptExec("import threading, time\n"
                      "napping = threading.Event()\n"
                      "def nap():\n"
                      "    for each in Switchboard.GetInstance().GetSubscribersTo('Nap'):\n"
                      "        each.ReceiveMessage(Message('Nap'))\n"
                      "threading.Thread(target=nap, daemon=True).start()\n"
                      "napping.wait(10)\n");

    Watchdog watchdog(60.0, "the shut-down, beside a thread inside an engine call");
    g_threadCutShort = true;
    world->Destroy();
    EXPECT_FALSE(ScriptInterface::IsInitialized());
    // The thread wakes to find Python ended, and is ended.
    std::this_thread::sleep_for(std::chrono::seconds(1));
}

// Needs a display. A script's thread that never ends does not keep the program from ending; one
// that ends soon is waited for.
TEST(ScriptHostTest, ShutDownWaitsOnlyBrieflyForTheScriptsThreads)
{
    if (!FirstStartInThisProcess())
        GTEST_SKIP() << "needs a process of its own";
    World* world = World::GetInstance();
    ASSERT_TRUE(world->Initialize(1024, 768, "Tessaly Engine", false));
    ASSERT_TRUE(ScriptInterface::IsInitialized());
    TempDir dir;
    const std::filesystem::path done = std::filesystem::path(dir.Path()) / "done";
    // Asleep for the rest of the run, the thread keeps what it holds in reach of the leak check.
    world->ScriptExec("import threading, time\n"
                      "def briefly():\n"
                      "    time.sleep(0.2)\n"
                      "    open('" +
                      done.string() +
                      "', 'w').close()\n"
                      "threading.Thread(target=time.sleep, args=(3600,)).start()\n"
                      "threading.Thread(target=briefly).start()\n");

    Watchdog watchdog(60.0, "the shut-down, beside a thread that never ends");
    const auto start = std::chrono::steady_clock::now();
    world->Destroy();
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    EXPECT_FALSE(ScriptInterface::IsInitialized());
    EXPECT_TRUE(std::filesystem::exists(done)) << "the thread that ended soon was cut short";
    EXPECT_LT(took.count(), ScriptInterface::kThreadGraceSeconds + 10.0);
}

// Needs a display. The real main loop, whose frames run no Python: a script's thread gets its
// turn, and its StopGame ends the loop and closes the window on the main thread.
TEST(ScriptHostTest, AThreadsStopGameEndsTheMainLoop)
{
    if (!FirstStartInThisProcess())
        GTEST_SKIP() << "needs a process of its own";
    World* world = World::GetInstance();
    ASSERT_TRUE(world->Initialize(1024, 768, "Tessaly Engine", false));
    world->ScriptExec("import threading, time\n"
                      "def stop():\n"
                      "    time.sleep(0.2)\n"
                      "    World.GetInstance().StopGame()\n"
                      "threading.Thread(target=stop).start()\n");

    Watchdog watchdog(60.0, "the main loop, beside a thread that stops the game");
    world->StartGame();
    EXPECT_FALSE(glfw2::IsWindowOpen());
    world->Destroy();
}

// Needs a display. Whoever started the program may have passed on a mask that blocks the
// signal the interrupt rides on: Python code that keeps the main thread is interrupted all the
// same.
TEST(ScriptHostTest, AnInterruptReachesPythonWhateverSignalsWereBlockedAtStart)
{
    if (!FirstStartInThisProcess())
        GTEST_SKIP() << "needs a process of its own";
    sigset_t all;
    sigfillset(&all);
    ASSERT_EQ(pthread_sigmask(SIG_BLOCK, &all, nullptr), 0);
    World* world = World::GetInstance();
    ASSERT_TRUE(world->Initialize(1024, 768, "Tessaly Engine", false));
    ASSERT_TRUE(ScriptInterface::IsInitialized());

    // The loop ends by itself, so that a lost interrupt fails the test instead of hanging it.
    std::thread interrupter(
        []
        {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            ScriptInterface::Interrupt();
        });
    const auto start = std::chrono::steady_clock::now();
    testing::internal::CaptureStderr();
    world->ScriptExec("import time\nend = time.monotonic() + 5\n"
                      "while time.monotonic() < end: pass\n");
    const String printed = testing::internal::GetCapturedStderr();
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    interrupter.join();
    EXPECT_NE(printed.find("KeyboardInterrupt"), String::npos) << printed;
    EXPECT_LT(took.count(), 3.0) << "the loop ran on";
    world->Destroy();
}

} // namespace
