#include "engine/util/DataFile.h"
#include "engine/util/FileUtil.h"
#include "tests/support/AddressSpaceLimit.h"
#include "tests/support/NotAFile.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>

#include <unistd.h>

TEST(DataFileTest, OnlyRegularFilesWithinTheCapAreReadAndEverythingElseSaysWhy)
{
    TempDir dir;
    std::ofstream(dir.File("ten.txt"), std::ios::binary) << "0123456789";
    std::ofstream(dir.File("empty.txt"), std::ios::binary);
    using Status = DataFile::Status;
    // Within the cap and at it; an empty file is a file.
    for (const auto& [name, contents] : {std::pair<String, String>{"ten.txt", "0123456789"},
                                         std::pair<String, String>{"empty.txt", ""}})
    {
        const DataFile file = ReadDataFile(dir.File(name), 10);
        EXPECT_EQ(file.status, Status::Found) << name;
        EXPECT_EQ(file.contents, contents) << name;
        EXPECT_EQ(file.size, contents.size()) << name;
        EXPECT_EQ(CheckDataFile(dir.File(name), 10).status, Status::Found) << name;
    }

    // Beyond the cap by its size, and /proc's files, which claim 0 bytes, by what they hold.
    const DataFile large = ReadDataFile(dir.File("ten.txt"), 9);
    EXPECT_EQ(large.status, Status::TooLarge);
    EXPECT_EQ(large.Reason(9), "larger than 9 bytes");
    EXPECT_EQ(CheckDataFile(dir.File("ten.txt"), 9).status, Status::TooLarge);
    const DataFile lying = ReadDataFile("/proc/self/status", 100);
    EXPECT_EQ(lying.status, Status::TooLarge);
    EXPECT_EQ(lying.size, 101u) << "not a byte read beyond the cap";
    EXPECT_TRUE(lying.contents.empty());

    // Whatever is no regular file is missing, and nothing waits on a pipe.
    for (const char* kind : kNotAFileKinds)
    {
        NotAFile thing(kind, dir.File("thing.txt"));
        ASSERT_TRUE(thing.Made()) << kind;
        const DataFile file = ReadDataFile(dir.File("thing.txt"), kMaxTextFileBytes);
        EXPECT_EQ(file.status, Status::Missing) << kind;
        EXPECT_EQ(file.Reason(kMaxTextFileBytes), "not found") << kind;
        EXPECT_EQ(CheckDataFile(dir.File("thing.txt"), kMaxTextFileBytes).status, Status::Missing)
            << kind;
        StringList lines;
        EXPECT_FALSE(FileReadLines(dir.File("thing.txt"), lines)) << kind;
        EXPECT_TRUE(lines.empty()) << kind;
        EXPECT_FALSE(thing.Waited()) << kind << ": a read waited on the pipe";
    }
    EXPECT_EQ(ReadDataFile(dir.File("missing.txt"), 10).status, Status::Missing);

    // A file that is there but cannot be opened says why.
    const DataFile unreadable = ReadDataFile(dir.File(String(300, 'x')), 10);
    EXPECT_EQ(unreadable.status, Status::Unreadable);
    EXPECT_EQ(unreadable.Reason(10), "File name too long");
}

// The sanitizers' own allocators cannot run under an address-space limit.
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
TEST(DataFileTest, AFileWithinItsCapThatTheMemoryLeftCannotHoldIsUnreadable)
{
    TempDir dir;
    const String path = dir.File("large.bin");
    std::ofstream(path).close();
    constexpr unsigned long long kSize = 512ULL * 1024 * 1024; // sparse: it takes no room
    ASSERT_EQ(truncate(path.c_str(), kSize), 0);

    DataFile file;
    {
        const AddressSpaceLimit limit(64ULL * 1024 * 1024);
        ASSERT_TRUE(limit.IsSet());
        file = ReadDataFile(path, kSize);
    }
    EXPECT_EQ(file.status, DataFile::Status::Unreadable);
    EXPECT_EQ(file.Reason(kSize), "Cannot allocate memory");
    EXPECT_TRUE(file.contents.empty());
}
#endif
