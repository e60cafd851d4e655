#pragma once

#include "engine/messaging/ActorCollections.h"
#include "engine/util/StringTypes.h"

// Queries the screens make of the World's actors.

/// The actors that carry every tag of tags and are not destroyed, in the tag set's order. A
/// destroyed actor keeps its tags until the World deletes it, and must not be acted on again.
ActorList LiveActorsTagged(const String& tags);

/// True when text begins with prefix: pieces are recognised by the prefix of their unique name.
bool StartsWith(const String& text, const char* prefix);
