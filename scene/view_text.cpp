// The displays' text: the exercise's lines and the matrices' (the projection,
// the scene offset, the modelview matrix and the last move's product), each
// line with its kind, and the desktop's drawing of them in bitmap characters
// on a backing.
#include <algorithm>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/gl.h"
#include "app/projection.h"
#include "scene/scene.h"

namespace {

constexpr int kDecimals = 3;
constexpr int kMinFieldWidth = 7;                 // " -0.500": a sign, a digit, the point, the decimals and a space
constexpr int kNumberSize = 64;                   // room for any float printed with its decimals
constexpr int kFactorSize = 3 * kNumberSize + 8;  // T(x, y, z): three numbers and what is around them

// Lines of the text.
enum Line {
  kProjection,
  kProjection1,
  kProjection2,
  kProjection3,
  kOffsetTitle,
  kOffset,
  kModelviewTitle,
  kRow0,
  kMoveTitle = kRow0 + 4,
  kProduct,  // and the line after it, where a long product goes on
};
constexpr int kProductWidth = 60;  // columns a product line fills before it goes on to the next (at most 492 pixels)

// The font and the layout of the text over the window's top-left corner, pixels.
void* const kFont = GLUT_BITMAP_8_BY_13;
constexpr int kCharWidth = 8;
constexpr int kLineHeight = 15;
constexpr int kAscent = 11;  // from a line's top to its baseline
constexpr int kMargin = 6;   // between the backing's edge and the text
constexpr float kBackingColour[3] = {0.08f, 0.08f, 0.14f};
constexpr float kTitleColour[3] = {1.0f, 0.85f, 0.4f};
constexpr float kTextColour[3] = {0.9f, 0.9f, 0.9f};

// v with fixed decimals; a value that rounds to zero prints without its sign.
void formatNumber(double v, char* out) {
  std::snprintf(out, kNumberSize, "%.*f", kDecimals, v);
  if (out[0] == '-' && std::strspn(out + 1, "0.") == std::strlen(out + 1)) {
    std::memmove(out, out + 1, std::strlen(out));
  }
}

// Sets one line of the text, cut short at the line's end if it must be.
__attribute__((format(printf, 2, 3))) void setLine(char* line, const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, kViewTextColumns, format, args);
  va_end(args);
}

// Numbers right-aligned in fields of one width, appended to a line.
void appendFields(char* line, const char numbers[][kNumberSize], int count, int width) {
  for (int i = 0; i < count; ++i) {
    const std::size_t used = std::strlen(line);
    std::snprintf(line + used, kViewTextColumns - used, "%*s", width, numbers[i]);
  }
}

// Degrees as written shortest: the fewest digits that give the float back.
void formatDegrees(float degrees, char* out) {
  for (int digits = 1; digits <= 9; ++digits) {
    std::snprintf(out, kNumberSize, "%.*g", digits, static_cast<double>(degrees));
    if (std::strtof(out, nullptr) == degrees) return;
  }
}

// One factor of a product: T(x, y, z) with the display's decimals, or Rx(a), Ry(a), Rz(a).
void formatFactor(const MoveFactor& factor, char* out) {
  char a[kNumberSize], b[kNumberSize], c[kNumberSize];
  if (factor.axis == 'T') {
    formatNumber(factor.by.x, a);
    formatNumber(factor.by.y, b);
    formatNumber(factor.by.z, c);
    std::snprintf(out, kFactorSize, "T(%s, %s, %s)", a, b, c);
  } else {
    formatDegrees(factor.degrees, a);
    std::snprintf(out, kFactorSize, "R%c(%s)", factor.axis, a);
  }
}

// The last move as the product that made the modelview matrix M, its words
// separated by one space, going on to the next line where a line is full.
void formatProduct(const LastMove& move, char (*lines)[kViewTextColumns]) {
  const char* words[2 * kMoveFactorsMax + 4] = {"M", "="};
  char factors[kMoveFactorsMax][kFactorSize];
  int count = 2;
  if (move.side == kMoveOnRight) words[count++] = "M";
  for (int i = 0; i < move.factorCount; ++i) {
    formatFactor(move.factors[i], factors[i]);
    words[count++] = factors[i];
  }
  if (move.side == kMoveOnLeft) words[count++] = "M";
  int line = kProduct;
  setLine(lines[line], " ");
  for (int i = 0; i < count; ++i) {
    const std::size_t used = std::strlen(lines[line]);
    if (i > 2 && used + 1 + std::strlen(words[i]) > kProductWidth && line == kProduct) {
      setLine(lines[++line], "     %s", words[i]);  // under the first factor
    } else {
      std::snprintf(lines[line] + used, kViewTextColumns - used, "%s%s", i > 0 ? " " : "", words[i]);
    }
  }
}

}  // namespace

