#pragma once

#include "engine/actors/ImageHeader.h"
#include "engine/util/DataFile.h"
#include "engine/util/StringTypes.h"

// GL_CLAMP and GL_LINEAR, spelled out so that actor headers need no GL include; Textures.cpp
// checks them against the GL headers. Callers may pass any GL wrap or filter enumeration value.
constexpr int kDefaultTextureClamp = 0x2900;
constexpr int kDefaultTextureFilter = 0x2601;

/// The longest side a texture may have while GL has not told its own maximum (no context yet).
constexpr unsigned kFallbackMaxTextureSide = 4096;

/// The most pixels one texture may have (4096 x 4096): decoding and uploading more stalls the
/// main thread for seconds and takes gigabytes.
constexpr unsigned long long kMaxTexturePixels =
    1ULL * kFallbackMaxTextureSide * kFallbackMaxTextureSide;

/// The OpenGL texture name of an image file, loaded (with mipmaps) on first use and cached by
/// the file name exactly as given for the rest of the process. The first load's wrap and filter
/// modes stay in force for later requests. -1 when the file cannot be read or is no regular
/// file; unless optional, "Failed to find - <file>" goes to the system log. A file beyond
/// kMaxMediaFileBytes, or an image whose header shows it too large
/// for a texture (a side beyond GL's maximum, or kFallbackMaxTextureSide while GL has not told
/// it, or more than kMaxTexturePixels) or whose size cannot be read before decoding is not
/// decoded: -1 and one "ERROR:" line, optional or not. Needs the window's GL context.
int GetTextureReference(const String& filename, int clampmode, int filtermode, bool optional);

/// One image on its way to a texture, for callers that weigh its size before it is decoded (a
/// sprite series): the cached texture, or else the file, read once here (its header weighed)
/// and decoded by Load. Touches the file only when the texture is not cached yet.
class TextureRequest
{
public:
    explicit TextureRequest(const String& filename);

    /// Width x height of the cached texture, or of the picture the header claims; 0 when the
    /// header cannot be read.
    unsigned long long Pixels() const { return m_pixels; }
    /// What GetTextureReference gives for the file.
    int Load(int clampmode, int filtermode, bool optional);

private:
    String m_filename;
    int m_cached = -1;
    DataFile m_file;
    ImageHeader m_header;
    unsigned long long m_pixels = 0;
};
