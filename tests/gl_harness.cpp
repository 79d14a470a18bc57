// The GL tests' harness: a real GL context on the test's X server, matrices
// and pixels read back, and the glm oracle they are held to.
#include "tests/gl_harness.h"

#include <GL/freeglut.h>

#include <unistd.h>

#include <gtest/gtest.h>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <glm/gtc/matrix_transform.hpp>
#include <sstream>

#include "app/projection.h"
#include "app/startup.h"
#include "app/view_state.h"
#include "nav/nav.h"
#include "scene/scene.h"
#include "tests/crash_report.h"
#include "tools/events.h"
#include "tools/xdrive.h"

namespace {
constexpr int kHarnessWindowSize = 800;  // room for every viewport a test sets
void noDisplay() {}

char runningTest[256] = "";  // the test under way, empty between tests

// Names the running test in a crash report and for an exit in mid-test.
class TestContext : public testing::EmptyTestEventListener {
  void OnTestStart(const testing::TestInfo& test) override {
    std::snprintf(runningTest, sizeof runningTest, "%s.%s", test.test_suite_name(), test.name());
    setCrashContext("%s", runningTest);
  }
  void OnTestEnd(const testing::TestInfo&) override { runningTest[0] = '\0'; }
};

// The program ends itself with exit(0) from a key callback. Inside a test that
// would end the process with status 0 and pass for the runner, so it fails here.
void failExitInTest() {
  if (runningTest[0] == '\0') return;
  std::fprintf(stderr, "\n[  FAILED  ] %s: the process called exit() in the middle of the test\n", runningTest);
  std::fflush(stderr);
  _exit(1);
}
}  // namespace

std::string describe(Rgb c) {
  char text[32];
  std::snprintf(text, sizeof text, "(%d, %d, %d)", c.r, c.g, c.b);
  return text;
}

Rgb Image::at(int x, int y) const {
  const std::size_t i =
      3 * (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x));
  return {rgb[i], rgb[i + 1], rgb[i + 2]};
}

int Image::count(Rgb c) const {
  int n = 0;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) n += (at(x, y) == c) ? 1 : 0;
  return n;
}

void resetViewer(int width, int height) {
  resetState();
  initGl();
  onReshape(width, height);
}

Image drawAndRead() {
  drawFrame();
  glFinish();
  Image image;
  image.width = static_cast<int>(view.windowWidth);
  image.height = static_cast<int>(view.windowHeight);
  image.rgb.resize(3 * static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height));
  glReadBuffer(GL_BACK);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, image.width, image.height, GL_RGB, GL_UNSIGNED_BYTE, image.rgb.data());
  return image;
}

std::string savePng(const Image& image, const std::string& name) {
  const std::string path = std::string(VELMORA_ARTIFACT_DIR) + "/" + name + ".png";
  Picture picture;  // top down, as a PNG holds it
  picture.width = image.width;
  picture.height = image.height;
  const std::size_t row = 3 * static_cast<std::size_t>(image.width);
  for (int y = image.height - 1; y >= 0; --y) {
    const auto first = image.rgb.begin() + static_cast<std::ptrdiff_t>(row * static_cast<std::size_t>(y));
    picture.rgb.insert(picture.rgb.end(), first, first + static_cast<std::ptrdiff_t>(row));
  }
  writePng(picture, path);
  return path;
}

bool colourNear(const Image& image, glm::dvec2 p, Rgb c, int radius) {
  const int cx = static_cast<int>(std::floor(p.x)), cy = static_cast<int>(std::floor(p.y));
  for (int y = cy - radius; y <= cy + radius; ++y)
    for (int x = cx - radius; x <= cx + radius; ++x)
      if (image.contains(x, y) && image.at(x, y) == c) return true;
  return false;
}

glm::dmat4 readMatrix(GLenum which) {
  GLfloat m[16];
  glGetFloatv(which, m);
  glm::dmat4 out;
  for (int i = 0; i < 16; ++i) out[i / 4][i % 4] = static_cast<double>(m[i]);
  return out;
}

GLint readInt(GLenum which) {
  GLint value = 0;
  glGetIntegerv(which, &value);
  return value;
}

