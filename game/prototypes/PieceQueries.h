#pragma once

#include "engine/messaging/ActorCollections.h"
#include "engine/util/StringTypes.h"

// Queries the fungus screens make of the World's pieces.

class Message;

/// The actors that carry every tag of tags and are not destroyed, in the tag set's order. A
/// destroyed actor keeps its tags until the World deletes it, and must not be acted on again.
ActorList LiveActorsTagged(const String& tags);

/// The actor in the World that sent message, or null. The sender is compared with the World's
/// actors, never followed: a message queued before a screen was laid out afresh may come from
/// an actor that is gone.
Actor* LiveSender(const Message* message);

/// True when text begins with prefix: pieces are recognised by the prefix of their unique name.
bool StartsWith(const String& text, const char* prefix);
