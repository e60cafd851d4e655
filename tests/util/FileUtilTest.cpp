#include "engine/util/FileUtil.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>

TEST(FileUtilTest, ReadLinesAppendsEveryLineIncludingAnEmptyLast)
{
    TempDir dir;
    for (const auto& [content, expected] : {std::pair("x\n", StringList{"kept", "x", ""}),
                                            {"a\n\nb", {"kept", "a", "", "b"}},
                                            {"", {"kept", ""}}})
    {
        std::ofstream(dir.File("lines.txt"), std::ios::binary) << content;
        StringList lines{"kept"};
        EXPECT_TRUE(FileReadLines(dir.File("lines.txt"), lines));
        EXPECT_EQ(lines, expected) << '"' << content << '"';
    }
    // A missing file and a folder cannot be read: both leave the list alone.
    StringList lines{"kept"};
    EXPECT_FALSE(FileReadLines(dir.File("missing.txt"), lines) || FileReadLines(dir.Path(), lines));
    EXPECT_EQ(lines, StringList{"kept"});
}
