// The GL calls emscripten's fixed-function emulation lacks, drawn with the
// same vertices in the same order as freeglut and GLU draw them on the
// desktop, and line stipple counted in window pixels as Mesa counts it, so
// that the browser's pictures are the desktop's.
#define VELMORA_GL_WEB_SELF
#include "web/gl_web.h"

#include <GL/glu.h>
#include <GL/glut.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <vector>

namespace {

// What glPushAttrib saved, whichever groups it was asked for.
struct Attributes {
  GLbitfield mask;
  GLboolean depthTest, scissorTest;
  bool lineStipple;
  GLint stippleFactor;
  GLushort stipplePattern;
  GLint viewport[4], scissorBox[4];
  GLfloat clearColour[4], colour[3];
  GLint matrixMode;
};

// What the emulation lacks, kept here: line stipple, applied to the GL_LINES
// drawn while it is on; the colour; the attribute stack.
struct Emulation {
  bool stippleOn = false;
  GLint stippleFactor = 1;
  GLushort stipplePattern = 0xFFFF;
  bool capturing = false;  // a GL_LINES primitive with stipple on is being given
  std::vector<GLfloat> captured;
  GLfloat currentColour[3] = {1.0f, 1.0f, 1.0f};
  std::vector<Attributes> attributeStack;
};
Emulation emulation;

// One line of the captured primitive, cut into its dashes. Mesa's draw
// module counts the pattern from the line's first end, one step per pixel
// along the line's major axis in window coordinates, starting again for each
// line of GL_LINES, and emits each run of "on" steps as a line of its own
// between the window positions start / length and end / length of the way.
// Here each run goes to GL as the object-space points that project there.
void stippleLine(const GLfloat* a, const GLfloat* b, const double* clip, const GLint* viewport) {
  double c[2][4];
  for (int e = 0; e < 2; ++e) {
    const GLfloat* p = e == 0 ? a : b;
    for (int r = 0; r < 4; ++r) c[e][r] = clip[r] * p[0] + clip[4 + r] * p[1] + clip[8 + r] * p[2] + clip[12 + r];
  }
  // Cut first, as Mesa's clipper does: at the near and far planes, and across
  // the screen at its guard band, twice the view's size (|x|, |y| <= 2 w), so
  // the count starts where a line from far outside the view enters the band.
  const double planes[6][4] = {{0, 0, 1, 1},    {0, 0, -1, 1},  {0.5, 0, 0, 1},
                               {-0.5, 0, 0, 1}, {0, 0.5, 0, 1}, {0, -0.5, 0, 1}};
  double s0 = 0.0, s1 = 1.0;
  for (const auto& plane : planes) {
    double d[2];  // inside where >= 0
    for (int e = 0; e < 2; ++e)
      d[e] = plane[0] * c[e][0] + plane[1] * c[e][1] + plane[2] * c[e][2] + plane[3] * c[e][3];
    if (d[0] < 0 && d[1] < 0) return;
    if (d[0] < 0) s0 = std::max(s0, d[0] / (d[0] - d[1]));
    if (d[1] < 0) s1 = std::min(s1, d[0] / (d[0] - d[1]));
  }
  if (s0 >= s1) return;
  GLfloat ends[2][3];
  double w[2], window[2][2];
  for (int e = 0; e < 2; ++e) {
    const double s = e == 0 ? s0 : s1;
    for (int k = 0; k < 3; ++k) ends[e][k] = static_cast<GLfloat>(a[k] + s * (b[k] - a[k]));
    double q[4];
    for (int r = 0; r < 4; ++r) q[r] = c[0][r] + s * (c[1][r] - c[0][r]);
    w[e] = q[3];
    window[e][0] = viewport[0] + (q[0] / q[3] + 1.0) * viewport[2] / 2.0;
    window[e][1] = viewport[1] + (q[1] / q[3] + 1.0) * viewport[3] / 2.0;
  }
  const float dx = std::fabs(static_cast<float>(window[1][0]) - static_cast<float>(window[0][0]));
  const float dy = std::fabs(static_cast<float>(window[1][1]) - static_cast<float>(window[0][1]));
  const float length = std::max(dx, dy);
  if (!std::isfinite(length) || length <= 0.0f) return;
  const int steps = static_cast<int>(std::ceil(length));
  // A point t of the way in window coordinates lies s of the way in object space.
  auto emit = [&](float t) {
    const double s = t * w[0] / ((1.0 - t) * w[1] + t * w[0]);
    glVertex3f(static_cast<GLfloat>(ends[0][0] + s * (ends[1][0] - ends[0][0])),
               static_cast<GLfloat>(ends[0][1] + s * (ends[1][1] - ends[0][1])),
               static_cast<GLfloat>(ends[0][2] + s * (ends[1][2] - ends[0][2])));
  };
  bool on = false;
  float start = 0.0f;
  for (int i = 0; i < steps; ++i) {
    const bool bit = ((emulation.stipplePattern >> ((i / emulation.stippleFactor) & 0xF)) & 1) != 0;
    if (bit != on) {
      if (on && start != static_cast<float>(i)) {
        emit(start / length);
        emit(static_cast<float>(i) / length);
      } else if (!on) {
        start = static_cast<float>(i);
      }
      on = bit;
    }
  }
  if (on && start < length) {
    emit(start / length);
    emit(1.0f);
  }
}

void drawStippledLines() {
  GLfloat modelview[16], projection[16];
  GLint viewport[4];
  glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
  glGetFloatv(GL_PROJECTION_MATRIX, projection);
  glGetIntegerv(GL_VIEWPORT, viewport);
  double clip[16];  // projection x modelview, column-major
  for (int col = 0; col < 4; ++col)
    for (int row = 0; row < 4; ++row) {
      double sum = 0.0;
      for (int k = 0; k < 4; ++k) sum += static_cast<double>(projection[k * 4 + row]) * modelview[col * 4 + k];
      clip[col * 4 + row] = sum;
    }
  glBegin(GL_LINES);
  for (std::size_t i = 0; i + 6 <= emulation.captured.size(); i += 6)
    stippleLine(&emulation.captured[i], &emulation.captured[i + 3], clip, viewport);
  glEnd();
}

void setEnabled(GLenum cap, bool on) {
  if (on) {
    velmoraEnable(cap);
  } else {
    velmoraDisable(cap);
  }
}

}  // namespace

