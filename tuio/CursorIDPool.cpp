#include "tuio/CursorIDPool.h"

#include "tuio/TuioCursor.h"

#include <algorithm>

namespace TUIO
{

CursorIDPool::~CursorIDPool()
{
    for (TuioCursor* cursor : m_freeCursors)
    {
        delete cursor;
    }
}

int CursorIDPool::Take(float x, float y, std::size_t liveCount)
{
    int32_t count = static_cast<int32_t>(liveCount);
    if (count > m_maxCursorID || m_freeCursors.empty())
    {
        // An empty free list with fewer live cursors than IDs cannot happen, but would still get
        // a fresh ID here.
        m_maxCursorID = std::max(count, m_maxCursorID + 1);
        return m_maxCursorID;
    }
    // The nearest free cursor; the earliest freed of equally near ones.
    auto nearest = m_freeCursors.begin();
    float nearestDistance = (*nearest)->getDistance(x, y);
    for (auto it = std::next(nearest); it != m_freeCursors.end(); ++it)
    {
        float distance = (*it)->getDistance(x, y);
        if (distance < nearestDistance)
        {
            nearest = it;
            nearestDistance = distance;
        }
    }
    int cursorID = (*nearest)->getCursorID();
    delete *nearest;
    m_freeCursors.erase(nearest);
    return cursorID;
}

void CursorIDPool::Release(TuioCursor* cursor, const std::vector<TuioCursor*>& live)
{
    if (cursor->getCursorID() < m_maxCursorID)
    {
        m_freeCursors.push_back(cursor);
        return;
    }
    delete cursor;
    m_maxCursorID = -1;
    for (const TuioCursor* other : live)
    {
        m_maxCursorID = std::max(m_maxCursorID, static_cast<int32_t>(other->getCursorID()));
    }
    // Free IDs above the new highest would leave a gap: they are handed out as fresh ones.
    for (auto it = m_freeCursors.begin(); it != m_freeCursors.end();)
    {
        if ((*it)->getCursorID() > m_maxCursorID)
        {
            delete *it;
            it = m_freeCursors.erase(it);
        }
        else
        {
            ++it;
        }
    }
}

} // namespace TUIO
