// Python's own reading of source files: modules, their cached bytecode and the lines a traceback
// quotes. Needs an X display, as ScriptTest.
#include "tests/scripting/ScriptTest.h"
#include "tests/support/NotAFile.h"
#include "tests/support/TempDir.h"
#include "tests/support/Watchdog.h"

#include <filesystem>
#include <fstream>

namespace
{

using ScriptSourceFilesTest = ScriptTest;

} // namespace

TEST_F(ScriptSourceFilesTest, ACacheOrSourceThatIsNoFileIsMissingAndNeverWaitedOnOrReadEndlessly)
{
    // A device read endlessly would take all memory before a time limit; a pipe is freed after
    // a few seconds by NotAFile, and would be seen to have been waited on.
    Watchdog watchdog(120.0, "a module or traceback reading a pipe or device");
    TempDir dir;
    std::filesystem::create_directory(dir.File("__pycache__"));
    Python("import sys\nsys.path.insert(0, '" + dir.Path() + "')\n");
    const String cacheTag = Python("print(sys.implementation.cache_tag, end='')\n");
    ASSERT_FALSE(cacheTag.empty());

    // The traceback of a call into the module, its files looked at afresh.
    const auto traceback = [this](const String& module)
    {
        return Python("import linecache, traceback\nlinecache.checkcache()\ntry:\n    " + module +
                      ".fail()\nexcept ValueError:\n    print(traceback.format_exc())\n");
    };
    int number = 0;
    for (const char* kind : kNotAFileKinds)
    {
        // A fresh module for each kind: an imported one is not read again.
        const String module = "sourced" + std::to_string(++number);
        std::ofstream(dir.File(module + ".py")) << "value = 'from the source'\n"
                                                   "def fail():\n"
                                                   "    raise ValueError('raised in the module')\n";
        {
            // The import falls back to the source.
            NotAFile cache(kind, dir.File("__pycache__/" + module + "." + cacheTag + ".pyc"));
            ASSERT_TRUE(cache.Made()) << kind;
            EXPECT_EQ(Python("import " + module + "\nprint(" + module + ".value)\n"),
                      "from the source\n")
                << kind << " as the cache; " << errors;
            EXPECT_FALSE(cache.Waited()) << kind << " as the cache";
        }
        {
            // The traceback leaves out the line it cannot read.
            NotAFile source(kind, dir.File(module + ".py"));
            ASSERT_TRUE(source.Made()) << kind;
            const String printed = traceback(module);
            EXPECT_NE(printed.find("ValueError: raised in the module"), String::npos)
                << kind << " as the source; " << printed << errors;
            EXPECT_EQ(printed.find("raise ValueError("), String::npos)
                << kind << " as the source; " << printed;
            EXPECT_FALSE(source.Waited()) << kind << " as the source";
        }
    }

    // A regular file is read as ever: the traceback quotes its line.
    std::ofstream(dir.File("sourced1.py")) << "value = 'again'\ndef fail():\n"
                                              "    raise ValueError('raised in the module')\n";
    EXPECT_NE(traceback("sourced1").find("raise ValueError("), String::npos) << errors;
    Python("sys.path.remove('" + dir.Path() + "')\n");
}
