// Level files as an attacker or a broken disk writes them: thousands of sections, megabytes of
// faulty lines, more actors than any level needs. Each used to cost the script library the
// square of its size; a watchdog ends the test program should such a file freeze it again.
#include "tests/scripting/ScriptTest.h"
#include "tests/support/NotAFile.h"
#include "tests/support/TempDir.h"

#include <chrono>
#include <csignal>
#include <fstream>

#include <unistd.h>

namespace
{

// A level file loads in time in proportion to its size: the largest here in seconds, where a
// reading that costs the square of its faulty lines takes a minute or more. Under
// AddressSanitizer Python allocates through the sanitizer's malloc, about three times slower.
#if defined(__SANITIZE_ADDRESS__)
constexpr int kMaxLoadSeconds = 90;
#else
constexpr int kMaxLoadSeconds = 30;
#endif
int s_realStandardError = -1;

class LevelFileAbuseTest : public ScriptTest
{
protected:
    void SetUp() override
    {
        ScriptTest::SetUp();
        // The archetypes are read first: their faults are not this test's.
        Python("tessaly_levels.LEVEL_FOLDER = '" + folder.Path() + "'\n" +
               "tessaly_levels.archetypes()\n");
    }
    void TearDown() override
    {
        Python("tessaly_levels.LEVEL_FOLDER = 'tests/scripting/data/Level'\n"
               "tessaly_levels.MAX_LEVEL_ACTORS = 1000\n");
        ScriptTest::TearDown();
    }
    /// Loads the level; returns the names of the actors it made, one a line.
    String Load(const String& level)
    {
        return Python("print('\\n'.join(a.GetName() for a in LoadLevel('" + level + "')))\n");
    }
    /// How many lines of `errors` hold text.
    size_t ErrorLinesWith(const String& text) const
    {
        size_t count = 0;
        for (size_t at = errors.find(text); at != String::npos; at = errors.find(text, at + 1))
            ++count;
        return count;
    }

    TempDir folder;
};

} // namespace

TEST_F(LevelFileAbuseTest,
       EmptyNamesAndThousandsOfFaultyLinesAreEachReportedOnceUnderTheirSectionShortly)
{
    // An empty name is no section: above the first one it ended the reading with a traceback
    // (in an archetype file, every archetype was lost).
    std::ofstream(folder.File("empty_name.ini")) << "[]\n[Meadow]\ntype = meadow\n[]\n";
    EXPECT_EQ(Load("empty_name"), "Meadow\n");
    EXPECT_EQ(errors,
              "ERROR: " + folder.File("empty_name.ini") +
                  ": line 1 is outside any section: []\nERROR: " + folder.File("empty_name.ini") +
                  " [Meadow]: line 4 is not 'key = value': []\n");
    world->UnloadAll();

    // A section named NUL is a section like any other: it was the parser's default section,
    // whose keys every other section took for its own.
    std::ofstream(folder.File("nul_name.ini"))
        << String("[\0]\nposition = [5, 6]\n[Meadow]\ntype = meadow\n", 45);
    ASSERT_EQ(Load("nul_name"), "Meadow\n");
    EXPECT_EQ(Actor::GetNamed("Meadow")->GetPosition(), Vector2(0.0f, 0.0f));
    EXPECT_EQ(errors, "ERROR: " + folder.File("nul_name.ini") +
                          " [\\x00] type: missing: the actor is left out\n");
    world->UnloadAll();

    // Enough sections and faulty lines that a reading which costs their square (a list
    // searched for each section's name or for each faulty line's section, or a message that
    // grows by each faulty line) takes a minute or more, while one in proportion to the size
    // takes seconds. Every thousandth line is too long to be quoted whole.
    constexpr int kSections = 150000;
    const auto faulty = [](int i) { return String(i % 1000 == 0 ? 300 : 60, 'x'); };
    {
        std::ofstream level(folder.File("garbled.ini"));
        level << "[Meadow]\ntype = meadow\nposition = [1, 2]\n";
        for (int i = 0; i < kSections; ++i)
            level << "[S" << i << "]\n" << faulty(i) << "\n"; // neither header nor key = value
        level << "[Meadow]\nposition = [3, 4]\n";
    }
    // Should the reading hang after all, the test program ends with a line rather than waits;
    // on the real standard error, as the loading's is captured.
    s_realStandardError = dup(STDERR_FILENO);
    signal(SIGALRM,
           [](int)
           {
               const char line[] =
                   "FAILED: the level took over a minute: its faulty lines cost the "
                   "square of their number\n";
               (void)!write(s_realStandardError, line, sizeof line - 1);
               _exit(1);
           });
    alarm(kMaxLoadSeconds * 2);
    const auto start = std::chrono::steady_clock::now();
    const String made = Load("garbled");
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    alarm(0);
    close(s_realStandardError);
    EXPECT_LT(took.count(), kMaxLoadSeconds)
        << "seconds to load a level of " << kSections << " sections with a faulty line each";

    EXPECT_EQ(made, "Meadow\n") << "the sections without a type make nothing";
    EXPECT_EQ(ErrorLinesWith(": line "), static_cast<size_t>(kSections));
    for (int i : {0, 1, kSections / 2, kSections - 1})
    {
        const String quoted =
            i % 1000 == 0 ? faulty(i).substr(0, 200) + "... (300 characters)" : faulty(i);
        const String at = "garbled.ini [S" + std::to_string(i) + "]: line " +
                          std::to_string(5 + 2 * i) + " is not 'key = value': " + quoted + "\n";
        EXPECT_TRUE(ErrorsHave(at)) << at;
    }
    // The Meadow and 999 sections without a type reach the cap.
    EXPECT_EQ(ErrorLinesWith("type: missing: the actor is left out"), 999u);
    EXPECT_TRUE(ErrorsHave("garbled.ini [S999]: this section and 149000 more are left out: a "
                           "level makes at most 1000 actors\n"));
    EXPECT_EQ(ErrorLinesWith("[Meadow]: section given twice, the later keys win"), 1u);
    EXPECT_EQ(Actor::GetNamed("Meadow")->GetPosition(), Vector2(3.0f, 4.0f)) << "the later keys";
}

