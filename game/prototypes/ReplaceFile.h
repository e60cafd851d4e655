#pragma once

#include "engine/util/StringTypes.h"

/// Replaces fileName with text through a temporary file of a unique name beside it (two
/// editors, or one left over by a crash, never collide), flushed to the disk before it is
/// renamed over the old one; the folder is flushed after the rename, so that the new name
/// outlasts a power cut. A crash or a full disk midway leaves the old file whole. The file
/// keeps the old one's permissions; a new one gets 0644 less the umask. Returns 0, or the errno
/// value of the step that failed, with the temporary file gone.
int ReplaceFile(const String& fileName, const String& text);
