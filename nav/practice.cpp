// Exercises: the built-in table, each a view to reach made by its moves from
// the starting view, and the menu's commands that start, leave and go on.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/gl.h"
#include "app/projection.h"
#include "app/startup.h"
#include "app/view_state.h"
#include "nav/commands.h"
#include "nav/last_move.h"
#include "nav/nav.h"

namespace {

// Easiest first, one idea at a time. `moves` in the gallery's words: X key
// names (Left, Right, Up, Down, or a character), each with an optional *N.
const Exercise kExercises[] = {
    {"Orbit", "Turn the scene to the right about its origin with the arrow keys.", "Right*6", 6},
    {"Tilt", "Tilt the scene so that its top goes away from you, with the arrow keys.", "Up*6", 6},
    {"Nearer", "Bring the scene nearer until it lies on the faint one.", "P*12", 12},
    {"Farther", "Move the scene farther away.", "p*20", 20},
    {"Pan", "Slide the scene left and up without turning it: M makes the arrows pan.", "m Left*8 Up*5", 14},
    {"Orthographic", "Switch to the orthographic projection, then tilt the scene about its own x axis.", "o X*9", 10},
    {"Own axis x", "Turn the scene about its own red x axis, with X or x.", "X*9", 9},
    {"Own axis z", "Spin the scene about its own blue z axis, with Z or z.", "Z*9", 9},
    {"Alike at start", "Turn the scene about its own green y axis: from the start Y looks like Right.", "Y*6", 6},
    {"Order: x then z", "Turn about the scene's own x axis first, then about its own z axis.", "X*6 Z*6", 12},
    {"Order: z then x", "The same turns in the other order: about z first, then about x.", "Z*6 X*6", 12},
    {"Eye after a tilt", "Tilt with X, then turn with Right, about the screen's vertical axis.", "X*9 Right*6", 15},
    {"Own axis after a tilt", "The same tilt, then turn about the scene's own y axis: not what Right does now.",
     "X*9 Y*6", 15},
    {"A view from the side", "Stand the road on its edge with X, turn it 45 degrees with Right, then move it back.",
     "X*18 Right*9 p*10", 37},
    {"Drive along", "Pan the scene down, bring it nearer, then orbit it to the left.", "m Down*6 m P*15 Left*4", 27},
};
constexpr int kExerciseCount = static_cast<int>(sizeof kExercises / sizeof kExercises[0]);

// One command of the moves, on the view being made: only the moves and the
// switches that shape them (the arrow keys' mode, the projection).
bool applyMove(const Command& command, void* projectionChanged) {
  if (command.effect != kMovesView && command.effect != kShapesMoves) return false;
  const int before = view.usePerspective;
  runCommand(command);
  if (view.usePerspective != before) *static_cast<bool*>(projectionChanged) = true;
  return true;
}

}  // namespace

int exerciseCount() { return kExerciseCount; }

const Exercise* exerciseAt(int number) {
  return number >= 1 && number <= kExerciseCount ? &kExercises[number - 1] : nullptr;
}

bool targetOfMoves(const char* moves, float target[16], int* projection) {
  const Vec3f offset = view.sceneOffset;
  const int panMode = view.panMode, usePerspective = view.usePerspective;
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  view.sceneOffset = kStartViewState.sceneOffset;
  view.panMode = kStartViewState.panMode;
  view.usePerspective = kStartViewState.usePerspective;
  placeScene();
  bool projectionChanged = false;
  const bool known = forEachMoveWord(moves, applyMove, &projectionChanged);
  *projection = projectionChanged ? view.usePerspective : -1;
  glGetFloatv(GL_MODELVIEW_MATRIX, target);
  glPopMatrix();
  view.sceneOffset = offset;
  view.panMode = panMode;
  view.usePerspective = usePerspective;
  if (projectionChanged) applyProjection();
  return known;
}

void startExercise(int number) {
  const Exercise* exercise = exerciseAt(number);
  if (exercise == nullptr) return;
  Practice practice = {number, kExerciseCount, exercise->task, exercise->par, {}, -1};
  targetOfMoves(exercise->moves, practice.target, &practice.projection);
  resetView();
  if (view.usePerspective == 0) toggleProjection();
  startMovesAfresh();
  view.practice = practice;
}

void startLinkedExercise(const float target[16], int projection) {
  Practice practice = {-1, kExerciseCount, "Reach the faint view.", 0, {}, projection};
  std::memcpy(practice.target, target, sizeof practice.target);
  startMovesAfresh();
  view.practice = practice;
}

void nextExercise() { startExercise(view.practice.number >= 1 ? view.practice.number % kExerciseCount + 1 : 1); }

void leaveExercise() { view.practice = {}; }
