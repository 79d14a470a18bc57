// The right-button menu: its rows, made from the table of commands and the
// exercises, and the labels that follow the state.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "app/gl.h"
#include "app/platform.h"
#include "app/view_link.h"
#include "app/view_state.h"
#include "nav/commands.h"
#include "nav/last_move.h"
#include "nav/nav.h"

namespace {

constexpr int kLabelSize = kUndoLabelSize;  // the longest label, Undo's, with its end
constexpr int kMainRowsMax = 16;
constexpr int kPracticeRowsMax = 40;

// The menu as the toolkit has it, and what the toolkit has said.
struct MenuState {
  int menuId;      // 0 until the menu is made
  int viewWindow;  // the window the menu belongs to
  bool inUse;
  bool pointerInView;                    // since the toolkit last said the pointer entered the view, not left it
  char shown[kMainRowsMax][kLabelSize];  // each main-menu row's label as last given to the toolkit
  int practiceMenuId;
  char practiceShown[kPracticeRowsMax][kLabelSize];  // and each of the Practise submenu's
};
MenuState menu = {};

constexpr int kExercisesMax = 32;

// Row `row` of menu `which`: the table of commands' rows of that menu, in
// its order; the Practise submenu's begin with a row for each exercise. Null if none.
const Command* commandInMenu(int which, int row) {
  for (int i = 0; i < commandCount(); ++i)
    if (commandAt(i).menu == which && row-- == 0) return &commandAt(i);
  return nullptr;
}

int commandRows(int which) {
  int rows = 0;
  for (int i = 0; i < commandCount(); ++i) rows += commandAt(i).menu == which ? 1 : 0;
  return rows;
}

// The main menu's rows that the menu's record has room for: all of them (the navigation test holds it).
int mainRows() { return std::min(commandRows(kMainMenu), kMainRowsMax); }

int exerciseRows(int which) { return which == kPracticeMenu ? std::min(exerciseCount(), kExercisesMax) : 0; }

// An exercise's row: "3. Nearer", and " - reached" once reached in the run.
const char* exerciseLabel(int number, bool markReached) {
  static char labels[kExercisesMax][kLabelSize];
  const bool reached = markReached && exerciseReachedInRun(number);
  std::snprintf(labels[number - 1], sizeof labels[number - 1], "%d. %s%s", number, exerciseAt(number)->title,
                reached ? " - reached" : "");
  return labels[number - 1];
}

void onEntry(int state) { menu.pointerInView = state == GLUT_ENTERED; }

// The toolkit's menu callback. freeglut 3.4 hit-tests a click in the view
// against the open menu with the click's window position taken for a screen
// position, so a click beside the menu, meant to close it, can arrive here as
// the choice of whichever row lies that far from the menu's corner (Quit,
// say). A real choice is made with the pointer on the menu, which lies over
// the view: the view has seen the pointer leave. Checked where the platform
// says its toolkit reports the pointer leaving the view for a menu opened over it.
void onMenuChoice(int value) {
  if (strayMenuChoices() && menu.pointerInView) {
    return;  // a click beside the menu: the toolkit has closed it, and that is all
  }
  onMenu(value);
}

// What a row says now: a toggle what choosing it will do, Undo the move it
// takes back, the set's row how many views it holds.
const char* labelNow(const Command& command) {
  if (command.value == kMenuUndo) return undoLabel();
  if (command.value != kMenuAddToSet) return commandLabelNow(command);
  static char label[kLabelSize];
  std::snprintf(label, sizeof label, "%s (%d of %d)", command.label, teacherSetSize(), kLinkTargetsMax);
  return label;
}

// Row `row` of the Practise submenu as it says now.
const char* practiceLabelNow(int row) {
  if (row < exerciseRows(kPracticeMenu)) return exerciseLabel(row + 1, true);
  return labelNow(*commandInMenu(kPracticeMenu, row - exerciseRows(kPracticeMenu)));
}

// The label of the row, in any menu, that runs `value`.
const char* rowLabelOf(int value) {
  if (const Command* command = commandOfValue(value)) return labelNow(*command);
  const int number = value - kMenuExercise;
  return number >= 1 && number <= exerciseRows(kPracticeMenu) ? exerciseLabel(number, false) : "";
}

// The toolkit ends the program if a menu is changed while it is open, so a
// change made then (a key pressed meanwhile) is caught up when it closes.
void onMenuStatus(int status, int /*x*/, int /*y*/) {
  menu.inUse = status == GLUT_MENU_IN_USE;
  refreshMenu();
}

}  // namespace

int menuRowCount(int which) { return exerciseRows(which) + commandRows(which); }

