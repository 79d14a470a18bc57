// The viewport and the projection, perspective or orthographic, set from the
// window's size at each reshape and when O or o switches them.
#include "app/projection.h"

#include "app/gl.h"
#include "app/view_state.h"

void applyProjection() {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  if (view.usePerspective != 0) {
    // A width of 0 gives aspect 0, for which GLU multiplies nothing in.
    const double aspect = static_cast<double>(view.windowWidth) / static_cast<double>(view.windowHeight);
    gluPerspective(kFieldOfView, aspect, kPerspectiveNear, kPerspectiveFar);
  } else {
    glOrtho(-kOrthoHalfSize, kOrthoHalfSize, -kOrthoHalfSize, kOrthoHalfSize, kOrthoNear, kOrthoFar);
  }
  glMatrixMode(GL_MODELVIEW);
}

void onReshape(int width, int height) {
  glViewport(0, 0, width, height);
  if (height == 0) {
    height = 1;
  }
  view.windowWidth = static_cast<float>(width);
  view.windowHeight = static_cast<float>(height);
  applyProjection();
}

void toggleProjection() {
  toggleFlag(view.usePerspective);
  applyProjection();
}
