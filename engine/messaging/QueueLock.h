#pragma once

#include <atomic>

/// The lock of the Switchboard's queue, which every broadcast takes. Taken when free with one
/// atomic exchange and given back with a plain store, where a std::mutex costs two atomic
/// operations and two library calls. It is held only for a few vector operations at a time; a
/// thread that finds it held spins briefly, then yields, then naps (a holder the scheduler
/// stopped), rather than burning its core. Named lock/unlock for std::lock_guard.
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