TEST_F(LevelFileAbuseTest, ALevelMakesAtMostItsCapOfActorsAndSaysWhichSectionsAreLeftOut)
{
    {
        std::ofstream level(folder.File("crowded.ini"));
        for (int i = 1; i <= 5; ++i)
            level << "[Meadow" << i << "]\ntype = meadow\nposition = [" << i << ", 0]\n";
    }
    Python("tessaly_levels.MAX_LEVEL_ACTORS = 3\n");
    EXPECT_EQ(Load("crowded"), "Meadow1\nMeadow2\nMeadow3\n");
    EXPECT_EQ(errors, "ERROR: " + folder.File("crowded.ini") +
                          " [Meadow4]: this section and 1 more are left out: a level makes at "
                          "most 3 actors\n");
    EXPECT_EQ(Actor::GetNamed("Meadow4"), nullptr);

    Python("tessaly_levels.MAX_LEVEL_ACTORS = 5\n");
    world->UnloadAll();
    EXPECT_EQ(Load("crowded"), "Meadow1\nMeadow2\nMeadow3\nMeadow4\nMeadow5\n");
    EXPECT_EQ(errors, "") << "a level of just the cap loads whole";
}

TEST_F(LevelFileAbuseTest, FaultyLinesAreReportedAlsoByAConfigparserThatRaisesThem)
{
    std::ofstream(folder.File("faulty.ini"))
        << "[Meadow]\ntype = meadow\nnonsense\n[Meadow2]\n???\ntype = meadow\n";
    const String expected =
        "ERROR: " + folder.File("faulty.ini") +
        " [Meadow]: line 3 is not 'key = value': nonsense\nERROR: " + folder.File("faulty.ini") +
        " [Meadow2]: line 5 is not 'key = value': ???\n";
    EXPECT_EQ(Load("faulty"), "Meadow\nMeadow2\n");
    EXPECT_EQ(errors, expected);
    world->UnloadAll();

    // configparser's own error hook gathers the faulty lines into one exception at the end of
    // the file, as a configparser that never calls the loader's hook does.
    const String made =
        Python("import configparser\n"
               "own = tessaly_levels._Parser._handle_error\n"
               "tessaly_levels._Parser._handle_error = configparser.RawConfigParser._handle_error\n"
               "try:\n"
               "    print('\\n'.join(a.GetName() for a in LoadLevel('faulty')))\n"
               "finally:\n"
               "    tessaly_levels._Parser._handle_error = own\n");
    EXPECT_EQ(made, "Meadow\nMeadow2\n");
    EXPECT_EQ(errors, expected);
}

TEST_F(LevelFileAbuseTest, LevelAndArchetypeFilesThatAreNoFilesOrTooLargeAreMissingWithOneLine)
{
    const String path = folder.File("thing.ini");
    const auto cannotRead = [&path](const String& why)
    { return "ERROR: " + path + ": cannot read the file (" + why + ")\n"; };
    // No pipe is waited on and no device read.
    for (const char* kind : kNotAFileKinds)
    {
        NotAFile thing(kind, path);
        ASSERT_TRUE(thing.Made()) << kind;
        EXPECT_EQ(Load("thing"), "\n") << kind << ": no actors";
        const String kindName = kind;
        EXPECT_EQ(errors, cannotRead(kindName == "dangling link" ? "No such file or directory"
                                     : kindName == "link loop" ? "Too many levels of symbolic links"
                                                               : "not a regular file"))
            << kind;
        EXPECT_FALSE(thing.Waited()) << kind;
    }

    // Larger than the cap, by its size (sparse: it takes no room) or, under /proc, by what it
    // holds though it claims 0 bytes.
    std::ofstream(path).close();
    ASSERT_EQ(truncate(path.c_str(), 16 * 1024 * 1024 + 1), 0);
    EXPECT_EQ(Load("thing"), "\n");
    EXPECT_EQ(errors, cannotRead("larger than 16777216 bytes"));
    {
        NotAFile proc("/proc/self/status", path); // a link to it
        Python("tessaly_levels.MAX_FILE_BYTES = 100\n");
        EXPECT_EQ(Load("thing"), "\n");
        const String loaded = errors;
        Python("tessaly_levels.MAX_FILE_BYTES = 16 * 1024 * 1024\n");
        EXPECT_EQ(loaded, cannotRead("larger than 100 bytes"));
    }

    // In the archetype folder, such a file is left out and the others are read.
    TempDir archetypes;
    std::ofstream(archetypes.File("good.ini")) << "[Fine]\nclass = Actor\n";
    NotAFile pipe("pipe", archetypes.File("pipe.ini"));
    const String created =
        Python("tessaly_levels.ARCHETYPE_FOLDER = '" + archetypes.Path() + "'\n" +
               "try:\n"
               "    print(sorted(tessaly_levels.archetypes()))\n"
               "finally:\n"
               "    tessaly_levels.ARCHETYPE_FOLDER = 'tests/scripting/data/ActorDef'\n");
    EXPECT_EQ(created, "['fine']\n");
    EXPECT_EQ(errors, "ERROR: " + archetypes.File("pipe.ini") +
                          ": cannot read the file (not a regular file)\n");
    EXPECT_FALSE(pipe.Waited());
}
