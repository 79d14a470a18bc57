// The right-button menu: the one table of its rows, the labels that follow
// the state, and what each row runs.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "app/gl.h"
#include "app/platform.h"
#include "app/view_link.h"
#include "app/view_state.h"
#include "nav/last_move.h"
#include "nav/nav.h"

namespace {

constexpr int kLabelSize = kUndoLabelSize;  // the longest label, Undo's, with its end
constexpr int kMainRowsMax = 16;

// The menu as the toolkit has it, and what the toolkit has said.
struct MenuState {
  int menuId;      // 0 until the menu is made
  int viewWindow;  // the window the menu belongs to
  bool inUse;
  bool pointerInView;                    // since the toolkit last said the pointer entered the view, not left it
  char shown[kMainRowsMax][kLabelSize];  // each main-menu row's label as last given to the toolkit
};
MenuState menu = {};

// One menu entry. A toggling entry says what choosing it will do now: its
// label while the flag is 0, and `labelWhenSet` while it is 1.
struct MenuEntry {
  int value;  // the key's character, a kMenu value, or a submenu's row (kTurnMenuRow, kPracticeMenuRow)
  const char* label;
  const char* labelWhenSet;
  const int* flag;
};

const MenuEntry kMenuEntries[] = {
    {'M', "Pan with the arrow keys (M)", "Orbit with the arrow keys (M)", &view.panMode},
    {'O', "Perspective projection (O)", "Orthographic projection (O)", &view.usePerspective},
    {'E', "Show the axes (E)", "Hide the axes (E)", &view.showAxes},
    {'1', "Half axes (1)", nullptr, nullptr},
    {'2', "Full axes (2)", nullptr, nullptr},
    {'P', "Nearer (P)", nullptr, nullptr},
    {'p', "Farther (p)", nullptr, nullptr},
    {kTurnMenuRow, "Turn the scene", nullptr, nullptr},
    {kMenuShowMatrices, "Show the matrices", "Hide the matrices", &view.showMatrices},
    {kMenuShowEyeView, "Show the eye from outside", "Hide the eye from outside", &view.showEyeView},
    {kMenuResetView, "Reset view", nullptr, nullptr},
    {kMenuUndo, "Nothing to undo", nullptr, nullptr},  // says the move it takes back (undoLabel)
    {kMenuFullScreen, "Full screen", "Leave full screen", &view.fullScreen},
    {kMenuLinkView, "Link to this view", nullptr, nullptr},
    {kPracticeMenuRow, "Practise", nullptr, nullptr},
    {'q', "Quit (q, Escape)", nullptr, nullptr},
};

// The submenu of exercises: a row for each (made from their table), then these.
const MenuEntry kPracticeEntries[] = {
    {kMenuNextExercise, "Next exercise", nullptr, nullptr},
    {kMenuLeaveExercise, "Leave the exercise", nullptr, nullptr},
    {kMenuLinkTarget, "Link to this view as an exercise", nullptr, nullptr},
};

// The submenu of turns about the scene's own axes.
const MenuEntry kTurnEntries[] = {
    {'X', "About x, +5 degrees (X)", nullptr, nullptr}, {'x', "About x, -5 degrees (x)", nullptr, nullptr},
    {'Y', "About y, +5 degrees (Y)", nullptr, nullptr}, {'y', "About y, -5 degrees (y)", nullptr, nullptr},
    {'Z', "About z, +5 degrees (Z)", nullptr, nullptr}, {'z', "About z, -5 degrees (z)", nullptr, nullptr},
};

constexpr int kMenuEntryCount = static_cast<int>(sizeof kMenuEntries / sizeof kMenuEntries[0]);
constexpr int kTurnEntryCount = static_cast<int>(sizeof kTurnEntries / sizeof kTurnEntries[0]);
constexpr int kPracticeEntryCount = static_cast<int>(sizeof kPracticeEntries / sizeof kPracticeEntries[0]);
constexpr int kExercisesMax = 32;

static_assert(kMenuEntryCount <= kMainRowsMax, "MenuState::shown holds every main-menu row");

// Row `row` of menu `which`, or null.
const MenuEntry* entryAt(int which, int row) {
  if (row < 0 || row >= menuRowCount(which)) return nullptr;
  if (which != kPracticeMenu) return which == kMainMenu ? &kMenuEntries[row] : &kTurnEntries[row];
  if (row >= exerciseCount()) return &kPracticeEntries[row - exerciseCount()];
  static char labels[kExercisesMax][kLabelSize];  // "3. Nearer"
  static MenuEntry rows[kExercisesMax];
  std::snprintf(labels[row], sizeof labels[row], "%d. %s", row + 1, exerciseAt(row + 1)->title);
  rows[row] = {kMenuExercise + row + 1, labels[row], nullptr, nullptr};
  return &rows[row];
}

void onEntry(int state) { menu.pointerInView = state == GLUT_ENTERED; }

// The toolkit's menu callback. freeglut 3.4 hit-tests a click in the view
// against the open menu with the click's window position taken for a screen
// position, so a click beside the menu, meant to close it, can arrive here as
// the choice of whichever row lies that far from the menu's corner (Quit,
// say). A real choice is made with the pointer on the menu, which lies over
// the view: the view has seen the pointer leave. Checked on X11, where the
// toolkit reports the pointer leaving the view for a menu opened over it.
void onMenuChoice(int value) {
#ifdef VELMORA_X11
  if (menu.pointerInView) {
    return;  // a click beside the menu: the toolkit has closed it, and that is all
  }
#endif
  onMenu(value);
}

const char* labelOf(const MenuEntry& entry) {
  if (entry.value == kMenuUndo) return undoLabel();
  return (entry.flag != nullptr && *entry.flag != 0) ? entry.labelWhenSet : entry.label;
}

void toggleFullScreen() {
  toggleFlag(view.fullScreen);
  if (view.fullScreen != 0) {
    enterFullScreen();
  } else {
    leaveFullScreen();
  }
}

// Hands the view on as text: to start at, or as an exercise's target.
void linkToView(bool asTarget) {
  float modelview[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
  char link[kViewLinkSize];
  formatViewLink(view, modelview, link);
  handViewOn(link, asTarget);
}

// What a row that is not a key's runs; the moves among them are named by the row.
void runMenuCommand(int value) {
  switch (value) {
    case kMenuResetView: resetView(); return;
    case kMenuShowMatrices: toggleFlag(view.showMatrices); return;
    case kMenuShowEyeView: toggleFlag(view.showEyeView); return;
    case kMenuUndo: undoMove(); return;
    case kMenuFullScreen: toggleFullScreen(); return;
    case kMenuLinkView: linkToView(false); return;
    case kMenuLinkTarget: linkToView(true); return;
    case kMenuNextExercise: nextExercise(); return;
    case kMenuLeaveExercise: leaveExercise(); return;
    default:
      if (value >= 0 && value <= 255) runKeyCommand(static_cast<unsigned char>(value));
      if (value > kMenuExercise) startExercise(value - kMenuExercise);
  }
}

// The label of the row, in either menu, that runs `value`.
const char* rowLabelOf(int value) {
  for (const int which : {kMainMenu, kTurnMenu, kPracticeMenu})
    for (int row = 0; row < menuRowCount(which); ++row)
      if (entryAt(which, row)->value == value) return labelOf(*entryAt(which, row));
  return "";
}

// The toolkit ends the program if a menu is changed while it is open, so a
// change made then (a key pressed meanwhile) is caught up when it closes.
void onMenuStatus(int status, int /*x*/, int /*y*/) {
  menu.inUse = status == GLUT_MENU_IN_USE;
  refreshMenu();
}

}  // namespace

int menuRowCount(int which) {
  if (which == kPracticeMenu) return std::min(exerciseCount(), kExercisesMax) + kPracticeEntryCount;
  return which == kMainMenu ? kMenuEntryCount : which == kTurnMenu ? kTurnEntryCount : 0;
}

int menuRowValue(int which, int row) {
  const MenuEntry* entry = entryAt(which, row);
  return entry != nullptr ? entry->value : 0;
}

const char* menuRowLabel(int which, int row) {
  const MenuEntry* entry = entryAt(which, row);
  return entry != nullptr ? entry->label : nullptr;
}

const char* menuRowLabelWhenSet(int which, int row) {
  const MenuEntry* entry = entryAt(which, row);
  return entry != nullptr ? entry->labelWhenSet : nullptr;
}

// The toolkit is told only of the labels that changed.
void refreshMenu() {
  if (menu.menuId == 0 || menu.inUse) return;
  const int current = glutGetMenu();
  glutSetMenu(menu.menuId);
  for (int i = 0; i < kMenuEntryCount; ++i) {
    const MenuEntry& entry = kMenuEntries[i];
    if (entry.value < 0 || std::strcmp(menu.shown[i], labelOf(entry)) == 0) continue;  // a submenu's row, or no change
    std::snprintf(menu.shown[i], sizeof menu.shown[i], "%s", labelOf(entry));
    glutChangeToMenuEntry(i + 1, menu.shown[i], entry.value);
  }
  if (current != 0) glutSetMenu(current);
}

void resetMenu() {
  menu.inUse = false;
  menu.pointerInView = false;
  refreshMenu();
}

const char* menuLabel(int value) {
  for (int i = 0; i < kMenuEntryCount && menu.menuId != 0; ++i)
    if (kMenuEntries[i].value == value) return menu.shown[i];
  return nullptr;
}

void onMenu(int value) {
  // The menu draws in a window and context of its own: make sure the matrices
  // about to change are the view's.
  if (menu.viewWindow != 0 && glutGetWindow() != menu.viewWindow) glutSetWindow(menu.viewWindow);
  beginMove("menu, %s", rowLabelOf(value));
  runMenuCommand(value);
  endMove();
  refreshMenu();
}

void onFullScreenLeft() {
  view.fullScreen = 0;
  refreshMenu();
}

void registerMenu() {
  menu.viewWindow = glutGetWindow();
  glutEntryFunc(onEntry);
  const int turnMenu = glutCreateMenu(onMenuChoice);
  for (const MenuEntry& entry : kTurnEntries) glutAddMenuEntry(entry.label, entry.value);
  const int practiceMenu = glutCreateMenu(onMenuChoice);
  for (int row = 0; row < menuRowCount(kPracticeMenu); ++row)
    glutAddMenuEntry(entryAt(kPracticeMenu, row)->label, entryAt(kPracticeMenu, row)->value);
  menu.menuId = glutCreateMenu(onMenuChoice);
  for (int i = 0; i < kMenuEntryCount; ++i) {
    std::snprintf(menu.shown[i], sizeof menu.shown[i], "%s", labelOf(kMenuEntries[i]));
    if (kMenuEntries[i].value < 0) {
      glutAddSubMenu(menu.shown[i], kMenuEntries[i].value == kTurnMenuRow ? turnMenu : practiceMenu);
    } else {
      glutAddMenuEntry(menu.shown[i], kMenuEntries[i].value);
    }
  }
  glutAttachMenu(GLUT_RIGHT_BUTTON);
  glutMenuStatusFunc(onMenuStatus);
}
