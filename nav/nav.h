// View navigation, all that the toolkit's input callbacks run: the special-key
// callback and the eye-space moves (nav/camera.cpp), the character-key
// callback (nav/keys.cpp), the mouse's callbacks (nav/mouse.cpp) and the
// right-button menu (nav/menu.cpp).
#pragma once

constexpr double kMoveStep = 0.1;  // pan and dolly step, scene units
constexpr float kTurnStep = 5.0f;  // orbit and model-axis turn step, degrees

// Special-key callback: the arrows orbit the scene about its origin, or pan
// it when panMode is 1; the listed unbound keys end the program; any other
// code the toolkit reports (modifier keys alone, Num Lock, keypad keys) is
// ignored. What each key runs is its row of nav/commands.h.
void onSpecialKey(int key, int x, int y);

// Moves the scene along the eye's z axis by dz (+0.1 nearer, -0.1 farther).
void dolly(double dz);

// The eye-space moves the arrow keys and the mouse share. orbitBy turns the
// scene through the scene origin about the eye's y axis by degreesY, then
// about its x axis by degreesX (a zero turn is left out); panBy slides it
// across the screen and moves sceneOffset with it. Each move multiplies the
// modelview matrix through the move's record (nav/last_move.h), which it
// also writes, and uses savedModelview as its scratch.
void orbitBy(float degreesX, float degreesY);
void panBy(double dx, double dy);

// Back to the starting view: the scene 6 units in front of the eye, no turns.
// Projection, gizmo and arrow-key mode stay as they are.
void resetView();

// Mouse: a left drag orbits, a middle drag or a left drag with Shift pans,
// the wheel moves nearer (away from the user) or farther (towards the user).
constexpr double kDragTurnPerHeight = 180.0;  // degrees for a drag across the window's height
// The toolkit reports a wheel notch as a press and release of a button: the
// X server's buttons 4 (away from the user) and 5 (towards), GLUT's 3 and 4.
constexpr int kWheelAwayButton = 3;
constexpr int kWheelTowardsButton = 4;
void onMouseButton(int button, int state, int x, int y);
void onMouseDrag(int x, int y);
// onMouseButton with the Shift state given rather than asked of the toolkit.
void mouseButton(int button, int state, bool shift, int x, int y);
// A pinch on a touch screen, in the drag under way (the page's two fingers):
// fingers `scale` times as far apart as at its press ask for the scene at
// 1 / scale of its depth then, round((1 - 1 / scale) x depth / 0.1) wheel
// notches in all from the press, at most kPinchStepsMax either way. A scale
// that is not a positive number is ignored.
constexpr double kPinchStepsMax = 1000.0;
void pinchTo(double scale);
// No drag under way, as at start.
void resetMouse();

// The right-button menu: the rows of the table of commands (nav/commands.h)
// in its order, the turns about the scene's own axes and the exercises in
// submenus. A row's value is its key's character, so a choice runs exactly
// what its key runs; the rows without a key have values above 255.
constexpr int kMenuResetView = 256;
constexpr int kMenuShowMatrices = 257;
constexpr int kMenuShowEyeView = 258;
constexpr int kMenuUndo = 259;        // takes back the last move (nav/last_move.h)
constexpr int kMenuFullScreen = 260;  // the view fills the screen, or leaves it
constexpr int kMenuLinkView = 261;    // hands the view on as text (app/view_link.h)
constexpr int kMenuNextExercise = 262;
constexpr int kMenuLeaveExercise = 263;
constexpr int kMenuLinkTarget = 264;  // hands the view on as the target of an exercise
constexpr int kMenuAddToSet = 265;    // adds the view to the teacher's set of targets
constexpr int kMenuLinkSet = 266;     // hands the teacher's set on as one link
constexpr int kMenuExercise = 300;    // + n: starts exercise n
void onMenu(int value);
// Keeps the toggling entries' labels, and Undo's, saying what they will do
// now; each callback that may change them calls it last.
void refreshMenu();
// The menu closed and the labels following the state, as at start.
void resetMenu();
// The view has entered or left full screen (on the page also by the browser's
// own way out, Escape): the labels follow.
void onFullScreenChanged();
// The label the main menu shows now for the entry of `value`; null if it has
// none or the menu is not made yet.
const char* menuLabel(int value);

// The menus' rows, as the table of commands and of exercises make them, for tools and
// tests that find a row: menu kMainMenu, kTurnMenu or kPracticeMenu, rows top
// to bottom. A row's value is what choosing it runs (kTurnMenuRow and
// kPracticeMenuRow for the main menu's rows that open the others); a toggling
// row has a second label, shown while its flag is set, else null.
constexpr int kMainMenu = 0;
constexpr int kTurnMenu = 1;
constexpr int kPracticeMenu = 2;
constexpr int kTurnMenuRow = -1;
constexpr int kPracticeMenuRow = -2;
int menuRowCount(int menu);
int menuRowValue(int menu, int row);
const char* menuRowLabel(int menu, int row);
const char* menuRowLabelWhenSet(int menu, int row);

// Registers the mouse's callbacks, then the menu (registerMenu).
void registerMouse();
// Makes the menu and attaches it to the right button, with its entry and status callbacks.
void registerMenu();

// Exercises: a view to reach (ViewState::practice), drawn faint under the
// live one. A built-in exercise's target is made by its moves from the
// starting view, in the gallery's words ("Right*6 Up*4", "m Left*8").
struct Exercise {
  const char* title;   // its menu row
  const char* task;    // what to do, one sentence
  const char* moves;   // the moves that make its target
  const char* lesson;  // what the view shows once reached, one sentence
};
int exerciseCount();
// Exercise `number`, 1 to exerciseCount(); null for any other number.
const Exercise* exerciseAt(int number);
// Its par: the moves Undo would take back among its own moves (the arrow
// keys' mode and the projection switches are none), as the count counts them.
int exercisePar(const Exercise& exercise);
// The modelview matrix the moves make from the starting view, and the
// projection they fix (-1 if they switch none); false if a word is not one
// of the moves or the switches that shape them (nav/commands.h). The view,
// its offset, mode and projection are as they were after it; the moves made
// on the way write savedModelview and the record of the move being made
// (nav/last_move.h), which an exercise's start makes afresh.
bool targetOfMoves(const char* moves, float target[16], int* projection);
// Starts exercise `number` from the starting view in perspective, its moves
// counted from 0: Undo goes back no further. Nothing for any other number.
void startExercise(int number);
// Starts the first of the `count` targets a link gave (at most
// kLinkTargetsMax, app/view_link.h), from the view as it is; Next goes
// through them in order. A link of one target: Next goes on to the built-in
// exercises.
struct ViewLink;
void startLinkedExercises(const ViewLink* targets, int count);
// The exercise after the one under way (the first after the last or none).
void nextExercise();
void leaveExercise();
// Whether built-in exercise `number` has been reached during the run; each
// callback's refreshMenu notes the exercise under way reached (notePracticeReached).
bool exerciseReachedInRun(int number);
void notePracticeReached();
// The teacher's set: views added one by one (at most kLinkTargetsMax), handed
// on together as one link of targets (app/platform.h).
int teacherSetSize();
void addViewToTeacherSet();
void handTeacherSetOn();
// No exercise reached, no set made, as at start.
void resetPractice();

// Keyboard callback: toggles, the projection, the dolly, the model-axis
// turns, each its row of nav/commands.h; every character without a row of
// its own ends the program.
void onKey(unsigned char key, int x, int y);
