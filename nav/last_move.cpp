// The move being made, its record and the history Undo takes back.
#include "nav/last_move.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>

#include "app/gl.h"

namespace {

// The move a callback has begun, and whether a drag is under way.
struct MoveRecording {
  LastMove making;     // its record
  UndoStep movedFrom;  // the matrix and offset from before it
  bool groupOpen;      // a drag is under way
  bool groupStarted;   // and has made a step, its Undo entry the newest
};
MoveRecording recording = {};

void addFactor(const MoveFactor& factor) {
  if (recording.making.factorCount < kMoveFactorsMax) recording.making.factors[recording.making.factorCount++] = factor;
}

UndoStep& newestStep() { return view.undo.steps[view.undo.newest]; }

void pushUndoStep() {
  UndoHistory& undo = view.undo;
  undo.newest = (undo.newest + 1) % kUndoDepth;
  if (undo.count < kUndoDepth) ++undo.count;
  ++undo.made;
  newestStep() = recording.movedFrom;
  newestStep().move = recording.making;
  newestStep().steps = 1;
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
// Reset view: a translation and turns about z, y and x, U = T Rz Ry Rx. The
// turns come from the two matrices' turns; the translation is then what
// takes the origin where it was with those turns as written, so the product
// holds however far the view has moved.
void productBetween(const float* before, const float* after, LastMove* out) {
  // The turn of U: before's turn times after's turn transposed, row r column c.
  double turn[3][3];
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) {
      double sum = 0.0;
      for (int k = 0; k < 3; ++k) sum += static_cast<double>(before[k * 4 + r]) * after[k * 4 + c];
      turn[r][c] = sum;
    }
  constexpr double kDegrees = 180.0 / 3.14159265358979323846;
  const float degrees[3] = {static_cast<float>(std::atan2(turn[1][0], turn[0][0]) * kDegrees),
                            static_cast<float>(std::asin(-std::fmax(-1.0, std::fmin(1.0, turn[2][0]))) * kDegrees),
                            static_cast<float>(std::atan2(turn[2][1], turn[2][2]) * kDegrees)};  // about z, y, x
  // The turn as written: Rz Ry Rx from the float angles.
  double written[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  const int axes[3] = {2, 1, 0};
  for (int i = 0; i < 3; ++i) {
    const double a = degrees[i] / kDegrees, c = std::cos(a), s = std::sin(a);
    const int p = (axes[i] + 1) % 3, q = (axes[i] + 2) % 3;  // the plane the turn acts in
    for (int r = 0; r < 3; ++r) {
      const double wp = written[r][p], wq = written[r][q];
      written[r][p] = wp * c + wq * s;
      written[r][q] = -wp * s + wq * c;
    }
  }
  double t[3];
  for (int r = 0; r < 3; ++r)
    t[r] = before[12 + r] - (written[r][0] * after[12] + written[r][1] * after[13] + written[r][2] * after[14]);
  out->side = kMoveOnLeft;
  out->factorCount = 0;
  out->factors[out->factorCount++] = {
      'T', 0.0f, {static_cast<float>(t[0]), static_cast<float>(t[1]), static_cast<float>(t[2])}};
  const char names[3] = {'z', 'y', 'x'};
  for (int i = 0; i < 3; ++i)
    if (std::fabs(degrees[i]) >= 5e-4f) out->factors[out->factorCount++] = {names[i], degrees[i], {0.0f, 0.0f, 0.0f}};
}

}  // namespace

void beginMove(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::vsnprintf(recording.making.cause, sizeof recording.making.cause, format, args);
  va_end(args);
  recording.making.side = kMoveNone;
  recording.making.factorCount = 0;
  glGetFloatv(GL_MODELVIEW_MATRIX, recording.movedFrom.modelview);
  recording.movedFrom.sceneOffset = view.sceneOffset;
}

namespace {

// Makes the move just recorded the last one; `inGroup`: a move of the pointer
// that belongs to the drag under way, if any.
void closeMove(bool inGroup) {
  if (recording.making.side == kMoveNone) return;  // nothing moved
  view.lastMove = recording.making;
  if (inGroup && recording.groupOpen && recording.groupStarted) {
    ++newestStep().steps;
  } else {
    pushUndoStep();
    recording.groupStarted =
        inGroup && recording.groupOpen;  // a key meanwhile: the drag's next step is a move of its own
  }
  recording.making.side = kMoveNone;
}

}  // namespace

void endMove() { closeMove(false); }
void endMouseMove() { closeMove(true); }

void beginMoveGroup() {
  recording.groupOpen = true;
  recording.groupStarted = false;
}

void endMoveGroup() { recording.groupOpen = false; }

void resetMoveRecording() { recording = {}; }

void startMovesAfresh() {
  if (recording.making.side != kMoveNone) view.lastMove = recording.making;
  recording.making.side = kMoveNone;
  recording.groupStarted = false;
  view.undo = {};
}

void recordMoveSide(MoveSide side) {
  recording.making.side = side;
  recording.making.factorCount = 0;
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
  glGetFloatv(GL_MODELVIEW_MATRIX, after);  // the matrix now, which the product is applied to
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
  --undo.made;
  recording.groupStarted = false;  // a drag under way starts a new move with its next step
  return true;
}

const char* undoLabel() {
  if (view.undo.count == 0) return "Nothing to undo";
  static char label[kUndoLabelSize];
  std::snprintf(label, sizeof label, "Undo %s", newestStep().move.cause);
  return label;
}
