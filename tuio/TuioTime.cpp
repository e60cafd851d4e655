#include "tuio/TuioTime.h"

#include <atomic>
#include <chrono>

namespace TUIO
{

int32_t TuioTime::start_seconds = 0;
int32_t TuioTime::start_micro_seconds = 0;

namespace
{
// The session start is written by connect() on one thread and read by the receive thread and
// by readers elsewhere; a relaxed atomic copy keeps those reads race-free.
std::atomic<int64_t> s_startMilliseconds{0};
} // namespace

TuioTime::TuioTime(long seconds, long microseconds)
    : m_seconds(static_cast<int32_t>(seconds)), m_microSeconds(static_cast<int32_t>(microseconds))
{
}

TuioTime::TuioTime(long milliseconds)
    : m_seconds(static_cast<int32_t>(milliseconds / 1000)),
      m_microSeconds(static_cast<int32_t>((milliseconds % 1000) * 1000))
{
}

TuioTime TuioTime::operator-(TuioTime other) const
{
    // 64-bit intermediates: extreme stamps must not overflow before the clamp.
    int64_t seconds = int64_t(m_seconds) - other.m_seconds;
    int64_t microseconds = int64_t(m_microSeconds) - other.m_microSeconds;
    if (microseconds < 0)
    {
        microseconds += 1000000;
        seconds -= 1;
    }
    if (seconds < 0)
    {
        return TuioTime();
    }
    return TuioTime(static_cast<long>(seconds), static_cast<long>(microseconds));
}

void TuioTime::reset()
{
    m_seconds = 0;
    m_microSeconds = 0;
}

void TuioTime::initSession()
{
    TuioTime now = getSystemTime();
    s_startMilliseconds.store(now.getTotalMilliseconds(), std::memory_order_relaxed);
    start_seconds = now.m_seconds;
    start_micro_seconds = now.m_microSeconds;
}

TuioTime TuioTime::getStartTime()
{
    return TuioTime(static_cast<long>(s_startMilliseconds.load(std::memory_order_relaxed)));
}

TuioTime TuioTime::getSystemTime()
{
    // A 64-bit millisecond count of the monotonic clock: unlike a 32-bit tick count it neither
    // wraps nor turns negative after weeks of uptime.
    using namespace std::chrono;
    long milliseconds = static_cast<long>(
        duration_cast<std::chrono::milliseconds>(steady_clock::now().time_since_epoch()).count());
    return TuioTime(milliseconds);
}

TuioTime TuioTime::getSessionTime()
{
    return getSystemTime() - getStartTime();
}

} // namespace TUIO
