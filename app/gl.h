// The one place that pulls in OpenGL, GLU and the GLUT toolkit.
#pragma once

#include <GL/gl.h>
#include <GL/glu.h>
#include <GL/glut.h>
