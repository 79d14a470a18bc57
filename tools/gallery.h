// The gallery table (docs/gallery.txt): each picture's input, given to a
// running viewer as a user gives it.
#pragma once

#include <string>
#include <vector>

#include "tools/xdrive.h"

// The input that makes one picture: a row of the gallery table (docs/gallery.txt).
struct Shot {
  std::string name;
  std::vector<std::string> choices;  // menu rows chosen first, each "X,Y,ROW,ROWS"
  std::vector<std::string> keys;     // then these batches of keys (as pressKeys takes them)
  std::string menuAt;                // then, if not empty, a menu opened and pointed at: "X,Y,ROW,ROWS"
};

// The rows of a gallery table, "NAME|CHOICES|KEYS|MENU" with '#' comments,
// where a menu row is named by its label ("150,100,Show the matrices") and
// found in the program's own menu table (nav/menu.cpp). Empty, and why in
// *problem, if the file cannot be read or a row is malformed or names no
// menu row.
std::vector<Shot> readGallery(const std::string& path, std::string* problem);

// Gives a started viewer a shot's menu choices and keys, each choice and each
// batch of keys followed by frames drawn after it. False, and why in
// *problem, if a menu did not open.
bool giveInput(RunningViewer& viewer, const Shot& shot, std::string* problem);

// giveInput, then the shot's picture: the window, or with a menu left open the
// screen's rectangle round the window and the menu. An empty picture, and why
// in *problem, if a menu did not open.
Picture takeShot(RunningViewer& viewer, const Shot& shot, std::string* problem);
