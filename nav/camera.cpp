// The eye-space moves (orbit, pan, nearer and farther, Reset view) and the
// special-key callback: the arrow keys, and the special keys that end the program.
#include <cstdlib>

#include "app/gl.h"
#include "app/view_state.h"
#include "nav/last_move.h"
#include "nav/nav.h"

namespace {

// What one arrow key does in each mode.
struct ArrowMove {
  int key;
  const char* name;
  double panX, panY;   // pan mode: eye-space step, scene units
  float turnX, turnY;  // orbit mode: degrees about the eye's x or y axis
};

const ArrowMove kArrowMoves[] = {
    {GLUT_KEY_LEFT, "Left", -kMoveStep, 0.0, 0.0f, -kTurnStep},
    {GLUT_KEY_UP, "Up", 0.0, kMoveStep, -kTurnStep, 0.0f},
    {GLUT_KEY_RIGHT, "Right", kMoveStep, 0.0, 0.0f, kTurnStep},
    {GLUT_KEY_DOWN, "Down", 0.0, -kMoveStep, kTurnStep, 0.0f},
};

// The special keys the toolkit defines besides the arrows; each ends the program.
bool isQuitSpecialKey(int key) {
  return (key >= GLUT_KEY_F1 && key <= GLUT_KEY_F12) || (key >= GLUT_KEY_PAGE_UP && key <= GLUT_KEY_INSERT);
}

const ArrowMove* findArrowMove(int key) {
  for (const ArrowMove& move : kArrowMoves)
    if (move.key == key) return &move;
  return nullptr;
}

// Adds a step in double precision and keeps the sum as a float.
float stepped(float value, double step) { return static_cast<float>(static_cast<double>(value) + step); }

// An eye-space move is E x M: save M, build E from the identity, multiply M back in.
void beginEyeMove() {
  recordMoveSide(kMoveOnLeft);
  glGetFloatv(GL_MODELVIEW_MATRIX, savedModelview);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

void endEyeMove() { glMultMatrixf(savedModelview); }

void translateBy(const Vec3f& v, float sign) { translateRecorded(sign * v.x, sign * v.y, sign * v.z); }

}  // namespace

void orbitBy(float degreesX, float degreesY) {
  beginEyeMove();
  // Turns about the eye's axes through the scene origin, which stays in place.
  translateBy(view.sceneOffset, 1.0f);
  if (degreesX != 0.0f) rotateRecorded(degreesX, 'x');
  if (degreesY != 0.0f) rotateRecorded(degreesY, 'y');
  translateBy(view.sceneOffset, -1.0f);
  endEyeMove();
}

void panBy(double dx, double dy) {
  beginEyeMove();
  translateRecorded(static_cast<float>(dx), static_cast<float>(dy), 0.0f);
  view.sceneOffset.x = stepped(view.sceneOffset.x, dx);
  view.sceneOffset.y = stepped(view.sceneOffset.y, dy);
  endEyeMove();
}

void resetView() {
  view.sceneOffset = kStartViewState.sceneOffset;
  recordMoveSide(kMoveReplaces);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  translateBy(view.sceneOffset, 1.0f);
}

bool arrowMove(int key) {
  const ArrowMove* move = findArrowMove(key);
  if (move == nullptr) return false;
  if (view.panMode != 0) {
    panBy(move->panX, move->panY);
  } else {
    orbitBy(move->turnX, move->turnY);
  }
  return true;
}

void onSpecialKey(int key, int /*x*/, int /*y*/) {
  if (isQuitSpecialKey(key)) exit(0);
  const ArrowMove* move = findArrowMove(key);
  if (move == nullptr) return;  // not a key of ours: the view stays exactly as it was
  beginMove("%s arrow, %s", move->name, view.panMode != 0 ? "pan" : "orbit");
  arrowMove(key);
  endMove();
  refreshMenu();
}

void dolly(double dz) {
  beginEyeMove();
  view.sceneOffset.z = stepped(view.sceneOffset.z, dz);
  translateRecorded(0.0f, 0.0f, static_cast<float>(dz));
  endEyeMove();
}
