#include "engine/actors/ImageHeader.h"

#include <FreeImage.h>

#include <algorithm>

namespace
{
unsigned LittleEndian16(const unsigned char* bytes)
{
    return bytes[0] | static_cast<unsigned>(bytes[1]) << 8;
}

// FreeImage decodes a GIF to learn its size. The logical screen is in the header; the first
// image, whose size FreeImage allocates, follows the colour table and any extension blocks.
bool ReadGifSize(const String& bytes, unsigned& width, unsigned& height)
{
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const size_t size = bytes.size();
    if (size < 13)
        return false;
    width = LittleEndian16(data + 6);
    height = LittleEndian16(data + 8);
    size_t at = 13;
    if (data[10] & 0x80)
        at += 3u << ((data[10] & 7) + 1);
    while (at < size)
    {
        const unsigned char block = data[at++];
        if (block == 0x2C)
        {
            if (size - at < 8)
                return false;
            width = std::max(width, LittleEndian16(data + at + 4));
            height = std::max(height, LittleEndian16(data + at + 6));
            return true;
        }
        // Anything but an extension (label, then sub-blocks up to an empty one) ends the search.
        if (block != 0x21 || at++ >= size)
            return false;
        while (at < size && data[at] != 0)
            at += data[at] + 1u;
        ++at;
    }
    return false;
}

// FreeImage's read-only view of bytes held elsewhere, for the length of one call.
class MemoryView
{
public:
    explicit MemoryView(const String& bytes)
        : m_memory(FreeImage_OpenMemory(reinterpret_cast<BYTE*>(const_cast<char*>(bytes.data())),
                                        static_cast<DWORD>(bytes.size())))
    {
    }
    ~MemoryView()
    {
        if (m_memory)
            FreeImage_CloseMemory(m_memory);
    }
    MemoryView(const MemoryView&) = delete;
    MemoryView& operator=(const MemoryView&) = delete;

    FIMEMORY* Get() const { return m_memory; }

private:
    FIMEMORY* m_memory;
};
} // namespace

ImageHeader ReadImageHeader(const String& filename, const String& bytes)
{
    ImageHeader header;
    MemoryView memory(bytes);
    if (bytes.empty() || memory.Get() == nullptr)
        return header;
    FREE_IMAGE_FORMAT format = FreeImage_GetFileTypeFromMemory(memory.Get(), 0);
    if (format == FIF_UNKNOWN)
        format = FreeImage_GetFIFFromFilename(filename.c_str());
    if (format == FIF_UNKNOWN || !FreeImage_FIFSupportsReading(format))
        return header;

    unsigned width = 0, height = 0;
    if (FreeImage_FIFSupportsNoPixels(format))
    {
        FIBITMAP* bitmap = FreeImage_LoadFromMemory(format, memory.Get(), FIF_LOAD_NOPIXELS);
        if (bitmap == nullptr)
            return header;
        width = FreeImage_GetWidth(bitmap);
        height = FreeImage_GetHeight(bitmap);
        FreeImage_Unload(bitmap);
    }
    else if (format == FIF_GIF)
    {
        if (!ReadGifSize(bytes, width, height))
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

FIBITMAP* DecodeImage(const ImageHeader& header, const String& bytes)
{
    if (header.status != ImageHeader::Status::Read)
        return nullptr;
    MemoryView memory(bytes);
    return memory.Get() ? FreeImage_LoadFromMemory(static_cast<FREE_IMAGE_FORMAT>(header.format),
                                                   memory.Get(), 0)
                        : nullptr;
}
