// The scene's pixels, probed where an independent projection puts its pieces.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <glm/gtc/matrix_transform.hpp>

#include "app/projection.h"
#include "app/view_link.h"
#include "app/view_state.h"
#include "nav/nav.h"
#include "scene/scene.h"
#include "tests/gl_harness.h"

namespace {

enum class Shows { Always, Gizmo, FullAxesOnly };

struct Probe {
  const char* what;
  glm::dvec3 point;  // scene coordinates
  Rgb colour;
  Shows shows;
};

const Probe kProbes[] = {
    {"first edge, left", {-1.2, -1.5, 0}, kWhite, Shows::Always},
    {"first edge, middle", {0.0, -1.5, 0}, kWhite, Shows::Always},
    {"first edge, right", {1.2, -1.5, 0}, kWhite, Shows::Always},
    {"second edge, left", {-1.2, 1.5, 0}, kWhite, Shows::Always},
    {"second edge, right", {1.2, 1.5, 0}, kWhite, Shows::Always},
    {"car 1 body, top face", {0.2, 0.13, 0.325}, kWhite, Shows::Always},
    {"car 1 body, bottom face", {-0.2, -0.13, -0.325}, kWhite, Shows::Always},
    {"car 1 wheel", {-0.275, -0.17, 0.05}, kWhite, Shows::Always},
    {"car 2 body", {1.5, 0.13, 0.325}, kWhite, Shows::Always},
    {"car 2 right wheel, near side", {1.775, -0.17, 0.05}, kWhite, Shows::Always},
    {"car 2 right wheel, far side", {1.775, 0.16, 0.05}, kWhite, Shows::Always},
    {"car 2 right wheel, outer edge", {1.7, -0.2075, 0.05}, kWhite, Shows::Always},
    {"car 2 far wheel, outer edge", {1.7, 0.1975, 0.05}, kWhite, Shows::Always},
    {"post 1 side", {-1.0, -0.9, 0.25}, kWhite, Shows::Always},
    {"post 1 other side", {-1.0, -1.1, 0.25}, kWhite, Shows::Always},
    {"post 2 side", {1.5, 1.1, 0.25}, kWhite, Shows::Always},
    {"post 2 other side", {1.5, 0.9, 0.25}, kWhite, Shows::Always},
    {"x arrow head", {0.4333, 0, 0}, kRed, Shows::Gizmo},
    {"y arrow head", {0, 0.4333, 0}, kGreen, Shows::Gizmo},
    {"y arrow head, wide near its base", {0.035, 0.33, 0}, kGreen, Shows::Gizmo},
    {"y shaft inside the body", {0, 0.09, 0}, kGreen, Shows::Gizmo},
    {"y shaft beyond the body", {0, 0.2, 0}, kGreen, Shows::Gizmo},
    {"negative y shaft", {0, -0.3, 0}, kGreen, Shows::FullAxesOnly},
    {"negative y shaft near its end", {0, -0.45, 0}, kGreen, Shows::FullAxesOnly},
};

struct ViewCase {
  const char* name;
  int width, height;
  int perspective, showAxes, fullAxes;
};

const ViewCase kViews[] = {
    {"start", 500, 500, 1, 1, 0},           {"full-axes", 500, 500, 1, 1, 1},
    {"hidden-axes", 500, 500, 1, 0, 1},     {"wide", 800, 500, 1, 1, 0},
    {"narrow", 400, 500, 1, 1, 1},          {"ortho", 500, 500, 0, 1, 0},
    {"ortho-stretched", 800, 500, 0, 1, 1},
};

Image drawView(const ViewCase& v) {
  resetViewer(v.width, v.height);
  view.showAxes = v.showAxes;
  view.fullAxes = v.fullAxes;
  if (v.perspective == 0) toggleProjection();
  return drawAndRead();
}

glm::dmat4 projectionFor(const ViewCase& v) {
  return v.perspective != 0 ? oraclePerspective(v.width, v.height) : oracleOrtho();
}

}  // namespace

