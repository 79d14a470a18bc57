// The record of the last move, written by the code that multiplies it: the
// matrices display shows it as the product that made the modelview matrix.
#pragma once

#include "app/view_state.h"

// What the next move is made by ("key Y", "Right arrow, orbit", "left drag,
// orbit", "menu, Reset view"), said by the callback before it runs the move.
void nameNextMove(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Starts the record of a move about to be multiplied on `side` of the
// modelview matrix, under the name said last.
void beginMoveRecord(MoveSide side);

// glTranslatef and glRotatef on the current matrix, each also written into the
// record as the next factor of the product.
void translateRecorded(float x, float y, float z);
void rotateRecorded(float degrees, char axis);
