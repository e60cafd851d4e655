#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

/// Fails the test program (exit status 1, naming what hung) when it is still alive after the
/// given time: a deadlock that a fault brings back ends the test instead of hanging the suite.
class Watchdog
{
public:
    Watchdog(double seconds, std::string what) : m_what(std::move(what))
    {
        m_thread = std::thread(
            [this, seconds]
            {
                std::unique_lock<std::mutex> lock(m_mutex);
                if (!m_done.wait_for(lock, std::chrono::duration<double>(seconds),
                                     [this] { return m_finished; }))
                {
                    std::fprintf(stderr, "FAILED: still waiting after %.0f s: %s\n", seconds,
                                 m_what.c_str());
                    std::fflush(stderr);
                    std::_Exit(1);
                }
            });
    }
    ~Watchdog()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_finished = true;
        }
        m_done.notify_one();
        m_thread.join();
    }
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

private:
    std::string m_what;
    std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_finished = false;
    std::thread m_thread;
};
