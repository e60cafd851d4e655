#include "engine/console/Log.h"

#include "tests/util/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>

namespace
{
class CapturingLog : public DeveloperLog
{
public:
    void Log(const String& line) override { Lines.push_back(line); }

    StringList Lines;
};
} // namespace

TEST(LogTest, PrintfFormatsOneLine)
{
    CapturingLog log;
    log.Printf("FMOD error! (%d) %s\n", 36, "An invalid parameter was passed.");
    EXPECT_EQ(log.Lines, StringList{"FMOD error! (36) An invalid parameter was passed.\n"});
}

TEST(LogTest, PrintfCutsLongOutputToTheBuffer)
{
    CapturingLog log;
    const String huge(5000, 'a');
    log.Printf("%s", huge.c_str());
    ASSERT_EQ(log.Lines.size(), 1u);
    EXPECT_EQ(log.Lines[0], String(1023, 'a'));

    const String fits(1023, 'b');
    log.Printf("%s", fits.c_str());
    EXPECT_EQ(log.Lines[1], fits);

    log.Printf("%s!", fits.c_str());
    EXPECT_EQ(log.Lines[2], fits);
}

TEST(LogTest, CompoundLogForwardsInOrderAndOnlyOncePerLog)
{
    StringList order;
    struct OrderLog : DeveloperLog
    {
        OrderLog(StringList& order, String name) : m_order(order), m_name(std::move(name)) {}
        void Log(const String& line) override { m_order.push_back(m_name + ":" + line); }
        StringList& m_order;
        String m_name;
    };
    OrderLog first(order, "first");
    OrderLog second(order, "second");

    CompoundLog compound;
    compound.AddLog(&first);
    compound.AddLog(&second);
    compound.AddLog(&first);
    compound.AddLog(nullptr);
    compound.Log("hello");
    EXPECT_EQ(order, (StringList{"first:hello", "second:hello"}));

    compound.Printf("n=%d", 3);
    EXPECT_EQ(order, (StringList{"first:hello", "second:hello", "first:n=3", "second:n=3"}));
}

TEST(LogTest, SystemLogEndsEachLineOnce)
{
    SystemLog log;
    ::testing::internal::CaptureStderr();
    log.Log("plain");
    log.Printf("FMOD error! (%d) %s\n", 36, "text");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "plain\nFMOD error! (36) text\n\n");
}

TEST(LogTest, SystemLogIsOneLazilyCreatedCompound)
{
    CompoundLog* log = GetSystemLog();
    ASSERT_NE(log, nullptr);
    EXPECT_EQ(GetSystemLog(), log);

    // Lives as long as the system log, which is never deleted.
    static CapturingLog extra;
    log->AddLog(&extra);
    ::testing::internal::CaptureStderr();
    log->Log("ERROR: something");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "ERROR: something\n");
    EXPECT_EQ(extra.Lines, StringList{"ERROR: something"});
}

TEST(LogTest, FileLogAppendsAndReportsFailure)
{
    TempDir dir;
    ASSERT_TRUE(dir.IsValid());
    FileLog good(dir.File("engine.log"));
    good.Log("first");
    good.Printf("second %d", 2);
    EXPECT_TRUE(good.LastWriteSucceeded());
    std::ifstream file(dir.File("engine.log"));
    const String content((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_EQ(content, "first\nsecond 2\n");

    FileLog bad(dir.File("missing/engine.log"));
    bad.Log("lost");
    EXPECT_FALSE(bad.LastWriteSucceeded());
}
