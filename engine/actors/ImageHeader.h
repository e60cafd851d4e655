#pragma once

#include "engine/util/StringTypes.h"

struct FIBITMAP;

/// What an image file's header tells without decoding its pixels.
struct ImageHeader
{
    enum class Status
    {
        /// No bytes, not an image FreeImage reads, or a broken header or a 0 size.
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

/// Reads the format and size of an image file's bytes (the name's extension stands in for a
/// format the bytes do not tell). Looks at most at the header (and for a GIF the blocks before
/// its first image), so a small file that claims a huge picture costs nothing.
ImageHeader ReadImageHeader(const String& filename, const String& bytes);

/// Decodes the pixels of an image whose header was read; null when FreeImage fails. The caller
/// unloads the bitmap.
FIBITMAP* DecodeImage(const ImageHeader& header, const String& bytes);
