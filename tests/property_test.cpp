// Random key, mouse, menu and reshape sequences: after every event the GL state
// stays sound and sceneOffset stays where the modelview matrix puts the scene origin.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <random>

#include "app/projection.h"
#include "app/view_state.h"
#include "nav/nav.h"
#include "scene/scene.h"
#include "tests/crash_report.h"
#include "tests/gl_harness.h"

namespace {

constexpr int kSeeds = 20;
constexpr int kEventsPerSeed = 2000;
const char kBoundKeys[] = "12EeMmOoPpXxYyZz";
const int kSpecialCodes[] = {
    GLUT_KEY_LEFT, GLUT_KEY_UP, GLUT_KEY_RIGHT, GLUT_KEY_DOWN, 109, 110, 111, 112, 113, 114, 115, 116, 117, 118, 119};
const int kSizes[][2] = {{0, 0}, {1, 1}, {0, 500}, {500, 0}, {4096, 4096}, {500, 500}, {800, 500}, {37, 611}};
// Every menu entry but Quit, the submenu's turns and the two displays among them.
const int kMenuValues[] = {'M',
                           'O',
                           'E',
                           '1',
                           '2',
                           'P',
                           'p',
                           'X',
                           'x',
                           'Y',
                           'y',
                           'Z',
                           'z',
                           kMenuResetView,
                           kMenuShowMatrices,
                           kMenuShowEyeView,
                           kMenuUndo,
                           kMenuExercise + 1,
                           kMenuExercise + 12,
                           kMenuNextExercise,
                           kMenuLeaveExercise,
                           kMenuAddToSet};

int lastReshape[2] = {500, 500};  // the viewport every frame must leave as it found it

// Applies one random event and says what it was.
std::string applyRandomEvent(std::mt19937& rng) {
  auto pick = [&rng](int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng); };
  const int kind = pick(0, 28);
  if (kind == 28) {
    // A move, then Undo: the matrix and scene offset from before it, exactly.
    const glm::dmat4 before = readMatrix(GL_MODELVIEW_MATRIX);
    const Vec3f offset = view.sceneOffset;
    const std::string title = readShownMove().title;
    const int code = kSpecialCodes[pick(0, 3)];
    onSpecialKey(code, 0, 0);
    const bool moved = readShownMove().title != title || maxDiff(before, readMatrix(GL_MODELVIEW_MATRIX)) != 0.0;
    onMenu(kMenuUndo);
    EXPECT_TRUE(!moved || (maxDiff(before, readMatrix(GL_MODELVIEW_MATRIX)) == 0.0 &&
                           std::memcmp(&offset, &view.sceneOffset, sizeof offset) == 0))
        << "undo of special " << code;
    return "special " + std::to_string(code) + ", then undo";
  }
  if (kind >= 20) {
    const int x = pick(-50, 850), y = pick(-50, 850);
    if (kind < 24) {
      onMouseDrag(x, y);
      return "drag to " + std::to_string(x) + ", " + std::to_string(y);
    }
    if (kind < 27) {
      const int button = pick(0, 4), state = pick(0, 1) == 0 ? GLUT_DOWN : GLUT_UP;
      const bool shift = pick(0, 1) == 1;
      mouseButton(button, state, shift, x, y);
      return "button " + std::to_string(button) + (state == GLUT_DOWN ? " down" : " up") + (shift ? " with Shift" : "");
    }
    const int value = kMenuValues[std::uniform_int_distribution<std::size_t>(0, std::size(kMenuValues) - 1)(rng)];
    onMenu(value);
    return "menu " + std::to_string(value);
  }
  if (kind < 10) {
    const char key = kBoundKeys[std::uniform_int_distribution<std::size_t>(0, sizeof kBoundKeys - 2)(rng)];
    onKey(static_cast<unsigned char>(key), 0, 0);
    return std::string("key '") + key + "'";
  }
  if (kind < 19) {
    const int code = kSpecialCodes[std::uniform_int_distribution<std::size_t>(0, std::size(kSpecialCodes) - 1)(rng)];
    onSpecialKey(code, 0, 0);
    return "special " + std::to_string(code);
  }
  const auto& size = kSizes[std::uniform_int_distribution<std::size_t>(0, std::size(kSizes) - 1)(rng)];
  onReshape(size[0], size[1]);
  lastReshape[0] = size[0];
  lastReshape[1] = size[1];
  return "reshape " + std::to_string(size[0]) + " x " + std::to_string(size[1]);
}

