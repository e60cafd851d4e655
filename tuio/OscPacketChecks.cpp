#include "tuio/OscPacketChecks.h"

#include <oscpack/osc/OscReceivedElements.h>

#include <array>

namespace TUIO
{

namespace
{
constexpr int64_t WordSize = 4;

int64_t ReadBigEndian32(const char* p)
{
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(p);
    return int64_t(uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 |
                   uint32_t(bytes[3]));
}

/// The offset of what follows the string at offset at, or -1 unless it ends before size.
/// Strings fill whole four-byte words: the terminator and the padding after it are zero bytes.
inline int64_t SkipString(const char* contents, int64_t at, int64_t size)
{
    for (; size - at >= WordSize; at += WordSize)
    {
        const unsigned char* bytes = reinterpret_cast<const unsigned char*>(contents + at);
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
        return (word >> (8 * firstZero)) == 0 ? at + WordSize : -1;
    }
    return -1;
}

/// What an argument of each type tag takes up in the message.
enum ArgumentKind : uint8_t
{
    UnknownTag,
    NoBytes,
    OneWord,
    TwoWords,
    StringArgument,
    BlobArgument,
};

constexpr std::array<uint8_t, 256> MakeArgumentKinds()
{
    std::array<uint8_t, 256> kinds{};
    for (char tag : {osc::TRUE_TYPE_TAG, osc::FALSE_TYPE_TAG, osc::NIL_TYPE_TAG,
                     osc::INFINITUM_TYPE_TAG, osc::ARRAY_BEGIN_TYPE_TAG, osc::ARRAY_END_TYPE_TAG})
    {
        kinds[static_cast<unsigned char>(tag)] = NoBytes;
    }
    for (char tag : {osc::INT32_TYPE_TAG, osc::FLOAT_TYPE_TAG, osc::CHAR_TYPE_TAG,
                     osc::RGBA_COLOR_TYPE_TAG, osc::MIDI_MESSAGE_TYPE_TAG})
    {
        kinds[static_cast<unsigned char>(tag)] = OneWord;
    }
    for (char tag : {osc::INT64_TYPE_TAG, osc::TIME_TAG_TYPE_TAG, osc::DOUBLE_TYPE_TAG})
    {
        kinds[static_cast<unsigned char>(tag)] = TwoWords;
    }
    for (char tag : {osc::STRING_TYPE_TAG, osc::SYMBOL_TYPE_TAG})
    {
        kinds[static_cast<unsigned char>(tag)] = StringArgument;
    }
    kinds[static_cast<unsigned char>(osc::BLOB_TYPE_TAG)] = BlobArgument;
    return kinds;
}

constexpr std::array<uint8_t, 256> s_argumentKinds = MakeArgumentKinds();

[[noreturn]] void ThrowArgumentsExceedSize()
{
    throw osc::MalformedMessageException("arguments exceed message size");
}
} // namespace

void CheckBundleElementSizes(const char* contents, int32_t size)
{
    constexpr int64_t HeaderSize = 16; // "#bundle", its terminator and the time tag
    if (size < HeaderSize)
    {
        return; // oscpack reports the short bundle itself
    }
    int64_t at = HeaderSize;
    while (size - at >= WordSize)
    {
        int64_t elementSize = BundleElementSize(contents + at);
        at += WordSize;
        if (elementSize < 0 || elementSize > size - at)
        {
            throw osc::MalformedBundleException("invalid bundle element size");
        }
        at += elementSize;
    }
}

void CheckMessage(const char* contents, int32_t size)
{
    if (size <= 0 || size % WordSize != 0)
    {
        return; // oscpack rejects these sizes itself
    }
    const int64_t typeTags = SkipString(contents, 0, size);
    if (typeTags < 0)
    {
        throw osc::MalformedMessageException("unterminated address pattern");
    }
    if (typeTags == size)
    {
        return; // no type tags: no arguments
    }
    if (contents[typeTags] != ',')
    {
        throw osc::MalformedMessageException("type tags not present");
    }
    int64_t argument = SkipString(contents, typeTags, size);
    if (argument < 0)
    {
        throw osc::MalformedMessageException("type tags were not terminated");
    }
    // Fixed-size arguments only add up here; whether they fit is checked before the next one
    // whose size has to be read, and at the end. The tags end within the message, so the sum
    // stays far from overflowing.
    for (const char* tag = contents + typeTags + 1; *tag != '\0'; ++tag)
    {
        switch (s_argumentKinds[static_cast<unsigned char>(*tag)])
        {
        case NoBytes:
            break;
        case OneWord:
            argument += WordSize;
            break;
        case TwoWords:
            argument += 2 * WordSize;
            break;
        case StringArgument:
            if (argument > size || (argument = SkipString(contents, argument, size)) < 0)
            {
                ThrowArgumentsExceedSize();
            }
            break;
        case BlobArgument:
        {
            if (size - argument < WordSize)
            {
                ThrowArgumentsExceedSize();
            }
            int64_t padded = (ReadBigEndian32(contents + argument) + 3) / WordSize * WordSize;
            if (padded > size - argument - WordSize)
            {
                ThrowArgumentsExceedSize();
            }
            argument += WordSize + padded;
            break;
        }
        default:
            if (argument > size)
            {
                ThrowArgumentsExceedSize();
            }
            throw osc::MalformedMessageException("unknown type tag");
        }
    }
    if (argument > size)
    {
        ThrowArgumentsExceedSize();
    }
}

} // namespace TUIO
