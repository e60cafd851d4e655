// The Python console's completions, asked at every key typed, against what a paste or a script
// leaves behind: overlong names, objects whose attributes raise, huge namespaces. The watchdog
// ends the test program should a completion freeze it again.
#include "engine/console/Console.h"
#include "tests/scripting/ScriptTest.h"

#include <unistd.h>

namespace
{

class ConsoleCompletionTest : public ScriptTest
{
protected:
    void TearDown() override
    {
        Python("for name in [n for n in globals() if not isinstance(n, str) or n[:1] == 'w' and "
               "n[1:].isdigit()]:\n"
               "    del globals()[name]\n"
               "del Raising, raising, NoDir, nodir\n");
        ScriptTest::TearDown();
    }
    /// The console's completions of line; its standard error goes to `errors`.
    StringList Complete(const String& line)
    {
        testing::internal::CaptureStderr();
        StringList found = world->GetConsole()->GetCompletions(line);
        errors = testing::internal::GetCapturedStderr();
        return found;
    }
};

} // namespace

TEST_F(ConsoleCompletionTest, LongLinesRaisingAttributesAndHugeNamespacesCompleteQuietlyAtOnce)
{
    Python("class Raising:\n"
           "    @property\n"
           "    def bad(self): raise RuntimeError('no')\n"
           "    def __getattr__(self, name): raise ValueError(name)\n"
           "class NoDir:\n"
           "    def __dir__(self): raise RuntimeError('no dir')\n"
           "raising, nodir = Raising(), NoDir()\n");
    ASSERT_TRUE(errors.empty()) << errors;

    alarm(120);
    // A pasted name of 200,000 characters, then a bracket: each key after it searched the name
    // from every position it holds.
    const String pasted = String(200000, 'a') + "(";
    EXPECT_EQ(Complete(pasted + "pri"), StringList{pasted + "print"});
    EXPECT_EQ(Complete(pasted + "1.5"), StringList{}) << "a number is no name";
    alarm(0);
    EXPECT_EQ(Complete("x = 1 + 2.real_"), StringList{});
    EXPECT_EQ(Complete("str.upp"), StringList{"str.upper"});

    // Looking up an attribute that raises, or a dir() that raises, offers nothing, quietly: the
    // console asks again at every key.
    for (const char* line : {"raising.bad.", "raising.missing.x", "print(nodir.q", "nodir.__c"})
    {
        EXPECT_EQ(Complete(line), StringList{}) << line;
        EXPECT_EQ(errors, "") << line;
    }
    EXPECT_EQ(Complete("raising.ba"), StringList{"raising.bad"}) << "nothing called to list it";

    // A namespace of a million names, one of them no string.
    Python("globals().update(('w%d' % i, i) for i in range(1000000))\nglobals()[7] = 7\n");
    alarm(120);
    EXPECT_EQ(Complete("pri"), StringList{"print"});
    EXPECT_EQ(errors, "");
    const StringList found = Complete("w99999");
    alarm(0);
    ASSERT_EQ(found.size(), 11u);
    EXPECT_EQ(found.front(), "w99999");
    EXPECT_EQ(found.back(), "w999999");
}
