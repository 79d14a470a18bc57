#include "app/gl.h"
#include "app/view_state.h"
#include "nav/nav.h"

namespace {

// One menu entry. A toggling entry says what choosing it will do now: its
// label while the flag is 0, and `labelWhenSet` while it is 1.
struct MenuEntry {
  int value;  // the key's character, or kMenuResetView
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
    {kMenuResetView, "Reset view", nullptr, nullptr},
    {'q', "Quit (q, Escape)", nullptr, nullptr},
};

constexpr int kMenuEntryCount = static_cast<int>(sizeof kMenuEntries / sizeof kMenuEntries[0]);
const char* shownLabels[kMenuEntryCount] = {};  // as last given to the toolkit

int menuId = 0;      // 0 until the menu is made
int viewWindow = 0;  // the window the menu belongs to
bool menuInUse = false;

const char* labelOf(const MenuEntry& entry) {
  return (entry.flag != nullptr && *entry.flag != 0) ? entry.labelWhenSet : entry.label;
}

// The toolkit ends the program if a menu is changed while it is open, so a
// change made then (a key pressed meanwhile) is caught up when it closes.
void onMenuStatus(int status, int /*x*/, int /*y*/) {
  menuInUse = status == GLUT_MENU_IN_USE;
  refreshMenu();
}

}  // namespace

void refreshMenu() {
  if (menuId == 0 || menuInUse) {
    return;
  }
  const int current = glutGetMenu();
  glutSetMenu(menuId);
  for (int i = 0; i < kMenuEntryCount; ++i) {
    shownLabels[i] = labelOf(kMenuEntries[i]);
    glutChangeToMenuEntry(i + 1, shownLabels[i], kMenuEntries[i].value);
  }
  if (current != 0) {
    glutSetMenu(current);
  }
}

const char* menuLabel(int value) {
  for (int i = 0; i < kMenuEntryCount; ++i) {
    if (kMenuEntries[i].value == value) {
      return shownLabels[i];
    }
  }
  return nullptr;
}

void onMenu(int value) {
  // The menu draws in a window and context of its own: make sure the matrices
  // about to change are the view's.
  if (viewWindow != 0 && glutGetWindow() != viewWindow) {
    glutSetWindow(viewWindow);
  }
  if (value == kMenuResetView) {
    resetView();
  } else {
    onKey(static_cast<unsigned char>(value), 0, 0);
  }
}

void registerMouse() {
  glutMouseFunc(onMouseButton);
  glutMotionFunc(onMouseDrag);
  viewWindow = glutGetWindow();
  menuId = glutCreateMenu(onMenu);
  for (int i = 0; i < kMenuEntryCount; ++i) {
    shownLabels[i] = labelOf(kMenuEntries[i]);
    glutAddMenuEntry(shownLabels[i], kMenuEntries[i].value);
  }
  glutAttachMenu(GLUT_RIGHT_BUTTON);
  glutMenuStatusFunc(onMenuStatus);
}
