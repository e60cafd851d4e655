#pragma once

#include "tuio/TuioTime.h"

namespace TUIO
{

/// A normalised position (0 ... 1 across the tracker's surface) and the time of its last change.
class TuioPoint
{
public:
    /// Stamped with the current session time.
    TuioPoint(float x, float y);
    TuioPoint(TuioTime time, float x, float y);
    /// Copies the position only; the time is the current session time.
    explicit TuioPoint(TuioPoint* other);

    /// These change the position; only the last one changes the time.
    void update(TuioPoint* other);
    void update(float x, float y);
    void update(TuioTime time, float x, float y);

    float getX() const { return m_x; }
    float getY() const { return m_y; }
    TuioTime getTuioTime() const { return m_time; }

    float getDistance(float x, float y) const;
    /// The position in pixels of a window width pixels wide, rounded to the nearest pixel;
    /// saturated to the int range for a position far off the table.
    int getScreenX(int width) const;
    int getScreenY(int height) const;

protected:
    float m_x = 0.0f;
    float m_y = 0.0f;
    TuioTime m_time;
};

} // namespace TUIO