TEST(ScenePixels, PiecesAppearWhereTheOracleProjectsThem) {
  for (const ViewCase& v : kViews) {
    const Image image = drawView(v);
    bool ok = true;
    for (const Probe& p : kProbes) {
      const bool expected = p.shows == Shows::Always || (v.showAxes != 0 && p.shows == Shows::Gizmo) ||
                            (v.showAxes != 0 && v.fullAxes != 0 && p.shows == Shows::FullAxesOnly);
      const glm::dvec2 at = toWindow(projectionFor(v), oracleStartModelview(), p.point, v.width, v.height);
      ASSERT_TRUE(image.contains(static_cast<int>(at.x), static_cast<int>(at.y))) << v.name << ": " << p.what;
      const bool seen = colourNear(image, at, p.colour, expected ? 1 : 2);
      if (seen != expected) {
        ok = false;
        ADD_FAILURE() << v.name << ": " << p.what << " expected " << (expected ? "" : "no ") << describe(p.colour)
                      << " near window (" << at.x << ", " << at.y << "), observed "
                      << describe(image.at(static_cast<int>(at.x), static_cast<int>(at.y)));
      }
    }
    if (v.showAxes == 0) {
      EXPECT_EQ(image.count(kRed) + image.count(kGreen) + image.count(kBlue), 0) << v.name << ": gizmo shown";
      ok = ok && image.count(kRed) + image.count(kGreen) + image.count(kBlue) == 0;
    }
    if (!ok) ADD_FAILURE() << "observed picture: " << savePng(image, std::string("scene-") + v.name);
  }
}

TEST(ScenePixels, RoadEdgesCrossTheWholeWindow) {
  for (const ViewCase& v : {kViews[0], kViews[3], kViews[6]}) {
    const Image image = drawView(v);
    for (double y : {-1.5, 1.5}) {
      const glm::dvec2 at = toWindow(projectionFor(v), oracleStartModelview(), {0, y, 0}, v.width, v.height);
      int missing = 0;
      for (int x = 0; x < v.width; ++x) missing += colourNear(image, {x + 0.5, at.y}, kWhite, 1) ? 0 : 1;
      EXPECT_EQ(missing, 0) << v.name << ": edge y = " << y << " missing in " << missing << " columns; picture "
                            << (missing ? savePng(image, std::string("edge-") + v.name) : "");
    }
  }
}

// The centre line's runs of lit and dark pixels, left of the first car, must
// follow the dash period 15 on, 15 off, 5 on, 15 off, 15 on, 15 off, in window
// pixels, also when the scene is nearer.
TEST(ScenePixels, CentreLineIsDashedInWindowPixels) {
  const int kPeriod[] = {15, 15, 5, 15, 15, 15};  // on, off, on, off, on, off
  for (double nearer : {0.0, 2.0}) {
    resetViewer();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, static_cast<float>(-6.0 + nearer));
    const Image image = drawAndRead();
    const glm::dmat4 mv = glm::translate(glm::dmat4(1.0), glm::dvec3(0, 0, -6.0 + nearer));
    const glm::dvec2 centre = toWindow(oraclePerspective(500, 500), mv, {0, 0, 0}, 500, 500);
    const int endX = static_cast<int>(toWindow(oraclePerspective(500, 500), mv, {-0.7, 0, 0}, 500, 500).x);
    const auto litAt = [&](int x) {  // the line may fall on either row next to the exact position
      const int y = static_cast<int>(centre.y);
      return image.at(x, y - 1) == kWhite || image.at(x, y) == kWhite || image.at(x, y + 1) == kWhite;
    };
    std::vector<int> runs;  // alternating on/off lengths, starting with whatever column 0 shows
    bool lit = litAt(0);
    const bool firstLit = lit;
    int length = 0;
    for (int x = 0; x < endX; ++x) {
      const bool on = litAt(x);
      if (on != lit) {
        runs.push_back(length);
        length = 0;
        lit = on;
      }
      ++length;
    }
    ASSERT_GE(runs.size(), 6u) << "too few dashes; picture " << savePng(image, "centre-line");
    // Drop the first run (cut by the window's edge); find where the rest sit in the period.
    const std::vector<int> interior(runs.begin() + 1, runs.end());
    bool matched = false;
    for (int phase = (firstLit ? 1 : 0); phase < 6 && !matched; phase += 2) {
      matched = true;
      for (std::size_t i = 0; i < interior.size(); ++i) matched = matched && interior[i] == kPeriod[(phase + i) % 6];
    }
    std::string seen;
    for (int r : interior) seen += std::to_string(r) + " ";
    EXPECT_TRUE(matched) << "nearer by " << nearer << ": runs " << seen << "do not follow the dash period; picture "
                         << savePng(image, "centre-line");
  }
}

