#include "engine/messaging/QueueLock.h"

#include <chrono>
#include <thread>

void QueueLock::WaitAndTake()
{
    constexpr int kSpins = 64;
    constexpr int kYields = 64;
    int tries = 0;
    do
    {
        // Read until it looks free, so that waiting does not take the line from the holder.
        while (m_held.load(std::memory_order_relaxed))
        {
            if (tries < kSpins)
                ++tries;
            else if (tries < kSpins + kYields)
            {
                ++tries;
                std::this_thread::yield();
            }
            else
                std::this_thread::sleep_for(std::chrono::microseconds(50));
        }
    } while (m_held.exchange(true, std::memory_order_acquire));
}
