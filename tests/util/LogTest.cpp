#include "engine/console/Log.h"

#include "tests/support/LogCapture.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>

namespace
{
/// Appends Name + line to a list several logs share, so that their order shows.
struct CapturingLog : DeveloperLog
{
    CapturingLog(StringList& lines, const char* name) : Lines(lines), Name(name) {}
    void Log(const String& line) override { Lines.push_back(Name + line); }
    StringList& Lines;
    String Name;
};
} // namespace

TEST(LogTest, CompoundLogForwardsPrintfLinesOncePerLogAndPrintfIsBounded)
{
    StringList lines;
    CapturingLog first(lines, "1:");
    CapturingLog second(lines, "2:");
    CompoundLog compound;
    compound.AddLog(&first);
    compound.AddLog(&second);
    compound.AddLog(&first);
    compound.AddLog(nullptr);
    compound.Printf("FMOD error! (%d) %s\n", 36, "An invalid parameter was passed.");
    EXPECT_EQ(lines, (StringList{"1:FMOD error! (36) An invalid parameter was passed.\n",
                                 "2:FMOD error! (36) An invalid parameter was passed.\n"}));

    // Printf keeps at most 1023 characters and never writes past its buffer.
    lines.clear();
    const String fits(1023, 'b');
    first.Printf("%s!", fits.c_str());
    first.Printf("%s", String(5000, 'a').c_str());
    EXPECT_EQ(lines, (StringList{"1:" + fits, "1:" + String(1023, 'a')}));
}

TEST(LogTest, SystemLogWritesToStandardErrorAndFileLogAppends)
{
    ::testing::internal::CaptureStderr();
    SystemLog().Log("ended\n");
    LogCapture::Get().Clear();
    GetSystemLog()->Log("ERROR: something"); // one compound that starts with a SystemLog
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "ended\n\nERROR: something\n");
    EXPECT_EQ(LogCapture::Get().Lines(), StringList{"ERROR: something"});

    TempDir dir;
    FileLog good(dir.File("engine.log"));
    good.Log("first");
    good.Printf("second %d", 2);
    EXPECT_TRUE(good.LastWriteSucceeded());
    std::ifstream file(dir.File("engine.log"), std::ios::binary);
    EXPECT_EQ(String(std::istreambuf_iterator<char>(file), {}), "first\nsecond 2\n");

    FileLog bad(dir.File("missing/engine.log"));
    bad.Log("lost");
    EXPECT_FALSE(bad.LastWriteSucceeded());
}
