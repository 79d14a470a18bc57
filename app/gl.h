// The one place that pulls in OpenGL, GLU and the GLUT toolkit.
#pragma once

#include <GL/gl.h>
#include <GL/glu.h>
#include <GL/glut.h>

#ifdef __EMSCRIPTEN__
#include "web/gl_web.h"
#endif
