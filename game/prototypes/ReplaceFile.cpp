#include "game/prototypes/ReplaceFile.h"

#include "engine/util/StringUtil.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <fstream>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
/// The process's umask, from /proc so that no other thread ever sees it changed; setting and
/// restoring it is the fallback where /proc does not tell it.
mode_t CurrentUmask()
{
    std::ifstream status("/proc/self/status");
    String line;
    while (std::getline(status, line))
    {
        if (line.rfind("Umask:", 0) != 0)
            continue;
        // from_chars reads the digits alike in every locale.
        const String digits = TrimString(line.substr(6));
        const char* const end = digits.data() + digits.size();
        unsigned int mask = 0;
        if (!digits.empty() && std::from_chars(digits.data(), end, mask, 8).ptr == end)
            return static_cast<mode_t>(mask) & 0777;
        break;
    }
    const mode_t mask = umask(0);
    umask(mask);
    return mask;
}

/// The mode the saved file gets: the old file's, or what a new file of an editor has (0644 less
/// the umask). mkstemp alone would leave it readable by its owner only.
mode_t ModeFor(const String& fileName)
{
    struct stat old = {};
    if (stat(fileName.c_str(), &old) == 0 && S_ISREG(old.st_mode))
        return old.st_mode & 0777;
    return 0644 & ~CurrentUmask();
}

/// Writes, flushes and closes the temporary file; 0 or the errno value of the first step that
/// failed, taken before anything else can change errno.
int WriteTemporary(int fd, const String& fileName, const String& text)
{
    FILE* file = fdopen(fd, "wb");
    if (file == nullptr)
    {
        const int error = errno;
        close(fd);
        return error;
    }
    int error = 0;
    if (std::fwrite(text.data(), 1, text.size(), file) != text.size() || std::fflush(file) != 0 ||
        fchmod(fd, ModeFor(fileName)) != 0 || fsync(fd) != 0)
        error = errno;
    if (std::fclose(file) != 0 && error == 0)
        error = errno;
    return error;
}

/// Flushes the folder that holds fileName, so that its new entry is on the disk. Best effort:
/// the file is saved whole either way, and some file systems cannot flush a folder.
void FlushFolderOf(const String& fileName)
{
    const String::size_type slash = fileName.rfind('/');
    const String folder = slash == String::npos ? "." : fileName.substr(0, slash == 0 ? 1 : slash);
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    fsync(fd);
    close(fd);
}
} // namespace

int ReplaceFile(const String& fileName, const String& text)
{
    String temporary = fileName + ".XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0)
        return errno;
    int error = WriteTemporary(fd, fileName, text);
    if (error == 0 && std::rename(temporary.c_str(), fileName.c_str()) != 0)
        error = errno;
    if (error != 0)
    {
        unlink(temporary.c_str());
        return error;
    }
    FlushFolderOf(fileName);
    return 0;
}
