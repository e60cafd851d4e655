#include "engine/console/Log.h"

#include <gtest/gtest.h>

namespace
{
/// Appends its name and the line to a list several logs share, so that their order shows.
struct NamedLog : DeveloperLog
{
    NamedLog(StringList& lines, const char* name) : lines(lines), name(name) {}
    void Log(const String& line) override { lines.push_back(name + line); }
    StringList& lines;
    String name;
};
} // namespace

TEST(LogTest, CompoundLogsForwardOncePerLogAndPrintfIsBounded)
{
    StringList lines;
    NamedLog first(lines, "1:"), second(lines, "2:");
    CompoundLog compound;
    for (DeveloperLog* log : {(DeveloperLog*)&first, (DeveloperLog*)&second, (DeveloperLog*)&first,
                              (DeveloperLog*)nullptr})
        compound.AddLog(log);
    compound.Printf("FMOD error! (%d) %s\n", 36, "An invalid parameter was passed.");
    EXPECT_EQ(lines, (StringList{"1:FMOD error! (36) An invalid parameter was passed.\n",
                                 "2:FMOD error! (36) An invalid parameter was passed.\n"}));
    lines.clear(); // at most 1023 characters, never past the buffer
    first.Printf("%s!", String(1023, 'b').c_str());
    first.Printf("%s", String(5000, 'a').c_str());
    EXPECT_EQ(lines, (StringList{"1:" + String(1023, 'b'), "1:" + String(1023, 'a')}));
}
