#include <cstdlib>

#include "app/gl.h"
#include "app/projection.h"
#include "app/view_state.h"
#include "nav/nav.h"

namespace {

// Turns about the scene's own axes: upper case positive, lower case negative.
struct ModelTurn {
  unsigned char key;
  float angle;  // degrees
  float axisX, axisY, axisZ;
};

const ModelTurn kModelTurns[] = {
    {'X', kTurnStep, 1, 0, 0}, {'x', -kTurnStep, 1, 0, 0},  //
    {'Y', kTurnStep, 0, 1, 0}, {'y', -kTurnStep, 0, 1, 0},  //
    {'Z', kTurnStep, 0, 0, 1}, {'z', -kTurnStep, 0, 0, 1},
};

// Multiplies on the right of the modelview matrix, so the scene turns about
// its own axis through its own origin and sceneOffset stays right.
bool turnModel(unsigned char key) {
  for (const ModelTurn& turn : kModelTurns) {
    if (turn.key == key) {
      glRotatef(turn.angle, turn.axisX, turn.axisY, turn.axisZ);
      return true;
    }
  }
  return false;
}

}  // namespace

void onKey(unsigned char key, int /*x*/, int /*y*/) {
  switch (key) {
    case '1': view.fullAxes = 0; return;
    case '2': view.fullAxes = 1; return;
    case 'E':
    case 'e':
      toggleFlag(view.showAxes);
      refreshMenu();
      return;
    case 'M':
    case 'm':
      toggleFlag(view.panMode);
      refreshMenu();
      return;
    case 'O':
    case 'o':
      toggleProjection();
      refreshMenu();
      return;
    case 'P': dolly(kMoveStep); return;
    case 'p': dolly(-kMoveStep); return;
    default:
      if (!turnModel(key)) {
        exit(0);
      }
  }
}