// Empty if all is well, otherwise what is wrong.
// `allowed`: how far sceneOffset may have drifted from the matrix by now.
std::string checkState(double allowed) {
  if (const GLenum error = glGetError(); error != GL_NO_ERROR) return "GL error " + std::to_string(error);
  if (readInt(GL_MATRIX_MODE) != GL_MODELVIEW) return "matrix mode is not GL_MODELVIEW";
  if (readInt(GL_MODELVIEW_STACK_DEPTH) != 1 || readInt(GL_PROJECTION_STACK_DEPTH) != 1) return "stack depth not 1";
  const glm::dmat4 mv = readMatrix(GL_MODELVIEW_MATRIX), projection = readMatrix(GL_PROJECTION_MATRIX);
  for (int i = 0; i < 16; ++i)
    if (!std::isfinite(mv[i / 4][i % 4]) || !std::isfinite(projection[i / 4][i % 4])) return "matrix entry not finite";
  const glm::dvec3 offset(view.sceneOffset.x, view.sceneOffset.y, view.sceneOffset.z);
  const double drift = glm::length(offset - glm::dvec3(mv[3]));
  if (drift > allowed) return "sceneOffset is " + std::to_string(drift) + " off the origin's eye position";
  GLfloat before[16], after[16], projectionBefore[16], projectionAfter[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, before);
  glGetFloatv(GL_PROJECTION_MATRIX, projectionBefore);
  drawFrame();
  glGetFloatv(GL_MODELVIEW_MATRIX, after);
  glGetFloatv(GL_PROJECTION_MATRIX, projectionAfter);
  if (std::memcmp(before, after, sizeof before) != 0) return "the frame changed the modelview matrix";
  if (std::memcmp(projectionBefore, projectionAfter, sizeof before) != 0) return "the frame changed the projection";
  if (const GLenum error = glGetError(); error != GL_NO_ERROR) return "GL error after a frame " + std::to_string(error);
  // The state the frame's pieces and the two displays set for themselves is put back.
  if (readInt(GL_MATRIX_MODE) != GL_MODELVIEW) return "the frame left another matrix mode";
  GLint viewport[4], polygonMode[2];
  GLfloat clear[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  glGetIntegerv(GL_POLYGON_MODE, polygonMode);
  glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
  if (viewport[0] != 0 || viewport[1] != 0 || viewport[2] != lastReshape[0] || viewport[3] != lastReshape[1])
    return "the frame left another viewport";
  if (glIsEnabled(GL_DEPTH_TEST) != GL_TRUE) return "the frame left the depth test off";
  if (glIsEnabled(GL_LINE_STIPPLE) != GL_FALSE || glIsEnabled(GL_SCISSOR_TEST) != GL_FALSE)
    return "the frame left line stipple or the scissor test on";
  if (polygonMode[0] != GL_FILL || polygonMode[1] != GL_FILL) return "the frame left another polygon mode";
  if (clear[0] != 0.0f || clear[1] != 0.0f || clear[2] != 0.0f || clear[3] != 0.5f)
    return "the frame left another clear colour";
  return "";
}

}  // namespace

TEST(Property, RandomEventSequencesKeepTheViewSound) {
  for (int seed = 1; seed <= kSeeds; ++seed) {
    resetViewer();
    lastReshape[0] = lastReshape[1] = 500;
    std::mt19937 rng(static_cast<std::mt19937::result_type>(seed));
    glm::dvec3 offset(view.sceneOffset.x, view.sceneOffset.y, view.sceneOffset.z);
    double allowed = 1e-8 * (1.0 + glm::length(offset));
    for (int i = 0; i < kEventsPerSeed; ++i) {
      const glm::dmat4 before = readMatrix(GL_MODELVIEW_MATRIX);
      const ShownMove prior = readShownMove();
      const std::string event = applyRandomEvent(rng);
      setCrashContext("random events, seed %d, event %d (%s)", seed, i, event.c_str());
      // Steps of 0.1 keep float rounding far below an ulp a step; a dragged pan
      // rounds a step of any size to float, a few ulps of the step and the offset.
      const glm::dvec3 now(view.sceneOffset.x, view.sceneOffset.y, view.sceneOffset.z);
      allowed += 1e-8 * (1.0 + glm::length(now));
      if (event.rfind("drag", 0) == 0) allowed += 4 * FLT_EPSILON * (glm::length(now - offset) + glm::length(now));
      offset = now;
      const std::string problem = checkState(allowed);
      ASSERT_EQ(problem, "") << "seed " << seed << ", event " << i << " (" << event << ")";
      // A move shows the product that made the matrix from the one before,
      // its numbers to the display's decimals.
      const ShownMove shown = readShownMove();
      const glm::dmat4 after = readMatrix(GL_MODELVIEW_MATRIX);
      if (maxDiff(before, after) == 0.0 && shown.title == prior.title && shown.product == prior.product) continue;
      if (event.find("then undo") != std::string::npos) continue;  // the product is the undo's, after the move
      double largest = 0.0;
      for (int k = 0; k < 16; ++k) largest = std::fmax(largest, std::fabs(after[k / 4][k % 4]));
      glm::dmat4 made;
      ASSERT_TRUE(applyProduct(shown.product, before, &made) && maxDiff(made, after) < 0.002 + 1e-6 * largest)
          << "seed " << seed << ", event " << i << " (" << event << "): " << shown.title << ": " << shown.product;
    }
  }
}
