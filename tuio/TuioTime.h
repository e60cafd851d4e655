#pragma once

#include <cstdint>

namespace TUIO
{

/// A time stamp relative to the start of the TUIO session: whole seconds plus microseconds.
/// Differences never go negative; they clamp to 0 s 0 us.
class TuioTime
{
public:
    TuioTime() = default;
    TuioTime(long seconds, long microseconds);
    /// Truncates: 1234 ms is 1 s 234,000 us.
    explicit TuioTime(long milliseconds);

    TuioTime operator-(TuioTime other) const;

    void reset();
    long getSeconds() const { return m_seconds; }
    long getMicroseconds() const { return m_microSeconds; }
    /// Truncates the microseconds to whole milliseconds.
    long getTotalMilliseconds() const { return long(m_seconds) * 1000 + m_microSeconds / 1000; }

    /// Starts the session clock at the current system time.
    static void initSession();
    static TuioTime getStartTime();
    /// Milliseconds of the process's monotonic clock; unaffected by changes of the wall clock.
    static TuioTime getSystemTime();
    /// Time since initSession(); before it, the raw system time.
    static TuioTime getSessionTime();

    static int32_t start_seconds;
    static int32_t start_micro_seconds;

private:
    int32_t m_seconds = 0;
    int32_t m_microSeconds = 0;
};

} // namespace TUIO
