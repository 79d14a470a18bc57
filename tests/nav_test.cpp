// Keys, drags and the menu against an independent model of the view in glm (double).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <glm/gtc/matrix_transform.hpp>
#include <sstream>
#include <vector>

#include "app/projection.h"
#include "app/view_state.h"
#include "nav/commands.h"
#include "nav/nav.h"
#include "scene/scene.h"
#include "tests/gl_harness.h"
#include "tools/events.h"

TEST(Navigation, KeySequencesMatchTheOracle) {
  const std::string sequences[] = {
      ">>>",                  // orbit about the eye's y axis
      std::string(72, '>'),   // full circle
      "m<>^_",                // pan there and back
      "<^>__^<",              // orbit on every arrow
      "m<<^^_>",              // pan
      "m>>>^^m>>^",           // pan, then orbit about the panned origin
      "PPPpP",                // dolly
      "pppp>>^_P",            // dolly, then orbit about the moved origin
      "XXYzZZy",              // turns about the scene's own axes
      "ZZZm>>^_",             // after a turn about z, pan still moves in eye space
      "ZZZXX",                // after a turn about z, X turns about the turned x axis
      "XYZ>>^_m<^PP",         // arrows after model turns
      "Xm>P^MZ<<_pOx2Ee1oY",  // a mix of everything that is bound
  };
  for (const std::string& keys : sequences) {
    resetViewer();
    Oracle oracle;
    pressAll(keys, &oracle);
    expectViewMatches(oracle, keys);
  }
  // A row an exercise: its target, made by the program from its moves (read
  // by the program's one parser of them), is the oracle's view after the
  // same keys from the start, chosen with the arrows orbiting or panning;
  // played with those keys it is reached in par moves, the keys that are
  // neither M nor O.
  for (int n = 1; n <= exerciseCount(); ++n) {
    resetViewer();
    onKey('o', 0, 0);                  // an exercise starts in perspective whatever the projection
    if (n % 2 == 0) onKey('m', 0, 0);  // and in orbit mode
    onMenu(kMenuExercise + n);
    std::string keys;
    const auto asKey = [](const Command& command, void* out) {
      const char* arrows = "<^>_";  // the oracle's names of GLUT_KEY_LEFT, UP, RIGHT and DOWN
      *static_cast<std::string*>(out) +=
          command.specialKey != 0 ? arrows[command.specialKey - GLUT_KEY_LEFT] : command.keys[0];
      return true;
    };
    ASSERT_TRUE(forEachMoveWord(exerciseAt(n)->moves, asKey, &keys)) << exerciseAt(n)->title;
    Oracle oracle;
    for (const char c : keys) oracle.press(c);
    glm::dmat4 target;
    for (int i = 0; i < 16; ++i) target[i / 4][i % 4] = view.practice.target[i];
    EXPECT_LT(maxDiff(target, oracle.modelview), 1e-4) << exerciseAt(n)->title;
    pressAll(n % 2 == 0 ? "m" + keys : keys, nullptr);  // back to orbiting first, which does not count
    const long par = static_cast<long>(keys.size()) -
                     std::count_if(keys.begin(), keys.end(), [](char c) { return std::strchr("mMoO", c) != nullptr; });
    const PracticeShown shown = readPractice();
    ASSERT_GT(static_cast<int>(shown.lines.size()), shown.count + 2)
        << exerciseAt(n)->title << ": no lesson, or " << shown.lines[shown.count];
    EXPECT_EQ(shown.lines[shown.count],
              "Reached in " + std::to_string(par) + " moves (par " + std::to_string(par) + ")");
    EXPECT_EQ(shown.lines.back(), std::string("Par: ") + exerciseAt(n)->moves);
  }
}

// Drags through the mouse callbacks. A left drag orbits like the arrow keys,
// half a turn for the window's height; a middle or Shift+left drag keeps the
// scene point under the pointer (at the origin's depth) under the pointer.
struct DragCase {
  const char* keysBefore;
  int button;
  bool shift;
  std::vector<glm::ivec2> path;  // window positions, y down; pressed at the first
  glm::ivec2 size{500, 500};     // the window's
  int otherButton = -1;          // pressed after the first move, released after the second
};

// The scene point under window position p (y down) at the depth of the scene origin.
glm::dvec3 pointUnder(glm::ivec2 p, glm::ivec2 size, const glm::dmat4& projection, const glm::dmat4& modelview) {
  const glm::dvec4 viewport(0, 0, size.x, size.y);
  const double depth = glm::project(glm::dvec3(0), modelview, projection, viewport).z;
  return glm::unProject(glm::dvec3(p.x, size.y - p.y, depth), modelview, projection, viewport);
}

