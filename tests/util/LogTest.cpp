#include "engine/console/Log.h"

#include "tests/support/LogCapture.h"
#include "tests/util/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace
{
/// Appends Name + line to a list several logs may share, so that their order shows.
struct CapturingLog : DeveloperLog
{
    CapturingLog(StringList& lines, const char* name = "") : Lines(lines), Name(name) {}
    void Log(const String& line) override { Lines.push_back(Name + line); }
    StringList& Lines;
    String Name;
};
} // namespace

TEST(LogTest, CompoundLogForwardsPrintfLinesInOrderOncePerLog)
{
    StringList lines;
    CapturingLog first(lines, "1:");
    CapturingLog second(lines, "2:");
    CompoundLog compound;
    compound.AddLog(&first);
    compound.AddLog(&second);
    compound.AddLog(&first);
    compound.AddLog(nullptr);
    compound.Log("hello");
    compound.Printf("FMOD error! (%d) %s\n", 36, "An invalid parameter was passed.");
    EXPECT_EQ(lines, (StringList{"1:hello", "2:hello",
                                 "1:FMOD error! (36) An invalid parameter was passed.\n",
                                 "2:FMOD error! (36) An invalid parameter was passed.\n"}));

    // Printf keeps at most 1023 characters and never writes past its buffer.
    lines.clear();
    const String fits(1023, 'b');
    first.Printf("%s", fits.c_str());
    first.Printf("%s!", fits.c_str());
    first.Printf("%s", String(5000, 'a').c_str());
    EXPECT_EQ(lines, (StringList{"1:" + fits, "1:" + fits, "1:" + String(1023, 'a')}));
}

TEST(LogTest, SystemLogWritesEachLineToStandardError)
{
    ::testing::internal::CaptureStderr();
    SystemLog().Log("plain");
    SystemLog().Log("ended\n");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "plain\nended\n\n");

    // The process-wide log is one compound that starts with a SystemLog.
    LogCapture::Get().Clear();
    ::testing::internal::CaptureStderr();
    GetSystemLog()->Log("ERROR: something");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "ERROR: something\n");
    EXPECT_EQ(LogCapture::Get().Lines(), StringList{"ERROR: something"});
}

TEST(LogTest, FileLogCreatesAppendsAndReportsAMissingFolder)
{
    TempDir dir;
    ASSERT_TRUE(dir.IsValid());
    FileLog good(dir.File("engine.log"));
    good.Log("first");
    good.Printf("second %d", 2);
    EXPECT_TRUE(good.LastWriteSucceeded());
    std::ifstream file(dir.File("engine.log"), std::ios::binary);
    EXPECT_EQ(String(std::istreambuf_iterator<char>(file), {}), "first\nsecond 2\n");

    FileLog bad(dir.File("missing/engine.log"));
    bad.Log("lost");
    EXPECT_FALSE(bad.LastWriteSucceeded());
    EXPECT_FALSE(std::filesystem::exists(dir.File("missing/engine.log")));
}
