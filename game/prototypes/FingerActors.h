#pragma once

#include "engine/util/Vector2.h"

#include <map>

class Message;
class MessageListener;
class TuioCursorPhysicsActor;

namespace TUIO
{
class TuioCursor;
}

/// The finger actors of a screen, one per touch on the table, filed under the TUIO cursor ID:
/// made on "TuioCursorAdded", moved on "TuioCursorUpdated" and destroyed on
/// "TuioCursorRemoved". The World owns the actors; this keeps pointers to them.
class FingerActors
{
public:
    using Map = std::map<int, TuioCursorPhysicsActor*>;

    /// New fingers go to layer, and listener is subscribed to their collision messages.
    FingerActors(MessageListener* listener, int layer);

    /// Handles the three touch messages; false for every other message.
    bool Handle(Message* message);
    /// Destroys every finger actor and forgets them all.
    void Clear();

    const Map& Get() const { return m_fingers; }

    /// The world point under the cursor's position in the window.
    static Vector2 WorldPoint(const TUIO::TuioCursor& cursor);

private:
    MessageListener* m_listener;
    int m_layer;
    Map m_fingers;
};
