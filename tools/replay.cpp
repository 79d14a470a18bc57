// velmora-replay: the desktop program's state after a sequence of input,
// without its event loop: makes the window and the menu as the program does,
// hands each event of standard input to the callback the toolkit would call,
// and prints the matrices as the program shows them. The browsers' test holds
// the web build's matrices to these lines.
//   velmora-replay < EVENTS
//   velmora-replay --menu      only list the menus' rows, one JSON object a line:
//                              {"menu": 0 main or 1 turns, "row", "value", "label", "labelWhenSet"}
//                              (value -1: the row that opens the turns)
// One event a line:
//   key C                      character key C (its code)
//   special K                  special key K (a GLUT_KEY_ code)
//   drag B X0 Y0 X1 Y1 SHIFT   button B pressed at (X0, Y0), moved to (X1, Y1), released
//   wheel B X Y                wheel notch: button 3 away from the user, 4 towards
//   menu V                     the menu entry of value V chosen
//   reshape W H                the window resized to W x H pixels
// It ends early, with the exit status the program gives, on a key that ends it.
#include <cstdio>
#include <cstring>
#include <string>

#include "app/gl.h"
#include "app/projection.h"
#include "app/startup.h"
#include "app/view_state.h"
#include "nav/nav.h"
#include "scene/scene.h"
#include "tools/json.h"

namespace {

// A label, or null where a row has none.
std::string label(const char* text) { return text == nullptr ? "null" : jsonString(text); }

void listMenus() {
  for (const int menu : {kMainMenu, kTurnMenu}) {
    for (int row = 0; row < menuRowCount(menu); ++row) {
      std::printf("{\"menu\":%d,\"row\":%d,\"value\":%d,\"label\":%s,\"labelWhenSet\":%s}\n", menu, row,
                  menuRowValue(menu, row), label(menuRowLabel(menu, row)).c_str(),
                  label(menuRowLabelWhenSet(menu, row)).c_str());
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--menu") == 0) {
    listMenus();
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
    char kind[16] = "";
    int a = 0, b = 0, c = 0, d = 0, e = 0, f = 0;
    const int n = std::sscanf(line, "%15s %d %d %d %d %d %d", kind, &a, &b, &c, &d, &e, &f);
    if (n >= 2 && std::strcmp(kind, "key") == 0) {
      onKey(static_cast<unsigned char>(a), 0, 0);
    } else if (n >= 2 && std::strcmp(kind, "special") == 0) {
      onSpecialKey(a, 0, 0);
    } else if (n == 7 && std::strcmp(kind, "drag") == 0) {
      mouseButton(a, GLUT_DOWN, f != 0, b, c);
      onMouseDrag(d, e);
      mouseButton(a, GLUT_UP, f != 0, d, e);
    } else if (n == 4 && std::strcmp(kind, "wheel") == 0) {
      mouseButton(a, GLUT_DOWN, false, b, c);
      mouseButton(a, GLUT_UP, false, b, c);
    } else if (n >= 2 && std::strcmp(kind, "menu") == 0) {
      onMenu(a);
    } else if (n == 3 && std::strcmp(kind, "reshape") == 0 && a > 0 && b > 0) {
      onReshape(a, b);
    } else if (n > 0) {
      std::fprintf(stderr, "velmora-replay: line %d: not an event: %s", lineNumber, line);
      return 2;
    }
  }
  float modelview[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
  ViewText text;
  formatViewText(view, modelview, &text);
  for (int i = 0; i < viewTextLinesUsed(text); ++i) std::printf("%s\n", text.lines[i]);
  return 0;
}