TEST(Navigation, DragsMatchTheOracle) {
  const DragCase drags[] = {
      {"", GLUT_LEFT_BUTTON, false, {{250, 250}, {300, 250}}},                   // across: about the eye's y axis
      {"", GLUT_LEFT_BUTTON, false, {{100, 0}, {100, 500}}},                     // the window's height: half a turn
      {"XZ", GLUT_LEFT_BUTTON, false, {{200, 200}, {230, 240}, {260, 300}}},     // after model turns
      {"m<<PP", GLUT_LEFT_BUTTON, false, {{300, 100}, {280, 90}}},               // about the panned origin
      {"o", GLUT_LEFT_BUTTON, false, {{250, 250}, {200, 180}}},                  // orthographic
      {"", GLUT_MIDDLE_BUTTON, false, {{250, 250}, {320, 200}}},                 // pan
      {"XZ>^pp", GLUT_LEFT_BUTTON, true, {{120, 400}, {160, 380}, {150, 300}}},  // Shift pans, after turns
      {"o", GLUT_MIDDLE_BUTTON, false, {{400, 100}, {100, 450}}},                // orthographic pan
      {"oXm>>", GLUT_LEFT_BUTTON, true, {{250, 250}, {251, 250}, {251, 249}}},   // single pixels
      // Windows that are not square: a turn goes by the height, an orthographic pan by each side.
      {"X", GLUT_LEFT_BUTTON, false, {{100, 100}, {500, 300}}, {800, 400}},
      {"Z", GLUT_LEFT_BUTTON, false, {{50, 600}, {300, 150}}, {300, 700}},
      {"Y>", GLUT_MIDDLE_BUTTON, false, {{700, 300}, {100, 50}}, {800, 400}},
      {"XP", GLUT_LEFT_BUTTON, true, {{50, 650}, {250, 100}}, {300, 700}},
      {"o", GLUT_MIDDLE_BUTTON, false, {{700, 350}, {150, 20}}, {800, 400}},
      {"oZ", GLUT_LEFT_BUTTON, true, {{20, 680}, {280, 30}}, {300, 700}},
      // Another button pressed and released during a drag: the drag goes on.
      {"", GLUT_LEFT_BUTTON, false, {{250, 250}, {280, 260}, {300, 300}, {330, 280}}, {500, 500}, GLUT_MIDDLE_BUTTON},
      {"o", GLUT_MIDDLE_BUTTON, false, {{250, 250}, {200, 260}, {150, 300}, {120, 280}}, {500, 500}, GLUT_LEFT_BUTTON},
      {"", GLUT_LEFT_BUTTON, true, {{250, 250}, {220, 260}, {200, 300}, {190, 330}}, {500, 500}, GLUT_RIGHT_BUTTON},
  };
  for (const DragCase& d : drags) {
    resetViewer(d.size.x, d.size.y);
    Oracle oracle;
    pressAll(d.keysBefore, &oracle);
    const bool perspective = view.usePerspective != 0;
    const glm::dmat4 projection = perspective ? oraclePerspective(d.size.x, d.size.y) : oracleOrtho();
    const glm::dvec3 grabbed = pointUnder(d.path.front(), d.size, projection, oracle.modelview);
    mouseButton(d.button, GLUT_DOWN, d.shift, d.path.front().x, d.path.front().y);
    for (std::size_t i = 1; i < d.path.size(); ++i) {
      onMouseDrag(d.path[i].x, d.path[i].y);
      if (d.otherButton >= 0 && i <= 2)
        mouseButton(d.otherButton, i == 1 ? GLUT_DOWN : GLUT_UP, false, d.path[i].x, d.path[i].y);
      const glm::dvec2 step(d.path[i] - d.path[i - 1]);
      const glm::dmat4 id(1.0);
      if (d.button == GLUT_LEFT_BUTTON && !d.shift) {
        const double perPixel = glm::radians(180.0) / d.size.y;  // half a turn for the window's height
        const glm::dmat4 toOrigin = glm::translate(id, oracle.origin), back = glm::translate(id, -oracle.origin);
        oracle.eyeMove(toOrigin * glm::rotate(id, step.x * perPixel, glm::dvec3(0, 1, 0)) * back);
        oracle.eyeMove(toOrigin * glm::rotate(id, step.y * perPixel, glm::dvec3(1, 0, 0)) * back);
      } else {
        const glm::dvec2 perPixel = perspective
                                        ? glm::dvec2(2 * -oracle.origin.z * std::tan(glm::radians(22.5)) / d.size.y)
                                        : glm::dvec2(6.0 / d.size.x, 6.0 / d.size.y);
        const glm::dvec3 shift(step.x * perPixel.x, -step.y * perPixel.y, 0);
        oracle.eyeMove(glm::translate(id, shift));
        oracle.origin += shift;
      }
    }
    mouseButton(d.button, GLUT_UP, d.shift, d.path.back().x, d.path.back().y);
    onMouseDrag(0, 0);  // released: moves nothing
    const std::string what = std::string("drag after '") + d.keysBefore + "' in " + std::to_string(d.size.x) + " x " +
                             std::to_string(d.size.y) + (d.otherButton >= 0 ? " with another button" : "");
    expectViewMatches(oracle, what);
    if (d.button != GLUT_LEFT_BUTTON || d.shift) {
      const glm::dvec2 now = toWindow(projection, readMatrix(GL_MODELVIEW_MATRIX), grabbed, d.size.x, d.size.y);
      EXPECT_LT(glm::length(now - glm::dvec2(d.path.back().x, d.size.y - d.path.back().y)), 0.01)
          << what << ": the grabbed point left the pointer";
    }
  }
}

