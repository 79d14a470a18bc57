// The display of the eye seen from outside: the scene from a fixed observer,
// with the eye and its view volume drawn in it.
#include <cmath>

#include "app/gl.h"
#include "app/projection.h"
#include "scene/scene.h"

namespace {

constexpr float kInsetClearColour[4] = {0.2f, 0.2f, 0.2f, 1.0f};
constexpr float kFrameColour[3] = {0.6f, 0.6f, 0.6f};
constexpr float kEyeColour[3] = {1.0f, 1.0f, 0.0f};     // the eye and its viewing direction
constexpr float kVolumeColour[3] = {0.0f, 1.0f, 1.0f};  // its view volume
constexpr double kEyeMarkSize = 0.3;                    // the cross marking the eye, scene units

// Eye-space point p carried into scene units by the inverse of modelview m.
void toScene(const float m[16], const double p[3], double out[3]) {
  const double moved[3] = {p[0] - m[12], p[1] - m[13], p[2] - m[14]};
  for (int i = 0; i < 3; ++i) out[i] = m[4 * i] * moved[0] + m[4 * i + 1] * moved[1] + m[4 * i + 2] * moved[2];
}

void vertex(const double p[3]) { glVertex3d(p[0], p[1], p[2]); }

// The eye, its direction and its view volume as lines, in scene units; the
// perspective pyramid also has lines from the eye to its near corners.
void drawEye(const EyeVolume& volume, bool perspective) {
  glColor3fv(kEyeColour);
  glBegin(GL_LINES);
  for (int axis = 0; axis < 3; ++axis) {
    double from[3] = {volume.eye[0], volume.eye[1], volume.eye[2]}, to[3] = {from[0], from[1], from[2]};
    from[axis] -= kEyeMarkSize * 0.5;
    to[axis] += kEyeMarkSize * 0.5;
    vertex(from);
    vertex(to);
  }
  const double ahead[3] = {volume.eye[0] + kEyeVolumeDepth * volume.direction[0],
                           volume.eye[1] + kEyeVolumeDepth * volume.direction[1],
                           volume.eye[2] + kEyeVolumeDepth * volume.direction[2]};
  vertex(volume.eye);
  vertex(ahead);
  glEnd();

  glColor3fv(kVolumeColour);
  glBegin(GL_LINES);
  for (int i = 0; i < 4; ++i) {
    const int next = (i + 1) % 4;
    vertex(volume.corners[i]);  // near end
    vertex(volume.corners[next]);
    vertex(volume.corners[4 + i]);  // far end
    vertex(volume.corners[4 + next]);
    vertex(volume.corners[i]);  // from the near end to the far one
    vertex(volume.corners[4 + i]);
    if (perspective) {
      vertex(volume.eye);  // the pyramid's apex
      vertex(volume.corners[i]);
    }
  }
  glEnd();
}

}  // namespace

void computeEyeVolume(const ViewState& state, const float modelview[16], EyeVolume* volume) {
  const double origin[3] = {0.0, 0.0, 0.0};
  toScene(modelview, origin, volume->eye);
  // The eye looks along its -z axis: in scene units, minus the turn's third row.
  const double length =
      std::sqrt(static_cast<double>(modelview[2]) * modelview[2] + static_cast<double>(modelview[6]) * modelview[6] +
                static_cast<double>(modelview[10]) * modelview[10]);
  for (int i = 0; i < 3; ++i) volume->direction[i] = -modelview[4 * i + 2] / length;

  // The volume between two depths in front of the eye (negative: behind it),
  // as the projection bounds it, cut at kEyeVolumeDepth.
  double depths[2], halfWidth[2], halfHeight[2];
  if (state.usePerspective != 0) {
    const double aspect = static_cast<double>(state.windowWidth) / static_cast<double>(state.windowHeight);
    const double slope = std::tan(kFieldOfView * 0.5 * kRadiansPerDegree);
    depths[0] = kPerspectiveNear;
    depths[1] = std::fmin(kPerspectiveFar, kEyeVolumeDepth);
    for (int i = 0; i < 2; ++i) {
      halfHeight[i] = depths[i] * slope;
      halfWidth[i] = halfHeight[i] * aspect;
    }
  } else {
    depths[0] = std::fmax(kOrthoNear, -kEyeVolumeDepth);
    depths[1] = std::fmin(kOrthoFar, kEyeVolumeDepth);
    halfWidth[0] = halfWidth[1] = halfHeight[0] = halfHeight[1] = kOrthoHalfSize;
  }
  const double round[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
  for (int end = 0; end < 2; ++end) {
    for (int i = 0; i < 4; ++i) {
      const double corner[3] = {round[i][0] * halfWidth[end], round[i][1] * halfHeight[end], -depths[end]};
      toScene(modelview, corner, volume->corners[4 * end + i]);
    }
  }
}

void drawEyeView() {
  GLint viewport[4] = {0, 0, 0, 0};
  glGetIntegerv(GL_VIEWPORT, viewport);
  const int width = viewport[2] / 3, height = viewport[3] / 3;  // the window's bottom-right third
  if (width <= 0 || height <= 0) {
    return;
  }
  const int left = viewport[0] + viewport[2] - width, bottom = viewport[1];
  float modelview[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
  EyeVolume volume;
  computeEyeVolume(view, modelview, &volume);

  glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_VIEWPORT_BIT | GL_SCISSOR_BIT | GL_COLOR_BUFFER_BIT |
               GL_TRANSFORM_BIT | GL_POLYGON_BIT | GL_LINE_BIT);
  glViewport(left, bottom, width, height);
  glScissor(left, bottom, width, height);
  glEnable(GL_SCISSOR_TEST);
  glClearColor(kInsetClearColour[0], kInsetClearColour[1], kInsetClearColour[2], kInsetClearColour[3]);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

  pushBothMatrices();
  glMatrixMode(GL_PROJECTION);
  gluPerspective(kObserverFieldOfView, static_cast<double>(width) / height, kObserverNear, kObserverFar);
  glMatrixMode(GL_MODELVIEW);
  gluLookAt(kObserverEye[0], kObserverEye[1], kObserverEye[2], kObserverTarget[0], kObserverTarget[1],
            kObserverTarget[2], 0.0, 0.0, 1.0);
  drawScene();
  drawEye(volume, view.usePerspective != 0);

  // The frame, one pixel wide just inside the inset.
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0.0, width, 0.0, height, -1.0, 1.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glDisable(GL_LINE_STIPPLE);
  glColor3fv(kFrameColour);
  glBegin(GL_LINE_LOOP);
  glVertex2f(0.5f, 0.5f);
  glVertex2f(static_cast<float>(width) - 0.5f, 0.5f);
  glVertex2f(static_cast<float>(width) - 0.5f, static_cast<float>(height) - 0.5f);
  glVertex2f(0.5f, static_cast<float>(height) - 0.5f);
  glEnd();

  popBothMatrices();
  glPopAttrib();
}
