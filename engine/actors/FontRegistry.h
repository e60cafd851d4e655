#pragma once

#include "engine/util/StringTypes.h"
#include "engine/util/Vector2.h"

/// The process-wide font registry: texture fonts loaded once and drawn by a short nickname
/// ("Console", "ConsoleSmall", ...). Main thread only; loading and drawing need the GL context.

/// Loads filename at pointSize (72 dpi) under nickname, replacing (and first deleting) any font
/// of that nickname. False, with a line in the system log, when the file cannot be loaded or
/// sized; the nickname is then unregistered.
bool RegisterFont(const String& filename, int pointSize, const String& nickname);

/// Deletes the font of nickname. False, with a line in the system log, for an unknown nickname.
bool UnRegisterFont(const String& nickname);

/// Width and height in pixels of the text's bounding box; (0, 0) for an unknown nickname.
Vector2 GetTextExtents(const String& text, const String& nickname);

/// Draws text with its baseline origin at window pixel (pixelX, pixelY), y counted from the top,
/// rotated counter-clockwise by rotation degrees about that point, in the current GL colour.
/// Returns the text's extents; an unknown nickname draws nothing and returns (0, 0).
Vector2 DrawScreenText(const String& text, const String& nickname, int pixelX, int pixelY,
                       float rotation);
