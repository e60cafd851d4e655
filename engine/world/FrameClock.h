#pragma once

/// Where the World reads the time of each frame. The default reads the window system's timer;
/// tests install their own to drive World::Tick with frame times they choose.
class FrameClock
{
public:
    virtual ~FrameClock() = default;
    /// Seconds on a monotonic timer.
    virtual double GetTime() = 0;
};
