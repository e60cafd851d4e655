#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <vector>

namespace TUIO
{

class TuioCursor;

/// Hands out the small cursor IDs of touches: the next number, or the ID of the removed cursor
/// nearest to the new touch. The live and the free IDs together are always 0 ... highest ID.
/// Used on the receive thread only.
class CursorIDPool
{
public:
    CursorIDPool() = default;
    ~CursorIDPool();
    CursorIDPool(const CursorIDPool&) = delete;
    CursorIDPool& operator=(const CursorIDPool&) = delete;

    /// The ID for a new cursor at (x, y) while liveCount cursors live.
    int Take(float x, float y, std::size_t liveCount);
    /// Takes over a removed cursor: keeps it as a free ID, or deletes it when it held the highest
    /// ID, which then becomes the highest among live.
    void Release(TuioCursor* cursor, const std::vector<TuioCursor*>& live);

private:
    /// Removed cursors whose IDs can be handed out again, oldest removal first; owned.
    std::list<TuioCursor*> m_freeCursors;
    int32_t m_maxCursorID = -1;
};

} // namespace TUIO
