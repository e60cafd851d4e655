#pragma once

#include "engine/world/RenderableRef.h"
#include "game/prototypes/LiftedFingers.h"

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
/// "TuioCursorRemoved". The World owns the actors; this keeps references to them, so that a
/// finger destroyed by anyone else (a script, a level unload) counts as lifted. At most
/// kMaxFingers exist at once, those lifted in this frame included: a touch beyond them gets no
/// finger and is ignored until lifted.
class FingerActors
{
public:
    using Map = std::map<int, TuioCursorPhysicsActor*>;

    /// The most finger actors a screen keeps, here and on the drag screens: four players with
    /// every finger on the table, and a few more. A flood of touches from the network makes no
    /// more than these.
    static constexpr int kMaxFingers = 48;

    /// New fingers go to layer, and listener is subscribed to their collision messages.
    FingerActors(MessageListener* listener, int layer);

    /// Handles the three touch messages with Add, Move and Lift (the lifted finger is
    /// destroyed); false for every other message.
    bool Handle(Message* message);
    /// A new finger for a cursor whose ID has none (or only one that is gone), filed and
    /// returned; else null, also when kMaxFingers exist.
    TuioCursorPhysicsActor* Add(TUIO::TuioCursor* cursor);
    /// The finger of the cursor's ID, given a copy of the cursor and moved to it; or null.
    TuioCursorPhysicsActor* Move(TUIO::TuioCursor* cursor);
    /// The finger filed under id, taken off the list to be destroyed by the caller; or null.
    TuioCursorPhysicsActor* Lift(int id);
    /// Destroys every finger actor still there and forgets them all.
    void Clear();

    /// The fingers not yet destroyed, by cursor ID.
    Map Get() const;
    /// The finger filed under id, or null (also once it has been destroyed).
    TuioCursorPhysicsActor* Find(int id) const;

    /// A finger actor named "Cursor" at the cursor's world point, with its own copy of the
    /// cursor and its ID, added to the World in layer; listener is subscribed to its collisions.
    static TuioCursorPhysicsActor* Make(TUIO::TuioCursor* cursor, MessageListener* listener,
                                        int layer);

private:
    MessageListener* m_listener;
    int m_layer;
    std::map<int, RenderableRef<TuioCursorPhysicsActor>> m_fingers;
    LiftedFingers m_lifted;
};
