// The eye-space moves (orbit, pan, nearer and farther, Reset view) and the
// special-key callback, which runs the arrow keys' commands and those of the
// special keys that end the program (nav/commands.cpp).
#include "app/gl.h"
#include "app/view_state.h"
#include "nav/commands.h"
#include "nav/last_move.h"
#include "nav/nav.h"

namespace {

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

void onSpecialKey(int key, int /*x*/, int /*y*/) {
  const Command* command = commandOfSpecialKey(key);
  if (command == nullptr) return;  // not a key of ours: the view stays exactly as it was
  if (command->name == nullptr) {
    runCommand(*command);  // the program's end: no move to record
    return;
  }
  beginMove("%s arrow, %s", command->name, view.panMode != 0 ? "pan" : "orbit");
  runCommand(*command);
  endMove();
  refreshMenu();
}

void dolly(double dz) {
  beginEyeMove();
  view.sceneOffset.z = stepped(view.sceneOffset.z, dz);
  translateRecorded(0.0f, 0.0f, static_cast<float>(dz));
  endEyeMove();
}
