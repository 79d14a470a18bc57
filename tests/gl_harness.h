// Test harness: one real window on the test's X server for the whole run,
// pixel and matrix read-back, and an independent projection oracle (glm, double).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include <glm/glm.hpp>

#include "app/gl.h"
#include "app/view_state.h"

struct Rgb {
  std::uint8_t r, g, b;
  bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};
constexpr Rgb kBlack{0, 0, 0}, kWhite{255, 255, 255}, kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255};
std::string describe(Rgb c);

// A read-back colour buffer; (x, y) in GL window coordinates, y up.
struct Image {
  int width = 0, height = 0;
  std::vector<std::uint8_t> rgb;
  Rgb at(int x, int y) const;
  bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
  int count(Rgb c) const;
};

// Every record as at start, initGl and a reshape to width x height, as the toolkit would.
void resetViewer(int width = 500, int height = 500);

// Draws one frame with drawFrame and reads back what it showed.
Image drawAndRead();

// Writes the picture to the build folder as a PNG and returns its path.
std::string savePng(const Image& image, const std::string& name);

// True if some pixel within `radius` of window position p has colour c.
bool colourNear(const Image& image, glm::dvec2 p, Rgb c, int radius);

// GL state read back as doubles.
glm::dmat4 readMatrix(GLenum which);
GLint readInt(GLenum which);

// The oracle: window position of scene point p under projection and modelview.
glm::dvec2 toWindow(const glm::dmat4& projection, const glm::dmat4& modelview, glm::dvec3 p, int width, int height);
glm::dmat4 oraclePerspective(double width, double height);
glm::dmat4 oracleOrtho();
glm::dmat4 oracleStartModelview();

// Largest absolute difference between two matrices.
double maxDiff(const glm::dmat4& a, const glm::dmat4& b);

// The matrices display's last move as it shows it now: its title and its
// product, the product's lines joined, and the longest of those lines.
struct ShownMove {
  std::string title, product;
  int widest = 0;
};
ShownMove readShownMove();
// The product read back with glm, with `before` for the old matrix M; false
// where it does not read.
bool applyProduct(const std::string& product, const glm::dmat4& before, glm::dmat4* made);

// The keys' oracle. In a key sequence '<', '>', '^' and '_' stand for the
// left, right, up and down arrows; every other character is itself.
int arrowFor(char c);
// What the view should be after keys: the modelview matrix and the scene origin in eye space.
struct Oracle {
  glm::dmat4 modelview = glm::dmat4(1.0, 0, 0, 0, 0, 1.0, 0, 0, 0, 0, 1.0, 0, 0, 0, -6.0, 1.0);
  glm::dvec3 origin{0, 0, -6};
  bool pan = false;

  void eyeMove(const glm::dmat4& e) { modelview = e * modelview; }
  void press(char c);
};
// Presses each key through the program's callbacks, and the oracle's if given.
void pressAll(const std::string& keys, Oracle* oracle);
// The program's view is the oracle's: matrix, scene offset, matrix mode and no GL error.
void expectViewMatches(const Oracle& oracle, const std::string& what);

// Events as velmora-replay takes them (tools/events.h), ';' between them;
// false at the first that is none, which *bad then holds.
bool applyEvents(const std::string& events, std::string* bad);
// The exercise's lines as the program has them now, and which is the count's.
struct PracticeShown {
  std::vector<std::string> lines;
  int count = 0;
};
PracticeShown readPractice();
