#pragma once

#include "engine/util/StringTypes.h"

/// Reads the start script into source. False, with the reason in the system log, when it
/// cannot be run: "Error initializing Python: couldn't find startup file." when it is missing
/// or no regular file (a folder, a pipe, a device), else an "ERROR:" line naming the file and
/// what is wrong with it (unreadable, or beyond kMaxTextFileBytes).
bool ReadStartScript(const String& path, String& source);

/// Runs source in the interpreter's main module as the file path, as Python runs a script
/// file: `__file__` is set while it runs, an encoding declaration is honoured, and an error is
/// printed with its traceback. Needs the interpreter.
void RunStartScript(const String& path, const String& source);
