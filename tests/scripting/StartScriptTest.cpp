// Reading and running the start script. Needs an X display: the interpreter runs in the engine's
// world, as in ScriptTest.
#include "engine/scripting/StartScript.h"
#include "engine/util/DataFile.h"
#include "tests/scripting/ScriptTest.h"
#include "tests/support/NotAFile.h"
#include "tests/support/TempDir.h"

#include <fstream>

#include <unistd.h>

namespace
{

using StartScriptTest = ScriptTest;

} // namespace

TEST_F(StartScriptTest, AScriptThatIsNoFileIsMissingAndOneUnreadableOrTooLargeSaysWhy)
{
    TempDir dir;
    const String path = dir.File("start.py");
    LogCapture& log = LogCapture::Get();
    log.Clear();
    String source = "kept";
    // No pipe is waited on and no device read.
    for (const char* kind : kNotAFileKinds)
    {
        NotAFile thing(kind, path);
        ASSERT_TRUE(thing.Made()) << kind;
        EXPECT_FALSE(ReadStartScript(path, source)) << kind;
        EXPECT_EQ(log.Take(), StringList{"Error initializing Python: couldn't find startup file."})
            << kind;
        EXPECT_FALSE(thing.Waited()) << kind;
    }
    // There, but not to be opened: the reason, not "couldn't find".
    const String longName = dir.File(String(300, 'x') + ".py");
    EXPECT_FALSE(ReadStartScript(longName, source));
    EXPECT_EQ(log.Take(),
              StringList{"ERROR: Error initializing Python: couldn't read startup file " +
                         longName + ": File name too long."});
    // Sparse: it takes no room.
    std::ofstream(path).close();
    ASSERT_EQ(truncate(path.c_str(), kMaxTextFileBytes + 1), 0);
    EXPECT_FALSE(ReadStartScript(path, source));
    EXPECT_EQ(log.Take(), StringList{"ERROR: Error initializing Python: startup file " + path +
                                     " is larger than 16777216 bytes."});
    EXPECT_EQ(source, "kept");

    std::ofstream(path) << "started = True\n";
    EXPECT_TRUE(ReadStartScript(path, source));
    EXPECT_EQ(source, "started = True\n");
    EXPECT_TRUE(log.Take().empty());
}

TEST_F(StartScriptTest, TheScriptRunsAsPythonRunsAFile)
{
    // Its encoding declaration counts; __file__ names it while it runs and is gone after.
    const String latin1 = "# -*- coding: latin-1 -*-\nseen = ('\xe4', __file__)\n";
    RunStartScript("./Resources/Scripts/start.py", latin1);
    EXPECT_EQ(Python("print(seen == ('\\u00e4', './Resources/Scripts/start.py'), "
                     "'__file__' in globals())\n"),
              "True False\n");

    // A NUL or a syntax error is an error printed with where it is; nothing after it runs, and
    // the engine goes on.
    const std::pair<String, String> broken[] = {
        {String("ran = 1\0ran = 2\n", 16), "null bytes"},
        {"ran = 3\nran = (\n", "SyntaxError"},
        {"ran = 4\nraise ValueError('in the script')\nran = 5\n", "ValueError: in the script"},
    };
    for (const auto& [source, error] : broken)
    {
        Python("ran = 0\n");
        testing::internal::CaptureStderr();
        RunStartScript("./Resources/Scripts/start.py", source);
        const String printed = testing::internal::GetCapturedStderr();
        EXPECT_NE(printed.find(error), String::npos) << printed;
        EXPECT_EQ(Python("print(ran)\n"), error == "ValueError: in the script" ? "4\n" : "0\n")
            << error;
    }
}
