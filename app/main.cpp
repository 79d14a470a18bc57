#include "app/gl.h"
#include "app/startup.h"

int main(int argc, char** argv) {
  openWindow(&argc, argv);
  initGl();
  registerCallbacks();
  glutMainLoop();
  return 0;
}
