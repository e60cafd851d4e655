#pragma once

#include <cstdint>

namespace TUIO
{

// Structure checks run before oscpack 1.1.0 parses a bundle or a message. Its parser hangs on a
// bundle element size of -4, walks backwards on other negative sizes and reads past the end of
// a message whose blob size does not fit (a missing throw). These checks accept only
// well-formed OSC, so what oscpack then parses is within bounds.

/// Throws osc::MalformedBundleException when an element size is negative or runs past the end.
void CheckBundleElementSizes(const char* contents, int32_t size);

/// The size of the bundle element whose size field (big-endian) is at p.
inline int32_t BundleElementSize(const char* p)
{
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(p);
    return static_cast<int32_t>(uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 |
                                uint32_t(bytes[2]) << 8 | uint32_t(bytes[3]));
}

/// Throws osc::MalformedMessageException unless the address, the type tags and every argument
/// lie within the message, with strings padded by zero bytes.
void CheckMessage(const char* contents, int32_t size);

} // namespace TUIO
