// The move being made, its record and the history Undo takes back.
#include "nav/last_move.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "app/gl.h"
#include "nav/nav.h"

namespace {

// The move a callback has begun: its record, and the matrix and offset from before it.
LastMove making = {};
UndoStep movedFrom = {};
bool groupOpen = false;      // a drag is under way
bool groupStarted = false;   // and has made a step, its Undo entry the newest
char shownUndoLabel[kMoveCauseSize + 8] = "";

void addFactor(const MoveFactor& factor) {
  if (making.factorCount < kMoveFactorsMax) making.factors[making.factorCount++] = factor;
}

UndoStep& newestStep() { return view.undo.steps[view.undo.newest]; }

void pushUndoStep() {
  UndoHistory& undo = view.undo;
  undo.newest = (undo.newest + 1) % kUndoDepth;
  if (undo.count < kUndoDepth) ++undo.count;
  newestStep() = movedFrom;
  newestStep().move = making;
  newestStep().steps = 1;
}

// The menu says what Undo will take back; the toolkit is told only of a change.
void refreshUndoLabel() {
  if (std::strcmp(shownUndoLabel, undoLabel()) == 0) return;
  std::snprintf(shownUndoLabel, sizeof shownUndoLabel, "%s", undoLabel());
  refreshMenu();
}

// The factors that take one step back: the step's own, last first, each turned
// or moved the other way, on the same side.
void inverseOf(const LastMove& step, LastMove* out) {
  out->side = step.side;
  out->factorCount = step.factorCount;
  for (int i = 0; i < step.factorCount; ++i) {
    MoveFactor f = step.factors[step.factorCount - 1 - i];
    f.degrees = -f.degrees;
    f.by = {-f.by.x, -f.by.y, -f.by.z};
    out->factors[i] = f;
  }
}

// The product U with U x after = before, for moves of many steps and for
// Reset view: a translation and turns about z, y and x, U = T Rz Ry Rx,
// from the two matrices (each a turn and a translation).
void productBetween(const float* before, const float* after, LastMove* out) {
  // U = before x inverse(after); inverse(after) = [R^T | -R^T t].
  double inverse[16] = {};
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) inverse[c * 4 + r] = after[r * 4 + c];
    inverse[12 + r] = -(after[r * 4] * after[12] + after[r * 4 + 1] * after[13] + after[r * 4 + 2] * after[14]);
  }
  inverse[15] = 1.0;
  double u[16];
  for (int c = 0; c < 4; ++c)
    for (int r = 0; r < 4; ++r) {
      double sum = 0.0;
      for (int k = 0; k < 4; ++k) sum += static_cast<double>(before[k * 4 + r]) * inverse[c * 4 + k];
      u[c * 4 + r] = sum;
    }
  constexpr double kDegrees = 180.0 / 3.14159265358979323846;
  const double turns[3] = {std::atan2(u[1], u[0]) * kDegrees, std::asin(-std::fmax(-1.0, std::fmin(1.0, u[2]))) * kDegrees,
                           std::atan2(u[6], u[10]) * kDegrees};  // about z, y, x
  out->side = kMoveOnLeft;
  out->factorCount = 0;
  out->factors[out->factorCount++] = {'T', 0.0f, {static_cast<float>(u[12]), static_cast<float>(u[13]), static_cast<float>(u[14])}};
  const char axes[3] = {'z', 'y', 'x'};
  for (int i = 0; i < 3; ++i)
    if (std::fabs(turns[i]) >= 5e-4) out->factors[out->factorCount++] = {axes[i], static_cast<float>(turns[i]), {0.0f, 0.0f, 0.0f}};
}

}  // namespace

void beginMove(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::vsnprintf(making.cause, sizeof making.cause, format, args);
  va_end(args);
  making.side = kMoveNone;
  making.factorCount = 0;
  glGetFloatv(GL_MODELVIEW_MATRIX, movedFrom.modelview);
  movedFrom.sceneOffset = view.sceneOffset;
}

void endMove() {
  if (making.side == kMoveNone) return;  // nothing moved
  view.lastMove = making;
  if (groupOpen && groupStarted) {
    ++newestStep().steps;
  } else {
    pushUndoStep();
    groupStarted = groupOpen;
  }
  making.side = kMoveNone;
  refreshUndoLabel();
}

void beginMoveGroup() {
  groupOpen = true;
  groupStarted = false;
}

void endMoveGroup() { groupOpen = false; }

void recordMoveSide(MoveSide side) {
  making.side = side;
  making.factorCount = 0;
}

void translateRecorded(float x, float y, float z) {
  glTranslatef(x, y, z);
  addFactor({'T', 0.0f, {x, y, z}});
}

void rotateRecorded(float degrees, char axis) {
  glRotatef(degrees, axis == 'x' ? 1.0f : 0.0f, axis == 'y' ? 1.0f : 0.0f, axis == 'z' ? 1.0f : 0.0f);
  addFactor({axis, degrees, {0.0f, 0.0f, 0.0f}});
}

bool undoMove() {
  UndoHistory& undo = view.undo;
  if (undo.count == 0) return false;
  const UndoStep& step = newestStep();
  float after[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, after);
  LastMove shown = {};
  std::snprintf(shown.cause, sizeof shown.cause, "undo %s", step.move.cause);
  if (step.steps == 1 && step.move.side != kMoveReplaces) {
    inverseOf(step.move, &shown);
  } else {
    productBetween(step.modelview, after, &shown);
  }
  glMatrixMode(GL_MODELVIEW);
  glLoadMatrixf(step.modelview);
  view.sceneOffset = step.sceneOffset;
  view.lastMove = shown;
  undo.newest = (undo.newest + kUndoDepth - 1) % kUndoDepth;
  --undo.count;
  groupStarted = false;  // a drag under way starts a new move with its next step
  refreshUndoLabel();
  return true;
}

const char* undoLabel() {
  if (view.undo.count == 0) return "Nothing to undo";
  static char label[sizeof shownUndoLabel];
  std::snprintf(label, sizeof label, "Undo %s", newestStep().move.cause);
  return label;
}
