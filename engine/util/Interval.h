#pragma once

#include "engine/util/MathUtil.h"

/// A value that moves from start to end over a duration, linearly or with a smooth step.
/// T is float, Vector2 or Color.
template <typename T> class Interval
{
public:
    /// Not stepping.
    Interval()
        : m_start(), m_end(), m_current(), m_duration(0.0f), m_elapsed(0.0f), m_shouldStep(false),
          m_smooth(false)
    {
    }

    Interval(const T& start, const T& end, float duration, bool smooth)
        : m_start(start), m_end(end), m_current(start), m_duration(duration), m_elapsed(0.0f),
          m_shouldStep(true), m_smooth(smooth)
    {
    }

    /// Advances by dt seconds and returns the current value. Reaching the end clears
    /// ShouldStep(); the caller tests it after the step.
    T Step(float dt)
    {
        if (!m_shouldStep)
            return m_current;
        m_elapsed += dt;
        // A duration that is not a number (a script's) ends at once rather than never.
        if (!(m_elapsed < m_duration))
        {
            m_current = m_end;
            m_shouldStep = false;
        }
        else
        {
            const float t = m_elapsed / m_duration;
            m_current = m_smooth ? MathUtil::SmoothStep(m_start, m_end, t)
                                 : MathUtil::Lerp(m_start, m_end, t);
        }
        return m_current;
    }

    bool ShouldStep() const { return m_shouldStep; }

private:
    T m_start;
    T m_end;
    T m_current;
    float m_duration;
    float m_elapsed;
    bool m_shouldStep;
    bool m_smooth;
};
