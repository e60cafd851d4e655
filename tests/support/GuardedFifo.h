#pragma once

#include "engine/util/StringTypes.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

/// A named pipe that nothing may wait on. Past its patience, a writer opens it now and then;
/// that frees a reader blocked in opening or reading it (the reader then sees end of file), so
/// code that waits on a pipe fails its test instead of hanging the suite, and the pipe tells.
class GuardedFifo
{
public:
    explicit GuardedFifo(const String& path,
                         std::chrono::milliseconds patience = std::chrono::seconds(3))
        : m_path(path), m_created(mkfifo(path.c_str(), 0600) == 0),
          m_watcher([this, patience] { Watch(patience); })
    {
    }
    ~GuardedFifo()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_all();
        m_watcher.join();
    }
    GuardedFifo(const GuardedFifo&) = delete;
    GuardedFifo& operator=(const GuardedFifo&) = delete;

    bool Created() const { return m_created; }
    /// True once a reader had to be freed: something waited on the pipe.
    bool FreedAReader() const { return m_freed; }

private:
    void Watch(std::chrono::milliseconds patience)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (m_wake.wait_for(lock, patience, [this] { return m_stop; }))
            return;
        while (!m_wake.wait_for(lock, std::chrono::milliseconds(50), [this] { return m_stop; }))
        {
            // Opening for writing without blocking succeeds only while a reader has it open.
            const int fd = open(m_path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd >= 0)
            {
                m_freed = true;
                close(fd);
            }
        }
    }

    String m_path;
    bool m_created;
    std::atomic<bool> m_freed{false};
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
    std::thread m_watcher;
};