// A pinch in a two-finger (middle) drag: fingers s times as far apart as at
// the press ask for round((1 - 1 / s) x depth / 0.1) P steps in all, the
// depth taken at the press; what is not a positive scale asks for nothing;
// the whole pinch is one move for Undo.
TEST(Navigation, PinchStepsAsTheFingersSpread) {
  struct Pinch {
    const char* keysBefore;
    std::vector<double> scales;  // handed one after the other in the drag
    int steps;                   // P steps in all (negative: p)
  };
  const double bad[] = {0.0, -2.0, std::nan(""), INFINITY, -INFINITY};
  const std::string behind(70, 'P');  // the origin behind the eye: a pinch takes one step's depth
  const Pinch pinches[] = {
      {"", {2.0}, 30},      {"", {0.5}, -60},           {"", {1.0}, 0},
      {"", {1.01}, 1},      {"", {2.0, 1.0}, 0},        {"", {4.0, 2.0}, 30},
      {"XmP>", {1.25}, 12}, {behind.c_str(), {3.0}, 1}, {"", {bad, bad + 5}, 0},
  };
  for (const Pinch& p : pinches) {
    resetViewer();
    Oracle oracle;
    pressAll(p.keysBefore, &oracle);
    const glm::dmat4 before = readMatrix(GL_MODELVIEW_MATRIX);
    mouseButton(GLUT_MIDDLE_BUTTON, GLUT_DOWN, false, 250, 250);
    for (const double scale : p.scales) pinchTo(scale);
    mouseButton(GLUT_MIDDLE_BUTTON, GLUT_UP, false, 250, 250);
    for (int i = 0; i < std::abs(p.steps); ++i) oracle.press(p.steps > 0 ? 'P' : 'p');
    // Sixty float steps of 0.1 drift a little further than a key sequence's.
    EXPECT_LT(maxDiff(readMatrix(GL_MODELVIEW_MATRIX), oracle.modelview), 1e-4) << p.keysBefore << ", " << p.steps;
    EXPECT_NEAR(view.sceneOffset.z, oracle.origin.z, 1e-4) << p.keysBefore << ", " << p.steps;
    onMenu(kMenuUndo);
    EXPECT_EQ(maxDiff(readMatrix(GL_MODELVIEW_MATRIX), before), 0.0) << p.keysBefore << ": Undo left a step";
  }
  resetViewer();
}

