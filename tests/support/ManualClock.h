#pragma once

#include "engine/world/FrameClock.h"

/// A frame clock that tests move by hand.
class ManualClock : public FrameClock
{
public:
    double GetTime() override { return m_now; }
    void Set(double seconds) { m_now = seconds; }
    void Advance(double seconds) { m_now += seconds; }

private:
    double m_now = 0.0;
};
