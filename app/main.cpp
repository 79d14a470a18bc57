// The entry: opens the window, sets up GL and the callbacks, and hands
// control to the toolkit's loop.
#include "app/gl.h"
#include "app/startup.h"

int main(int argc, char** argv) {
  openWindow(&argc, argv);
  initGl();
  registerCallbacks();
  glutMainLoop();
  return 0;
}