glm::dvec2 toWindow(const glm::dmat4& projection, const glm::dmat4& modelview, glm::dvec3 p, int width, int height) {
  const glm::dvec4 clip = projection * modelview * glm::dvec4(p, 1.0);
  const glm::dvec3 ndc = glm::dvec3(clip) / clip.w;
  return {(ndc.x + 1.0) * 0.5 * width, (ndc.y + 1.0) * 0.5 * height};
}

glm::dmat4 oraclePerspective(double width, double height) {
  return glm::perspective(glm::radians(45.0), width / height, 0.1, 50.0);
}

glm::dmat4 oracleOrtho() { return glm::ortho(-3.0, 3.0, -3.0, 3.0, -10.0, 10.0); }

glm::dmat4 oracleStartModelview() { return glm::translate(glm::dmat4(1.0), glm::dvec3(0.0, 0.0, -6.0)); }

double maxDiff(const glm::dmat4& a, const glm::dmat4& b) {
  double d = 0.0;
  for (int c = 0; c < 4; ++c)
    for (int r = 0; r < 4; ++r) d = std::fmax(d, std::fabs(a[c][r] - b[c][r]));
  return d;
}

ShownMove readShownMove() {
  float modelview[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
  ViewText text;
  formatViewText(view, modelview, &text);
  ShownMove move;
  int i = 0;
  while (i < kViewTextLines && std::strncmp(text.lines[i], "Last move: ", 11) != 0) ++i;
  if (i < kViewTextLines) move.title = text.lines[i];
  for (++i; i < kViewTextLines && text.lines[i][0] != '\0'; ++i) {
    const std::string line = text.lines[i];
    move.widest = std::max(move.widest, static_cast<int>(line.size()));
    move.product += (move.product.empty() ? "" : " ") + line.substr(line.find_first_not_of(' '));
  }
  return move;
}

bool applyProduct(const std::string& product, const glm::dmat4& before, glm::dmat4* made) {
  if (product.rfind("M = ", 0) != 0) return false;
  glm::dmat4 left(1.0), right(1.0);
  bool old = false;
  for (const char* at = product.c_str() + 4; *at != '\0';) {
    double x = 0, y = 0, z = 0;
    char axis[2] = "";
    int used = 0;
    glm::dmat4 factor(1.0);
    if (*at == 'M' && !old) {
      old = true;
      used = 1;
    } else if (std::sscanf(at, "T(%lf, %lf, %lf)%n", &x, &y, &z, &used) == 3) {
      factor = glm::translate(factor, {x, y, z});
    } else if (std::sscanf(at, "R%1[xyz](%lf)%n", axis, &x, &used) == 2) {
      factor = glm::rotate(factor, glm::radians(x), {axis[0] == 'x', axis[0] == 'y', axis[0] == 'z'});
    }
    if (used == 0) return false;
    (old ? right : left) *= factor;
    at += used;
    if (*at == ' ' && at[1] != ' ')
      ++at;
    else if (*at != '\0')
      return false;  // factors are separated by one space
  }
  *made = old ? left * before * right : left;
  return true;
}

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  // Death tests re-run this binary rather than fork a process that holds GL threads.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();  // listing needs no display
  // A death test's child is expected to exit; anywhere else an exit is a failure.
  if (GTEST_FLAG_GET(internal_run_death_test).empty()) std::atexit(failExitInTest);
  // Holding a connection of our own keeps the server from resetting under the toolkit's.
  if (xDisplay() == nullptr) {
    std::fprintf(stderr, "no X server answered on display '%s'\n", std::getenv("DISPLAY"));
    return 1;
  }
  openWindow(&argc, argv);
  registerMouse();  // the menu, whose labels the tests read
  glutDisplayFunc(noDisplay);
  glutReshapeWindow(kHarnessWindowSize, kHarnessWindowSize);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while ((glutGet(GLUT_WINDOW_WIDTH) != kHarnessWindowSize || glutGet(GLUT_WINDOW_HEIGHT) != kHarnessWindowSize) &&
         std::chrono::steady_clock::now() < deadline) {
    glutMainLoopEvent();
    usleep(1000);
  }
  if (glutGet(GLUT_WINDOW_WIDTH) != kHarnessWindowSize || glutGet(GLUT_WINDOW_HEIGHT) != kHarnessWindowSize) {
    std::fprintf(stderr, "the test window did not grow to %d x %d\n", kHarnessWindowSize, kHarnessWindowSize);
    return 1;
  }
  drawFrame();  // the drawable takes its new size on the first frame after a resize
  const std::string renderer = std::string(reinterpret_cast<const char*>(glGetString(GL_RENDERER))) + ", OpenGL " +
                               reinterpret_cast<const char*>(glGetString(GL_VERSION));
  std::printf("renderer: %s\n", renderer.c_str());
  installCrashReport(renderer);
  testing::UnitTest::GetInstance()->listeners().Append(new TestContext);
  return RUN_ALL_TESTS();
}

