#include "tuio/TuioCursor.h"

namespace TUIO
{

TuioCursor::TuioCursor(TuioTime time, long sessionID, int cursorID, float x, float y)
    : TuioContainer(time, sessionID, x, y), m_cursorID(cursorID)
{
}

TuioCursor::TuioCursor(TuioCursor* other)
    : TuioContainer(static_cast<TuioContainer*>(other)), m_cursorID(other->getCursorID())
{
}

} // namespace TUIO
