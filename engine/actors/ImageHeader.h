#pragma once

#include "engine/util/StringTypes.h"

/// What an image file's header tells without decoding its pixels.
struct ImageHeader
{
    enum class Status
    {
        /// Not a regular file, not an image FreeImage reads, or a broken header or a 0 size.
        Unreadable,
        /// A format whose size FreeImage learns only by decoding all its pixels.
        SizeUnknown,
        Read,
    };
    Status status = Status::Unreadable;
    /// FreeImage's FREE_IMAGE_FORMAT of the file; set unless unreadable.
    int format = -1;
    /// In pixels; set when read.
    unsigned width = 0;
    unsigned height = 0;
};

/// Reads an image file's format and size. Touches at most the header (and for a GIF the blocks
/// before its first image), so a small file that claims a huge picture costs nothing.
ImageHeader ReadImageHeader(const String& filename);
