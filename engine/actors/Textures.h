#pragma once

#include "engine/util/StringTypes.h"

// GL_CLAMP and GL_LINEAR, spelled out so that actor headers need no GL include; Textures.cpp
// checks them against the GL headers. Callers may pass any GL wrap or filter enumeration value.
constexpr int kDefaultTextureClamp = 0x2900;
constexpr int kDefaultTextureFilter = 0x2601;

/// The most pixels one texture may have (4096 x 4096): decoding and uploading more stalls the
/// main thread for seconds and takes gigabytes.
constexpr unsigned long long kMaxTexturePixels = 4096ULL * 4096ULL;

/// The OpenGL texture name of an image file, loaded (with mipmaps) on first use and cached by
/// the file name exactly as given for the rest of the process. The first load's wrap and filter
/// modes stay in force for later requests. -1 when the file cannot be read; unless optional,
/// "Failed to find - <file>" goes to the system log. An image whose header shows it too large
/// for a texture (a side beyond GL's maximum, or more than kMaxTexturePixels) or whose size
/// cannot be read before decoding is not decoded: -1 and one "ERROR:" line, optional or not.
/// Needs the window's GL context.
int GetTextureReference(const String& filename, int clampmode, int filtermode, bool optional);
