#pragma once

#include "tuio/TuioContainer.h"

namespace TUIO
{

/// A touch point. Its cursor ID is the small reusable number (0, 1, 2, ...) the client gives
/// each touch, as opposed to the tracker's ever-growing session ID.
class TuioCursor : public TuioContainer
{
public:
    TuioCursor(TuioTime time, long sessionID, int cursorID, float x, float y);
    /// Position, session ID and cursor ID only; see TuioContainer(TuioContainer*). Follow it with
    /// an assignment to get a copy equal in every field, path included.
    explicit TuioCursor(TuioCursor* other);
    TuioCursor(const TuioCursor& other) = default;
    TuioCursor& operator=(const TuioCursor& other) = default;
    ~TuioCursor() override = default;

    int getCursorID() const { return m_cursorID; }

private:
    int32_t m_cursorID = 0;
};

} // namespace TUIO
