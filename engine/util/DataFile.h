#pragma once

#include "engine/util/StringTypes.h"

/// The most a key-binding, level or archetype file or the start script may hold: a hundred
/// times the largest level's thousand actors, parsed in a few seconds.
constexpr unsigned long long kMaxTextFileBytes = 16ULL * 1024 * 1024;
/// The most an image, font or sound file may hold: far beyond the largest texture (4096 x 4096
/// pixels) or the fonts and sound clips of any screen.
constexpr unsigned long long kMaxMediaFileBytes = 256ULL * 1024 * 1024;

/// What looking for a data file found. Anything but a regular file (a folder, a pipe, a
/// device, a socket, a dangling link or a link loop) is a missing file: a pipe or a device
/// would block or never end.
struct DataFile
{
    enum class Status
    {
        Found,
        Missing,
        /// There, but open or read failed: `error` holds the errno.
        Unreadable,
        /// Holds more than the cap: `size` is at least the cap plus one.
        TooLarge,
    };
    Status status = Status::Missing;
    int error = 0;
    unsigned long long size = 0;
    /// The file's bytes, when read.
    String contents;

    /// The reason for a status other than Found, for a log line: "not found", "Permission
    /// denied", "larger than 16777216 bytes".
    String Reason(unsigned long long maxBytes) const;
};

/// Reads the whole file when it is a regular file of at most maxBytes. Never blocks on a pipe
/// or device, and reads no more than maxBytes + 1 bytes, so a file that grows or lies about
/// its size (under /proc) cannot run away. One that the memory left cannot hold is Unreadable
/// with ENOMEM.
DataFile ReadDataFile(const String& path, unsigned long long maxBytes);

/// Looks at the file, on the same terms as ReadDataFile, without reading it.
DataFile CheckDataFile(const String& path, unsigned long long maxBytes);

/// Opens the file for a library that reads it through a descriptor, on the same terms as
/// ReadDataFile; `found.contents` stays empty. The descriptor (close-on-exec, non-blocking,
/// which a regular file ignores) or -1.
int OpenDataFile(const String& path, unsigned long long maxBytes, DataFile& found);
