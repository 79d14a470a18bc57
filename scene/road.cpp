// The road: two white edge lines and the dashed centre line.
#include "app/gl.h"
#include "scene/scene.h"

namespace {

// The road's own scale on top of the frame's road transform: a road point
// (x, y) lands at scene (0.015 x - 3, 0.01 y - 3, 0).
constexpr float kRoadOwnScaleX = 1.5f;
constexpr float kRoadOwnScaleY = 0.5f;

// Every line runs from x = -100 to x = 800 (scene x -4.5 to 9.0), sent in
// that order so the dash pattern counts from the x = -100 end.
constexpr float kRoadStartX = -100.0f;
constexpr float kRoadEndX = 800.0f;

constexpr float kFirstEdgeY = 150.0f;   // scene y = -1.5
constexpr float kCentreLineY = 300.0f;  // scene y = 0
constexpr float kSecondEdgeY = 450.0f;  // scene y = 1.5

// Dashes: each pattern bit covers 5 pixels, read from the least significant
// bit: 15 on, 15 off, 5 on, 15 off, 15 on, 15 off (an 80-pixel period).
constexpr GLint kDashRepeat = 5;
constexpr GLushort kDashPattern = 0x1C47;

void roadLine(float y) {
  glBegin(GL_LINES);
  glVertex2f(kRoadStartX, y);
  glVertex2f(kRoadEndX, y);
  glEnd();
  glFlush();
}

}  // namespace

void drawRoad() {
  glColor3f(1.0f, 1.0f, 1.0f);
  glScalef(kRoadOwnScaleX, kRoadOwnScaleY, 1.0f);
  roadLine(kFirstEdgeY);
  roadLine(kSecondEdgeY);

  glEnable(GL_LINE_STIPPLE);
  glLineStipple(kDashRepeat, kDashPattern);
  roadLine(kCentreLineY);
  glDisable(GL_LINE_STIPPLE);
  glFlush();
}
