// Start-up state, viewport and projection, read back from GL and compared with glm.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include <glm/gtc/matrix_transform.hpp>
#include "app/projection.h"
#include "app/startup.h"
#include "app/view_state.h"
#include "nav/nav.h"
#include "scene/scene.h"
#include "tests/gl_harness.h"

// The start as the program makes it, judged by what it does, not by its record's fields.
TEST(StartUp, StartsInPerspectiveWithHalfAxesAndOrbitingArrows) {
  resetViewer();
  const glm::dmat4 projection = oraclePerspective(500, 500), start = oracleStartModelview();
  EXPECT_EQ(maxDiff(readMatrix(GL_MODELVIEW_MATRIX), start), 0.0);
  EXPECT_LT(maxDiff(readMatrix(GL_PROJECTION_MATRIX), projection), 1e-6);
  EXPECT_EQ(readInt(GL_MATRIX_MODE), GL_MODELVIEW);
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  GLfloat clear[4];
  glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
  EXPECT_EQ((std::array<float, 4>{clear[0], clear[1], clear[2], clear[3]}), (std::array<float, 4>{0, 0, 0, 0.5f}));
  const Image image = drawAndRead();
  EXPECT_TRUE(colourNear(image, toWindow(projection, start, {0.4333, 0, 0}, 500, 500), kRed, 2)) << "no gizmo";
  EXPECT_FALSE(colourNear(image, toWindow(projection, start, {0, -0.3, 0}, 500, 500), kGreen, 2)) << "full axes";
  onSpecialKey(GLUT_KEY_RIGHT, 0, 0);
  EXPECT_LT(maxDiff(readMatrix(GL_MODELVIEW_MATRIX), glm::rotate(start, glm::radians(5.0), glm::dvec3(0, 1, 0))), 1e-6)
      << "Right did not orbit at start";
}

struct ReshapeCase {
  int width, height;
  int perspective;
  float storedHeight;
};

TEST(Projection, ReshapeSetsViewportAndProjectionForEveryMode) {
  const ReshapeCase cases[] = {
      {500, 500, 1, 500}, {800, 500, 1, 500}, {400, 500, 1, 500}, {500, 0, 1, 1},
      {500, 500, 0, 500}, {800, 500, 0, 500}, {1, 1, 1, 1},       {500, 0, 0, 1},
  };
  for (const ReshapeCase& c : cases) {
    resetViewer();
    if (c.perspective == 0) toggleProjection();
    const glm::dmat4 modelview = readMatrix(GL_MODELVIEW_MATRIX);
    onReshape(c.width, c.height);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ((std::array<GLint, 4>{viewport[0], viewport[1], viewport[2], viewport[3]}),
              (std::array<GLint, 4>{0, 0, c.width, c.height}));
    EXPECT_EQ(view.windowHeight, c.storedHeight);
    const glm::dmat4 expected = c.perspective ? oraclePerspective(c.width, c.storedHeight) : oracleOrtho();
    EXPECT_LT(maxDiff(readMatrix(GL_PROJECTION_MATRIX), expected), 1e-6) << c.width << " x " << c.height;
    EXPECT_EQ(maxDiff(readMatrix(GL_MODELVIEW_MATRIX), modelview), 0.0) << "reshape moved the view";
    EXPECT_EQ(readInt(GL_MATRIX_MODE), GL_MODELVIEW);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  }
}

// A width of 0 gives aspect 0, for which GLU multiplies nothing in: the
// projection stays the identity just loaded, with nothing infinite or NaN.
TEST(Projection, ZeroWidthLeavesIdentityAndNoNaN) {
  resetViewer();
  onReshape(0, 0);
  EXPECT_EQ(view.windowWidth, 0.0f);
  EXPECT_EQ(view.windowHeight, 1.0f);
  EXPECT_EQ(maxDiff(readMatrix(GL_PROJECTION_MATRIX), glm::dmat4(1.0)), 0.0);
  drawFrame();
  for (GLenum which : {GL_PROJECTION_MATRIX, GL_MODELVIEW_MATRIX}) {
    const glm::dmat4 m = readMatrix(which);
    for (int i = 0; i < 16; ++i) EXPECT_TRUE(std::isfinite(m[i / 4][i % 4]));
  }
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(Projection, ToggleTwiceRestoresTheSameMatrixAndKeepsTheView) {
  for (int width : {500, 800}) {
    resetViewer(width, 500);
    GLfloat before[16], middle[16], after[16], modelview[16];
    glGetFloatv(GL_PROJECTION_MATRIX, before);
    toggleProjection();
    glGetFloatv(GL_PROJECTION_MATRIX, middle);
    EXPECT_EQ(view.usePerspective, 0);
    EXPECT_LT(maxDiff(readMatrix(GL_PROJECTION_MATRIX), oracleOrtho()), 1e-6);
    toggleProjection();
    glGetFloatv(GL_PROJECTION_MATRIX, after);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    EXPECT_NE(0, std::memcmp(before, middle, sizeof before));
    EXPECT_EQ(0, std::memcmp(before, after, sizeof before));
    EXPECT_EQ(maxDiff(readMatrix(GL_MODELVIEW_MATRIX), oracleStartModelview()), 0.0);
    EXPECT_EQ(readInt(GL_MATRIX_MODE), GL_MODELVIEW);
  }
}