int arrowFor(char c) {
  switch (c) {
    case '<': return GLUT_KEY_LEFT;
    case '>': return GLUT_KEY_RIGHT;
    case '^': return GLUT_KEY_UP;
    case '_': return GLUT_KEY_DOWN;
    default: return 0;
  }
}

void Oracle::press(char c) {
  const glm::dmat4 id(1.0);
  const double step = 0.1, turn = glm::radians(5.0);
  if (const int arrow = arrowFor(c)) {
    const glm::dvec3 axis =
        (arrow == GLUT_KEY_UP || arrow == GLUT_KEY_DOWN) ? glm::dvec3(1, 0, 0) : glm::dvec3(0, 1, 0);
    const double sign = (arrow == GLUT_KEY_RIGHT || arrow == GLUT_KEY_DOWN) ? 1.0 : -1.0;
    if (pan) {
      const glm::dvec3 d =
          sign * step * (arrow == GLUT_KEY_UP || arrow == GLUT_KEY_DOWN ? glm::dvec3(0, -1, 0) : glm::dvec3(1, 0, 0));
      eyeMove(glm::translate(id, d));
      origin += d;
    } else {
      eyeMove(glm::translate(id, origin) * glm::rotate(id, sign * turn, axis) * glm::translate(id, -origin));
    }
    return;
  }
  switch (c) {
    case 'm':
    case 'M': pan = !pan; break;
    case 'P':
      eyeMove(glm::translate(id, {0, 0, step}));
      origin.z += step;
      break;
    case 'p':
      eyeMove(glm::translate(id, {0, 0, -step}));
      origin.z -= step;
      break;
    case 'X':
    case 'x': modelview = glm::rotate(modelview, (c == 'X' ? 1 : -1) * turn, {1, 0, 0}); break;
    case 'Y':
    case 'y': modelview = glm::rotate(modelview, (c == 'Y' ? 1 : -1) * turn, {0, 1, 0}); break;
    case 'Z':
    case 'z': modelview = glm::rotate(modelview, (c == 'Z' ? 1 : -1) * turn, {0, 0, 1}); break;
    default: break;  // '1', '2', 'E', 'O': nothing that moves the view
  }
}

void pressAll(const std::string& keys, Oracle* oracle) {
  for (char c : keys) {
    if (const int arrow = arrowFor(c)) {
      onSpecialKey(arrow, 0, 0);
    } else {
      onKey(static_cast<unsigned char>(c), 0, 0);
    }
    if (oracle) oracle->press(c);
  }
}

void expectViewMatches(const Oracle& oracle, const std::string& what) {
  const glm::dmat4 mv = readMatrix(GL_MODELVIEW_MATRIX);
  EXPECT_LT(maxDiff(mv, oracle.modelview), 1e-4) << what;
  const glm::dvec3 offset(view.sceneOffset.x, view.sceneOffset.y, view.sceneOffset.z);
  EXPECT_LT(glm::length(offset - oracle.origin), 1e-5) << what << ": sceneOffset off the oracle's origin";
  EXPECT_LT(glm::length(offset - glm::dvec3(mv[3])), 1e-4) << what << ": sceneOffset off the matrix's translation";
  EXPECT_EQ(readInt(GL_MATRIX_MODE), GL_MODELVIEW) << what;
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << what;
}

bool applyEvents(const std::string& events, std::string* bad) {
  std::istringstream stream(events);
  for (std::string event; std::getline(stream, event, ';');) {
    *bad = event;
    if (!applyEvent(event.c_str())) return false;
  }
  return true;
}

PracticeShown readPractice() {
  float modelview[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
  char lines[kPracticeLines][kViewTextColumns];
  PracticeShown shown;
  const int used = formatPracticeText(view, modelview, lines, &shown.count);
  shown.lines.assign(lines, lines + used);
  return shown;
}
