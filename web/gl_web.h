// The web build's GL: the browser's WebGL under emscripten's emulation of
// fixed-function GL, which lacks a few calls the viewer makes. web/gl_web.cpp
// supplies them. Line stipple cannot be emulated below glBegin, so the calls
// that start, feed and end primitives, and those that switch or read state the
// stand-ins keep, go through it first. Included by app/gl.h for the web only.
#pragma once

#include <GL/gl.h>

void velmoraEnable(GLenum cap);
void velmoraDisable(GLenum cap);
void velmoraBegin(GLenum mode);
void velmoraEnd();
void velmoraVertex2f(GLfloat x, GLfloat y);
void velmoraVertex3f(GLfloat x, GLfloat y, GLfloat z);
void velmoraVertex3d(GLdouble x, GLdouble y, GLdouble z);
void velmoraColor3f(GLfloat red, GLfloat green, GLfloat blue);
void velmoraColor3fv(const GLfloat* rgb);

#ifndef VELMORA_GL_WEB_SELF  // web/gl_web.cpp itself calls the emulation's own
#define glEnable velmoraEnable
#define glDisable velmoraDisable
#define glBegin velmoraBegin
#define glEnd velmoraEnd
#define glVertex2f velmoraVertex2f
#define glVertex3f velmoraVertex3f
#define glVertex3d velmoraVertex3d
#define glColor3f velmoraColor3f
#define glColor3fv velmoraColor3fv
#endif
