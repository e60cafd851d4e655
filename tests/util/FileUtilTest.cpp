#include "engine/util/FileUtil.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>

TEST(FileUtilTest, ReadLinesAppendsEveryLineIncludingAnEmptyLast)
{
    TempDir dir;
    const String path = dir.File("lines.txt");
    const std::pair<const char*, StringList> cases[] = {
        {"x\n", {"kept", "x", ""}},
        {"first\n\nthird", {"kept", "first", "", "third"}},
        {"", {"kept", ""}},
    };
    for (const auto& [content, expected] : cases)
    {
        std::ofstream(path, std::ios::binary) << content;
        StringList lines{"kept"};
        ASSERT_TRUE(FileReadLines(path, lines));
        EXPECT_EQ(lines, expected) << '"' << content << '"';
    }

    // A missing file and a folder cannot be read: both leave the list alone.
    StringList lines{"kept"};
    EXPECT_FALSE(FileReadLines(dir.File("missing.txt"), lines));
    EXPECT_FALSE(FileReadLines(dir.Path(), lines));
    EXPECT_EQ(lines, StringList{"kept"});
}
