#pragma once

#include <atomic>

/// The lock of the Switchboard's queue, which every broadcast takes. Taken when free with one
/// atomic exchange and given back with a plain store, where a std::mutex costs two atomic
/// operations and two library calls. A thread that finds it held (the touch client's thread,
/// while the delivery pass holds it for the whole pass) spins briefly, then yields, then naps,
/// rather than burning its core. Named lock/unlock for std::lock_guard.
class QueueLock
{
public:
    void lock()
    {
        if (m_held.exchange(true, std::memory_order_acquire))
            WaitAndTake();
    }
    void unlock() { m_held.store(false, std::memory_order_release); }

private:
    void WaitAndTake();

    std::atomic<bool> m_held{false};
};
