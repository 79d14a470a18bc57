// The bitmap text stand-ins: drawing text in the page only keeps its
// characters, which the page shows as its own text over the canvas.
#include "web/text_web.h"

#include <emscripten.h>

#include <GL/glut.h>

#include <string>

namespace {

std::string textDrawing;  // the characters drawn since the frame began
bool lineOpen = false;
std::string textDrawn;  // those of the last whole frame

}  // namespace

void keepFrameText() {
  if (lineOpen) textDrawing += '\n';
  textDrawn.swap(textDrawing);
  textDrawing.clear();
  lineOpen = false;
}

extern "C" {

// Each raster position starts a line.
void glRasterPos2i(GLint, GLint) {
  if (lineOpen) textDrawing += '\n';
  lineOpen = true;
}
void glutBitmapCharacter(void*, int character) { textDrawing += static_cast<char>(character); }
void* glutBitmap8By13 = nullptr;

// The text the last frame drew, one line after another, each ended by a
// newline: the matrices, or nothing while they are not shown.
EMSCRIPTEN_KEEPALIVE const char* velmoraViewText() { return textDrawn.c_str(); }

}  // extern "C"
