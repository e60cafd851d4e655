#include "engine/util/FileUtil.h"

#include "tests/util/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace
{
void WriteFile(const String& path, const String& content)
{
    std::ofstream file(path, std::ios::binary);
    file << content;
}

String ReadFile(const String& path)
{
    std::ifstream file(path, std::ios::binary);
    return String(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

class FileUtilTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.IsValid()); }

    TempDir m_dir;
};
} // namespace

TEST_F(FileUtilTest, ReadLinesKeepsAnEmptyLastLine)
{
    const String path = m_dir.File("lines.txt");
    WriteFile(path, "x\n");
    StringList lines;
    ASSERT_TRUE(FileReadLines(path, lines));
    EXPECT_EQ(lines, (StringList{"x", ""}));

    WriteFile(path, "first\n\nthird");
    lines.clear();
    ASSERT_TRUE(FileReadLines(path, lines));
    EXPECT_EQ(lines, (StringList{"first", "", "third"}));
}

TEST_F(FileUtilTest, ReadLinesOfAnEmptyFileGivesOneEmptyEntry)
{
    const String path = m_dir.File("empty.txt");
    WriteFile(path, "");
    StringList lines;
    ASSERT_TRUE(FileReadLines(path, lines));
    EXPECT_EQ(lines, StringList{""});
}

TEST_F(FileUtilTest, ReadLinesAppendsToTheList)
{
    const String path = m_dir.File("more.txt");
    WriteFile(path, "a\nb");
    StringList lines{"kept"};
    ASSERT_TRUE(FileReadLines(path, lines));
    EXPECT_EQ(lines, (StringList{"kept", "a", "b"}));
}

TEST_F(FileUtilTest, UnreadableFileLeavesTheListUnchanged)
{
    StringList lines{"kept"};
    EXPECT_FALSE(FileReadLines(m_dir.File("missing.txt"), lines));
    EXPECT_EQ(lines, StringList{"kept"});
    // A folder opens but cannot be read.
    EXPECT_FALSE(FileReadLines(m_dir.Path(), lines));
    EXPECT_EQ(lines, StringList{"kept"});
}

TEST_F(FileUtilTest, AppendLineCreatesAndThenExtends)
{
    const String path = m_dir.File("log.txt");
    ASSERT_TRUE(FileAppendLine(path, "one"));
    EXPECT_EQ(ReadFile(path), "one\n");
    ASSERT_TRUE(FileAppendLine(path, "two"));
    EXPECT_EQ(ReadFile(path), "one\ntwo\n");

    StringList lines;
    ASSERT_TRUE(FileReadLines(path, lines));
    EXPECT_EQ(lines, (StringList{"one", "two", ""}));
}

TEST_F(FileUtilTest, AppendLineFailsWithoutItsFolder)
{
    const String path = m_dir.File("no-such-folder/log.txt");
    EXPECT_FALSE(FileAppendLine(path, "line"));
    EXPECT_FALSE(std::filesystem::exists(path));
}
