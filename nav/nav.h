// View navigation: the keyboard callbacks and the eye-space moves.
#pragma once

constexpr double kMoveStep = 0.1;  // pan and dolly step, scene units
constexpr float kTurnStep = 5.0f;  // orbit and model-axis turn step, degrees

// Special-key callback: the arrows orbit the scene about its origin, or pan
// it when panMode is 1; the listed unbound keys end the program; any other
// code the toolkit reports (modifier keys alone, Num Lock, keypad keys) is ignored.
void onSpecialKey(int key, int x, int y);

// Moves the scene along the eye's z axis by dz (+0.1 nearer, -0.1 farther).
void dolly(double dz);

// Keyboard callback: toggles, the projection, the dolly, the model-axis
// turns; every character without a binding ends the program.
void onKey(unsigned char key, int x, int y);
