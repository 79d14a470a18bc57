// The table of commands and what each row runs.
#include "nav/commands.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/gl.h"
#include "app/platform.h"
#include "app/projection.h"
#include "app/view_link.h"
#include "app/view_state.h"
#include "nav/last_move.h"
#include "nav/nav.h"

namespace {

void setAxesForm(const Command& c) { view.fullAxes = c.amount != 0.0 ? 1 : 0; }
void toggleAxes(const Command&) { toggleFlag(view.showAxes); }
void togglePanMode(const Command&) { toggleFlag(view.panMode); }
void switchProjection(const Command&) { toggleProjection(); }
void toggleMatrices(const Command&) { toggleFlag(view.showMatrices); }
void toggleEyeView(const Command&) { toggleFlag(view.showEyeView); }
void moveNearer(const Command& c) { dolly(c.amount); }
void resetTheView(const Command&) { resetView(); }
void undoTheMove(const Command&) { undoMove(); }
void goToNextExercise(const Command&) { nextExercise(); }
void leaveTheExercise(const Command&) { leaveExercise(); }
void openSubmenu(const Command&) {}  // the toolkit opens it; choosing its row runs nothing
void quitProgram(const Command&) { std::exit(0); }

// A turn about the scene's own axis through its own origin: multiplied on
// the right of the modelview matrix, so sceneOffset stays right.
void turnModel(const Command& c) {
  recordMoveSide(kMoveOnRight);
  rotateRecorded(static_cast<float>(c.amount), c.axis);
}

// An arrow key in the arrow keys' mode: about the eye's x or y axis through
// the scene origin, or a step across the screen (Up slides the scene up and
// tilts its top away, a negative turn about x).
void arrowMove(const Command& c) {
  const bool aboutY = c.axis == 'y';
  if (view.panMode != 0) {
    panBy(aboutY ? c.amount * kMoveStep : 0.0, aboutY ? 0.0 : -c.amount * kMoveStep);
  } else {
    const float turn = static_cast<float>(c.amount) * kTurnStep;
    orbitBy(aboutY ? 0.0f : turn, aboutY ? turn : 0.0f);
  }
}

void toggleFullScreen(const Command&) {
  if (isFullScreen()) {
    leaveFullScreen();
  } else {
    enterFullScreen();
  }
}

// Hands the view on as text: to start at, or as an exercise's target.
void handOn(bool asTarget) {
  float modelview[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
  char link[kViewLinkSize];
  formatViewLink(view, modelview, link);
  handViewOn(link, asTarget);
}
void linkView(const Command&) { handOn(false); }
void linkTarget(const Command&) { handOn(true); }
void addToSet(const Command&) { addViewToTeacherSet(); }
void linkSet(const Command&) { handTeacherSetOn(); }

int panMode() { return view.panMode; }
int perspective() { return view.usePerspective; }
int axesShown() { return view.showAxes; }
int matricesShown() { return view.showMatrices; }
int eyeViewShown() { return view.showEyeView; }
int fullScreen() { return isFullScreen() ? 1 : 0; }

constexpr double kTurn = kTurnStep;

// The menus' rows in their order, the main menu's first, then the rows no menu shows.
// clang-format off
const Command kCommands[] = {
  {"Mm", 0, kMainMenu, kShapesMoves, togglePanMode, "Pan with the arrow keys", 0, 0, "Orbit with the arrow keys",
   panMode},
  {"Oo", 0, kMainMenu, kShapesMoves, switchProjection, "Perspective projection", 0, 0, "Orthographic projection",
   perspective},
  {"Ee", 0, kMainMenu, kShows, toggleAxes, "Show the axes", 0, 0, "Hide the axes", axesShown},
  {"1", 0, kMainMenu, kShows, setAxesForm, "Half axes", 0, 0},
  {"2", 0, kMainMenu, kShows, setAxesForm, "Full axes", 0, 1},
  {"P", 0, kMainMenu, kMovesView, moveNearer, "Nearer", 0, kMoveStep},
  {"p", 0, kMainMenu, kMovesView, moveNearer, "Farther", 0, -kMoveStep},
  {"", kTurnMenuRow, kMainMenu, kHandsOver, openSubmenu, "Turn the scene"},
  {"", kMenuShowMatrices, kMainMenu, kShows, toggleMatrices, "Show the matrices", 0, 0, "Hide the matrices",
   matricesShown},
  {"", kMenuShowEyeView, kMainMenu, kShows, toggleEyeView, "Show the eye from outside", 0, 0, "Hide the eye from outside",
   eyeViewShown},
  {"", kMenuResetView, kMainMenu, kMovesView, resetTheView, "Reset view"},
  {"", kMenuUndo, kMainMenu, kHandsOver, undoTheMove, "Nothing to undo"},  // its row names the move (undoLabel)
  {"", kMenuFullScreen, kMainMenu, kHandsOver, toggleFullScreen, "Full screen", 0, 0, "Leave full screen",
   fullScreen},
  {"", kMenuLinkView, kMainMenu, kHandsOver, linkView, "Link to this view"},
  {"", kPracticeMenuRow, kMainMenu, kHandsOver, openSubmenu, "Practise"},
  // Every character and special key without a command of its own runs this one.
  {"q\x1b", 0, kMainMenu, kHandsOver, quitProgram, "Quit"},
  {"X", 0, kTurnMenu, kMovesView, turnModel, "About %c, %+g degrees", 'x', kTurn},
  {"x", 0, kTurnMenu, kMovesView, turnModel, "About %c, %+g degrees", 'x', -kTurn},
  {"Y", 0, kTurnMenu, kMovesView, turnModel, "About %c, %+g degrees", 'y', kTurn},
  {"y", 0, kTurnMenu, kMovesView, turnModel, "About %c, %+g degrees", 'y', -kTurn},
  {"Z", 0, kTurnMenu, kMovesView, turnModel, "About %c, %+g degrees", 'z', kTurn},
  {"z", 0, kTurnMenu, kMovesView, turnModel, "About %c, %+g degrees", 'z', -kTurn},
  {"", kMenuNextExercise, kPracticeMenu, kHandsOver, goToNextExercise, "Next exercise"},
  {"", kMenuLeaveExercise, kPracticeMenu, kHandsOver, leaveTheExercise, "Leave the exercise"},
  {"", kMenuLinkTarget, kPracticeMenu, kHandsOver, linkTarget, "Link to this view as an exercise"},
  {"", kMenuAddToSet, kPracticeMenu, kHandsOver, addToSet, "Add this view to the set"},  // says how many it holds
  {"", kMenuLinkSet, kPracticeMenu, kHandsOver, linkSet, "Link to the set as exercises"},
  // The arrow keys: amount -1 for a negative turn about the axis, or a step left or up.
  {"", 0, -1, kMovesView, arrowMove, nullptr, 'y', -1, nullptr, nullptr, GLUT_KEY_LEFT, "Left", "ArrowLeft"},
  {"", 0, -1, kMovesView, arrowMove, nullptr, 'x', -1, nullptr, nullptr, GLUT_KEY_UP, "Up", "ArrowUp"},
  {"", 0, -1, kMovesView, arrowMove, nullptr, 'y', 1, nullptr, nullptr, GLUT_KEY_RIGHT, "Right", "ArrowRight"},
  {"", 0, -1, kMovesView, arrowMove, nullptr, 'x', 1, nullptr, nullptr, GLUT_KEY_DOWN, "Down", "ArrowDown"},
};
// clang-format on
constexpr int kCommandCount = static_cast<int>(sizeof kCommands / sizeof kCommands[0]);

const Command& quitCommand() {
  for (const Command& command : kCommands)
    if (command.run == quitProgram) return command;
  return kCommands[0];  // not reached: the table has it
}

// The special keys the toolkit defines besides the arrows: each ends the program.
bool isQuitSpecialKey(int key) {
  return (key >= GLUT_KEY_F1 && key <= GLUT_KEY_F12) || (key >= GLUT_KEY_PAGE_UP && key <= GLUT_KEY_INSERT);
}

constexpr int kLabelSize = 64;

// A key's hint: its keys by name, a letter bound in both cases once, in upper case.
void appendHint(const char* keys, char* out, std::size_t size) {
  if (keys[0] == '\0') return;
  std::size_t used = std::strlen(out);
  std::snprintf(out + used, size - used, " (");
  for (const char* k = keys; *k != '\0'; ++k) {
    const bool lowerOfBoth = *k >= 'a' && *k <= 'z' && std::strchr(keys, *k - 'a' + 'A') != nullptr;
    if (lowerOfBoth) continue;
    used = std::strlen(out);
    const char* separator = out[used - 1] == '(' ? "" : ", ";
    if (*k == '\x1b') {
      std::snprintf(out + used, size - used, "%sEscape", separator);
    } else {
      std::snprintf(out + used, size - used, "%s%c", separator, *k);
    }
  }
  used = std::strlen(out);
  std::snprintf(out + used, size - used, ")");
}

}  // namespace

int commandCount() { return kCommandCount; }
const Command& commandAt(int index) { return kCommands[index]; }

const Command& commandOfKey(unsigned char key) {
  for (const Command& command : kCommands)
    if (key != 0 && std::strchr(command.keys, key) != nullptr) return command;
  return quitCommand();
}

const Command* commandOfSpecialKey(int key) {
  if (isQuitSpecialKey(key)) return &quitCommand();
  for (const Command& command : kCommands)
    if (command.specialKey != 0 && command.specialKey == key) return &command;
  return nullptr;
}

const Command& dollyCommand(bool nearer) {
  for (const Command& command : kCommands)
    if (command.run == moveNearer && (command.amount > 0) == nearer) return command;
  return quitCommand();  // not reached: the table has both
}

int commandValue(const Command& command) {
  return command.keys[0] != '\0' ? static_cast<unsigned char>(command.keys[0]) : command.value;
}

const Command* commandOfValue(int value) {
  for (const Command& command : kCommands)
    if (command.menu >= 0 && commandValue(command) == value) return &command;
  return nullptr;
}

const Command* commandNamed(const char* word) {
  for (const Command& command : kCommands) {
    if (command.name != nullptr && std::strcmp(command.name, word) == 0) return &command;
    if (word[0] != '\0' && word[1] == '\0' && std::strchr(command.keys, word[0]) != nullptr) return &command;
  }
  return nullptr;
}

// The labels are made once from the table: they are constant for the run.
const char* commandLabel(const Command& command, bool whenSet) {
  static char labels[kCommandCount][2][kLabelSize];
  const char* format = whenSet ? command.labelWhenSet : command.label;
  if (command.menu < 0 || format == nullptr) return nullptr;
  char* label = labels[&command - kCommands][whenSet ? 1 : 0];
  if (label[0] == '\0') {
    std::snprintf(label, kLabelSize, format, command.axis, command.amount);
    appendHint(command.keys, label, kLabelSize);
  }
  return label;
}

const char* commandLabelNow(const Command& command) {
  const bool set = command.isSet != nullptr && command.isSet() != 0;
  return commandLabel(command, set);
}

void runCommand(const Command& command) { command.run(command); }

bool forEachMoveWord(const char* moves, bool (*each)(const Command&, void*), void* context) {
  char word[32];
  int used = 0;
  for (const char* at = moves; std::sscanf(at, " %31s%n", word, &used) == 1; at += used) {
    char* times = std::strchr(word, '*');
    const long count = times != nullptr ? std::strtol(times + 1, nullptr, 10) : 1;
    if (times != nullptr) *times = '\0';
    const Command* command = commandNamed(word);
    if (command == nullptr || count < 1 || count > 360) return false;
    for (long i = 0; i < count; ++i)
      if (!each(*command, context)) return false;
  }
  return true;
}
