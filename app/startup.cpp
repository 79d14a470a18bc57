// The view state's one record, the window, the starting GL state and the
// callbacks' registration.
#include "app/startup.h"

#include "app/gl.h"
#include "app/platform.h"
#include "app/projection.h"
#include "app/view_link.h"
#include "app/view_state.h"
#include "app/window_identity.h"
#include "nav/last_move.h"
#include "nav/nav.h"
#include "scene/scene.h"

ViewState view = kStartViewState;
float savedModelview[16] = {};

void openWindow(int* argc, char** argv) {
  takeViewOption(argc, argv);
  glutInit(argc, argv);
  glutInitDisplayMode(GLUT_DOUBLE | GLUT_RGB);
  glutInitWindowPosition(kWindowX, kWindowY);
  glutInitWindowSize(kWindowWidth, kWindowHeight);
  glutCreateWindow(kWindowTitle);
#ifdef VELMORA_X11
  setWindowIdentity();
#endif
}

void initGl() {
  glClearColor(0.0f, 0.0f, 0.0f, 0.5f);
  glEnable(GL_DEPTH_TEST);
  if (!placeLinkedView()) placeScene();
  const ViewLink* targets = nullptr;
  const int count = takenTargets(&targets);
  if (count > 0) startLinkedExercises(targets, count);
}

void placeScene() {
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glTranslatef(view.sceneOffset.x, view.sceneOffset.y, view.sceneOffset.z);
}

void resetState() {
  view = kStartViewState;
  for (float& entry : savedModelview) entry = 0.0f;
  resetMoveRecording();
  resetMouse();
  forgetLinkedView();
  resetPlatform();
  resetPractice();
  resetMenu();
}

void registerCallbacks() {
  glutDisplayFunc(drawFrame);
  glutKeyboardFunc(onKey);
  glutReshapeFunc(onReshape);
  glutIdleFunc(drawFrame);
  glutSpecialFunc(onSpecialKey);
  registerMouse();
}
