// velmora-replay: the desktop program's state after a sequence of input,
// without its event loop: makes the window and the menu as the program does,
// hands each event of standard input to the callback the toolkit would call,
// and prints the matrices as the program shows them, after the exercise's
// lines if one is under way. The browsers' test holds the web build's text to
// these lines. --view TEXT and --target TEXT start as the program does.
//   velmora-replay [--view TEXT] [--target TEXT] < EVENTS
//   velmora-replay --menu      only list the menus' rows, one JSON object a line:
//                              {"menu": 0 main, 1 turns or 2 exercises, "row", "value", "label", "labelWhenSet"}
//                              (value -1: the row that opens the turns)
//   velmora-replay --commands  only list the table of commands' rows that have a
//                              special key, one JSON object a line: {"name",
//                              "pageKey", "specialKey"} (the arrow keys)
// One event a line, as tools/events.h has them; blank lines are skipped.
// It ends early, with the exit status the program gives, on a key that ends it.
#include <cstdio>
#include <cstring>
#include <string>

#include "app/gl.h"
#include "app/json.h"
#include "app/projection.h"
#include "app/startup.h"
#include "app/view_state.h"
#include "nav/commands.h"
#include "nav/nav.h"
#include "scene/scene.h"
#include "tools/events.h"

namespace {

// A label, or null where a row has none.
std::string label(const char* text) { return text == nullptr ? "null" : jsonString(text); }

void listMenus() {
  for (const int menu : {kMainMenu, kTurnMenu, kPracticeMenu}) {
    for (int row = 0; row < menuRowCount(menu); ++row) {
      std::printf("{\"menu\":%d,\"row\":%d,\"value\":%d,\"label\":%s,\"labelWhenSet\":%s}\n", menu, row,
                  menuRowValue(menu, row), label(menuRowLabel(menu, row)).c_str(),
                  label(menuRowLabelWhenSet(menu, row)).c_str());
    }
  }
}

void listSpecialCommands() {
  for (int i = 0; i < commandCount(); ++i) {
    const Command& command = commandAt(i);
    if (command.name == nullptr) continue;
    std::printf("{\"name\":%s,\"pageKey\":%s,\"specialKey\":%d}\n", label(command.name).c_str(),
                label(command.pageKey).c_str(), command.specialKey);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--menu") == 0) {
    listMenus();
    return 0;
  }
  if (argc == 2 && std::strcmp(argv[1], "--commands") == 0) {
    listSpecialCommands();
    return 0;
  }
  openWindow(&argc, argv);
  initGl();
  onReshape(kWindowWidth, kWindowHeight);
  registerMouse();
  char line[256];
  int lineNumber = 0;
  while (std::fgets(line, sizeof line, stdin) != nullptr) {
    ++lineNumber;
    char first[2] = "";
    if (!applyEvent(line) && std::sscanf(line, "%1s", first) == 1) {
      std::fprintf(stderr, "velmora-replay: line %d: not an event: %s", lineNumber, line);
      return 2;
    }
  }
  float modelview[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
  char practice[kPracticeLines][kViewTextColumns];
  const int exerciseLines = formatPracticeText(view, modelview, practice);
  for (int i = 0; i < exerciseLines; ++i) std::printf("%s\n", practice[i]);
  ViewText text;
  formatViewText(view, modelview, &text);
  for (int i = 0; i < viewTextLinesUsed(text); ++i) std::printf("%s\n", text.lines[i]);
  return 0;
}
