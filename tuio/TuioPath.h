#pragma once

#include "tuio/TuioPoint.h"

#include <array>
#include <cstddef>
#include <vector>

namespace TUIO
{

/// How many of its most recent points a container's path keeps. A touch resting on the table
/// for hours would otherwise grow its path, and every copy of it, by a point per update.
constexpr std::size_t MaxPathPoints = 64;

/// The most recent points of a container, oldest first, in a ring held inside the container.
/// Appending drops the oldest point once the ring is full, so appending and copying cost the
/// same however long the touch has lasted, and a copy allocates nothing.
class TuioPath
{
public:
    explicit TuioPath(const TuioPoint& first);

    void append(const TuioPoint& point);
    /// The newest point.
    TuioPoint back() const;
    /// The points kept, oldest first.
    std::vector<TuioPoint> points() const;

private:
    struct Entry
    {
        TuioTime time;
        float x = 0.0f;
        float y = 0.0f;
    };
    TuioPoint pointAt(std::size_t index) const;

    std::array<Entry, MaxPathPoints> m_entries{};
    std::size_t m_oldest = 0;
    std::size_t m_size = 0;
};

} // namespace TUIO