void velmoraEnable(GLenum cap) {
  if (cap == GL_LINE_STIPPLE) {
    emulation.stippleOn = true;
  } else {
    glEnable(cap);
  }
}

void velmoraDisable(GLenum cap) {
  if (cap == GL_LINE_STIPPLE) {
    emulation.stippleOn = false;
  } else {
    glDisable(cap);
  }
}

void velmoraBegin(GLenum mode) {
  emulation.capturing = emulation.stippleOn && mode == GL_LINES;
  if (emulation.capturing) {
    emulation.captured.clear();
  } else {
    glBegin(mode);
  }
}

void velmoraEnd() {
  if (emulation.capturing) {
    emulation.capturing = false;
    drawStippledLines();
  } else {
    glEnd();
  }
}

void velmoraVertex3f(GLfloat x, GLfloat y, GLfloat z) {
  if (emulation.capturing) {
    emulation.captured.insert(emulation.captured.end(), {x, y, z});
  } else {
    glVertex3f(x, y, z);
  }
}

void velmoraVertex2f(GLfloat x, GLfloat y) { velmoraVertex3f(x, y, 0.0f); }

void velmoraVertex3d(GLdouble x, GLdouble y, GLdouble z) {
  velmoraVertex3f(static_cast<GLfloat>(x), static_cast<GLfloat>(y), static_cast<GLfloat>(z));
}