void formatViewText(const ViewState& state, const float modelview[16], ViewText* text) {
  char(*lines)[kViewTextColumns] = text->lines;
  for (int i = 0; i < kViewTextLines; ++i) lines[i][0] = '\0';
  char a[kNumberSize], b[kNumberSize];
  if (state.usePerspective != 0) {
    const double aspect = static_cast<double>(state.windowWidth) / static_cast<double>(state.windowHeight);
    setLine(lines[kProjection], "Perspective projection");
    formatNumber(kFieldOfView, a);
    setLine(lines[kProjection1], " fov %s degrees", a);
    formatNumber(aspect, a);
    setLine(lines[kProjection2], " aspect %s", a);
    formatNumber(kPerspectiveNear, a);
    formatNumber(kPerspectiveFar, b);
    setLine(lines[kProjection3], " near %s  far %s", a, b);
  } else {
    setLine(lines[kProjection], "Orthographic projection");
    formatNumber(-kOrthoHalfSize, a);
    formatNumber(kOrthoHalfSize, b);
    setLine(lines[kProjection1], " x %s to %s", a, b);
    setLine(lines[kProjection2], " y %s to %s", a, b);
    formatNumber(kOrthoNear, a);
    formatNumber(kOrthoFar, b);
    setLine(lines[kProjection3], " near %s  far %s", a, b);
  }

  // One field width for the offset and the matrix, so their columns align.
  char offset[3][kNumberSize], rows[4][4][kNumberSize];
  formatNumber(state.sceneOffset.x, offset[0]);
  formatNumber(state.sceneOffset.y, offset[1]);
  formatNumber(state.sceneOffset.z, offset[2]);
  int width = kMinFieldWidth;
  for (const auto& number : offset) width = std::max(width, static_cast<int>(std::strlen(number)) + 1);
  for (int row = 0; row < 4; ++row) {
    for (int column = 0; column < 4; ++column) {
      formatNumber(modelview[row + 4 * column], rows[row][column]);
      width = std::max(width, static_cast<int>(std::strlen(rows[row][column])) + 1);
    }
  }
  setLine(lines[kOffsetTitle], "sceneOffset");
  appendFields(lines[kOffset], offset, 3, width);
  setLine(lines[kModelviewTitle], "Modelview");
  for (int row = 0; row < 4; ++row) appendFields(lines[kRow0 + row], rows[row], 4, width);

  const LastMove& move = state.lastMove;
  if (move.side == kMoveNone) {
    setLine(lines[kMoveTitle], "Last move: none yet");
  } else {
    setLine(lines[kMoveTitle], "Last move: %s", move.cause);
    formatProduct(move, lines);
  }
}

int viewTextLinesUsed(const ViewText& text) {
  int used = 0;
  for (int i = 0; i < kViewTextLines; ++i)
    if (text.lines[i][0] != '\0') used = i + 1;
  return used;
}

void gatherViewText(const ViewState& state, ShownText* shown) {
  shown->count = 0;
  if (state.showMatrices == 0 && state.practice.number == 0) return;
  float modelview[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
  // The exercise's lines, then the matrices' if they are shown (formatted only then).
  char practice[kPracticeLines][kViewTextColumns];
  int countLine = 0;
  const int exerciseLines = formatPracticeText(state, modelview, practice, &countLine);
  for (int i = 0; i < exerciseLines; ++i) {
    const TextKind kind = i == 0 ? kTitleLine : i < countLine ? kTaskLine : i == countLine ? kCountLine : kLessonLine;
    shown->kinds[shown->count] = kind;
    std::memcpy(shown->lines[shown->count++], practice[i], kViewTextColumns);
  }
  if (state.showMatrices == 0) return;
  ViewText text = {};
  formatViewText(state, modelview, &text);
  for (int line = 0; line < viewTextLinesUsed(text); ++line) {
    const bool title = line == kProjection || line == kOffsetTitle || line == kModelviewTitle || line == kMoveTitle;
    shown->kinds[shown->count] = title ? kTitleLine : kValueLine;
    std::memcpy(shown->lines[shown->count++], text.lines[line], kViewTextColumns);
  }
}

void drawTextOverView(const ShownText& shown) {
  GLint viewport[4] = {0, 0, 0, 0};
  glGetIntegerv(GL_VIEWPORT, viewport);
  const int width = viewport[2], height = viewport[3];
  if (width <= 0 || height <= 0 || shown.count == 0) {
    return;
  }
  std::size_t longest = 0;
  for (int i = 0; i < shown.count; ++i) longest = std::max(longest, std::strlen(shown.lines[i]));

  glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_TRANSFORM_BIT | GL_POLYGON_BIT);
  pushBothMatrices();
  glMatrixMode(GL_PROJECTION);
  glOrtho(0.0, width, 0.0, height, -1.0, 1.0);  // window pixels, y up
  glMatrixMode(GL_MODELVIEW);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_LINE_STIPPLE);
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);

  const int boxWidth = 2 * kMargin + kCharWidth * static_cast<int>(longest);
  const int boxHeight = 2 * kMargin + kLineHeight * shown.count;
  glColor3fv(kBackingColour);
  glRecti(0, height - boxHeight, boxWidth, height);
  for (int i = 0; i < shown.count; ++i) {
    glColor3fv(shown.kinds[i] == kTitleLine ? kTitleColour
                                            : kTextColour);  // the raster position takes the colour current now
    glRasterPos2i(kMargin, height - kMargin - kAscent - i * kLineHeight);
    for (const char* c = shown.lines[i]; *c != '\0'; ++c) glutBitmapCharacter(kFont, *c);
  }

  popBothMatrices();
  glPopAttrib();
}
