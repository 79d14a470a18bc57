// One line of input, as velmora-replay reads it, handed to the callback the
// toolkit would call:
//   key C                      character key C (its code)
//   special K                  special key K (a GLUT_KEY_ code)
//   drag B X0 Y0 X1 Y1 SHIFT   button B pressed at (X0, Y0), moved to (X1, Y1), released
//   press B X Y, motion X Y, release B X Y
//                              a drag's parts: button B pressed, a move with it held, its release
//   wheel B X Y                wheel notch: button 3 away from the user, 4 towards
//   menu V                     the menu entry of value V chosen
//   reshape W H                the window resized to W x H pixels
#pragma once

// False, and nothing done, if the line is none of these.
bool applyEvent(const char* line);
