// The mouse's callbacks: a left drag orbits, a middle or Shift+left drag
// pans, a wheel notch moves nearer or farther; and the page's pinch, in
// wheel notches.
#include <cctype>
#include <cmath>

#include "app/gl.h"
#include "app/projection.h"
#include "app/view_state.h"
#include "nav/commands.h"
#include "nav/last_move.h"
#include "nav/nav.h"

namespace {

enum class DragKind { none, orbit, pan };

// The drag under way: which button holds it, where the pointer was last, and
// for a pinch the scene origin's depth at the press and the steps made since.
struct Drag {
  DragKind kind;
  int button;
  int x, y;
  const char* name;
  double depth;
  int pinchSteps;
};

constexpr Drag kNoDrag = {DragKind::none, 0, 0, 0, "", 0.0, 0};
Drag drag = kNoDrag;

// The viewport's size in pixels: it is the window's, and 0 while the window has no height.
void viewportSize(int* width, int* height) {
  GLint viewport[4] = {0, 0, 0, 0};
  glGetIntegerv(GL_VIEWPORT, viewport);
  *width = viewport[2];
  *height = viewport[3];
}

// Scene units per pixel at the depth of the scene origin. In perspective an
// origin at or behind the eye is taken at the near plane, so the step stays
// finite and of the same sign.
void panUnitsPerPixel(int width, int height, double* perX, double* perY) {
  if (view.usePerspective != 0) {
    const double depth = std::fmax(-static_cast<double>(view.sceneOffset.z), kPerspectiveNear);
    const double halfFov = kFieldOfView * 0.5 * kRadiansPerDegree;
    *perX = *perY = 2.0 * depth * std::tan(halfFov) / height;
  } else {
    *perX = 2.0 * kOrthoHalfSize / width;
    *perY = 2.0 * kOrthoHalfSize / height;
  }
}

// A wheel notch runs the nearer command (away from the user) or the farther
// one, named by its row's label: "wheel, nearer (P)".
void wheelNotch(bool away) {
  const Command& command = dollyCommand(away);
  const char* label = commandLabel(command, false);
  beginMove("wheel, %c%s", std::tolower(static_cast<unsigned char>(label[0])), label + 1);
  runCommand(command);
  endMouseMove();
}

// The scene origin's distance in front of the eye, the modelview's last column
// being where the origin lies in eye space; a pinch takes at least one step's.
double pinchDepth() {
  GLfloat modelview[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
  return std::fmax(-static_cast<double>(modelview[14]), kMoveStep);
}

}  // namespace

void mouseButton(int button, int state, bool shift, int x, int y) {
  if ((button == kWheelAwayButton || button == kWheelTowardsButton) && state == GLUT_DOWN) {
    wheelNotch(button == kWheelAwayButton);
    refreshMenu();
    return;
  }
  if (state == GLUT_UP && drag.kind != DragKind::none && button == drag.button) {
    drag.kind = DragKind::none;
    endMoveGroup();
    return;
  }
  if (state != GLUT_DOWN || drag.kind != DragKind::none) return;
  if (button == GLUT_LEFT_BUTTON) {
    drag = shift ? Drag{DragKind::pan, button, x, y, "Shift+left drag, pan", 0.0, 0}
                 : Drag{DragKind::orbit, button, x, y, "left drag, orbit", 0.0, 0};
  } else if (button == GLUT_MIDDLE_BUTTON) {
    drag = {DragKind::pan, button, x, y, "middle drag, pan", 0.0, 0};
  }
  if (drag.kind == DragKind::none) return;
  drag.depth = pinchDepth();
  beginMoveGroup();
}

void pinchTo(double scale) {
  if (drag.kind == DragKind::none || !std::isfinite(scale) || scale <= 0.0) return;
  // Half a step rounds up, towards the nearer.
  const double steps = std::floor((drag.depth - drag.depth / scale) / kMoveStep + 0.5);
  const int wanted = static_cast<int>(std::fmax(-kPinchStepsMax, std::fmin(kPinchStepsMax, steps)));
  for (; drag.pinchSteps < wanted; ++drag.pinchSteps) wheelNotch(true);
  for (; drag.pinchSteps > wanted; --drag.pinchSteps) wheelNotch(false);
  refreshMenu();
}

void onMouseButton(int button, int state, int x, int y) {
  const bool shift = button == GLUT_LEFT_BUTTON && (glutGetModifiers() & GLUT_ACTIVE_SHIFT) != 0;
  mouseButton(button, state, shift, x, y);
}

void onMouseDrag(int x, int y) {
  if (drag.kind == DragKind::none) return;
  const int dx = x - drag.x, dy = y - drag.y;  // window pixels, y down
  drag.x = x;
  drag.y = y;
  int width = 0, height = 0;
  viewportSize(&width, &height);
  if (width <= 0 || height <= 0 || (dx == 0 && dy == 0)) return;
  beginMove("%s", drag.name);
  if (drag.kind == DragKind::orbit) {
    // As the arrow keys: right turns like Right about the eye's y axis, down like Down about its x axis.
    const double degreesPerPixel = kDragTurnPerHeight / height;
    orbitBy(static_cast<float>(dy * degreesPerPixel), static_cast<float>(dx * degreesPerPixel));
  } else {
    double perX = 0.0, perY = 0.0;
    panUnitsPerPixel(width, height, &perX, &perY);
    panBy(dx * perX, -dy * perY);
  }
  endMouseMove();
  refreshMenu();
}

void resetMouse() { drag = kNoDrag; }

void registerMouse() {
  glutMouseFunc(onMouseButton);
  glutMotionFunc(onMouseDrag);
  registerMenu();
}
