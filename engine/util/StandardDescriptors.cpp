#include "engine/util/StandardDescriptors.h"

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

namespace
{
bool IsOpen(int fd)
{
    return fcntl(fd, F_GETFD) != -1 || errno != EBADF;
}

/// A descriptor of the null device for reading or writing, or, without one, a pipe end whose
/// other end is closed: it reads the end of the data at once, and writes to it fail.
int OpenNothing(bool forReading)
{
    const int null = open("/dev/null", (forReading ? O_RDONLY : O_WRONLY) | O_CLOEXEC);
    if (null >= 0)
        return null;
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0)
        return -1;
    close(forReading ? ends[1] : ends[0]);
    return forReading ? ends[0] : ends[1];
}

/// Puts a descriptor of nothing onto fd, open across exec like any standard descriptor.
bool PlaceNothing(int fd)
{
    const int nothing = OpenNothing(fd == STDIN_FILENO);
    if (nothing < 0)
        return false;
    if (nothing == fd)
        return fcntl(fd, F_SETFD, 0) == 0;
    const bool placed = dup2(nothing, fd) == fd;
    close(nothing);
    return placed;
}
} // namespace

bool PrepareStandardDescriptors()
{
    bool prepared = true;
    // Upwards: a descriptor of nothing opened for one may land on a higher closed one, which
    // it leaves closed again and which gets its own in its turn.
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd)
        if (!IsOpen(fd) || fd == STDIN_FILENO)
            prepared = PlaceNothing(fd) && prepared;
    return prepared;
}
