#pragma once

#include "engine/util/opengl/GL.h"

/// For its lifetime, draws in window pixels with y up (origin bottom-left) and an identity
/// model-view; restores both matrices when it ends. Screen text and the console panel use it:
/// FTGL draws with y up, and a y-up projection keeps quads counter-clockwise for culling.
class ScopedPixelProjection
{
public:
    ScopedPixelProjection(int windowWidth, int windowHeight)
    {
        glMatrixMode(GL_PROJECTION);
        glPushMatrix();
        glLoadIdentity();
        gluOrtho2D(0, windowWidth, 0, windowHeight);
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        glLoadIdentity();
    }

    ~ScopedPixelProjection()
    {
        glPopMatrix();
        glMatrixMode(GL_PROJECTION);
        glPopMatrix();
        glMatrixMode(GL_MODELVIEW);
    }

    ScopedPixelProjection(const ScopedPixelProjection&) = delete;
    ScopedPixelProjection& operator=(const ScopedPixelProjection&) = delete;
};
