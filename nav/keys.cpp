// The character-key callback: toggles, the projection, nearer and farther and
// the turns about the scene's own axes; every unbound character ends the program.
#include <cstdlib>

#include "app/gl.h"
#include "app/projection.h"
#include "app/view_state.h"
#include "nav/last_move.h"
#include "nav/nav.h"

namespace {

// Turns about the scene's own axes: upper case positive, lower case negative.
struct ModelTurn {
  unsigned char key;
  float angle;  // degrees
  char axis;
};

const ModelTurn kModelTurns[] = {
    {'X', kTurnStep, 'x'},  {'x', -kTurnStep, 'x'}, {'Y', kTurnStep, 'y'},
    {'y', -kTurnStep, 'y'}, {'Z', kTurnStep, 'z'},  {'z', -kTurnStep, 'z'},
};

// Multiplies on the right of the modelview matrix, so the scene turns about
// its own axis through its own origin and sceneOffset stays right.
bool turnModel(unsigned char key) {
  for (const ModelTurn& turn : kModelTurns) {
    if (turn.key == key) {
      recordMoveSide(kMoveOnRight);
      rotateRecorded(turn.angle, turn.axis);
      return true;
    }
  }
  return false;
}

}  // namespace

void onKey(unsigned char key, int /*x*/, int /*y*/) {
  beginMove("key %c", key);
  runKeyCommand(key);
  endMove();
  refreshMenu();
}

void runKeyCommand(unsigned char key) {
  switch (key) {
    case '1': view.fullAxes = 0; return;
    case '2': view.fullAxes = 1; return;
    case 'E':
    case 'e': toggleFlag(view.showAxes); return;
    case 'M':
    case 'm': toggleFlag(view.panMode); return;
    case 'O':
    case 'o': toggleProjection(); return;
    case 'P': dolly(kMoveStep); return;
    case 'p': dolly(-kMoveStep); return;
    default:
      if (!turnModel(key)) exit(0);
  }
}