void velmoraColor3f(GLfloat red, GLfloat green, GLfloat blue) {
  emulation.currentColour[0] = red;
  emulation.currentColour[1] = green;
  emulation.currentColour[2] = blue;
  glColor3f(red, green, blue);
}

void velmoraColor3fv(const GLfloat* rgb) { velmoraColor3f(rgb[0], rgb[1], rgb[2]); }

extern "C" {

void glLineStipple(GLint factor, GLushort pattern) {
  emulation.stippleFactor = std::clamp(factor, 1, 256);
  emulation.stipplePattern = pattern;
}

void glPushAttrib(GLbitfield mask) {
  Attributes saved{};
  saved.mask = mask;
  saved.depthTest = glIsEnabled(GL_DEPTH_TEST);
  saved.scissorTest = glIsEnabled(GL_SCISSOR_TEST);
  saved.lineStipple = emulation.stippleOn;
  saved.stippleFactor = emulation.stippleFactor;
  saved.stipplePattern = emulation.stipplePattern;
  glGetIntegerv(GL_VIEWPORT, saved.viewport);
  glGetIntegerv(GL_SCISSOR_BOX, saved.scissorBox);
  glGetFloatv(GL_COLOR_CLEAR_VALUE, saved.clearColour);
  std::copy(emulation.currentColour, emulation.currentColour + 3, saved.colour);
  glGetIntegerv(GL_MATRIX_MODE, &saved.matrixMode);
  emulation.attributeStack.push_back(saved);
}

void glPopAttrib() {
  if (emulation.attributeStack.empty()) return;  // as GL: a stack underflow changes nothing
  const Attributes saved = emulation.attributeStack.back();
  emulation.attributeStack.pop_back();
  if ((saved.mask & GL_ENABLE_BIT) != 0) {
    setEnabled(GL_DEPTH_TEST, saved.depthTest != GL_FALSE);
    setEnabled(GL_SCISSOR_TEST, saved.scissorTest != GL_FALSE);
    emulation.stippleOn = saved.lineStipple;
  }
  if ((saved.mask & GL_CURRENT_BIT) != 0) velmoraColor3fv(saved.colour);
  if ((saved.mask & GL_VIEWPORT_BIT) != 0)
    glViewport(saved.viewport[0], saved.viewport[1], saved.viewport[2], saved.viewport[3]);
  if ((saved.mask & GL_SCISSOR_BIT) != 0) {
    glScissor(saved.scissorBox[0], saved.scissorBox[1], saved.scissorBox[2], saved.scissorBox[3]);
    setEnabled(GL_SCISSOR_TEST, saved.scissorTest != GL_FALSE);
  }
  if ((saved.mask & GL_COLOR_BUFFER_BIT) != 0)
    glClearColor(saved.clearColour[0], saved.clearColour[1], saved.clearColour[2], saved.clearColour[3]);
  if ((saved.mask & GL_LINE_BIT) != 0) {
    emulation.stippleOn = saved.lineStipple;
    emulation.stippleFactor = saved.stippleFactor;
    emulation.stipplePattern = saved.stipplePattern;
  }
  if ((saved.mask & GL_TRANSFORM_BIT) != 0) glMatrixMode(static_cast<GLenum>(saved.matrixMode));
}

// A filled rectangle in the plane z = 0, as two triangles: what GL draws for
// it with the polygon mode fill.
void glRecti(GLint x1, GLint y1, GLint x2, GLint y2) {
  const GLfloat corners[4][2] = {{static_cast<GLfloat>(x1), static_cast<GLfloat>(y1)},
                                 {static_cast<GLfloat>(x2), static_cast<GLfloat>(y1)},
                                 {static_cast<GLfloat>(x2), static_cast<GLfloat>(y2)},
                                 {static_cast<GLfloat>(x1), static_cast<GLfloat>(y2)}};
  velmoraBegin(GL_TRIANGLES);
  for (const int corner : {0, 1, 2, 0, 2, 3}) velmoraVertex2f(corners[corner][0], corners[corner][1]);
  velmoraEnd();
}

}  // extern "C"

