// Whatever descriptors 0, 1 and 2 were at start, each is open afterwards, 0 reads nothing, a
// closed output writes nowhere, and the next descriptor opened is none of them. Each case runs
// in a child process, whose descriptors it may close.
#include "engine/util/StandardDescriptors.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <initializer_list>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{

constexpr int kNoPrivateDev = 99; // the case cannot be set up here

/// Writes to fd go nowhere: the null device, or without one a pipe nobody reads.
bool GoesNowhere(int fd, bool nullDevice)
{
    struct stat device = {};
    struct stat null = {};
    if (!nullDevice)
        return write(fd, "x", 1) < 0 && errno == EPIPE;
    return fstat(fd, &device) == 0 && stat("/dev/null", &null) == 0 &&
           device.st_rdev == null.st_rdev && S_ISCHR(device.st_mode);
}

/// What is wrong, one bit a fault, after preparing with the descriptors closed.
int Child(std::initializer_list<int> closed, bool inputWaiting, bool nullDevice)
{
    signal(SIGPIPE, SIG_IGN);
    int ends[2];
    // Someone types into the terminal: there is something to read.
    if (inputWaiting && (pipe(ends) != 0 || write(ends[1], "abc", 3) != 3 || dup2(ends[0], 0)))
        return 1;
    for (int fd : closed)
        close(fd);
    // /dev hidden in a mount namespace of the child's own.
    if (!nullDevice && ((unshare(CLONE_NEWNS) != 0 && unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) ||
                        mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
                        mount("none", "/dev", "tmpfs", 0, nullptr) != 0))
        return kNoPrivateDev;
    int faults = PrepareStandardDescriptors() ? 0 : 2;
    for (int fd = 0; fd <= 2; ++fd)
    {
        const int flags = fcntl(fd, F_GETFD);
        const bool wasClosed = std::find(closed.begin(), closed.end(), fd) != closed.end();
        if (flags < 0 || (flags & FD_CLOEXEC) != 0)
            faults |= 4; // closed, or to be closed by exec
        else if (fd > 0 && wasClosed && !GoesNowhere(fd, nullDevice))
            faults |= 8;
    }
    char byte;
    fcntl(0, F_SETFL, fcntl(0, F_GETFL) | O_NONBLOCK);
    if (read(0, &byte, 1) != 0)
        faults |= 16;
    if (socket(AF_INET, SOCK_DGRAM, 0) <= 2)
        faults |= 32;
    return faults;
}

TEST(StandardDescriptorsTest, EachIsSafeWhateverItWasAtStart)
{
    const struct
    {
        const char* name;
        std::initializer_list<int> closed;
        bool inputWaiting;
        bool nullDevice;
    } cases[] = {
        {"all open", {}, false, true},
        {"0 closed", {0}, false, true},
        {"2 closed", {2}, false, true},
        {"0 and 2 closed", {0, 2}, false, true},
        {"all closed", {0, 1, 2}, false, true},
        {"0 with something to read", {}, true, true},
        {"all closed, no null device", {0, 1, 2}, false, false},
        {"1 closed, no null device", {1}, false, false},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0)
            _exit(Child(c.closed, c.inputWaiting, c.nullDevice));
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        if (WEXITSTATUS(status) == kNoPrivateDev)
            std::printf("%s: no mount namespace to hide /dev in here, not tried\n", c.name);
        else
            EXPECT_EQ(WEXITSTATUS(status), 0);
    }
}

} // namespace
