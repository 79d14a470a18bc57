#include "tools/gallery.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

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
    int x = 0, y = 0, at = 0, rows = 0;
    bool wellFormed = fields.size() == 4 && !fields[0].empty();
    Shot shot;
    if (wellFormed) {
      shot.name = fields[0];
      std::istringstream choices(fields[1]);
      for (std::string choice; choices >> choice;) {
        wellFormed = wellFormed && std::sscanf(choice.c_str(), "%d,%d,%d,%d", &x, &y, &at, &rows) == 4;
        shot.choices.push_back(choice);
      }
      shot.keys = {fields[2]};
      shot.menuAt = fields[3];
      wellFormed = wellFormed &&
                   (shot.menuAt.empty() || std::sscanf(shot.menuAt.c_str(), "%d,%d,%d,%d", &x, &y, &at, &rows) == 4);
    }
    if (!wellFormed) {
      *problem = path + ":" + std::to_string(number) + ": not NAME|X,Y,ROW,ROWS ...|KEYS|X,Y,ROW,ROWS: " + line;
      return {};
    }
    shots.push_back(shot);
  }
  if (shots.empty()) *problem = path + " has no pictures";
  return shots;
}

namespace {

// Opens the menu at "X,Y,ROW,ROWS" (openMenu); empty if it did not open.
ScreenRect openMenuAt(RunningViewer& viewer, const std::string& where) {
  int x = 0, y = 0, row = 0, rows = 1;
  return std::sscanf(where.c_str(), "%d,%d,%d,%d", &x, &y, &row, &rows) == 4 ? openMenu(viewer, x, y, row, rows)
                                                                             : ScreenRect{};
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
    waitForFrames(viewer);
  }
  for (const std::string& keys : shot.keys) {
    std::istringstream tokens(keys);
    std::string token, pending;
    while (tokens >> token) {
      int x0 = 0, y0 = 0, x1 = 0, y1 = 0, notches = 1;
      if (std::sscanf(token.c_str(), "drag:%d,%d,%d,%d", &x0, &y0, &x1, &y1) == 4) {
        pressKeys(viewer, pending);
        pending.clear();
        // One move, drawn before the release, as the browsers' tests give it.
        movePointer(viewer, x0, y0);
        pressButton(viewer, 1, true);
        movePointer(viewer, x1, y1);
        waitForFrames(viewer);
        pressButton(viewer, 1, false);
      } else if (token.rfind("wheel:", 0) == 0) {
        pressKeys(viewer, pending);
        pending.clear();
        const std::size_t star = token.find('*');
        if (star != std::string::npos) notches = std::atoi(token.c_str() + star + 1);
        const int button = token.compare(6, 4, "away") == 0 ? 4 : 5;
        for (int i = 0; i < notches; ++i) clickButton(viewer, button);
      } else {
        pending += token + " ";
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
