#pragma once

#include "engine/actors/PhysicsActor.h"

namespace TUIO
{
class TuioCursor;
}

/// Stands for one finger on the table: a small black static sensor circle that the screens move
/// with the touch and that reports what it touches.
class TuioCursorPhysicsActor : public PhysicsActor
{
public:
    TuioCursorPhysicsActor();
    /// Frees the cursor copy.
    ~TuioCursorPhysicsActor() override;

    /// Keeps a copy of cursor (the caller keeps its own), replacing the one held; cursor may be
    /// the one held.
    void SetTuioCursor(TUIO::TuioCursor* cursor);
    /// The actor's own copy, or null before the first SetTuioCursor.
    TUIO::TuioCursor* GetTuioCursor() const { return m_tuioCursor; }

    /// The TUIO cursor ID the screen files the actor under; -1 until set.
    void SetCursorId(int id) { m_cursorId = id; }
    int GetCursorId() const { return m_cursorId; }

    /// For the screens' use: the drag screens keep the grab offset here.
    void SetGrabOffset(const Vector2& offset) { m_grabOffset = offset; }
    Vector2 GetGrabOffset() const { return m_grabOffset; }

private:
    Vector2 m_grabOffset;
    TUIO::TuioCursor* m_tuioCursor = nullptr;
    int m_cursorId = -1;
};
