// The gallery table read, and a row's input given to a running viewer.
#include "tools/gallery.h"

#include "nav/nav.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

// The row of `menu` with that label (either of a toggling row's labels) as
// ",ROW,ROWS"; empty if there is none.
std::string rowOf(int menu, const std::string& label) {
  const int rows = menuRowCount(menu);
  for (int row = 0; row < rows; ++row) {
    const char* set = menuRowLabelWhenSet(menu, row);
    if (label == menuRowLabel(menu, row) || (set != nullptr && label == set))
      return "," + std::to_string(row) + "," + std::to_string(rows);
  }
  return "";
}

// "X,Y,LABEL": a right click at window pixel (X, Y), then the main menu's row
// with that label, as "X,Y,ROW,ROWS"; "X,Y,LABEL>SUBLABEL" the row of its
// submenu, as "X,Y,ROW,ROWS,SUBROW,SUBROWS"; empty if it names no row.
std::string menuRowAt(const std::string& choice) {
  int x = 0, y = 0, consumed = 0;
  if (std::sscanf(choice.c_str(), "%d,%d,%n", &x, &y, &consumed) != 2 || consumed == 0) return "";
  const std::string label = choice.substr(static_cast<std::size_t>(consumed));
  const std::size_t arrow = label.find('>');
  const std::string row = rowOf(kMainMenu, label.substr(0, arrow));
  if (row.empty() || arrow == std::string::npos)
    return row.empty() ? "" : std::to_string(x) + "," + std::to_string(y) + row;
  const int value = menuRowValue(kMainMenu, std::stoi(row.substr(1)));
  const std::string subRow = rowOf(value == kTurnMenuRow ? kTurnMenu : kPracticeMenu, label.substr(arrow + 1));
  return subRow.empty() || value >= 0 ? "" : std::to_string(x) + "," + std::to_string(y) + row + subRow;
}

}  // namespace

std::vector<Shot> readGallery(const std::string& path, std::string* problem) {
  std::ifstream in(path);
  if (!in) {
    *problem = "cannot read " + path;
    return {};
  }
  std::vector<Shot> shots;
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> fields;
    std::istringstream row(line);
    for (std::string field; std::getline(row, field, '|');) fields.push_back(field);
    if (!line.empty() && line.back() == '|') fields.emplace_back();
    bool wellFormed = fields.size() == 4 && !fields[0].empty();
    Shot shot;
    if (wellFormed) {
      shot.name = fields[0];
      std::istringstream choices(fields[1]);
      for (std::string choice; std::getline(choices, choice, ';');) {
        shot.choices.push_back(menuRowAt(choice));
        wellFormed = wellFormed && !shot.choices.back().empty();
      }
      shot.keys = {fields[2]};
      shot.menuAt = fields[3].empty() ? "" : menuRowAt(fields[3]);
      wellFormed = wellFormed && (fields[3].empty() || !shot.menuAt.empty());
    }
    if (!wellFormed) {
      *problem = path + ":" + std::to_string(number) +
                 ": not NAME|X,Y,MENU ROW;...|KEYS|X,Y,MENU ROW (a menu row by its label): " + line;
      return {};
    }
    shots.push_back(shot);
  }
  if (shots.empty()) *problem = path + " has no pictures";
  return shots;
}

namespace {

// Opens the menu at "X,Y,ROW,ROWS" (openMenu), and its submenu at
// ",SUBROW,SUBROWS" if given; empty if it did not open.
ScreenRect openMenuAt(RunningViewer& viewer, const std::string& where) {
  int x = 0, y = 0, row = 0, rows = 1, subRow = 0, subRows = 1;
  const int read = std::sscanf(where.c_str(), "%d,%d,%d,%d,%d,%d", &x, &y, &row, &rows, &subRow, &subRows);
  const ScreenRect menu = read >= 4 ? openMenu(viewer, x, y, row, rows) : ScreenRect{};
  return read == 6 && menu.width != 0 ? openSubmenu(viewer, menu, row, rows, subRow, subRows) : menu;
}

}  // namespace

bool giveInput(RunningViewer& viewer, const Shot& shot, std::string* problem) {
  for (const std::string& choice : shot.choices) {
    if (openMenuAt(viewer, choice).width == 0) {
      *problem = shot.name + ": no menu opened for " + choice;
      return false;
    }
    clickButton(viewer, 1);
    waitForMenu(viewer, false, nullptr);
    int x = 0, y = 0;
    if (std::sscanf(choice.c_str(), "%d,%d", &x, &y) == 2) movePointer(viewer, x, y);  // keys go where the pointer is
    waitForFrames(viewer);
  }
  for (const std::string& keys : shot.keys) {
    std::string pending;  // keys typed together, before the next drag or notch
    for (const InputStep& step : parseInput(keys)) {
      if (step.kind == InputStep::key) {
        pending += step.keysym + " ";
        continue;
      }
      pressKeys(viewer, pending);
      pending.clear();
      if (step.kind == InputStep::drag) {
        // One move, drawn before the release, as the browsers' tests give it.
        movePointer(viewer, step.x0, step.y0);
        pressButton(viewer, 1, true);
        movePointer(viewer, step.x1, step.y1);
        waitForFrames(viewer);
        pressButton(viewer, 1, false);
      } else {
        clickButton(viewer, step.away ? 4 : 5);  // the X server's wheel buttons
      }
    }
    pressKeys(viewer, pending);
    waitForFrames(viewer);  // the viewer has taken the input and drawn it
  }
  return true;
}

Picture takeShot(RunningViewer& viewer, const Shot& shot, std::string* problem) {
  if (!giveInput(viewer, shot, problem)) return {};
  if (shot.menuAt.empty()) return grabWindow(viewer);
  const ScreenRect window = windowRect(viewer);
  const ScreenRect menu = openMenuAt(viewer, shot.menuAt);
  if (menu.width == 0) {
    *problem = shot.name + ": no menu opened at " + shot.menuAt;
    return {};
  }
  // The window and the menu, which may reach beyond it.
  const int right = std::max(window.x + window.width, menu.x + menu.width);
  const int bottom = std::max(window.y + window.height, menu.y + menu.height);
  return grabScreen(viewer, {window.x, window.y, right - window.x, bottom - window.y});
}
