// The desktop program's own ways: full screen through the toolkit, a view
// handed on as the command that starts at it, a view's text refused.
#include <cstdio>
#include <cstdlib>

#include "app/gl.h"
#include "app/platform.h"

namespace {

// Where the window was, and how large, before it filled the screen.
struct WindowPlace {
  int x, y, width, height;
};
WindowPlace beforeFullScreen = {};

}  // namespace

void enterFullScreen() {
  beforeFullScreen = {glutGet(GLUT_WINDOW_X), glutGet(GLUT_WINDOW_Y), glutGet(GLUT_WINDOW_WIDTH),
                      glutGet(GLUT_WINDOW_HEIGHT)};
  // With no window manager to ask, freeglut resizes the window itself to the
  // screen's size, placed as if it had a frame: at the screen's corner first.
  glutPositionWindow(0, 0);
  glutFullScreen();
}

// Moving or resizing the window leaves full screen first (freeglut does so
// itself), then puts it back where and as large as it was.
void leaveFullScreen() {
  glutPositionWindow(beforeFullScreen.x, beforeFullScreen.y);
  glutReshapeWindow(beforeFullScreen.width, beforeFullScreen.height);
}

void handViewOn(const char* link, bool asTarget) {
  std::printf("velmora --%s %s\n", asTarget ? "target" : "view", link);
  std::fflush(stdout);
}

void rejectViewLink(const char* option, const char* problem) {
  std::fprintf(stderr, "velmora: %s: the view was not understood: %s\n", option, problem);
  std::exit(2);
}
