#pragma once

#include "engine/util/opengl/GL.h"

/// True when the calling thread has a current GL context: the main thread, once the window is
/// open. A script's thread has none: GL calls there do nothing and return nothing (on which GLU
/// crashes), and what they would make, a texture or one of FTGL's glyphs, would be made broken.
inline bool HasCurrentGLContext()
{
    return glGetString(GL_VERSION) != nullptr;
}
