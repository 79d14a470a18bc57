#include <cstdlib>

#include "app/gl.h"
#include "app/startup.h"
#include "app/view_state.h"
#include "nav/nav.h"

namespace {

// What one arrow key does in each mode.
struct ArrowMove {
  int key;
  double panX, panY;   // pan mode: eye-space step, scene units
  float turn;          // orbit mode: degrees about the eye axis below
  float axisX, axisY;  // orbit axis in eye space
};

const ArrowMove kArrowMoves[] = {
    {GLUT_KEY_LEFT, -kMoveStep, 0.0, -kTurnStep, 0.0f, 1.0f},
    {GLUT_KEY_UP, 0.0, kMoveStep, -kTurnStep, 1.0f, 0.0f},
    {GLUT_KEY_RIGHT, kMoveStep, 0.0, kTurnStep, 0.0f, 1.0f},
    {GLUT_KEY_DOWN, 0.0, -kMoveStep, kTurnStep, 1.0f, 0.0f},
};

// The special keys the toolkit defines besides the arrows; each ends the program.
bool isQuitSpecialKey(int key) {
  return (key >= GLUT_KEY_F1 && key <= GLUT_KEY_F12) || (key >= GLUT_KEY_PAGE_UP && key <= GLUT_KEY_INSERT);
}

const ArrowMove* findArrowMove(int key) {
  for (const ArrowMove& move : kArrowMoves) {
    if (move.key == key) {
      return &move;
    }
  }
  return nullptr;
}

// Adds a step in double precision and keeps the sum as a float.
float stepped(float value, double step) { return static_cast<float>(static_cast<double>(value) + step); }

// An eye-space move is E x M: save M, build E from the identity, multiply M back in.
void beginEyeMove() {
  glGetFloatv(GL_MODELVIEW_MATRIX, savedModelview);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

void endEyeMove() { glMultMatrixf(savedModelview); }

void translateBy(const Vec3f& v, float sign) { glTranslatef(sign * v.x, sign * v.y, sign * v.z); }

}  // namespace

void orbitBy(float degrees, float axisX, float axisY) {
  beginEyeMove();
  // Turn about the eye axis through the scene origin, which stays in place.
  translateBy(view.sceneOffset, 1.0f);
  glRotatef(degrees, axisX, axisY, 0.0f);
  translateBy(view.sceneOffset, -1.0f);
  endEyeMove();
}

void panBy(double dx, double dy) {
  beginEyeMove();
  glTranslatef(static_cast<float>(dx), static_cast<float>(dy), 0.0f);
  view.sceneOffset.x = stepped(view.sceneOffset.x, dx);
  view.sceneOffset.y = stepped(view.sceneOffset.y, dy);
  endEyeMove();
}

void resetView() {
  view.sceneOffset = kStartViewState.sceneOffset;
  placeScene();
}

void onSpecialKey(int key, int /*x*/, int /*y*/) {
  if (isQuitSpecialKey(key)) {
    exit(0);
  }
  const ArrowMove* move = findArrowMove(key);
  if (move == nullptr) {
    return;  // not a key of ours: the view stays exactly as it was
  }
  if (view.panMode != 0) {
    panBy(move->panX, move->panY);
  } else {
    orbitBy(move->turn, move->axisX, move->axisY);
  }
}

void dolly(double dz) {
  beginEyeMove();
  view.sceneOffset.z = stepped(view.sceneOffset.z, dz);
  glTranslatef(0.0f, 0.0f, static_cast<float>(dz));
  endEyeMove();
}
