// The displays' words (the matrices, the last move, the exercises) and the eye
// from outside, against an independent model of the view in glm (double).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <glm/gtc/matrix_transform.hpp>
#include <sstream>
#include <vector>

#include "app/projection.h"
#include "app/startup.h"
#include "app/view_link.h"
#include "app/view_state.h"
#include "nav/commands.h"
#include "nav/nav.h"
#include "scene/scene.h"
#include "tests/gl_harness.h"
#include "tools/events.h"

// Moves count as Undo sees them, from the exercise's start, which Undo goes
// no further back than, and the switches not at all; reached is within half
// a key step of the target, in its projection; Next goes on, after the last
// to the first; Leave ends it.
TEST(Navigation, ExercisesCountMovesAndSayWhenReached) {
  struct Case {
    const char* events;           // after "menu 303" (exercise 3, P*12) but where they start with "before:"
    const char* count;            // the exercise's count line; null: no exercise under way
    const char* first = nullptr;  // how its first line begins, where given
  };
  const std::string x9 = "key 88;key 88;key 88;key 88;key 88;key 88;key 88;key 88;key 88";
  const std::string ortho = "before:menu 306;" + x9, orthoSwitched = "before:menu 306;key 111;" + x9;
  const Case cases[] = {
      {"", "Moves: 0 (par 12)", "Exercise 3 of 15: Bring"},
      {"before:key 88;special 102;key 111;menu 303", "Moves: 0 (par 12)"},  // from the start, in perspective
      {"key 80;key 80", "Moves: 2 (par 12)"},
      {"key 80;menu 259;menu 259", "Moves: 0 (par 12)"},  // Undo stops at the start
      {"press 0 200 200;motion 230 210;motion 260 240;release 0 260 240;wheel 3 9 9", "Moves: 2 (par 12)"},
      {"key 80;menu 256", "Moves: 2 (par 12)"},  // Reset view is a move
      {"drag 1 250 250 260 250 0;key 80", "Moves: 2 (par 12)"},
      {"key 109;key 77;key 111;key 69;key 49;key 50;menu 257;menu 258;menu 257;key 79;key 80", "Moves: 1 (par 12)"},
      {"before:menu 301;drag 0 100 250 183 250 0", "Reached in 1 move (par 6)"},  // 83 pixels: 29.9 degrees
      {ortho.c_str(), "Moves: 9 (par 9)"},  // the orthographic exercise, seen in perspective
      {orthoSwitched.c_str(), "Reached in 9 moves (par 9)"},
      {"menu 262", "Moves: 0 (par 20)", "Exercise 4 of 15: Move"},
      {"before:menu 315;menu 262", "Moves: 0 (par 6)", "Exercise 1 of 15: Turn"},
      {"menu 263", nullptr},
  };
  for (const Case& c : cases) {
    resetViewer();
    std::string bad;
    ASSERT_TRUE(applyEvents(
        std::strncmp(c.events, "before:", 7) == 0 ? c.events + 7 : std::string("menu 303;") + c.events, &bad))
        << bad;
    const PracticeShown shown = readPractice();
    if (c.count == nullptr) {
      EXPECT_TRUE(shown.lines.empty()) << c.events;
      EXPECT_EQ(view.practice.number, 0) << c.events << ": its target is still drawn";
      continue;
    }
    ASSERT_FALSE(shown.lines.empty()) << c.events;
    EXPECT_EQ(shown.lines[shown.count], c.count) << c.events;
    if (c.first != nullptr) {
      EXPECT_EQ(shown.lines[0].rfind(c.first, 0), 0u) << shown.lines[0];
    }
  }
  // The edge: a turn or a shift of the target just within half a key step, and just beyond it.
  struct Edge {
    double degrees, shift;
    int projection;
    bool reached;
  };
  for (const Edge& e : {Edge{2.45, 0, 1, true}, Edge{2.55, 0, 1, false}, Edge{0, 0.049, 1, true},
                        Edge{0, 0.051, 1, false}, Edge{0, 0, 0, false}, Edge{0, 0, 1, true}}) {
    resetViewer();
    const glm::dmat4 moved = glm::rotate(glm::translate(oracleStartModelview(), glm::dvec3(e.shift, 0, 0)),
                                         glm::radians(e.degrees), glm::dvec3(0, 0, 1));
    ViewLink link = {};
    link.flags[0] = e.projection;
    for (int i = 0; i < 16; ++i) link.modelview[i] = static_cast<float>(moved[i / 4][i % 4]);
    startLinkedExercises(&link, 1);
    float modelview[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    EXPECT_EQ(practiceReached(view, modelview), e.reached) << e.degrees << " degrees, " << e.shift << " units";
  }
  // A teacher's set: three views (the last in orthographic) added and handed
  // on as the command the desktop prints, which opens the set; played through
  // to its last and round to its first. With --view it starts at that view.
  resetViewer();
  for (const char* event : {"special 102", "menu 265", "special 102", "menu 265", "key 111", "menu 265", "key 111"})
    ASSERT_TRUE(applyEvent(event));
  testing::internal::CaptureStdout();
  onMenu(kMenuLinkSet);
  std::istringstream printed(testing::internal::GetCapturedStdout());
  std::vector<std::string> words;
  for (std::string word; printed >> word;) words.push_back(word);
  ASSERT_EQ(words.size(), 7u);
  testing::internal::CaptureStdout();
  onMenu(kMenuLinkTarget);  // one view as an exercise: a set of one
  const std::string one = testing::internal::GetCapturedStdout();
  EXPECT_EQ(one.rfind("velmora --target ", 0), 0u) << one;
  for (const std::string& start : {std::string(), words[2]}) {  // the first target's view
    resetViewer();
    std::vector<std::string> args(words);
    if (!start.empty()) args.insert(args.begin() + 1, {"--view", start});
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(&arg[0]);
    int argc = static_cast<int>(argv.size());
    takeViewOption(&argc, argv.data());
    ASSERT_EQ(argc, 1);
    initGl();
    const char* steps[][3] = {
        {"", "Exercise 1 of 3: Reach the faint view.", start.empty() ? "Moves: 0" : "Reached in 0 moves"},
        {"special 102", nullptr, start.empty() ? "Reached in 1 move" : "Moves: 1"},
        {"menu 262", "Exercise 2 of 3: Reach the faint view.", "Moves: 0"},
        {"special 102;special 102", nullptr, "Reached in 2 moves"},
        {"menu 262;special 102;special 102", "Exercise 3 of 3: Reach the faint view.", "Moves: 2"},  // in perspective
        {"key 111", nullptr, "Reached in 2 moves"},
        {"menu 262", "Exercise 1 of 3: Reach the faint view.", "Moves: 0"},
    };
    for (const auto& step : steps) {
      std::string bad;
      ASSERT_TRUE(applyEvents(step[0], &bad)) << bad;
      const PracticeShown shown = readPractice();
      ASSERT_EQ(shown.lines.size(), 2u) << step[0] << ": a linked one has no lesson";
      if (step[1] != nullptr) {
        EXPECT_EQ(shown.lines[0], step[1]) << start << " " << step[0];
      }
      EXPECT_EQ(shown.lines[1], step[2]) << start << " " << step[0];
    }
  }
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
    if (c.undoRow != nullptr) {
      EXPECT_STREQ(menuLabel(kMenuUndo), c.undoRow) << what;
    }
    EXPECT_EQ(shown.title, c.title ? std::string("Last move: ") + c.title : prior.title) << what;
    if (c.product != nullptr) {
      EXPECT_EQ(shown.product, c.product) << what;
    } else if (c.title == nullptr) {
      EXPECT_EQ(shown.product, prior.product) << what;
    }
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
