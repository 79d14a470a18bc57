// What the end-to-end tests share: pictures held to expected ones, the
// viewer's pop-up menu by its rows, and the versions of what draws.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "nav/nav.h"
#include "tools/gallery.h"
#include "tools/xdrive.h"

// Fails when more than `tolerance` pixels differ, with the count, and writes
// the observed picture and a difference picture (differing pixels in magenta)
// beside the build.
void expectPicture(const Picture& expected, const Picture& observed, int tolerance, const std::string& name,
                   const std::string& hint = "");

// The main menu's rows, found by what they run in the program's own menu
// table (nav/menu.cpp), and how many rows each menu has.
inline int menuRowOf(int value) {
  for (int row = 0; row < menuRowCount(kMainMenu); ++row)
    if (menuRowValue(kMainMenu, row) == value) return row;
  return -1;
}
inline const int kPanMode = menuRowOf('M');
inline const int kProjection = menuRowOf('O');
inline const int kAxes = menuRowOf('E');
inline const int kFullAxes = menuRowOf('2');
inline const int kNearer = menuRowOf('P');
inline const int kFarther = menuRowOf('p');
inline const int kTurns = menuRowOf(kTurnMenuRow);
inline const int kMatrices = menuRowOf(kMenuShowMatrices);
inline const int kEyeView = menuRowOf(kMenuShowEyeView);
inline const int kResetView = menuRowOf(kMenuResetView);
inline const int kUndo = menuRowOf(kMenuUndo);
inline const int kFullScreen = menuRowOf(kMenuFullScreen);
inline const int kQuit = menuRowOf('q');
inline const int kEntries = menuRowCount(kMainMenu);
inline const int kTurnEntries = menuRowCount(kTurnMenu);
constexpr int kMenuAtX = 150, kMenuAtY = 100;  // where the right click opens it, window pixels
// A window pixel the menu does not cover. freeglut 3.4 takes a click's window
// position for a position on the screen when it checks whether the click hit
// the open menu, so the pixel lies outside the menu both ways: a click at
// (450, 450) would choose the row 200 pixels down the menu.
constexpr int kAwayX = 20, kAwayY = 480;

inline ScreenRect openMenuAt(RunningViewer& viewer, int entry) {
  return openMenu(viewer, kMenuAtX, kMenuAtY, entry, kEntries);
}

// Clicks the row the pointer is on as a person does: after a pause in which
// the viewer draws, so the toolkit has taken the pointer onto the row (Wine's
// menus take a click that comes at once with the move for a click beside them).
inline bool clickRow(RunningViewer& viewer) {
  waitForFrames(viewer);
  clickButton(viewer, 1);
  return waitForMenu(viewer, false, nullptr);
}

inline bool chooseFromMenu(RunningViewer& viewer, int entry) {
  return openMenuAt(viewer, entry).width != 0 && clickRow(viewer);
}

inline bool chooseFromTurnSubmenu(RunningViewer& viewer, int row) {
  const ScreenRect menu = openMenuAt(viewer, kTurns);
  return menu.width != 0 && openSubmenu(viewer, menu, kTurns, kEntries, row, kTurnEntries).width != 0 &&
         clickRow(viewer);
}

inline bool closeMenuByClickingAway(RunningViewer& viewer) {
  movePointer(viewer, kAwayX, kAwayY);
  clickButton(viewer, 1);
  return waitForMenu(viewer, false, nullptr);
}

// The major version a command prints, read with `format`; 0 if it does not say.
int majorVersion(const char* command, const char* format);

// The pixels that differ, but for those that forgiven(x, y, expected pixel,
// observed pixel) lets pass.
template <typename Forgiven>
int differencesBut(const Picture& expected, const Picture& observed, Forgiven forgiven) {
  if (expected.width != observed.width || expected.height != observed.height)
    return countDifferences(expected, observed);
  int n = 0;
  for (int y = 0; y < expected.height; ++y)
    for (int x = 0; x < expected.width; ++x) {
      const std::size_t i = 3 * static_cast<std::size_t>(y * expected.width + x);
      const std::uint8_t* e = &expected.rgb[i];
      const std::uint8_t* o = &observed.rgb[i];
      if (!std::equal(e, e + 3, o) && !forgiven(x, y, e, o)) ++n;
    }
  return n;
}
