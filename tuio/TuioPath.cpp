#include "tuio/TuioPath.h"

namespace TUIO
{

TuioPath::TuioPath(const TuioPoint& first)
{
    append(first);
}

void TuioPath::append(const TuioPoint& point)
{
    if (m_size < MaxPathPoints)
    {
        ++m_size;
    }
    else
    {
        m_oldest = (m_oldest + 1) % MaxPathPoints;
    }
    m_entries[(m_oldest + m_size - 1) % MaxPathPoints] = {point.getTuioTime(), point.getX(),
                                                          point.getY()};
}

TuioPoint TuioPath::back() const
{
    return pointAt(m_size - 1);
}

std::vector<TuioPoint> TuioPath::points() const
{
    std::vector<TuioPoint> points;
    points.reserve(m_size);
    for (std::size_t i = 0; i < m_size; ++i)
    {
        points.push_back(pointAt(i));
    }
    return points;
}

TuioPoint TuioPath::pointAt(std::size_t index) const
{
    const Entry& entry = m_entries[(m_oldest + index) % MaxPathPoints];
    return TuioPoint(entry.time, entry.x, entry.y);
}

} // namespace TUIO
