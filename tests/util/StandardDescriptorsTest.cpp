// Whatever descriptors 0, 1 and 2 were at start, each is open afterwards, 0 reads nothing,
// writes to 1 and 2 go nowhere, and the next descriptor opened is none of them. Each case runs
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

// What a child reports through its exit status.
enum Fault
{
    kNotOpen = 1,
    kInputReadsSomething = 2,
    kOutputChanged = 4,
    kClosedOnExec = 8,
    kNextTakesAStandardOne = 16,
    kPrepareFailed = 32,
    kNoPrivateDev = 99, // the case cannot be set up here
};

bool IsNullDevice(int fd)
{
    struct stat device = {};
    struct stat null = {};
    return fstat(fd, &device) == 0 && stat("/dev/null", &null) == 0 && S_ISCHR(device.st_mode) &&
           device.st_rdev == null.st_rdev;
}

/// Without a null device a closed output becomes a pipe nobody reads: writes fail.
bool GoesNowhere(int fd, bool nullDevice)
{
    if (nullDevice)
        return IsNullDevice(fd);
    return write(fd, "x", 1) < 0 && errno == EPIPE;
}

bool SameFile(int fd, const struct stat& before)
{
    struct stat now = {};
    return fstat(fd, &now) == 0 && now.st_dev == before.st_dev && now.st_ino == before.st_ino;
}

/// Hides /dev in a mount namespace of the child's own.
bool HideDevices()
{
    if (unshare(CLONE_NEWNS) != 0 && unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
        return false;
    return mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
           mount("none", "/dev", "tmpfs", 0, nullptr) == 0;
}

int Child(std::initializer_list<int> closed, bool waitingInput, bool nullDevice)
{
    signal(SIGPIPE, SIG_IGN);
    if (waitingInput)
    {
        // A pipe with data, and a writer that stays: the terminal someone types into.
        int ends[2];
        if (pipe(ends) != 0 || write(ends[1], "abc", 3) != 3 || dup2(ends[0], 0) != 0)
            return kNotOpen;
    }
    struct stat before[3] = {};
    for (int fd = 1; fd <= 2; ++fd)
        fstat(fd, &before[fd]);
    for (int fd : closed)
        close(fd);
    if (!nullDevice && !HideDevices())
        return kNoPrivateDev;
    int faults = PrepareStandardDescriptors() ? 0 : kPrepareFailed;
    char byte;
    for (int fd = 0; fd <= 2; ++fd)
    {
        const int flags = fcntl(fd, F_GETFD);
        if (flags < 0)
            faults |= kNotOpen;
        else if ((flags & FD_CLOEXEC) != 0)
            faults |= kClosedOnExec;
    }
    const int inputFlags = fcntl(0, F_GETFL);
    fcntl(0, F_SETFL, inputFlags | O_NONBLOCK);
    if (read(0, &byte, 1) != 0)
        faults |= kInputReadsSomething;
    for (int fd = 1; fd <= 2; ++fd)
    {
        const bool wasClosed = std::find(closed.begin(), closed.end(), fd) != closed.end();
        if (wasClosed ? !GoesNowhere(fd, nullDevice) : !SameFile(fd, before[fd]))
            faults |= kOutputChanged;
    }
    if (socket(AF_INET, SOCK_DGRAM, 0) <= 2)
        faults |= kNextTakesAStandardOne;
    return faults;
}

TEST(StandardDescriptorsTest, EachIsSafeWhateverItWasAtStart)
{
    const struct
    {
        const char* name;
        std::initializer_list<int> closed;
        bool waitingInput;
        bool nullDevice;
    } cases[] = {
        {"all open", {}, false, true},
        {"0 closed", {0}, false, true},
        {"1 closed", {1}, false, true},
        {"2 closed", {2}, false, true},
        {"1 and 2 closed", {1, 2}, false, true},
        {"0 and 2 closed", {0, 2}, false, true},
        {"all closed", {0, 1, 2}, false, true},
        {"0 a pipe with something to read", {}, true, true},
        {"all closed, no null device", {0, 1, 2}, false, false},
        {"0 closed, no null device", {0}, false, false},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0)
            _exit(Child(c.closed, c.waitingInput, c.nullDevice));
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        if (WEXITSTATUS(status) == kNoPrivateDev)
        {
            std::printf("%s: no mount namespace here to hide /dev in, not tried\n", c.name);
            continue;
        }
        EXPECT_EQ(WEXITSTATUS(status), 0);
    }
}

} // namespace
