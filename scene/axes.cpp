// The axis gizmo at the scene origin: red x, green y and blue z, half or full length.
#include "app/gl.h"
#include "scene/scene.h"

namespace {

constexpr double kHeadLength = 0.2;      // arrow head, from tip back along the axis
constexpr float kHeadHalfWidth = 0.05f;  // arrow head, either side of the axis

struct Axis {
  float red, green, blue;  // colour of the axis
  float dir[3];            // unit vector along the axis
  float side1[3];          // first companion axis: plane of head triangle 1
  float side2[3];          // second companion axis: plane of head triangle 2
};

const Axis kAxes[] = {
    {1.0f, 0.0f, 0.0f, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}},  // x: companions y, z
    {0.0f, 1.0f, 0.0f, {0, 1, 0}, {1, 0, 0}, {0, 0, 1}},  // y: companions x, z
    {0.0f, 0.0f, 1.0f, {0, 0, 1}, {1, 0, 0}, {0, 1, 0}},  // z: companions x, y
};

// The point a*dir + w*side, sent as one vertex.
void vertexOn(const float* dir, float a, const float* side, float w) {
  glVertex3f(a * dir[0] + w * side[0], a * dir[1] + w * side[1], a * dir[2] + w * side[2]);
}

// One head triangle: the tip and two corners at `base`, either side of the axis along `side`.
void headTriangle(const float* dir, float length, float base, const float* side) {
  vertexOn(dir, length, side, 0.0f);
  vertexOn(dir, base, side, kHeadHalfWidth);
  vertexOn(dir, base, side, -kHeadHalfWidth);
}

}  // namespace

void drawAxes(float length, int full) {
  const float base = static_cast<float>(static_cast<double>(length) - kHeadLength);
  const float start = (full != 0) ? -length : 0.0f;
  for (const Axis& axis : kAxes) {
    glColor3f(axis.red, axis.green, axis.blue);

    glBegin(GL_LINES);
    vertexOn(axis.dir, start, axis.side1, 0.0f);
    vertexOn(axis.dir, length, axis.side1, 0.0f);
    glEnd();

    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glBegin(GL_TRIANGLES);
    headTriangle(axis.dir, length, base, axis.side1);
    headTriangle(axis.dir, length, base, axis.side2);
    glEnd();
  }
  glFlush();
}
