// The view's state: one record that lives for the run, plus the scratch copy
// of the modelview matrix used while an eye-space move runs. The other
// records are each their own file's, at its top: the move being made
// (nav/last_move.cpp), the drag (nav/mouse.cpp), the menu as the toolkit has
// it (nav/menu.cpp), the linked view (app/view_link.cpp) and the platform's
// (full screen on the desktop, app/platform_desktop.cpp); resetState
// (app/startup.h) puts every one back.
#pragma once

struct Vec3f {
  float x, y, z;
};

// One factor of a move's product: a translation T(x, y, z), or a turn of
// `degrees` about the axis 'x', 'y' or 'z'.
struct MoveFactor {
  char axis;  // 'T' for a translation
  float degrees;
  Vec3f by;
};

// Where the product puts the modelview matrix M as it was before the move.
enum MoveSide { kMoveNone, kMoveOnLeft, kMoveOnRight, kMoveReplaces };  // E x M, M x E, E alone
constexpr int kMoveFactorsMax = 4;
constexpr int kMoveCauseSize = 48;

// The last move that changed the modelview matrix, written as it was
// multiplied: what made it and its factors, left to right.
struct LastMove {
  char cause[kMoveCauseSize];  // "" before the first move
  MoveSide side;
  int factorCount;
  MoveFactor factors[kMoveFactorsMax];
};

// A move as Undo takes it back: the modelview matrix and scene offset from
// before it, kept as they were, and its record; a drag is one move however
// many steps it took.
struct UndoStep {
  float modelview[16];  // column-major, before the move
  Vec3f sceneOffset;    // before the move
  LastMove move;        // its first step's record
  int steps;            // the steps it took
};
constexpr int kUndoDepth = 128;  // moves that can be taken back, the oldest forgotten first

struct UndoHistory {
  UndoStep steps[kUndoDepth];  // a ring: the newest at `newest`, `count` of them kept
  int newest;
  int count;
  int made;  // moves made and not taken back since the history began, kept or not
};

// An exercise under way: a view to reach, set by the menu or a link.
struct Practice {
  int number;          // 0: none under way; else 1 to `of`
  int of;              // how many: the built-in exercises, or the targets a link gave
  bool linked;         // a target from a link: no par, lesson or par's moves
  const char* task;    // what to do, one sentence
  int par;             // the moves of Undo's kind that made the target
  const char* lesson;  // what the view shows once reached, one sentence; null for a linked one
  const char* moves;   // the moves that made it, in the gallery's words; null for a linked one
  float target[16];    // the modelview matrix to reach, column-major
  int projection;      // the usePerspective it must have, or -1 for either
};

struct ViewState {
  Vec3f sceneOffset;   // eye-space position of the scene origin, scene units
  float windowWidth;   // window width in pixels from the last reshape
  float windowHeight;  // window height in pixels, never 0 (0 is stored as 1)
  int panMode;         // 1: arrow keys pan; 0: they orbit about the origin
  int fullAxes;        // 1: gizmo axes run from -length to +length
  int usePerspective;  // 1: perspective projection; 0: orthographic
  int showAxes;        // 1: the frame draws the axis gizmo
  int showMatrices;    // 1: the frame shows the projection, sceneOffset and modelview as text (menu only)
  int showEyeView;     // 1: the frame shows the scene and the eye from outside in an inset (menu only)
  LastMove lastMove;   // shown with the matrices
  UndoHistory undo;    // the moves Undo takes back, newest last
  Practice practice;   // the exercise under way, if any
};

// Starting values, before anything runs.
constexpr ViewState kStartViewState = {{0.0f, 0.0f, -6.0f}, 1.0f, 1.0f, 0, 0, 1, 1, 0, 0, {}, {}, {}};

extern ViewState view;
extern float savedModelview[16];  // column-major, as GL_MODELVIEW_MATRIX gives it

// Toggles a 0-or-1 flag: 1 if it was 0, 0 otherwise.
inline void toggleFlag(int& flag) { flag = (flag == 0) ? 1 : 0; }
