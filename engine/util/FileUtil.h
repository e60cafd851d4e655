#pragma once

#include "engine/util/StringTypes.h"

/// Appends the file's lines to lines (the list is not cleared). A last line feed leaves a last,
/// empty entry; an empty file gives one empty entry. False, and nothing appended, when the
/// file cannot be read: also when it is no regular file or holds more than kMaxTextFileBytes
/// (ReadDataFile).
bool FileReadLines(const String& fileName, StringList& lines);

/// Appends the lines of a file's contents as FileReadLines does.
void SplitFileLines(const String& contents, StringList& lines);

/// Appends line and a line end to the file, creating it when missing. False when it cannot
/// be opened.
bool FileAppendLine(const String& fileName, const String& line);
