#pragma once

#include "engine/util/StringTypes.h"

// GL_CLAMP and GL_LINEAR, spelled out so that actor headers need no GL include; Textures.cpp
// checks them against the GL headers. Callers may pass any GL wrap or filter enumeration value.
constexpr int kDefaultTextureClamp = 0x2900;
constexpr int kDefaultTextureFilter = 0x2601;

/// The OpenGL texture name of an image file, loaded (with mipmaps) on first use and cached by
/// the file name exactly as given for the rest of the process. The first load's wrap and filter
/// modes stay in force for later requests. -1 when the file cannot be read; unless optional,
/// "Failed to find - <file>" goes to the system log. Needs the window's GL context.
int GetTextureReference(const String& filename, int clampmode, int filtermode, bool optional);
