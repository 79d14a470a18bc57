// The desktop program's own ways: full screen through the toolkit, a view
// handed on as the command that starts at it, a view's text refused.
#include <cstdio>
#include <cstdlib>

#include "app/gl.h"
#include "app/platform.h"
#include "scene/scene.h"

namespace {

// Whether the window fills the screen, and where it was, and how large, before.
struct FullScreen {
  bool on;
  int x, y, width, height;
};
FullScreen fullScreen = {};

}  // namespace

void enterFullScreen() {
  fullScreen = {true, glutGet(GLUT_WINDOW_X), glutGet(GLUT_WINDOW_Y), glutGet(GLUT_WINDOW_WIDTH),
                glutGet(GLUT_WINDOW_HEIGHT)};
  // With no window manager to ask, freeglut resizes the window itself to the
  // screen's size, placed as if it had a frame: at the screen's corner first.
  glutPositionWindow(0, 0);
  glutFullScreen();
}

// Moving or resizing the window leaves full screen first (freeglut does so
// itself), then puts it back where and as large as it was.
void leaveFullScreen() {
  fullScreen.on = false;
  glutPositionWindow(fullScreen.x, fullScreen.y);
  glutReshapeWindow(fullScreen.width, fullScreen.height);
}

bool isFullScreen() { return fullScreen.on; }

bool strayMenuChoices() {
#ifdef VELMORA_X11
  return true;
#else
  return false;
#endif
}

void resetPlatform() { fullScreen = {}; }

void handViewOn(const char* link, bool asTarget) {
  std::printf("velmora --%s %s\n", asTarget ? "target" : "view", link);
  std::fflush(stdout);
}

void handTargetsOn(const char* const* links, int count) {
  std::printf("velmora");
  for (int i = 0; i < count; ++i) std::printf(" --target %s", links[i]);
  std::printf("\n");
  std::fflush(stdout);
}

void rejectViewLink(const char* option, const char* which, const char* problem) {
  std::fprintf(stderr, "velmora: %s: %s was not understood: %s\n", option, which, problem);
  std::exit(2);
}

void showViewText(const ShownText& text) { drawTextOverView(text); }
