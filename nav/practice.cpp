// Exercises: the built-in table, each a view to reach made by its moves from
// the starting view, and the menu's commands that start, leave and go on.
#include <algorithm>
#include <cstring>

#include "app/gl.h"
#include "app/platform.h"
#include "app/projection.h"
#include "app/startup.h"
#include "app/view_link.h"
#include "app/view_state.h"
#include "nav/commands.h"
#include "nav/last_move.h"
#include "nav/nav.h"
#include "scene/scene.h"

namespace {

// Easiest first, one idea at a time. `moves` in the gallery's words: X key
// names (Left, Right, Up, Down, or a character), each with an optional *N.
const Exercise kExercises[] = {
    {"Orbit", "Turn the scene to the right about its origin with the arrow keys.", "Right*6",
     "Right turned the scene about the screen's vertical axis through its origin: M = T(s) Ry(5) T(-s) M."},
    {"Tilt", "Tilt the scene so that its top goes away from you, with the arrow keys.", "Up*6",
     "Up turned the scene about the screen's horizontal axis through its origin, a negative turn about x."},
    {"Nearer", "Bring the scene nearer until it lies on the faint one.", "P*12",
     "P moved the scene 0.1 nearer along the eye's z axis each time; in perspective nearer is larger."},
    {"Farther", "Move the scene farther away.", "p*20",
     "p moved the scene along the eye's z axis, away from you: in perspective its size goes as one over its depth."},
    {"Pan", "Slide the scene left and up without turning it: M makes the arrows pan.", "m Left*8 Up*5",
     "In pan mode the arrows slid the scene across the screen, and sceneOffset moved with it; its turn stayed."},
    {"Orthographic", "Switch to the orthographic projection, then tilt the scene about its own x axis.", "o X*9",
     "The orthographic projection shrinks nothing with depth: the tilted road's far end is as wide as its near one."},
    {"Own axis x", "Turn the scene about its own red x axis, with X or x.", "X*9",
     "X turned the scene about its own red axis, M = M Rx(5): a turn multiplied on the right of the modelview."},
    {"Own axis z", "Spin the scene about its own blue z axis, with Z or z.", "Z*9",
     "Z spun the scene about its own blue axis, which points at you from the start, so it turned in the screen."},
    {"Alike at start", "Turn the scene about its own green y axis: from the start Y looks like Right.", "Y*6",
     "From the start the green axis is the screen's vertical one, so Y and Right look alike: exercise 12 parts them."},
    {"Order: x then z", "Turn about the scene's own x axis first, then about its own z axis.", "X*6 Z*6",
     "X then Z is M Rx Rz: the z turn was about the axis the x turn had tilted; exercise 11 takes the other order."},
    {"Order: z then x", "The same turns in the other order: about z first, then about x.", "Z*6 X*6",
     "Z then X reached another view than X then Z (exercise 10): turns do not commute, the order is the product's."},
    {"Eye after a tilt", "Tilt with X, then turn with Right, about the screen's vertical axis.", "X*9 Right*6",
     "Right turned the tilted road about the screen's vertical axis, where Y would have turned it about its own "
     "green axis: exercise 13 shows that."},
    {"Own axis after a tilt", "The same tilt, then turn about the scene's own y axis: not what Right does now.",
     "X*9 Y*6",
     "Y turned the tilted road about its own green axis, which the tilt took with it, where Right turns about the "
     "screen's: exercise 12 shows that."},
    {"A view from the side", "Stand the road on its edge with X, turn it 45 degrees with Right, then move it back.",
     "X*18 Right*9 p*10",
     "Edge-on, Right still turned the road about the screen's vertical axis, and p moved it back along the view."},
    {"Drive along", "Pan the scene down, bring it nearer, then orbit it to the left.", "m Down*6 m P*15 Left*4",
     "The orbit turned about the scene origin where the pan and P had left it, not about the window's centre."},
};
constexpr int kExerciseCount = static_cast<int>(sizeof kExercises / sizeof kExercises[0]);

// The exercises reached during the run, the targets a link gave, and the
// teacher's set being made.
struct PracticeRecord {
  bool reached[kExerciseCount];
  int linkedCount;
  float linkedTargets[kLinkTargetsMax][16];
  int linkedProjections[kLinkTargetsMax];
  int setSize;
  char set[kLinkTargetsMax][kViewLinkSize];
};
PracticeRecord record = {};

// Starts target `number` (1 to linkedCount) of the link's set.
void startLinked(int number) {
  Practice practice = {number, record.linkedCount, true, "Reach the faint view.", 0, nullptr, nullptr, {}, -1};
  std::memcpy(practice.target, record.linkedTargets[number - 1], sizeof practice.target);
  practice.projection = record.linkedProjections[number - 1];
  startMovesAfresh();
  view.practice = practice;
}

bool countMove(const Command& command, void* par) {
  if (command.effect == kMovesView) ++*static_cast<int*>(par);
  return true;
}

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

int exercisePar(const Exercise& exercise) {
  int par = 0;
  forEachMoveWord(exercise.moves, countMove, &par);
  return par;
}

void startExercise(int number) {
  const Exercise* exercise = exerciseAt(number);
  if (exercise == nullptr) return;
  Practice practice = {
      number, kExerciseCount, false, exercise->task, exercisePar(*exercise), exercise->lesson, exercise->moves, {}, -1};
  targetOfMoves(exercise->moves, practice.target, &practice.projection);
  resetView();
  if (view.usePerspective == 0) toggleProjection();
  startMovesAfresh();
  view.practice = practice;
}

void startLinkedExercises(const ViewLink* targets, int count) {
  record.linkedCount = std::min(count, kLinkTargetsMax);
  for (int i = 0; i < record.linkedCount; ++i) {
    std::memcpy(record.linkedTargets[i], targets[i].modelview, sizeof record.linkedTargets[i]);
    record.linkedProjections[i] = targets[i].flags[0];
  }
  if (record.linkedCount > 0) startLinked(1);
}

void nextExercise() {
  const Practice& now = view.practice;
  if (now.linked && now.of > 1) {
    resetView();
    startLinked(now.number % now.of + 1);
  } else {
    startExercise(!now.linked && now.number >= 1 ? now.number % kExerciseCount + 1 : 1);
  }
}

void leaveExercise() { view.practice = {}; }

bool exerciseReachedInRun(int number) { return number >= 1 && number <= kExerciseCount && record.reached[number - 1]; }

void notePracticeReached() {
  if (view.practice.linked || view.practice.number < 1) return;
  float modelview[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
  if (practiceReached(view, modelview)) record.reached[view.practice.number - 1] = true;
}

int teacherSetSize() { return record.setSize; }

void addViewToTeacherSet() {
  if (record.setSize >= kLinkTargetsMax) return;
  float modelview[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
  formatViewLink(view, modelview, record.set[record.setSize++]);
}

void handTeacherSetOn() {
  const char* links[kLinkTargetsMax];
  for (int i = 0; i < record.setSize; ++i) links[i] = record.set[i];
  if (record.setSize > 0) handTargetsOn(links, record.setSize);
}

void resetPractice() { record = {}; }
