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
/// The world point under the cursor's position in the window.
Vector2 CursorWorldPoint(const TUIO::TuioCursor& cursor);

/// "CollisionWith" followed by the actor's name: what the World sends the actor's subscribers.
String CollisionName(const Actor* actor);
/// The actor name a collision message's name ends in; empty for any other name.
String CollisionSubject(const String& messageName);
/// The contact point a collision message carries; null for a message without one.
b2ContactPoint* ContactOf(Message* message);
/// The actor that sent message, or null when the sender is no actor, has been destroyed, or has
/// been deleted since the message was queued (a screen laid out afresh, a script).
Actor* LiveSender(const Message* message);
