// Key sequences against an independent model of the view in glm (double).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <glm/gtc/matrix_transform.hpp>
#include <sstream>
#include <vector>

#include "app/projection.h"
#include "app/view_state.h"
#include "nav/nav.h"
#include "scene/scene.h"
#include "tests/gl_harness.h"
#include "tools/events.h"
#include "tools/xdrive.h"

namespace {

// In a sequence '<', '>', '^' and '_' stand for the left, right, up and down arrows.
int arrowFor(char c) {
  switch (c) {
    case '<': return GLUT_KEY_LEFT;
    case '>': return GLUT_KEY_RIGHT;
    case '^': return GLUT_KEY_UP;
    case '_': return GLUT_KEY_DOWN;
    default: return 0;
  }
}

// What the view should be: the modelview matrix and the scene origin in eye space.
struct Oracle {
  glm::dmat4 modelview = glm::translate(glm::dmat4(1.0), glm::dvec3(0, 0, -6));
  glm::dvec3 origin{0, 0, -6};
  bool pan = false;

  void eyeMove(const glm::dmat4& e) { modelview = e * modelview; }
  void press(char c) {
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
};

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

}  // namespace

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
  // A row an exercise: from its start, its own moves (gallery words) reach its
  // target, which is the oracle's view after them, in no fewer keys than its par.
  for (int n = 1; n <= exerciseCount(); ++n) {
    resetViewer();
    onKey('o', 0, 0);  // an exercise starts in perspective whatever the projection
    onMenu(kMenuExercise + n);
    std::string keys;
    for (const InputStep& step : parseInput(exerciseAt(n)->moves)) {
      const std::string arrows[] = {"Left", "Right", "Up", "Down"}, as = "<>^_";
      const std::size_t arrow = std::find(arrows, arrows + 4, step.keysym) - arrows;
      keys += arrow < 4 ? as[arrow] : step.keysym[0];
    }
    Oracle oracle;
    pressAll(keys, &oracle);
    expectViewMatches(oracle, exerciseAt(n)->title);
    float modelview[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    EXPECT_TRUE(practiceReached(view, modelview)) << exerciseAt(n)->title;
    glm::dmat4 target;
    for (int i = 0; i < 16; ++i) target[i / 4][i % 4] = view.practice.target[i];
    EXPECT_LT(maxDiff(target, oracle.modelview), 1e-4) << exerciseAt(n)->title;
    EXPECT_LE(exerciseAt(n)->par, static_cast<int>(keys.size())) << exerciseAt(n)->title;
  }
}

// Moves count as Undo sees them, from the exercise's start, which Undo goes
// no further back than; reached is within half a key step of the target.
TEST(Navigation, ExercisesCountMovesAndSayWhenReached) {
  struct Case {
    const char* events;  // after "menu 303" (exercise 3, P*12) but where they start with "before:"
    const char* last;    // the exercise's last line
  };
  const Case cases[] = {
      {"", "Moves: 0 (par 12)"},
      {"before:key 88;special 102;key 111;menu 303", "Moves: 0 (par 12)"},  // from the start, in perspective
      {"key 80;key 80", "Moves: 2 (par 12)"},
      {"key 80;menu 259;menu 259", "Moves: 0 (par 12)"},  // Undo stops at the start
      {"press 0 200 200;motion 230 210;motion 260 240;release 0 260 240;wheel 3 9 9", "Moves: 2 (par 12)"},
      {"key 80;menu 256", "Moves: 2 (par 12)"},  // Reset view is a move
      {"drag 1 250 250 260 250 0;key 80", "Moves: 2 (par 12)"},
  };
  for (const Case& c : cases) {
    resetViewer();
    std::string events = std::strncmp(c.events, "before:", 7) == 0 ? c.events + 7 : std::string("menu 303;") + c.events;
    std::istringstream stream(events);
    for (std::string event; std::getline(stream, event, ';');) ASSERT_TRUE(applyEvent(event.c_str())) << event;
    float modelview[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    char lines[kPracticeLines][kViewTextColumns];
    const int used = formatPracticeText(view, modelview, lines);
    ASSERT_GT(used, 0) << c.events;
    EXPECT_STREQ(lines[used - 1], c.last) << c.events;
    EXPECT_EQ(view.usePerspective, 1) << c.events;
  }
  // The edge: a turn or a shift of the target just within half a key step, and just beyond it.
  struct Edge {
    double degrees, shift;
    int projection;
    bool reached;
  };
  for (const Edge& e : {Edge{2.45, 0, -1, true}, Edge{2.55, 0, -1, false}, Edge{0, 0.049, -1, true},
                        Edge{0, 0.051, -1, false}, Edge{0, 0, 0, false}, Edge{0, 0, 1, true}}) {
    resetViewer();
    float target[16];
    const glm::dmat4 moved = glm::rotate(glm::translate(oracleStartModelview(), glm::dvec3(e.shift, 0, 0)),
                                         glm::radians(e.degrees), glm::dvec3(0, 0, 1));
    for (int i = 0; i < 16; ++i) target[i] = static_cast<float>(moved[i / 4][i % 4]);
    startLinkedExercise(target, e.projection);
    float modelview[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    EXPECT_EQ(practiceReached(view, modelview), e.reached) << e.degrees << " degrees, " << e.shift << " units";
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
  for (int bad : {-1, kMenuLinkTarget + 1, kMenuExercise, kMenuExercise + exerciseCount() + 1, 100000})
    onMenu(bad);  // values no entry has: nothing happens
  EXPECT_EQ(view.showMatrices, 1);
  EXPECT_LT(maxDiff(readMatrix(GL_MODELVIEW_MATRIX), oracleStartModelview()), 1e-6);
  resetViewer();
}

// The matrix display's text: the projection as set, sceneOffset and the
// modelview matrix by rows, read back against the oracle; aligned columns,
// fixed decimals, never "-0.000".
TEST(Navigation, ViewTextShowsTheMatricesAsTheOracleHasThem) {
  struct Case {
    const char* keys;
    int width, height;
    std::vector<std::string> expected;  // the whole text where given
  };
  const Case cases[] = {
      {"",
       500,
       500,
       {"Perspective projection", " fov 45.000 degrees", " aspect 1.000", " near 0.100  far 50.000", "sceneOffset",
        "  0.000  0.000 -6.000", "Modelview", "  1.000  0.000  0.000  0.000", "  0.000  1.000  0.000  0.000",
        "  0.000  0.000  1.000 -6.000", "  0.000  0.000  0.000  1.000", "Last move: none yet", ""}},
      {"o",
       800,
       500,
       {"Orthographic projection", " x -3.000 to 3.000", " y -3.000 to 3.000", " near -10.000  far 10.000"}},
      {"", 800, 500, {"Perspective projection", " fov 45.000 degrees", " aspect 1.600"}},
      {"XXXXXXXXXXXXXXXXXXZZZZZZZZZZZZZZZZZZ", 500, 500, {}},  // quarter turns: entries of -0 and of nearly 0
      {">>>^^", 500, 500, {}},
      {"m<<<^^^PPPP", 500, 500, {}},
      {"XyZm>>>>_P", 37, 611, {}},
  };
  for (const Case& c : cases) {
    resetViewer(c.width, c.height);
    Oracle oracle;
    pressAll(c.keys, &oracle);
    float modelview[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    ViewText text;
    formatViewText(view, modelview, &text);
    const std::string what = std::string("after '") + c.keys + "'";
    for (std::size_t i = 0; i < c.expected.size(); ++i) EXPECT_EQ(text.lines[i], c.expected[i]) << what;
    // Rows 7 to 10 read back as the oracle's matrix, row i holding elements i, i+4, i+8, i+12.
    const std::size_t rowLength = std::strlen(text.lines[7]);
    for (int row = 0; row < 4; ++row) {
      const char* line = text.lines[7 + row];
      double v[4];
      ASSERT_EQ(std::sscanf(line, "%lf %lf %lf %lf", &v[0], &v[1], &v[2], &v[3]), 4) << what << ": " << line;
      for (int column = 0; column < 4; ++column)
        EXPECT_NEAR(v[column], oracle.modelview[column][row], 0.0005 + 1e-6) << what << ", row " << row;
      EXPECT_EQ(std::strlen(line), rowLength) << what << ": columns not aligned";
    }
    double offset[3];
    ASSERT_EQ(std::sscanf(text.lines[5], "%lf %lf %lf", &offset[0], &offset[1], &offset[2]), 3) << what;
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(offset[i], oracle.origin[i], 0.0005 + 1e-5) << what;
    for (const auto& line : text.lines) EXPECT_EQ(std::strstr(line, "-0.000"), nullptr) << what << ": " << line;
  }

  // Large values widen every column alike; a negative zero prints as 0.000.
  const float large[16] = {-0.0f, 123456.789f, -0.0004f, 0.0f, 1.0f,      -2.5f, 0.0f,  0.0f,
                           0.0f,  0.0f,        1.0f,     0.0f, -98765.4f, 0.25f, -6.0f, 1.0f};
  ViewText text;
  resetViewer();
  formatViewText(view, large, &text);
  EXPECT_STREQ(text.lines[7], "      0.000      1.000      0.000 -98765.398");
  EXPECT_STREQ(text.lines[8], " 123456.789     -2.500      0.000      0.250");
  EXPECT_STREQ(text.lines[9], "      0.000      0.000      1.000     -6.000");
  EXPECT_STREQ(text.lines[5], "      0.000      0.000     -6.000");
}

// The last move as the display writes it: a title naming it and the product
// that made the modelview matrix. Read back and multiplied with the matrix
// before the last event (glm), the product gives the matrix the display
// shows; what moves nothing leaves both lines as they were. Undo (menu 259)
// gives back exactly the matrix and scene offset from before the event before it.
TEST(Navigation, EveryMoveShowsTheProductThatMadeIt) {
  struct Case {
    const char* keysBefore;
    const char* events;             // as velmora-replay takes them (tools/events.h), ';' between them
    const char* title;              // after "Last move: "; null: the events move nothing
    const char* product;            // its lines joined, where given
    const char* undoRow = nullptr;  // the menu's Undo row after the events, where given
    glm::ivec2 size{500, 500};
  };
  // The README's promise: Undo takes back 128 moves, and no more.
  std::string deepUndo;
  for (int i = 0; i < 130 + 128; ++i) deepUndo += i < 130 ? "key 88;" : i == 130 ? "menu 259" : ";menu 259";
  const Case cases[] = {
      {"", "special 102", "Right arrow, orbit", "M = T(0.000, 0.000, -6.000) Ry(5) T(0.000, 0.000, 6.000) M",
       "Undo Right arrow, orbit"},
      {"m<<^m", "special 101", "Up arrow, orbit", "M = T(-0.200, 0.100, -6.000) Rx(-5) T(0.200, -0.100, 6.000) M"},
      {"m", "special 103", "Down arrow, pan", "M = T(0.000, -0.100, 0.000) M"},
      {"Xm", "special 102", "Right arrow, pan", "M = T(0.100, 0.000, 0.000) M"},
      {"", "key 80", "key P", "M = T(0.000, 0.000, 0.100) M"},
      {"X>", "key 112", "key p", "M = T(0.000, 0.000, -0.100) M"},
      {">", "key 88", "key X", "M = M Rx(5)"},
      {"^", "key 121", "key y", "M = M Ry(-5)"},
      {"m>", "key 90", "key Z", "M = M Rz(5)"},
      {"", "drag 0 200 200 260 240 0", "left drag, orbit",
       "M = T(0.000, 0.000, -6.000) Rx(14.4) Ry(21.6) T(0.000, 0.000, 6.000) M"},
      {"XP", "drag 0 100 100 100 50 0", "left drag, orbit", nullptr, nullptr, {800, 499}},  // about x alone, degrees of
                                                                                            // a float
      {"", "drag 1 250 250 320 200 0", "middle drag, pan", nullptr},
      {"oY", "drag 0 250 250 180 290 1", "Shift+left drag, pan", nullptr, nullptr, {800, 500}},
      {"", "wheel 3 250 250", "wheel, nearer (P)", "M = T(0.000, 0.000, 0.100) M"},
      {">>XmP", "menu 256", "menu, Reset view", "M = T(0.000, 0.000, -6.000)"},
      {"", "menu 88", "menu, About x, +5 degrees (X)", "M = M Rx(5)"},
      {"", "key 79", nullptr, nullptr},
      {">", "key 69;key 50;key 109;key 111;menu 257;menu 258;special 110;drag 0 200 200 200 200 0", nullptr, nullptr},
      {"", "menu 259", nullptr, nullptr},  // nothing to undo
      {"", "special 102;menu 259", "undo Right arrow, orbit",
       "M = T(0.000, 0.000, -6.000) Ry(-5) T(0.000, 0.000, 6.000) M", "Nothing to undo"},
      {">", "key 88;menu 259", "undo key X", "M = M Rx(-5)"},
      {"m", "wheel 4 250 250;menu 259", "undo wheel, farther (p)", "M = T(0.000, 0.000, 0.100) M"},
      {">>XmP", "menu 256;menu 259", "undo menu, Reset view", nullptr},
      {"X", "drag 0 200 200 260 240 0;drag 1 250 250 320 200 0;menu 259", "undo middle drag, pan", nullptr,
       "Undo left drag, orbit"},
      {"", deepUndo.c_str(), "undo key X", "M = M Rx(-5)", "Nothing to undo"},
      {"", "press 0 200 200;motion 230 210;motion 260 240;wheel 3 260 240;motion 280 250;release 0 280 250;menu 259",
       "undo left drag, orbit", nullptr},  // a drag of three steps and a notch is one move
  };
  for (const Case& c : cases) {
    resetViewer(c.size.x, c.size.y);
    pressAll(c.keysBefore, nullptr);
    const std::string what = std::string("'") + c.events + "' after '" + c.keysBefore + "'";
    const glm::dmat4 before = readMatrix(GL_MODELVIEW_MATRIX);
    const ShownMove prior = readShownMove();
    std::vector<glm::dmat4> matrices;  // before each event
    std::vector<Vec3f> offsets;
    std::istringstream events(c.events);
    for (std::string event; std::getline(events, event, ';');) {
      matrices.push_back(readMatrix(GL_MODELVIEW_MATRIX));
      offsets.push_back(view.sceneOffset);
      ASSERT_TRUE(applyEvent(event.c_str())) << event;
    }
    const ShownMove shown = readShownMove();
    const glm::dmat4 now = readMatrix(GL_MODELVIEW_MATRIX);
    EXPECT_STREQ(c.undoRow != nullptr ? menuLabel(kMenuUndo) : nullptr, c.undoRow) << what;
    EXPECT_EQ(shown.title, c.title ? std::string("Last move: ") + c.title : prior.title) << what;
    EXPECT_EQ(shown.product, c.product ? c.product : c.title ? shown.product : prior.product) << what;
    if (c.title == nullptr) {
      EXPECT_EQ(maxDiff(before, now), 0.0) << what;
      continue;
    }
    EXPECT_LE(shown.widest, 61) << what << ": a product line wider than the display";
    // The product's numbers are written to the display's decimals: each
    // translation so written is off by up to half a unit of the last one.
    glm::dmat4 made;
    ASSERT_TRUE(applyProduct(shown.product, matrices.back(), &made)) << what << ": " << shown.product;
    EXPECT_LT(maxDiff(made, now), 0.0015) << what << ": " << shown.product;
    if (std::strncmp(c.title, "undo ", 5) != 0) continue;
    // The undos, all at the end, each take back one move: the view from before the moves they took back.
    const std::size_t undos = (std::string(c.events).size() - std::string(c.events).find("menu 259")) / 9 + 1;
    const std::size_t undone = std::string(c.events).rfind("press", 0) == 0 ? 0 : matrices.size() - 2 * undos;
    EXPECT_EQ(maxDiff(now, matrices[undone]), 0.0) << what;
    EXPECT_EQ(std::memcmp(&view.sceneOffset, &offsets[undone], sizeof(Vec3f)), 0) << what;
  }
}

// The eye seen from outside: its position, direction and view volume (cut at
// kEyeVolumeDepth) against glm's inverse of the oracle's matrices; the fixed
// observer sees the whole scene and the eye's start position.
TEST(Navigation, EyeVolumeIsTheInverseOfTheView) {
  const char* sequences[] = {"", ">>>^", "m<<^^", "PPPp", "XYZ", "o>>X", "o", "oPPPPm>"};
  for (const char* keys : sequences) {
    resetViewer(800, 500);
    Oracle oracle;
    pressAll(keys, &oracle);
    float modelview[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    EyeVolume volume;
    computeEyeVolume(view, modelview, &volume);
    const glm::dmat4 inverse = glm::inverse(oracle.modelview);
    const glm::dvec3 eye(inverse * glm::dvec4(0, 0, 0, 1)), direction(inverse * glm::dvec4(0, 0, -1, 0));
    const std::string what = std::string("after '") + keys + "'";
    EXPECT_LT(glm::length(glm::dvec3(volume.eye[0], volume.eye[1], volume.eye[2]) - eye), 1e-4) << what;
    EXPECT_LT(glm::length(glm::dvec3(volume.direction[0], volume.direction[1], volume.direction[2]) - direction), 1e-5)
        << what;
    // Corners: window corners at the near depth and at the cut, back through the inverse projection and view.
    const bool perspective = view.usePerspective != 0;
    const glm::dmat4 projection = perspective ? oraclePerspective(800, 500) : oracleOrtho();
    const double nearDepth = perspective ? 0.1 : -kEyeVolumeDepth;
    const glm::dmat4 back = glm::inverse(projection * oracle.modelview);
    const double corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    for (int end = 0; end < 2; ++end) {
      const glm::dvec4 clip = projection * glm::dvec4(0, 0, -(end == 0 ? nearDepth : kEyeVolumeDepth), 1);
      for (int i = 0; i < 4; ++i) {
        const glm::dvec4 p = back * glm::dvec4(corners[i][0], corners[i][1], clip.z / clip.w, 1);
        const double* got = volume.corners[4 * end + i];
        EXPECT_LT(glm::length(glm::dvec3(got[0], got[1], got[2]) - glm::dvec3(p) / p.w), 1e-4)
            << what << ", corner " << 4 * end + i;
      }
    }
  }
  const glm::dmat4 observer =
      glm::perspective(glm::radians(kObserverFieldOfView), 1.0, kObserverNear, kObserverFar) *
      glm::lookAt(glm::dvec3(kObserverEye[0], kObserverEye[1], kObserverEye[2]),
                  glm::dvec3(kObserverTarget[0], kObserverTarget[1], kObserverTarget[2]), glm::dvec3(0, 0, 1));
  const glm::dvec3 seen[] = {{-4.5, -1.5, 0}, {-4.5, 1.5, 0}, {9, -1.5, 0},        {9, 1.5, 0},  // the road's ends
                             {-1, -1, 0.5},   {1.5, 1, 0.5},  {-0.33, 0.13, 0.33}, {1.83, -0.2, -0.33},  // posts, cars
                             {0, 0, 6}};  // the eye at start
  for (const glm::dvec3& p : seen) {
    const glm::dvec4 clip = observer * glm::dvec4(p, 1);
    EXPECT_LT(std::fmax(std::fabs(clip.x), std::fabs(clip.y)) / clip.w, 0.95) << p.x << ", " << p.y << ", " << p.z;
  }
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