// GLU's quadric, for the one use the viewer makes of it: wire cylinders.
struct GLUquadric {
  GLenum drawStyle;
};

extern "C" {

GLUquadric* gluNewQuadric() { return new GLUquadric{GLU_FILL}; }
void gluQuadricDrawStyle(GLUquadric* quadric, GLenum style) { quadric->drawStyle = style; }
void gluQuadricNormals(GLUquadric*, GLenum) {}  // no lighting: normals change no pixel

// GLU's cylinder in its line style: the rings between the stacks, the bottom
// and top rings, then the lines along the slices; x = r sin, y = r cos, in
// GLU's float steps.
void gluCylinder(GLUquadric* quadric, GLdouble base, GLdouble top, GLdouble height, GLint slices, GLint stacks) {
  constexpr int kCacheSize = 240;
  if (quadric->drawStyle != GLU_LINE || slices < 2 || stacks < 1 || base < 0.0 || top < 0.0 || height < 0.0) return;
  slices = std::min(slices, kCacheSize - 1);
  GLfloat sines[kCacheSize], cosines[kCacheSize];
  for (int i = 0; i < slices; ++i) {
    const GLfloat angle = static_cast<GLfloat>(2 * 3.14159265358979323846 * i / slices);
    sines[i] = static_cast<GLfloat>(std::sin(angle));
    cosines[i] = static_cast<GLfloat>(std::cos(angle));
  }
  sines[slices] = sines[0];
  cosines[slices] = cosines[0];
  // Where the rings of stack j lie: their height and radius.
  auto z = [&](int j) { return static_cast<GLfloat>(j * height / stacks); };
  auto radius = [&](int j) {
    return static_cast<GLfloat>(base - (base - top) * (static_cast<float>(j) / static_cast<float>(stacks)));
  };
  auto ring = [&](int j) {
    velmoraBegin(GL_LINE_STRIP);
    for (int i = 0; i <= slices; ++i) velmoraVertex3f(radius(j) * sines[i], radius(j) * cosines[i], z(j));
    velmoraEnd();
  };
  for (int j = 1; j < stacks; ++j) ring(j);
  for (int j = 0; j <= stacks; j += stacks) ring(j);
  for (int i = 0; i < slices; ++i) {
    velmoraBegin(GL_LINE_STRIP);
    for (int j = 0; j <= stacks; ++j) velmoraVertex3f(radius(j) * sines[i], radius(j) * cosines[i], z(j));
    velmoraEnd();
  }
}

// GLU's look-at, in its float steps: emscripten's multiplies nothing in.
void gluLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centreX, GLdouble centreY, GLdouble centreZ,
               GLdouble upX, GLdouble upY, GLdouble upZ) {
  auto normalize = [](float v[3]) {
    const float length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (length == 0.0f) return;
    for (int i = 0; i < 3; ++i) v[i] /= length;
  };
  auto cross = [](const float a[3], const float b[3], float out[3]) {
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
  };
  float forward[3] = {static_cast<float>(centreX - eyeX), static_cast<float>(centreY - eyeY),
                      static_cast<float>(centreZ - eyeZ)};
  float up[3] = {static_cast<float>(upX), static_cast<float>(upY), static_cast<float>(upZ)};
  float side[3];
  normalize(forward);
  cross(forward, up, side);
  normalize(side);
  cross(side, forward, up);
  const GLfloat m[16] = {side[0], up[0], -forward[0], 0.0f, side[1], up[1], -forward[1], 0.0f,
                         side[2], up[2], -forward[2], 0.0f, 0.0f,    0.0f,  0.0f,        1.0f};
  glMultMatrixf(m);
  glTranslatef(static_cast<GLfloat>(-eyeX), static_cast<GLfloat>(-eyeY), static_cast<GLfloat>(-eyeZ));
}

}  // extern "C"
