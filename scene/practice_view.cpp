// The exercise under way as the learner sees it: its target drawn faint under
// the live scene, whether it is reached, and its lines of text.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "app/gl.h"
#include "scene/scene.h"

namespace {

// The faint target's colour and the live scene's once reached, each a whole
// step of 8 bits: dim blue-grey, and green.
constexpr float kTargetColour[4] = {64.0f / 255.0f, 64.0f / 255.0f, 96.0f / 255.0f, 1.0f};
constexpr float kReachedColour[4] = {32.0f / 255.0f, 144.0f / 255.0f, 64.0f / 255.0f, 1.0f};
// A linear fog that ends far behind the eye: every point lies beyond its
// end, so every pixel takes the fog's colour whatever colour it was drawn
// in (OpenGL 1.1 has no constant blend colour).
constexpr float kFogEnd = -1.0e6f;

// Appends `text` to the lines from `*used` on, a word at a time, none longer than kViewTextWidth.
void wrapInto(const char* text, char (*lines)[kViewTextColumns], int* used, int last) {
  char* line = lines[*used];
  line[0] = '\0';
  for (const char* word = text; *word != '\0';) {
    const std::size_t length = std::strcspn(word, " ");
    const std::size_t have = std::strlen(line);
    if (have > 0 && have + 1 + length > kViewTextWidth && *used < last) {
      line = lines[++*used];
      line[0] = '\0';
    }
    std::snprintf(line + std::strlen(line), kViewTextColumns - std::strlen(line), "%s%.*s", line[0] != '\0' ? " " : "",
                  static_cast<int>(length), word);
    word += length + std::strspn(word + length, " ");
  }
  ++*used;
}

}  // namespace

bool practiceReached(const ViewState& state, const float modelview[16]) {
  const Practice& practice = state.practice;
  if (practice.number == 0) return false;
  if (practice.projection >= 0 && practice.projection != state.usePerspective) return false;
  for (int column = 0; column < 3; ++column)
    for (int row = 0; row < 3; ++row)
      if (std::fabs(modelview[column * 4 + row] - practice.target[column * 4 + row]) > kReachedTurn) return false;
  const double dx = modelview[12] - practice.target[12], dy = modelview[13] - practice.target[13],
               dz = modelview[14] - practice.target[14];
  return std::sqrt(dx * dx + dy * dy + dz * dz) <= kReachedDistance;
}

namespace {

// Draws the road, cars and posts in one colour: a fog every point lies beyond.
void drawInColour(const float* colour) {
  glEnable(GL_FOG);
  glFogi(GL_FOG_MODE, GL_LINEAR);
  glFogf(GL_FOG_START, kFogEnd - 1.0f);
  glFogf(GL_FOG_END, kFogEnd);
  glFogfv(GL_FOG_COLOR, colour);
  drawRoadCarsAndPosts();
  glDisable(GL_FOG);
}

}  // namespace

void drawTarget() {
  glPushMatrix();
  glLoadMatrixf(view.practice.target);
  drawInColour(kTargetColour);
  glPopMatrix();
}

void drawLiveScene() {
  float modelview[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
  if (!practiceReached(view, modelview)) return drawScene();
  if (view.showAxes != 0) drawAxes(kAxisLength, view.fullAxes);
  drawInColour(kReachedColour);
}

int formatPracticeText(const ViewState& state, const float modelview[16], char (*lines)[kViewTextColumns],
                       int* countLine) {
  const Practice& practice = state.practice;
  if (practice.number == 0) return 0;
  char text[2 * kViewTextColumns + 32];
  if (practice.linked && practice.of == 1) {
    std::snprintf(text, sizeof text, "Exercise: %s", practice.task);
  } else {
    std::snprintf(text, sizeof text, "Exercise %d of %d: %s", practice.number, practice.of, practice.task);
  }
  int used = 0;
  wrapInto(text, lines, &used, kTaskLines - 1);
  if (countLine != nullptr) *countLine = used;
  const int moves = state.undo.made;
  char par[32] = "";
  if (!practice.linked) std::snprintf(par, sizeof par, " (par %d)", practice.par);
  const bool reached = practiceReached(state, modelview);
  if (reached) {
    std::snprintf(lines[used++], kViewTextColumns, "Reached in %d move%s%s", moves, moves == 1 ? "" : "s", par);
  } else {
    std::snprintf(lines[used++], kViewTextColumns, "Moves: %d%s", moves, par);
  }
  if (!reached || practice.lesson == nullptr) return used;
  wrapInto(practice.lesson, lines, &used, used + kLessonLines - 1);
  std::snprintf(text, sizeof text, "Par: %s", practice.moves);
  wrapInto(text, lines, &used, used);
  return used;
}
