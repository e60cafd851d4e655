#pragma once

// The one place engine code gets the legacy OpenGL and GLU declarations from.
#include <GL/gl.h>
#include <GL/glu.h>
