// The record of each move, begun and ended by the callback that makes it and
// written by the code that multiplies it: the matrices display shows the last
// one as the product that made the modelview matrix, and Undo takes the moves
// back, newest first.
#pragma once

#include "app/view_state.h"

// Opens the record of what a callback is about to do, under its name ("key
// Y", "Right arrow, orbit", "left drag, orbit", "menu, Reset view"). The
// moves it runs write their side and factors into it.
void beginMove(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Closes it: if a move was multiplied, it becomes the last move and the
// newest one Undo takes back; if nothing moved, nothing changes.
void endMove();

// A drag, from its press to its release, is one move for Undo: the moves of
// the pointer made between these (its steps, and wheel notches, which a pinch
// on the page makes) are taken back together; endMouseMove closes each.
void beginMoveGroup();
void endMoveGroup();
void endMouseMove();

// The side of the modelview matrix the move now being made is multiplied on;
// each step of a move begins here.
void recordMoveSide(MoveSide side);

// glTranslatef and glRotatef on the current matrix, each also written into the
// record as the next factor of the product.
void translateRecorded(float x, float y, float z);
void rotateRecorded(float degrees, char axis);

// Takes back the newest move: the modelview matrix and scene offset from
// before it, exactly as kept, and a last move that says what was undone with
// the product that does it. False, and nothing changed, if there is none.
bool undoMove();
// What the menu's Undo row says now: "Undo Right arrow, orbit", or "Nothing to undo".
constexpr int kUndoLabelSize = kMoveCauseSize + 8;
const char* undoLabel();

// No move being made and no drag under way, as at start (the history is the view's).
void resetMoveRecording();
// The move being made becomes the last move, but not one Undo takes back:
// Undo's history starts afresh after it (an exercise starts here).
void startMovesAfresh();
