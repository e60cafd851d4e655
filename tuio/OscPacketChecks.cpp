#include "tuio/OscPacketChecks.h"

#include <oscpack/osc/OscReceivedElements.h>

namespace TUIO
{

namespace
{
constexpr ptrdiff_t WordSize = 4;

int64_t ReadBigEndian32(const char* p)
{
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(p);
    return int64_t(uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 |
                   uint32_t(bytes[3]));
}

/// The start of what follows the string at p, or null unless it ends before end. Strings fill
/// whole four-byte words: the terminator and the padding after it are zero bytes.
const char* SkipString(const char* p, const char* end)
{
    for (; end - p >= WordSize; p += WordSize)
    {
        const unsigned char* bytes = reinterpret_cast<const unsigned char*>(p);
        // Byte i of the string is byte i of the word, counted from the least significant.
        uint32_t word = uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 |
                        uint32_t(bytes[3]) << 24;
        // The lowest flagged byte is the first zero byte (the flags above it may be spurious).
        uint32_t zeroBytes = (word - 0x01010101u) & ~word & 0x80808080u;
        if (zeroBytes == 0)
        {
            continue;
        }
        int firstZero = __builtin_ctz(zeroBytes) / 8;
        // Everything from the terminator to the end of the word must be zero padding.
        return (word >> (8 * firstZero)) == 0 ? p + WordSize : nullptr;
    }
    return nullptr;
}

/// The start of the argument after the one of typeTag at p, or null when it does not fit.
const char* SkipArgument(char typeTag, const char* p, const char* end)
{
    switch (typeTag)
    {
    case osc::TRUE_TYPE_TAG:
    case osc::FALSE_TYPE_TAG:
    case osc::NIL_TYPE_TAG:
    case osc::INFINITUM_TYPE_TAG:
    case osc::ARRAY_BEGIN_TYPE_TAG:
    case osc::ARRAY_END_TYPE_TAG:
        return p;
    case osc::INT32_TYPE_TAG:
    case osc::FLOAT_TYPE_TAG:
    case osc::CHAR_TYPE_TAG:
    case osc::RGBA_COLOR_TYPE_TAG:
    case osc::MIDI_MESSAGE_TYPE_TAG:
        return end - p >= WordSize ? p + WordSize : nullptr;
    case osc::INT64_TYPE_TAG:
    case osc::TIME_TAG_TYPE_TAG:
    case osc::DOUBLE_TYPE_TAG:
        return end - p >= 2 * WordSize ? p + 2 * WordSize : nullptr;
    case osc::STRING_TYPE_TAG:
    case osc::SYMBOL_TYPE_TAG:
        return SkipString(p, end);
    case osc::BLOB_TYPE_TAG:
    {
        if (end - p < WordSize)
        {
            return nullptr;
        }
        int64_t padded = (ReadBigEndian32(p) + 3) / WordSize * WordSize;
        return padded <= end - p - WordSize ? p + WordSize + padded : nullptr;
    }
    default:
        throw osc::MalformedMessageException("unknown type tag");
    }
}
} // namespace

void CheckBundleElementSizes(const char* contents, int32_t size)
{
    constexpr ptrdiff_t HeaderSize = 16; // "#bundle", its terminator and the time tag
    if (size < HeaderSize)
    {
        return; // oscpack reports the short bundle itself
    }
    const char* p = contents + HeaderSize;
    const char* end = contents + size;
    while (end - p >= WordSize)
    {
        int64_t elementSize = static_cast<int32_t>(ReadBigEndian32(p));
        p += WordSize;
        if (elementSize < 0 || elementSize > end - p)
        {
            throw osc::MalformedBundleException("invalid bundle element size");
        }
        p += elementSize;
    }
}

void CheckMessage(const char* contents, int32_t size)
{
    if (size <= 0 || size % WordSize != 0)
    {
        return; // oscpack rejects these sizes itself
    }
    const char* end = contents + size;
    const char* typeTags = SkipString(contents, end);
    if (typeTags == nullptr)
    {
        throw osc::MalformedMessageException("unterminated address pattern");
    }
    if (typeTags == end)
    {
        return; // no type tags: no arguments
    }
    if (*typeTags != ',')
    {
        throw osc::MalformedMessageException("type tags not present");
    }
    const char* argument = SkipString(typeTags, end);
    if (argument == nullptr)
    {
        throw osc::MalformedMessageException("type tags were not terminated");
    }
    for (const char* tag = typeTags + 1; *tag != '\0'; ++tag)
    {
        argument = SkipArgument(*tag, argument, end);
        if (argument == nullptr)
        {
            throw osc::MalformedMessageException("arguments exceed message size");
        }
    }
}

} // namespace TUIO
