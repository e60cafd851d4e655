#include "tuio/TuioPoint.h"

#include <cmath>
#include <limits>

namespace TUIO
{

namespace
{
int RoundToPixel(int size, float position)
{
    // Stored as a float before the floor: the rounding is that of single precision.
    float pixel = std::floor(static_cast<float>(size) * position + 0.5f);
    // A float beyond int's range has no int value (the conversion is undefined): a position far
    // off the table saturates to the int range, and one that is not a number gives 0.
    constexpr float IntRange = 2147483648.0f; // 2^31
    if (std::isnan(pixel))
    {
        return 0;
    }
    if (pixel >= IntRange)
    {
        return std::numeric_limits<int>::max();
    }
    if (pixel < -IntRange)
    {
        return std::numeric_limits<int>::min();
    }
    return static_cast<int>(pixel);
}
} // namespace

TuioPoint::TuioPoint(float x, float y) : m_x(x), m_y(y), m_time(TuioTime::getSessionTime()) {}

TuioPoint::TuioPoint(TuioTime time, float x, float y) : m_x(x), m_y(y), m_time(time) {}

TuioPoint::TuioPoint(TuioPoint* other)
    : m_x(other->getX()), m_y(other->getY()), m_time(TuioTime::getSessionTime())
{
}

void TuioPoint::update(TuioPoint* other)
{
    m_x = other->getX();
    m_y = other->getY();
}

void TuioPoint::update(float x, float y)
{
    m_x = x;
    m_y = y;
}

void TuioPoint::update(TuioTime time, float x, float y)
{
    m_x = x;
    m_y = y;
    m_time = time;
}

float TuioPoint::getDistance(float x, float y) const
{
    float dx = m_x - x;
    float dy = m_y - y;
    return std::sqrt(dx * dx + dy * dy);
}

int TuioPoint::getScreenX(int width) const
{
    return RoundToPixel(width, m_x);
}

int TuioPoint::getScreenY(int height) const
{
    return RoundToPixel(height, m_y);
}

} // namespace TUIO
