// Random key and reshape sequences: after every event the GL state stays sound
// and sceneOffset stays where the modelview matrix puts the scene origin.
#include <gtest/gtest.h>

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

// Applies one random event and says what it was.
std::string applyRandomEvent(std::mt19937& rng) {
  const int kind = std::uniform_int_distribution<int>(0, 19)(rng);
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
  return "reshape " + std::to_string(size[0]) + " x " + std::to_string(size[1]);
}

// Empty if all is well, otherwise what is wrong.
std::string checkState(int steps) {
  if (const GLenum error = glGetError(); error != GL_NO_ERROR) return "GL error " + std::to_string(error);
  if (readInt(GL_MATRIX_MODE) != GL_MODELVIEW) return "matrix mode is not GL_MODELVIEW";
  if (readInt(GL_MODELVIEW_STACK_DEPTH) != 1 || readInt(GL_PROJECTION_STACK_DEPTH) != 1) return "stack depth not 1";
  const glm::dmat4 mv = readMatrix(GL_MODELVIEW_MATRIX), projection = readMatrix(GL_PROJECTION_MATRIX);
  for (int i = 0; i < 16; ++i)
    if (!std::isfinite(mv[i / 4][i % 4]) || !std::isfinite(projection[i / 4][i % 4])) return "matrix entry not finite";
  const glm::dvec3 offset(view.sceneOffset.x, view.sceneOffset.y, view.sceneOffset.z);
  const double drift = glm::length(offset - glm::dvec3(mv[3]));
  if (drift > 1e-8 * (steps + 1) * (1.0 + glm::length(offset)))
    return "sceneOffset is " + std::to_string(drift) + " off the origin's eye position";
  GLfloat before[16], after[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, before);
  drawFrame();
  glGetFloatv(GL_MODELVIEW_MATRIX, after);
  if (std::memcmp(before, after, sizeof before) != 0) return "the frame changed the modelview matrix";
  if (const GLenum error = glGetError(); error != GL_NO_ERROR) return "GL error after a frame " + std::to_string(error);
  return "";
}

}  // namespace

TEST(Property, RandomEventSequencesKeepTheViewSound) {
  for (int seed = 1; seed <= kSeeds; ++seed) {
    resetViewer();
    std::mt19937 rng(static_cast<std::mt19937::result_type>(seed));
    for (int i = 0; i < kEventsPerSeed; ++i) {
      const std::string event = applyRandomEvent(rng);
      setCrashContext("random events, seed %d, event %d (%s)", seed, i, event.c_str());
      const std::string problem = checkState(i + 1);
      ASSERT_EQ(problem, "") << "seed " << seed << ", event " << i << " (" << event << ")";
    }
  }
}
