// One frame: the scene under the modelview matrix, then the displays, then
// the swap; and the matrix stack pushes the displays share.
#include "app/gl.h"
#include "app/platform.h"
#include "app/view_state.h"
#include "scene/scene.h"

// Carries the road's 2-D drawing coordinates into scene units.
constexpr float kRoadScaleX = 0.01f;
constexpr float kRoadScaleY = 0.02f;
constexpr float kRoadScaleZ = 0.01f;
constexpr float kRoadShiftX = -300.0f;
constexpr float kRoadShiftY = -150.0f;

void drawFrame() {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  if (view.practice.number != 0) {
    drawTarget();
    drawLiveScene();
  } else {
    drawScene();
  }
  if (view.showEyeView != 0) {
    drawEyeView();
  }
  ShownText text;
  gatherViewText(view, &text);
  showViewText(text);
  glFlush();
  glutSwapBuffers();
}

void pushBothMatrices() {
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
}

void popBothMatrices() {
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
}

void drawScene() {
  // The gizmo changes no matrix, so it needs no push and pop.
  if (view.showAxes != 0) {
    drawAxes(kAxisLength, view.fullAxes);
  }
  drawRoadCarsAndPosts();
}

void drawRoadCarsAndPosts() {
  glPushMatrix();
  glScalef(kRoadScaleX, kRoadScaleY, kRoadScaleZ);
  glTranslatef(kRoadShiftX, kRoadShiftY, 0.0f);
  drawRoad();
  glPopMatrix();

  glPushMatrix();
  drawCar1();
  glPopMatrix();

  glPushMatrix();
  drawCar2();
  glPopMatrix();
}
