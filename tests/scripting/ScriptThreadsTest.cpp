// A script's threads (Python's `threading`) beside the main loop: none can freeze a frame, and
// each that waits for the interpreter gets a turn every frame. Also run under ThreadSanitizer.
#include "engine/actors/Actor.h"
#include "engine/actors/TextActor.h"
#include "engine/messaging/Message.h"
#include "engine/messaging/MessageListener.h"
#include "tests/scripting/ScriptTest.h"
#include "tests/support/Watchdog.h"

#include <algorithm>
#include <chrono>
#include <functional>
#include <thread>

namespace
{

using ScriptThreadsTest = ScriptTest;

/// Runs an action for each message of one name, as a screen does when it changes levels.
struct Handler : MessageListener
{
    Handler(const String& name, std::function<void()> action) : m_action(std::move(action))
    {
        Switchboard::GetInstance()->SubscribeTo(this, name);
    }
    ~Handler() { Switchboard::GetInstance()->UnsubscribeFromAll(this); }
    void ReceiveMessage(Message*) override { m_action(); }

private:
    std::function<void()> m_action;
};

// The thread calls into the engine every millisecond while the main thread's delivery pass runs
// Python, where the thread may take the interpreter: its call must not wait for the pass.
TEST_F(ScriptThreadsTest, NoThreadFreezesADeliveryPassThatRunsPython)
{
    struct Case
    {
        const char* what;
        const char* setUp; // defines call(), the thread's engine call, and pinged
    };
    const Case cases[] = {
        {"a Python handler of the message the thread broadcasts",
         "class Pinged(Actor):\n"
         "    def ReceiveMessage(self, message):\n"
         "        heard[0] += 1\n"
         "pinged = Pinged()\n"
         "Switchboard.GetInstance().SubscribeTo(pinged, 'Tick')\n"
         "Switchboard.GetInstance().SubscribeTo(pinged, 'Ping')\n"
         "call = lambda: Switchboard.GetInstance().Broadcast(Message('Ping'))\n"},
        {"Python run by an engine handler, a broadcast to nobody",
         "pinged = None\n"
         "call = lambda: Switchboard.GetInstance().Broadcast(Message('Nobody'))\n"},
        {"an engine call that broadcasts inside",
         "pinged = None\n"
         "call = lambda: Camera.ResizeCallback(1024, 768)\n"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        Python("import threading, time\n"
               "heard, calls, running = [0], [0], [True]\n");
        Python(c.setUp);
        Python("def calling():\n"
               "    while running[0]:\n"
               "        call()\n"
               "        calls[0] += 1\n"
               "        time.sleep(0.001)\n"
               "caller = threading.Thread(target=calling)\n"
               "caller.start()\n");
        ASSERT_EQ(errors, "");
        {
            // As a screen's level load runs Python on a key's message, which lets other
            // threads have the interpreter while it reads its file.
            Handler tick("Tick", [this]
                         { world->ScriptExec("for i in range(2000): pass\ntime.sleep(0.002)"); });
            Watchdog watchdog(60.0, String("frames with ") + c.what);
            for (int frame = 0; frame < 100; ++frame)
            {
                Switchboard::GetInstance()->Broadcast(new Message("Tick"));
                Frame();
            }
        }
        EXPECT_EQ(Python("running[0] = False\n"
                         "caller.join()\n"
                         "print(calls[0] > 10, pinged is None or heard[0] > 100)\n"
                         "pinged = None\n"),
                  "True True\n")
            << errors;
    }
}

// Frames of 10 ms of engine work that runs no Python: a thread that waits for the interpreter
// runs in each of them all the same (without its turn between frames, in none).
TEST_F(ScriptThreadsTest, AThreadThatWaitsForTheInterpreterRunsInEveryFrame)
{
    struct Case
    {
        const char* what;
        const char* pause; // defines pause(), run after each count
    };
    const Case cases[] = {
        {"a thread that counts without a pause", "pause = lambda: None\n"},
        {"a thread that counts and sleeps 1 ms", "pause = lambda: time.sleep(0.001)\n"},
    };
    world->Add(new DrawHook([] { std::this_thread::sleep_for(std::chrono::milliseconds(10)); }));
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        // The count is read from the actor's position, without running Python on this thread.
        Python("import threading, time\n"
               "running = [True]\n"
               "counter = Actor()\n"
               "World.GetInstance().Add(counter)\n");
        Python(c.pause);
        Python("def count():\n"
               "    n = 0\n"
               "    while running[0]:\n"
               "        n += 1\n"
               "        counter.SetPosition(n, 0)\n"
               "        pause()\n"
               "counting = threading.Thread(target=count)\n"
               "counting.start()\n");
        ASSERT_EQ(errors, "");
        Actor* counter = Actor::GetNamed(Python("print(counter.GetName(), end='')"));
        ASSERT_NE(counter, nullptr) << errors;
        int ran = 0;
        {
            Watchdog watchdog(60.0, String("frames beside ") + c.what);
            Frame(); // the thread may have begun waiting just now
            float last = counter->GetPosition().X;
            for (int frame = 0; frame < 30; ++frame)
            {
                Frame();
                ran += counter->GetPosition().X > last;
                last = counter->GetPosition().X;
            }
        }
        // A loaded machine may now and then schedule the thread too late for its turn.
        EXPECT_GE(ran, 24) << "frames of 30 in which the thread ran";
        Python("running[0] = False\n"
               "counting.join()\n");
    }
}

// Only the main thread has the window's GL context: a thread's sprite is refused with a line, and
// its text is measured and drawn by the main thread, with whole glyphs.
TEST_F(ScriptThreadsTest, WhatNeedsTheWindowsGLContextIsLeftToTheMainThread)
{
    Python("import threading\n"
           "def make():\n"
           "    global loaded, text\n"
           "    loaded = Actor().SetSprite('Resources/Images/anchor.png')\n"
           "    text = TextActor('Console', 'WM@#&', TXT_Center)\n"
           "    text.SetColor(0, 0, 0)\n"
           "    text.SetPosition(0, 3)\n"
           "    World.GetInstance().Add(text)\n"
           "maker = threading.Thread(target=make)\n"
           "maker.start()\n"
           "maker.join()\n");
    EXPECT_EQ(Python("print(loaded)"), "False\n") << errors;
    EXPECT_EQ(
        LogCapture::Get().Lines(),
        StringList{"ERROR: Image Resources/Images/anchor.png was not loaded: images load only "
                   "on the main thread, which has the window's GL context."});

    const Picture picture = Shoot();
    auto* text = dynamic_cast<TextActor*>(Actor::GetNamed(Python("print(text.GetName(), end='')")));
    ASSERT_NE(text, nullptr) << errors;
    ASSERT_EQ(text->GetLines().size(), 1u);
    EXPECT_GT(text->GetLines()[0].extents.X, 40.0f) << "measured by the main thread";
    // In the upper half of the window, where the text lies.
    Picture::Box ink;
    for (int y = 0; y < Picture::kHeight / 2; ++y)
        for (int x = 0; x < Picture::kWidth; ++x)
            if (picture.At(x, y).Is(0, 0, 0, 100))
            {
                ink.left = std::min(ink.left, x), ink.right = std::max(ink.right, x);
                ink.top = std::min(ink.top, y), ink.bottom = std::max(ink.bottom, y);
                ++ink.count;
            }
    EXPECT_GT(ink.count, 40) << "glyphs drawn";
    EXPECT_LT(ink.count, ink.width() * ink.height() / 2) << "glyphs, not filled boxes";
}

} // namespace