int menuRowValue(int which, int row) {
  if (row >= 0 && row < exerciseRows(which)) return kMenuExercise + row + 1;
  const Command* command = commandInMenu(which, row - exerciseRows(which));
  return command != nullptr ? commandValue(*command) : 0;
}

const char* menuRowLabel(int which, int row) {
  if (row >= 0 && row < exerciseRows(which)) return exerciseLabel(row + 1, false);
  const Command* command = commandInMenu(which, row - exerciseRows(which));
  return command != nullptr ? commandLabel(*command, false) : nullptr;
}

const char* menuRowLabelWhenSet(int which, int row) {
  if (row >= 0 && row < exerciseRows(which)) return nullptr;
  const Command* command = commandInMenu(which, row - exerciseRows(which));
  return command != nullptr ? commandLabel(*command, true) : nullptr;
}

namespace {

// Tells the toolkit of each label of menu `id` that changed since `shown`.
void refreshRows(int id, int rows, char (*shown)[kLabelSize], const char* (*now)(int), int (*value)(int)) {
  glutSetMenu(id);
  for (int i = 0; i < rows; ++i) {
    if (value(i) < 0 || std::strcmp(shown[i], now(i)) == 0) continue;  // a submenu's row, or no change
    std::snprintf(shown[i], kLabelSize, "%s", now(i));
    glutChangeToMenuEntry(i + 1, shown[i], value(i));
  }
}

const char* mainLabelNow(int row) { return labelNow(*commandInMenu(kMainMenu, row)); }
int mainValue(int row) { return menuRowValue(kMainMenu, row); }
int practiceValue(int row) { return menuRowValue(kPracticeMenu, row); }

int practiceRows() { return std::min(menuRowCount(kPracticeMenu), kPracticeRowsMax); }

}  // namespace

// The toolkit is told only of the labels that changed. The exercise under
// way is noted first if it is reached, for its row's mark.
void refreshMenu() {
  notePracticeReached();
  if (menu.menuId == 0 || menu.inUse) return;
  const int current = glutGetMenu();
  refreshRows(menu.menuId, mainRows(), menu.shown, mainLabelNow, mainValue);
  refreshRows(menu.practiceMenuId, practiceRows(), menu.practiceShown, practiceLabelNow, practiceValue);
  if (current != 0) glutSetMenu(current);
}

void resetMenu() {
  menu.inUse = false;
  menu.pointerInView = false;
  refreshMenu();
}

const char* menuLabel(int value) {
  for (int i = 0; i < mainRows() && menu.menuId != 0; ++i)
    if (commandValue(*commandInMenu(kMainMenu, i)) == value) return menu.shown[i];
  return nullptr;
}

void onMenu(int value) {
  // The menu draws in a window and context of its own: make sure the matrices
  // about to change are the view's.
  if (menu.viewWindow != 0 && glutGetWindow() != menu.viewWindow) glutSetWindow(menu.viewWindow);
  beginMove("menu, %s", rowLabelOf(value));
  if (const Command* command = commandOfValue(value)) {
    runCommand(*command);
  } else if (value > kMenuExercise) {
    startExercise(value - kMenuExercise);
  }
  endMove();
  refreshMenu();
}

void onFullScreenChanged() { refreshMenu(); }

namespace {

// A submenu's rows, each running its value, as they say now.
int makeSubmenu(int which, char (*shown)[kLabelSize]) {
  const int id = glutCreateMenu(onMenuChoice);
  for (int row = 0; row < menuRowCount(which); ++row) {
    const char* label = which == kPracticeMenu ? practiceLabelNow(row) : menuRowLabel(which, row);
    if (shown != nullptr && row < kPracticeRowsMax) std::snprintf(shown[row], kLabelSize, "%s", label);
    glutAddMenuEntry(label, menuRowValue(which, row));
  }
  return id;
}

}  // namespace

void registerMenu() {
  menu.viewWindow = glutGetWindow();
  glutEntryFunc(onEntry);
  const int turnMenu = makeSubmenu(kTurnMenu, nullptr);
  menu.practiceMenuId = makeSubmenu(kPracticeMenu, menu.practiceShown);
  menu.menuId = glutCreateMenu(onMenuChoice);
  for (int i = 0; i < mainRows(); ++i) {
    const Command& command = *commandInMenu(kMainMenu, i);
    std::snprintf(menu.shown[i], sizeof menu.shown[i], "%s", labelNow(command));
    if (commandValue(command) < 0) {
      glutAddSubMenu(menu.shown[i], commandValue(command) == kTurnMenuRow ? turnMenu : menu.practiceMenuId);
    } else {
      glutAddMenuEntry(menu.shown[i], commandValue(command));
    }
  }
  glutAttachMenu(GLUT_RIGHT_BUTTON);
  glutMenuStatusFunc(onMenuStatus);
}
