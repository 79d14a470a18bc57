#include "nav/last_move.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "app/gl.h"

namespace {

char nextCause[kMoveCauseSize] = "";

void addFactor(const MoveFactor& factor) {
  LastMove& move = view.lastMove;
  if (move.factorCount < kMoveFactorsMax) move.factors[move.factorCount++] = factor;
}

}  // namespace

void nameNextMove(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::vsnprintf(nextCause, sizeof nextCause, format, args);
  va_end(args);
}

void beginMoveRecord(MoveSide side) {
  LastMove& move = view.lastMove;
  std::memcpy(move.cause, nextCause, sizeof move.cause);
  nextCause[0] = '\0';  // a move nobody named is not taken for the one before
  move.side = side;
  move.factorCount = 0;
}

void translateRecorded(float x, float y, float z) {
  glTranslatef(x, y, z);
  addFactor({'T', 0.0f, {x, y, z}});
}

void rotateRecorded(float degrees, char axis) {
  glRotatef(degrees, axis == 'x' ? 1.0f : 0.0f, axis == 'y' ? 1.0f : 0.0f, axis == 'z' ? 1.0f : 0.0f);
  addFactor({axis, degrees, {0.0f, 0.0f, 0.0f}});
}
