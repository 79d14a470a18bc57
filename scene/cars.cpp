// The two wire cars and the two wire posts.
#include "app/gl.h"
#include "scene/scene.h"

namespace {

// One wire box of a car, as drawBox takes it.
struct CarBox {
  float tx, ty;      // first placement, scene units
  float angle;       // turn about z after it, degrees
  float ox, oy;      // offset in the turned frame
  float sx, sy, sz;  // scale of the cube
  float size;        // edge of the cube before scaling
};

// The first car. Centres in the scene: body and cabin (0, 0); wheels at
// (-0.2, -0.17), (0.2, -0.17), (-0.2, 0.16), (0.2, 0.16).
const CarBox kCarBoxes[] = {
    {-1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 1.0f, 0.4f, 1.0f, 0.65f},    // body 0.65 x 0.26 x 0.65
    {1.0f, 0.0f, 180.0f, 1.0f, 0.0f, 1.0f, 0.4f, 1.0f, 0.25f},   // cabin 0.25 x 0.1 x 0.25
    {1.0f, 1.0f, 180.0f, 1.2f, 1.17f, 1.5f, 0.75f, 1.0f, 0.1f},  // wheel 0.15 x 0.075 x 0.1
    {1.0f, 1.0f, 180.0f, 0.8f, 1.17f, 1.5f, 0.75f, 1.0f, 0.1f},  // wheel
    {1.0f, 1.5f, 180.0f, 1.2f, 1.34f, 1.5f, 0.75f, 1.0f, 0.1f},  // wheel
    {1.0f, 1.5f, 180.0f, 0.8f, 1.34f, 1.5f, 0.75f, 1.0f, 0.1f},  // wheel
};

constexpr float kSecondCarShiftX = 1.5f;  // the second car sits 1.5 units along +x

// Open wire cylinders standing on z = 0 and rising along +z.
struct Post {
  float x, y;  // foot of the post, scene units
};
const Post kPosts[] = {{-1.0f, -1.0f}, {1.5f, 1.0f}};
constexpr double kPostRadius = 0.1;
constexpr double kPostHeight = 0.5;
constexpr GLint kPostSlices = 10;
constexpr GLint kPostStacks = 5;

void drawCarShifted(float shiftX) {
  for (const CarBox& b : kCarBoxes) {
    glPushMatrix();
    drawBox(b.tx + shiftX, b.ty, b.angle, b.ox, b.oy, b.sx, b.sy, b.sz, b.size);
    glPopMatrix();
  }
}

// Made on first use and kept for the run, so no frame creates a GLU object.
GLUquadric* postQuadric() {
  static GLUquadric* const quadric = [] {
    GLUquadric* q = gluNewQuadric();
    gluQuadricDrawStyle(q, GLU_LINE);
    gluQuadricNormals(q, GLU_NONE);
    return q;
  }();
  return quadric;
}

void drawPosts() {
  GLUquadric* quadric = postQuadric();
  for (const Post& p : kPosts) {
    glPushMatrix();
    glTranslatef(p.x, p.y, 0.0f);
    gluCylinder(quadric, kPostRadius, kPostRadius, kPostHeight, kPostSlices, kPostStacks);
    glPopMatrix();
  }
}

}  // namespace

void drawBox(float tx, float ty, float angle, float ox, float oy, float sx, float sy, float sz, float size) {
  glTranslatef(tx, ty, 0.0f);
  glRotatef(angle, 0.0f, 0.0f, 1.0f);
  glTranslatef(ox, oy, 0.0f);
  glPushMatrix();
  glScalef(sx, sy, sz);
  glutWireCube(static_cast<double>(size));
  glPopMatrix();
}

void drawCar1() {
  drawCarShifted(0.0f);
  glFlush();
}

void drawCar2() {
  drawCarShifted(kSecondCarShiftX);
  drawPosts();
  glFlush();
}
