// How the level editor replaces its file, seen at the system calls: this program puts its own
// fdopen, close and fsync in front of the C library's, to make a step fail, to change errno
// where a successful call may, and to see what is flushed to the disk, and when.
#include "game/prototypes/ReplaceFile.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
std::atomic<bool> g_armed{false};
int g_failFdopen = 0; // errno for fdopen, 0: it works
int g_failFsync = 0;  // errno for the fsync of a file, 0: it works
String g_watched;     // the file whose text is read whenever its folder is flushed
struct Flush
{
    bool folder;
    String path;
    String watchedText; // for a folder
};
std::vector<Flush> g_flushes;

template <typename Function> Function Real(const char* name)
{
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

String PathOf(int fd)
{
    char path[4096];
    const ssize_t length =
        readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), path, sizeof path);
    return length > 0 ? String(path, static_cast<size_t>(length)) : String();
}

String TextOf(const String& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}
} // namespace

extern "C" FILE* fdopen(int fd, const char* mode)
{
    static auto real = Real<FILE* (*)(int, const char*)>("fdopen");
    if (g_armed && g_failFdopen != 0)
    {
        errno = g_failFdopen;
        return nullptr;
    }
    return real(fd, mode);
}

extern "C" int close(int fd)
{
    static auto real = Real<int (*)(int)>("close");
    const int result = real(fd);
    if (g_armed && result == 0)
        errno = EBADF; // allowed after a success, and misleading if read then
    return result;
}

extern "C" int fsync(int fd)
{
    static auto real = Real<int (*)(int)>("fsync");
    if (!g_armed)
        return real(fd);
    struct stat status = {};
    fstat(fd, &status);
    const bool folder = S_ISDIR(status.st_mode);
    if (!folder && g_failFsync != 0)
    {
        errno = g_failFsync;
        return -1;
    }
    g_flushes.push_back({folder, PathOf(fd), folder ? TextOf(g_watched) : String()});
    return real(fd);
}

namespace
{

TEST(ReplaceFileTest, EachFailureNamesItsOwnReasonAndTheFolderIsFlushedAfterTheRename)
{
    const struct
    {
        const char* name;
        int failFdopen;
        int failFsync;
        int result;
    } cases[] = {
        {"saved", 0, 0, 0},
        {"no stream for the temporary file", ENOMEM, 0, ENOMEM},
        {"the disk refuses the flush", 0, EIO, EIO},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const String level = dir.File("createdlevel.ini");
        std::ofstream(level, std::ios::binary) << "old";
        g_watched = level;
        g_flushes.clear();
        g_failFdopen = c.failFdopen;
        g_failFsync = c.failFsync;
        g_armed = true;
        const int result = ReplaceFile(level, "new");
        g_armed = false;

        EXPECT_EQ(result, c.result) << std::strerror(result);
        EXPECT_EQ(TextOf(level), c.result == 0 ? "new" : "old");
        const auto files = std::filesystem::directory_iterator(dir.Path());
        EXPECT_EQ(std::distance(begin(files), end(files)), 1) << "a temporary file is left";
        if (c.result != 0)
            continue;
        // The file's text reaches the disk before its name, and its new name after.
        ASSERT_EQ(g_flushes.size(), 2u);
        EXPECT_FALSE(g_flushes[0].folder);
        EXPECT_TRUE(g_flushes[1].folder);
        EXPECT_EQ(g_flushes[1].path, std::filesystem::canonical(dir.Path()).string());
        EXPECT_EQ(g_flushes[1].watchedText, "new") << "the folder was flushed before the rename";
    }
}

} // namespace
