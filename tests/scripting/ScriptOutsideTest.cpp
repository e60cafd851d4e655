// What reaches running scripts from outside the interpreter: an interrupt from another thread,
// and standard output and error whose reader has gone.
#include "engine/scripting/ScriptInterface.h"
#include "tests/scripting/ScriptTest.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <thread>

#include <unistd.h>

namespace
{

using ScriptOutsideTest = ScriptTest;
using Clock = std::chrono::steady_clock;

TEST_F(ScriptOutsideTest, AnInterruptFromAnotherThreadStopsPythonCodeUnlessItsConditionHolds)
{
    // Each runs long enough that an interrupt that does not arrive is plain, and ends by itself
    // so that a lost one fails the test instead of hanging it.
    const char* loop = "end = time.monotonic() + 3\nwhile time.monotonic() < end: pass\n";
    const char* sleep = "time.sleep(3)\n";
    std::atomic<bool> holds{true};
    std::atomic<bool> doesNotHold{false};
    const struct
    {
        const char* name;
        const char* code;
        const std::atomic<bool>* unless;
        bool interrupted;
    } cases[] = {
        {"a loop, no condition", loop, nullptr, true},
        {"a loop, a condition that does not hold", loop, &doesNotHold, true},
        {"a loop, a condition that holds", loop, &holds, false},
        {"a sleep, no condition", sleep, nullptr, true},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        std::thread interrupter(
            [&c]
            {
                std::this_thread::sleep_for(std::chrono::milliseconds(200));
                ScriptInterface::Interrupt(c.unless);
            });
        const Clock::time_point start = Clock::now();
        Python(String("import time\nran = False\n") + c.code + "ran = True\n");
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        interrupter.join();
        const String codeErrors = errors;
        const String ran = Python("print(ran)");
        if (c.interrupted)
        {
            EXPECT_NE(codeErrors.find("KeyboardInterrupt"), String::npos) << codeErrors;
            EXPECT_EQ(ran, "False\n");
            EXPECT_LT(seconds, 2.0);
        }
        else
        {
            EXPECT_EQ(codeErrors, "");
            EXPECT_EQ(ran, "True\n");
        }
        // Nothing is left pending for the next code.
        EXPECT_EQ(Python("print(1)"), "1\n");
        EXPECT_EQ(errors, "");
    }
}

TEST_F(ScriptOutsideTest, OutputToAPipeWhoseReaderHasGoneIsDroppedAndTheScriptGoesOn)
{
    const char* writes[] = {
        "print('lost')",
        "print('lost', file=sys.stderr)",
        "sys.stdout.write('lost' * 100000); sys.stdout.flush()",
        "sys.__stderr__.write('lost\\n')",
        "sys.__stdout__.buffer.write(b'lost')",
    };
    // The programs have SIGPIPE handled, so that such a write fails instead of ending them.
    const auto pipeBefore = std::signal(SIGPIPE, SIG_IGN);
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    close(ends[0]);
    for (const char* write : writes)
    {
        SCOPED_TRACE(write);
        Python("import sys\nwent_on = False\n");
        const int out = dup(STDOUT_FILENO);
        const int err = dup(STDERR_FILENO);
        dup2(ends[1], STDOUT_FILENO);
        dup2(ends[1], STDERR_FILENO);
        world->ScriptExec(String(write) + "\nwent_on = True\n");
        dup2(out, STDOUT_FILENO);
        dup2(err, STDERR_FILENO);
        close(out);
        close(err);
        EXPECT_EQ(Python("print(went_on)"), "True\n");
    }
    close(ends[1]);
    std::signal(SIGPIPE, pipeBefore);
}

} // namespace
