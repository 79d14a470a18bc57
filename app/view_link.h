// A view as text, to hand on: the page's address holds it after "#view=", and
// the desktop program takes it with --view TEXT. Both start at the view it
// holds: the modelview matrix, the scene offset, the projection, the axes,
// the arrow keys' mode and both displays.
#pragma once

#include <cstddef>

#include "app/view_state.h"

// The text: 26 numbers joined by commas, "1" (the form's version), the flags
// usePerspective, showAxes, fullAxes, panMode, showMatrices and showEyeView
// (each 0 or 1), the modelview matrix's 16 entries column by column, and the
// scene offset's x, y and z, each float written so that it reads back exactly.
constexpr int kViewLinkFields = 26;
constexpr std::size_t kViewLinkSize = 512;  // enough for the longest text, with its end
// A distance in scene units larger than any view can reach; larger is not a view.
constexpr double kViewLinkMaxDistance = 1.0e5;

struct ViewLink {
  int flags[6];  // usePerspective, showAxes, fullAxes, panMode, showMatrices, showEyeView
  float modelview[16];
  Vec3f sceneOffset;
};

// The current view (`state` and the modelview matrix) as text, in `out`.
void formatViewLink(const ViewState& state, const float* modelview, char (&out)[kViewLinkSize]);

// Reads a view's text. False, with why in *problem (which never repeats the
// text), unless it is exactly the form above, every number finite, the flags
// 0 or 1, the matrix a turn and a translation (its last row 0 0 0 1) and no
// distance beyond kViewLinkMaxDistance.
bool parseViewLink(const char* text, ViewLink* link, const char** problem);

// Takes "--view TEXT" and "--target TEXT" (an exercise's target, given up
// to kLinkTargetsMax times for a set of them) out of the command line, if
// there. A text that is not a view, either option without one, or more
// targets than that are rejected (rejectViewLink, naming which target of a
// set) and the start view kept; a set with one bad target starts none.
constexpr int kLinkTargetsMax = 20;
void takeViewOption(int* argc, char** argv);

// Puts the view taken from the command line into `view` and the current
// modelview matrix; false, and nothing changed, if there was none.
bool placeLinkedView();
// The targets taken from the command line, in order, and how many (0 if none).
int takenTargets(const ViewLink** targets);
// As if no view had been taken from the command line.
void forgetLinkedView();
