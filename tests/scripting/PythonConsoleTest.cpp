// The Python console never waits on the terminal, even started from one that nobody types into.
#include "engine/console/Console.h"
#include "engine/util/StandardDescriptors.h"
#include "tests/scripting/ScriptTest.h"

#include <unistd.h>

namespace
{

using PythonConsoleTest = ScriptTest;

void Enter(Console* console, const String& line)
{
    for (char c : line)
        console->GetInput(c);
    console->AcceptCurrentInput();
}

} // namespace

TEST_F(PythonConsoleTest, InputRaisesHelpWritesIntoTheConsoleAndHelpWithoutTopicReturns)
{
    // Standard input becomes a pipe that never answers: a read of it would wait for ever, so
    // the alarm ends the test program instead.
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    const int input = dup(0);
    ASSERT_EQ(dup2(ends[0], 0), 0);
    alarm(60);
    Console* console = world->GetConsole();
    console->Enable(true);
    // Whatever an earlier test left typed or open in this console ends first.
    Enter(console, "");
    Enter(console, "");
    testing::internal::CaptureStdout();
    for (const char* line : {"input()", "help(len)", "help()", "print('after')"})
        Enter(console, line);
    const String terminal = testing::internal::GetCapturedStdout();
    alarm(0);
    console->Enable(false);
    dup2(input, 0);
    for (int fd : {input, ends[0], ends[1]})
        close(fd);

    const String shown = console->GetOutputText();
    EXPECT_NE(shown.find("EOFError: EOF when reading a line\n>>> help(len)\n"), String::npos)
        << shown;
    EXPECT_NE(shown.find("Help on built-in function len in module builtins:\n\nlen(obj, /)\n"),
              String::npos)
        << shown;
    EXPECT_NE(shown.find("You are now leaving help and returning to the Python interpreter."),
              String::npos)
        << shown;
    EXPECT_NE(shown.find(">>> print('after')\nafter\n"), String::npos) << shown;
    EXPECT_EQ(terminal.find("len(obj"), String::npos) << "help was written to the terminal";
}

// Below sys.stdin, descriptor 0 itself reads nothing: started from a terminal nobody types into
// (here a pipe held open that never answers), a read of it would otherwise wait for ever. The
// programs replace it first thing, before they open anything.
TEST(PythonConsoleStartTest, DescriptorZeroReadsNothingWhateverItWasAtStartUp)
{
    World* world = World::GetInstance();
    if (world->IsInitialized())
        GTEST_SKIP() << "needs a process of its own: descriptor 0 is replaced at start-up";
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    ASSERT_EQ(dup2(ends[0], 0), 0);
    close(ends[0]);
    ASSERT_TRUE(PrepareStandardDescriptors());
    ASSERT_TRUE(world->Initialize(1024, 768, "Tessaly Engine", false));
    alarm(30);
    Console* console = world->GetConsole();
    console->Enable(true);
    testing::internal::CaptureStdout();
    Enter(console, "import os, sys; print(repr(os.read(0, 1)), repr(sys.__stdin__.read()))");
    Enter(console, "print(repr(sys.stdin.read()))");
    testing::internal::GetCapturedStdout();
    alarm(0);
    console->Enable(false);
    close(ends[1]);

    const String shown = console->GetOutputText();
    EXPECT_NE(shown.find("\nb'' ''\n"), String::npos) << shown;
    EXPECT_NE(shown.find(">>> print(repr(sys.stdin.read()))\n''\n"), String::npos) << shown;
}