// Where the window has no height or the origin is at or behind the eye, a pan
// drag stays finite and small, and a drag changes nothing in a 0-high window.
TEST(Navigation, DragGuards) {
  struct Guard {
    std::string keys;  // 60 'P' bring the origin to the eye, 75 behind it
    int height;
  };
  for (const Guard& g : {Guard{"", 0}, Guard{std::string(60, 'P'), 500}, Guard{std::string(75, 'P'), 500}}) {
    resetViewer(500, g.height);
    pressAll(g.keys, nullptr);
    const glm::dmat4 before = readMatrix(GL_MODELVIEW_MATRIX);
    for (int button : {GLUT_LEFT_BUTTON, GLUT_MIDDLE_BUTTON}) {
      mouseButton(button, GLUT_DOWN, false, 250, 250);
      onMouseDrag(300, 320);
      mouseButton(button, GLUT_UP, false, 300, 320);
    }
    const glm::dmat4 after = readMatrix(GL_MODELVIEW_MATRIX);
    for (int i = 0; i < 16; ++i) ASSERT_TRUE(std::isfinite(after[i / 4][i % 4])) << g.keys.size() << " x P";
    if (g.height == 0) {
      EXPECT_EQ(maxDiff(before, after), 0.0);
    } else {
      // A pan taken at the near plane, and a turn: nothing jumps far.
      EXPECT_LT(glm::length(glm::dvec3(after[3]) - glm::dvec3(before[3])), 0.1) << g.keys.size() << " x P";
    }
  }
}

// The toggling menu entries say what choosing them will do now, after their
// key in either case or the menu's own choice.
TEST(Navigation, MenuLabelsSayWhatAChoiceWillDo) {
  struct Toggle {
    std::vector<int> choices;  // each flips the toggle once: a key, or a menu value above 255
    int entry;
    const char* atStart;
    const char* flipped;
  };
  const Toggle toggles[] = {
      {{'m', 'M', 'm'}, 'M', "Pan with the arrow keys (M)", "Orbit with the arrow keys (M)"},
      {{'o', 'O', 'o'}, 'O', "Orthographic projection (O)", "Perspective projection (O)"},
      {{'e', 'E', 'e'}, 'E', "Hide the axes (E)", "Show the axes (E)"},
      {{kMenuShowMatrices}, kMenuShowMatrices, "Show the matrices", "Hide the matrices"},
      {{kMenuShowEyeView}, kMenuShowEyeView, "Show the eye from outside", "Hide the eye from outside"},
  };
  for (const Toggle& t : toggles) {
    resetViewer();
    ASSERT_NE(menuLabel(t.entry), nullptr);
    EXPECT_STREQ(menuLabel(t.entry), t.atStart);
    for (std::size_t i = 0; i < t.choices.size(); ++i) {
      if (t.choices[i] > 255) {
        onMenu(t.choices[i]);
      } else {
        onKey(static_cast<unsigned char>(t.choices[i]), 0, 0);
      }
      EXPECT_STREQ(menuLabel(t.entry), i % 2 == 0 ? t.flipped : t.atStart) << "after choice " << t.choices[i];
    }
    onMenu(t.entry);
    EXPECT_STREQ(menuLabel(t.entry), t.choices.size() % 2 == 0 ? t.flipped : t.atStart) << "after choosing it";
  }
  resetViewer();
}

// The submenu's turns run their keys, and the displays, which only the menu
// switches, stay through Reset view, projection switches and resizes.
TEST(Navigation, TurnSubmenuAndDisplaysFromTheMenu) {
  for (const char* keys : {"XxYyZz", "ZZZXyy"}) {
    resetViewer();
    Oracle oracle;
    for (const char* c = keys; *c != '\0'; ++c) {
      onMenu(*c);
      oracle.press(*c);
    }
    expectViewMatches(oracle, std::string("menu turns ") + keys);
  }
  resetViewer();
  onMenu(kMenuShowMatrices);
  onMenu(kMenuShowEyeView);
  pressAll(">>Xo", nullptr);
  onReshape(300, 700);
  onMenu(kMenuResetView);
  EXPECT_EQ(view.showMatrices, 1);
  EXPECT_EQ(view.showEyeView, 1);
  EXPECT_LT(maxDiff(readMatrix(GL_MODELVIEW_MATRIX), oracleStartModelview()), 1e-6);
  for (int row = 0; row < menuRowCount(kMainMenu); ++row)  // every row of the main menu is shown
    if (menuRowValue(kMainMenu, row) >= 0) {
      EXPECT_NE(menuLabel(menuRowValue(kMainMenu, row)), nullptr) << row;
    }
  for (int bad : {-1, kMenuLinkTarget + 1, kMenuExercise, kMenuExercise + exerciseCount() + 1, 100000})
    onMenu(bad);  // values no entry has: nothing happens
  EXPECT_EQ(view.showMatrices, 1);
  EXPECT_LT(maxDiff(readMatrix(GL_MODELVIEW_MATRIX), oracleStartModelview()), 1e-6);
  resetViewer();
}