TEST(FrameInvariants, FrameLeavesMatrixModeAndErrorsCleanAndRepeats) {
  for (const ViewCase& v : kViews) {
    const Image first = drawView(v);
    GLfloat before[16], after[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, before);
    const Image second = drawAndRead();
    glGetFloatv(GL_MODELVIEW_MATRIX, after);
    EXPECT_EQ(0, std::memcmp(before, after, sizeof before)) << v.name;
    EXPECT_EQ(readInt(GL_MATRIX_MODE), GL_MODELVIEW) << v.name;
    EXPECT_EQ(readInt(GL_MODELVIEW_STACK_DEPTH), 1) << v.name;
    EXPECT_EQ(readInt(GL_PROJECTION_STACK_DEPTH), 1) << v.name;
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << v.name;
    EXPECT_TRUE(first.rgb == second.rgb) << v.name << ": two frames differ";
  }
}

// Colour order: the road sets white after the gizmo's blue, so cars and posts
// are white; under an exercise they are green while the view is reached, on
// an exact or a near match, and the faint target keeps its own colour.
TEST(FrameInvariants, CarsAndPostsAreWhiteWithTheGizmoShown) {
  constexpr Rgb kReached{32, 144, 64}, kFaint{64, 64, 96};
  struct Case {
    const char* name;
    const char* events;  // ';' between them
    double nearBy;       // degrees a linked target lies off the start view, or 0 for none
    Rgb live;
  };
  const Case cases[] = {
      {"no exercise", "", 0, kWhite},
      {"not reached", "menu 301", 0, kWhite},
      {"reached exactly", "menu 301;special 102;special 102;special 102;special 102;special 102;special 102", 0,
       kReached},
      {"reached within the allowance", "", 2.0, kReached},
      {"left again", "menu 301;special 102;special 102;special 102;special 102;special 102;special 102;key 88", 0,
       kWhite},
  };
  for (const Case& c : cases) {
    resetViewer();
    std::string bad;
    ASSERT_TRUE(applyEvents(c.events, &bad)) << bad;
    if (c.nearBy != 0) {
      ViewLink link = {};
      link.flags[0] = 1;
      const glm::dmat4 near = glm::rotate(oracleStartModelview(), glm::radians(c.nearBy), glm::dvec3(0, 0, 1));
      for (int i = 0; i < 16; ++i) link.modelview[i] = static_cast<float>(near[i / 4][i % 4]);
      startLinkedExercises(&link, 1);
    }
    const Image image = drawAndRead();
    if (c.live == kWhite && c.events[0] == '\0') {
      GLfloat colour[4];
      glGetFloatv(GL_CURRENT_COLOR, colour);
      EXPECT_EQ(colour[0] + colour[1] + colour[2], 3.0f);
    }
    // Around the posts and the second car only the live colour, black and the faint target's may show.
    const glm::dvec3 regions[] = {{-1.0, -1.0, 0.25}, {1.5, 1.0, 0.25}, {1.5, 0.0, 0.0}};
    int live = 0;
    for (const glm::dvec3& centre : regions) {
      const glm::dvec2 at = toWindow(oraclePerspective(500, 500), readMatrix(GL_MODELVIEW_MATRIX), centre, 500, 500);
      for (int y = static_cast<int>(at.y) - 20; y <= static_cast<int>(at.y) + 20; ++y)
        for (int x = static_cast<int>(at.x) - 20; x <= static_cast<int>(at.x) + 20; ++x) {
          const Rgb p = image.at(x, y);
          live += p == c.live ? 1 : 0;
          ASSERT_TRUE(p == c.live || p == kBlack || (p == kFaint && (c.events[0] != '\0' || c.nearBy != 0)))
              << c.name << ": " << describe(p) << " at " << x << ", " << y;
        }
    }
    EXPECT_GT(live, 100) << c.name << ": " << savePng(image, "live-colour");
  }
}
