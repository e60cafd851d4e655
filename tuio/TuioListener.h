#pragma once

#include "tuio/TuioTime.h"

namespace TUIO
{

class TuioCursor;
class TuioObject;

/// Receives the client's reports. Every call comes on the client's receive thread; the pointers
/// are the client's own containers, valid for the call only: copy what you keep.
/// Add and remove calls come with the matching list lock held, updates and refresh without it.
class TuioListener
{
public:
    virtual ~TuioListener() = default;

    /// A new object, reported as soon as its first "set" arrives.
    virtual void addTuioObject(TuioObject* tobj) = 0;
    /// An object whose values changed, reported when its frame is committed.
    virtual void updateTuioObject(TuioObject* tobj) = 0;
    /// An object no longer named alive; deleted after the call.
    virtual void removeTuioObject(TuioObject* tobj) = 0;
    virtual void addTuioCursor(TuioCursor* tcur) = 0;
    virtual void updateTuioCursor(TuioCursor* tcur) = 0;
    /// A cursor no longer named alive; the client may reuse or delete it after the call.
    virtual void removeTuioCursor(TuioCursor* tcur) = 0;
    /// A frame was committed, after its updates.
    virtual void refresh(TuioTime frameTime) = 0;
};

} // namespace TUIO