// Eighteen 'X' are a quarter turn: the scene's y axis then points at the eye.
TEST(Navigation, EighteenXTurnTheSceneEdgeOn) {
  resetViewer();
  pressAll(std::string(18, 'X'), nullptr);
  const glm::dmat4 mv = readMatrix(GL_MODELVIEW_MATRIX);
  EXPECT_LT(glm::length(glm::dvec3(mv * glm::dvec4(0, 1, 0, 0)) - glm::dvec3(0, 0, 1)), 1e-5);
  EXPECT_LT(glm::length(glm::dvec3(mv * glm::dvec4(0, 0, 1, 0)) - glm::dvec3(0, -1, 0)), 1e-5);
}

// Distance in pixels between the two road edges, down the middle column.
double edgeGap(const Image& image) {
  int low = -1, high = -1;
  for (int y = 0; y < image.height; ++y)
    if (image.at(20, y) == kWhite) {
      if (low < 0) low = y;
      high = y;
    }
  return high - low;
}

TEST(Navigation, DollyScalesThePictureOnlyInPerspective) {
  for (int perspective : {1, 0}) {
    resetViewer();
    if (!perspective) toggleProjection();
    const double before = edgeGap(drawAndRead());
    pressAll("PPPPPPPPPP", nullptr);
    const Image image = drawAndRead();
    const glm::dmat4 mv = glm::translate(glm::dmat4(1.0), glm::dvec3(0, 0, -5));
    const glm::dmat4 proj = perspective ? oraclePerspective(500, 500) : oracleOrtho();
    const double expected = toWindow(proj, mv, {0, 1.5, 0}, 500, 500).y - toWindow(proj, mv, {0, -1.5, 0}, 500, 500).y;
    EXPECT_NEAR(edgeGap(image), expected, 1.5) << "perspective " << perspective;
    if (perspective) {
      EXPECT_GT(edgeGap(image), before + 10);
    } else {
      EXPECT_EQ(edgeGap(image), before);
    }
  }
}

// The special keys that end the program, as the README names them.
const int kQuitSpecials[] = {GLUT_KEY_F1,  GLUT_KEY_F2,    GLUT_KEY_F3,      GLUT_KEY_F4,        GLUT_KEY_F5,
                             GLUT_KEY_F6,  GLUT_KEY_F7,    GLUT_KEY_F8,      GLUT_KEY_F9,        GLUT_KEY_F10,
                             GLUT_KEY_F11, GLUT_KEY_F12,   GLUT_KEY_PAGE_UP, GLUT_KEY_PAGE_DOWN, GLUT_KEY_HOME,
                             GLUT_KEY_END, GLUT_KEY_INSERT};

// Every other code the toolkit may report (Num Lock, keypad Begin and
// Delete, Shift, Ctrl, Alt, Super) and stray values leave the view bit for bit.
TEST(Navigation, IgnoredSpecialCodesChangeNothing) {
  std::vector<int> codes = {100000};
  for (int code = -1; code <= 300; ++code)
    if ((code < GLUT_KEY_LEFT || code > GLUT_KEY_DOWN) && std::count(kQuitSpecials, std::end(kQuitSpecials), code) == 0)
      codes.push_back(code);
  for (int panMode : {0, 1}) {
    resetViewer();
    pressAll("XZ>", nullptr);
    view.panMode = panMode;
    GLfloat before[16], after[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, before);
    const ViewState state = view;
    for (int code : codes) onSpecialKey(code, 0, 0);
    glGetFloatv(GL_MODELVIEW_MATRIX, after);
    EXPECT_EQ(0, std::memcmp(before, after, sizeof before)) << "pan mode " << panMode;
    EXPECT_EQ(0, std::memcmp(&state, &view, sizeof state)) << "pan mode " << panMode;
  }
}

TEST(NavigationDeathTest, UnboundKeysExitWithStatusZero) {
  const int characters[] = {27, 13, ' ', '0', '3', 'q', 'a', 'Q', 'w', 127, 200};
  for (int key : characters) {
    EXPECT_EXIT(onKey(static_cast<unsigned char>(key), 0, 0), testing::ExitedWithCode(0), "") << "character " << key;
  }
  for (int panMode : {0, 1}) {
    for (int key : kQuitSpecials) {
      view.panMode = panMode;
      EXPECT_EXIT(onSpecialKey(key, 0, 0), testing::ExitedWithCode(0), "")
          << "special key " << key << ", pan mode " << panMode;
    }
  }
}
