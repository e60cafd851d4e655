#include "engine/util/FileUtil.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>

TEST(FileUtilTest, ReadLinesAppendsEveryLineAndLeavesTheListAloneOnFailure)
{
    TempDir dir;
    std::ofstream(dir.File("lines.txt"), std::ios::binary) << "a\n\nb\n";
    StringList lines{"kept"};
    EXPECT_TRUE(FileReadLines(dir.File("lines.txt"), lines));
    EXPECT_EQ(lines, (StringList{"kept", "a", "", "b", ""})) << "a last line feed ends empty";
    // A missing file and a folder cannot be read.
    EXPECT_FALSE(FileReadLines(dir.File("missing.txt"), lines) || FileReadLines(dir.Path(), lines));
    EXPECT_EQ(lines.size(), 5u);
}
