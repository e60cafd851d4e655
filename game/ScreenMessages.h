#pragma once

#include "engine/util/StringTypes.h"
#include "engine/util/Vector2.h"

// The messages the screens receive: the manager's touch messages and the World's collision
// messages. Anyone may broadcast these names (a key binding, a script), so the values are read
// only after checking what the message really carries.

class Actor;
class Message;
class MessageListener;
struct b2ContactPoint;

namespace TUIO
{
class TuioCursor;
}

/// Subscribes listener to "TuioCursorAdded", "TuioCursorRemoved" and "TuioCursorUpdated", in
/// that order.
void SubscribeToTouches(MessageListener* listener);
void UnsubscribeFromTouches(MessageListener* listener);

/// The cursor copy a touch message carries; null for a message without one.
TUIO::TuioCursor* CursorOf(Message* message);
/// The world point under the cursor's position in the window. A tracker may report a little
/// outside 0 ... 1; anything further out (or not a number) counts as the nearest point of a
/// band one table wide around the table, so that no screen puts an actor at 1e30.
Vector2 CursorWorldPoint(const TUIO::TuioCursor& cursor);
/// The cursor's speed in world units per second (the table's y axis points down, the world's
/// up), each component limited to kMaxCursorWorldSpeed and 0 when not a number.
Vector2 CursorWorldVelocity(const TUIO::TuioCursor& cursor);
/// World units per second: well beyond any finger, and far from what overflows Box2D.
constexpr float kMaxCursorWorldSpeed = 1000.0f;

/// "CollisionWith" followed by the actor's name: what the World sends the actor's subscribers.
String CollisionName(const Actor* actor);
/// The actor name a collision message's name ends in; empty for any other name.
String CollisionSubject(const String& messageName);
/// The contact point a collision message carries; null for a message without one.
b2ContactPoint* ContactOf(Message* message);
/// The actor that sent message, or null when the sender is no actor, has been destroyed, or has
/// been deleted since the message was queued (a screen laid out afresh, a script).
Actor* LiveSender(const Message* message);
