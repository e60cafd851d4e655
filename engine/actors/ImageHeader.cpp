#include "engine/actors/ImageHeader.h"

#include <FreeImage.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace
{
unsigned LittleEndian16(const unsigned char* bytes)
{
    return bytes[0] | static_cast<unsigned>(bytes[1]) << 8;
}

// FreeImage decodes a GIF to learn its size. The logical screen is in the header; the first
// image, whose size FreeImage allocates, follows the colour table and any extension blocks.
bool ReadGifSize(const String& filename, unsigned& width, unsigned& height)
{
    std::ifstream file(filename, std::ios::binary);
    unsigned char screen[13];
    if (!file.read(reinterpret_cast<char*>(screen), sizeof screen))
        return false;
    width = LittleEndian16(screen + 6);
    height = LittleEndian16(screen + 8);
    if (screen[10] & 0x80)
        file.ignore(3 << ((screen[10] & 7) + 1));
    for (;;)
    {
        const int block = file.get();
        if (block == 0x2C)
        {
            unsigned char image[8];
            if (!file.read(reinterpret_cast<char*>(image), sizeof image))
                return false;
            width = std::max(width, LittleEndian16(image + 4));
            height = std::max(height, LittleEndian16(image + 6));
            return true;
        }
        // Anything but an extension (label, then sub-blocks up to an empty one) ends the search.
        if (block != 0x21 || file.get() == EOF)
            return false;
        for (int size; (size = file.get()) > 0;)
            file.ignore(size);
    }
}
} // namespace

ImageHeader ReadImageHeader(const String& filename)
{
    ImageHeader header;
    // A folder, a pipe or a device named like an image would fail or block in FreeImage.
    std::error_code error;
    if (!std::filesystem::is_regular_file(filename, error))
        return header;
    FREE_IMAGE_FORMAT format = FreeImage_GetFileType(filename.c_str(), 0);
    if (format == FIF_UNKNOWN)
        format = FreeImage_GetFIFFromFilename(filename.c_str());
    if (format == FIF_UNKNOWN || !FreeImage_FIFSupportsReading(format))
        return header;

    unsigned width = 0, height = 0;
    if (FreeImage_FIFSupportsNoPixels(format))
    {
        FIBITMAP* bitmap = FreeImage_Load(format, filename.c_str(), FIF_LOAD_NOPIXELS);
        if (bitmap == nullptr)
            return header;
        width = FreeImage_GetWidth(bitmap);
        height = FreeImage_GetHeight(bitmap);
        FreeImage_Unload(bitmap);
    }
    else if (format == FIF_GIF)
    {
        if (!ReadGifSize(filename, width, height))
            return header;
    }
    else if (format == FIF_KOALA)
    {
        // The C64 picture format has one size.
        width = 320;
        height = 200;
    }
    else
    {
        header.status = ImageHeader::Status::SizeUnknown;
        header.format = format;
        return header;
    }

    if (width == 0 || height == 0)
        return header;
    header.status = ImageHeader::Status::Read;
    header.format = format;
    header.width = width;
    header.height = height;
    return header;
}
