#include "game/StopSignals.h"

#include "engine/console/Log.h"
#include "engine/scripting/ScriptInterface.h"
#include "engine/world/World.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <system_error>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <unistd.h>

namespace StopSignals
{

namespace
{
using Clock = std::chrono::steady_clock;

constexpr int kStopSignals[] = {SIGTERM, SIGINT, SIGHUP};
constexpr auto kInterruptAfter = std::chrono::milliseconds(1000);
constexpr auto kInterruptEvery = std::chrono::milliseconds(500);
constexpr auto kRepeatEndsAfter = std::chrono::milliseconds(500);

// The handlers write the signal's number here; the watcher thread reads it.
int g_signalRead = -1;
int g_signalWrite = -1;
std::atomic<bool> g_loopEnded{false};
const char* g_programName = "";

void OnStopSignal(int signal)
{
    const int saved = errno;
    const unsigned char number = static_cast<unsigned char>(signal);
    // Never blocks: a full pipe already holds signals enough to act on.
    const ssize_t written = write(g_signalWrite, &number, 1);
    (void)written;
    errno = saved;
}

/// A write that met a closed pipe fails with EPIPE, one beyond the file-size limit (`ulimit -f`,
/// a service's LimitFSIZE) with EFBIG, and its caller drops the output or reports the failed
/// save. A handler rather than SIG_IGN, so that programs that scripts start get the default
/// back at exec.
void OnFailedWrite(int) {}

/// The next signal's number, or 0 when none came within the time (-1: wait for ever).
int WaitForSignal(int milliseconds)
{
    pollfd fd = {g_signalRead, POLLIN, 0};
    if (poll(&fd, 1, milliseconds) <= 0)
        return 0;
    unsigned char number = 0;
    return read(g_signalRead, &number, 1) == 1 ? number : 0;
}

/// Says why on standard error, unless that would wait (a pipe nobody reads), and ends the
/// process by the signal's default action, so that whoever started it sees which one.
[[noreturn]] void EndByForce(int signal, bool repeated)
{
    char line[256];
    const int length =
        repeated ? std::snprintf(line, sizeof line,
                                 "ERROR: %s got SIG%s again before it had stopped: ending it.\n",
                                 g_programName, sigabbrev_np(signal))
                 : std::snprintf(line, sizeof line,
                                 "ERROR: %s did not stop within %d s of SIG%s: ending it.\n",
                                 g_programName, kForceSeconds, sigabbrev_np(signal));
    pollfd error = {STDERR_FILENO, POLLOUT, 0};
    if (length > 0 && poll(&error, 1, 0) == 1 && (error.revents & POLLOUT) != 0)
    {
        const ssize_t written =
            write(STDERR_FILENO, line, std::min<size_t>(length, sizeof line - 1));
        (void)written;
    }
    std::signal(signal, SIG_DFL);
    kill(getpid(), signal);
    // Each of them ends the process by default; this runs only if that did not happen at once.
    _exit(128 + signal);
}

void Watch()
{
    int signal = 0;
    while (signal == 0)
        signal = WaitForSignal(-1);
    const Clock::time_point first = Clock::now();
    const Clock::time_point deadline = first + std::chrono::seconds(kForceSeconds);
    Clock::time_point nextInterrupt = first + kInterruptAfter;
    World::GetInstance()->RequestStop();
    for (;;)
    {
        const Clock::time_point wake =
            g_loopEnded.load() ? deadline : std::min(deadline, nextInterrupt);
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(wake - Clock::now());
        const int again = WaitForSignal(static_cast<int>(std::max<long long>(0, left.count())));
        const Clock::time_point now = Clock::now();
        if (now >= deadline)
            EndByForce(signal, false);
        if (again != 0 && !g_loopEnded.load() && now - first >= kRepeatEndsAfter)
            EndByForce(again, true);
        if (!g_loopEnded.load() && now >= nextInterrupt)
        {
            ScriptInterface::Interrupt(&g_loopEnded);
            nextInterrupt = now + kInterruptEvery;
        }
    }
}

bool Handle(int signal, void (*handler)(int))
{
    struct sigaction action = {};
    if (sigaction(signal, nullptr, &action) != 0)
        return false;
    // Whoever started the program asked for the signal to be ignored (nohup, a background job).
    if (action.sa_handler == SIG_IGN)
        return true;
    action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return sigaction(signal, &action, nullptr) == 0;
}
} // namespace

bool Install(const char* programName)
{
    g_programName = programName;
    // A mask is passed on to programs by accident (one who means it ignores the signal), and
    // with these blocked no Ctrl-C would ever reach this one.
    sigset_t stops;
    sigemptyset(&stops);
    for (int signal : kStopSignals)
        sigaddset(&stops, signal);
    pthread_sigmask(SIG_UNBLOCK, &stops, nullptr);
    bool installed = Handle(SIGPIPE, OnFailedWrite);
    installed = Handle(SIGXFSZ, OnFailedWrite) && installed;

    String failure;
    int ends[2];
    if (pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0)
        failure = std::strerror(errno);
    else
    {
        g_signalRead = ends[0];
        g_signalWrite = ends[1];
        try
        {
            std::thread(Watch).detach();
        }
        catch (const std::system_error& error)
        {
            failure = error.what();
            close(ends[0]);
            close(ends[1]);
        }
    }
    if (!failure.empty())
    {
        GetSystemLog()->Log(String("WARNING: Signals end ") + programName +
                            " at once, without saving - " + failure + ".");
        return false;
    }
    for (int signal : kStopSignals)
        installed = Handle(signal, OnStopSignal) && installed;
    return installed;
}

void LoopEnded()
{
    g_loopEnded.store(true);
}

} // namespace StopSignals
