#include "engine/util/DataFile.h"

#include <cerrno>
#include <cstring>
#include <new>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

// A link to nowhere or in a loop, or a path through something that is no folder, names no file.
bool NamesNoFile(int error)
{
    return error == ENOENT || error == ENOTDIR || error == ELOOP || error == ENXIO;
}

DataFile Failed(DataFile::Status status, int error = 0, unsigned long long size = 0)
{
    DataFile found;
    found.status = status;
    found.error = error;
    found.size = size;
    return found;
}

/// What a failed stat or open found.
DataFile FailedToOpen(int error)
{
    return Failed(NamesNoFile(error) ? DataFile::Status::Missing : DataFile::Status::Unreadable,
                  error);
}

} // namespace

String DataFile::Reason(unsigned long long maxBytes) const
{
    switch (status)
    {
    case Status::Found:
        return "";
    case Status::Missing:
        return "not found";
    case Status::Unreadable:
        return std::strerror(error);
    case Status::TooLarge:
        break;
    }
    return "larger than " + std::to_string(maxBytes) + " bytes";
}

int OpenDataFile(const String& path, unsigned long long maxBytes, DataFile& found)
{
    found = DataFile();
    // Looked at before it is opened: opening some devices alone has effects (a tape rewinds).
    struct stat status;
    if (stat(path.c_str(), &status) != 0)
    {
        found = FailedToOpen(errno);
        return -1;
    }
    if (!S_ISREG(status.st_mode))
        return -1;
    if (static_cast<unsigned long long>(status.st_size) > maxBytes)
    {
        found = Failed(DataFile::Status::TooLarge, 0, status.st_size);
        return -1;
    }

    // It may have been replaced since: non-blocking, so a pipe put there now cannot wait for a
    // writer, and looked at again through the descriptor.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
    {
        found = FailedToOpen(errno);
        return -1;
    }
    const bool regular = fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
    if (!regular || static_cast<unsigned long long>(status.st_size) > maxBytes)
    {
        if (regular)
            found = Failed(DataFile::Status::TooLarge, 0, status.st_size);
        close(fd);
        return -1;
    }
    found.status = DataFile::Status::Found;
    found.size = status.st_size;
    return fd;
}

DataFile CheckDataFile(const String& path, unsigned long long maxBytes)
{
    DataFile found;
    const int fd = OpenDataFile(path, maxBytes, found);
    if (fd >= 0)
        close(fd);
    return found;
}

namespace
{

/// Reads what is left of fd, a regular file that held `found.size` bytes when it was opened.
void ReadOpenFile(int fd, unsigned long long maxBytes, DataFile& found)
{
    // One byte beyond the cap tells a file that grew, or claims 0 bytes (/proc), from one that
    // fits.
    String contents;
    contents.reserve(static_cast<size_t>(found.size) + 1);
    char buffer[65536];
    for (;;)
    {
        const unsigned long long room = maxBytes + 1 - contents.size();
        const ssize_t got = read(fd, buffer, room < sizeof buffer ? room : sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
        {
            found = Failed(DataFile::Status::Unreadable, errno);
            return;
        }
        if (got == 0)
        {
            found.contents.swap(contents);
            found.size = found.contents.size();
            return;
        }
        contents.append(buffer, static_cast<size_t>(got));
        if (contents.size() > maxBytes)
        {
            found = Failed(DataFile::Status::TooLarge, 0, contents.size());
            return;
        }
    }
}

} // namespace

DataFile ReadDataFile(const String& path, unsigned long long maxBytes)
{
    DataFile found;
    const int fd = OpenDataFile(path, maxBytes, found);
    if (fd < 0)
        return found;
    try
    {
        ReadOpenFile(fd, maxBytes, found);
    }
    catch (const std::bad_alloc&)
    {
        // A file within its cap may still be more than the memory left to the program (a
        // service's memory limit): it cannot be read, as one the disk fails on.
        found = Failed(DataFile::Status::Unreadable, ENOMEM);
    }
    close(fd);
    return found;
}
