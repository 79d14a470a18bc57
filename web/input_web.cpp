// The toolkit's window, input and frames for a page. A page has no idle time
// and the page's listeners are the only ones: emscripten's GLUT registers
// none here. The page (web/input.js, web/frames.js) hands on every key,
// button, move and notch, the view's new sizes, and asks for a frame when the
// picture may have changed; each frame drawn is reported back to it, which
// counts frames and shows the text the frame drew (web/text_web.cpp) as its own.
#include <emscripten.h>

#include <GL/glut.h>

#include "nav/nav.h"
#include "web/gl_web.h"
#include "web/text_web.h"

#include <cstring>

namespace {

void (*display)() = nullptr;
void (*reshape)(int, int) = nullptr;
void (*keyboard)(unsigned char, int, int) = nullptr;
void (*special)(int, int, int) = nullptr;
void (*mouse)(int, int, int, int) = nullptr;
void (*motion)(int, int) = nullptr;
int modifiers = 0;  // GLUT_ACTIVE_ bits of the pointer event being handed on

EM_JS(void, tellPageStarted, (), {
  if (Module.velmoraStarted) Module.velmoraStarted();
});
EM_JS(void, tellPageFrame, (), {
  if (Module.velmoraFrame) Module.velmoraFrame();
});
// Leaves main with the runtime alive, as emscripten's own main loop does.
EM_JS(void, unwind, (), { throw 'unwind'; });

// A key as freeglut on X11 reports it: named keys, a character or a special
// key. Keys it reports that the program ignores (modifiers alone, Num Lock)
// are not handed on.
struct NamedKey {
  const char* name;  // a KeyboardEvent's key value
  int code;
  bool isSpecial;
};
constexpr NamedKey kNamedKeys[] = {
    {"Backspace", 8, false},
    {"Tab", 9, false},
    {"Enter", 13, false},
    {"Escape", 27, false},
    {"Delete", 127, false},
    {"ArrowLeft", GLUT_KEY_LEFT, true},
    {"ArrowUp", GLUT_KEY_UP, true},
    {"ArrowRight", GLUT_KEY_RIGHT, true},
    {"ArrowDown", GLUT_KEY_DOWN, true},
    {"PageUp", GLUT_KEY_PAGE_UP, true},
    {"PageDown", GLUT_KEY_PAGE_DOWN, true},
    {"Home", GLUT_KEY_HOME, true},
    {"End", GLUT_KEY_END, true},
    {"Insert", GLUT_KEY_INSERT, true},
    {"F1", GLUT_KEY_F1, true},
    {"F2", GLUT_KEY_F2, true},
    {"F3", GLUT_KEY_F3, true},
    {"F4", GLUT_KEY_F4, true},
    {"F5", GLUT_KEY_F5, true},
    {"F6", GLUT_KEY_F6, true},
    {"F7", GLUT_KEY_F7, true},
    {"F8", GLUT_KEY_F8, true},
    {"F9", GLUT_KEY_F9, true},
    {"F10", GLUT_KEY_F10, true},
    {"F11", GLUT_KEY_F11, true},
    {"F12", GLUT_KEY_F12, true},
};

// The character a key value of one character gives, as X's Latin-1 lookup
// does: printable ASCII and Latin-1 (the page hands it as UTF-8); -1 for any
// other text.
int latin1Of(const char* key) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(key);
  if (bytes[0] >= 0x20 && bytes[0] < 0x7f && bytes[1] == 0) return bytes[0];
  if ((bytes[0] & 0xe0) == 0xc0 && (bytes[1] & 0xc0) == 0x80 && bytes[2] == 0) {
    const int code = ((bytes[0] & 0x1f) << 6) | (bytes[1] & 0x3f);
    if (code >= 0xa0 && code <= 0xff) return code;
  }
  return -1;
}

}  // namespace

extern "C" {

// Input is the page's: no listeners of the toolkit's own.
void glutInit(int*, char**) {}
void glutDisplayFunc(void (*callback)()) { display = callback; }
void glutReshapeFunc(void (*callback)(int, int)) { reshape = callback; }
void glutKeyboardFunc(void (*callback)(unsigned char, int, int)) { keyboard = callback; }
void glutSpecialFunc(void (*callback)(int, int, int)) { special = callback; }
void glutMouseFunc(void (*callback)(int, int, int, int)) { mouse = callback; }
void glutMotionFunc(void (*callback)(int, int)) { motion = callback; }
int glutGetModifiers() { return modifiers; }
// A page has no idle event: a frame is drawn when the page asks for one.
void glutIdleFunc(void (*)()) {}

// The page sizes the view and asks for the first frame; main returns to it.
void glutMainLoop() {
  tellPageStarted();
  unwind();
}

// One window, always the current one; the page has no pointer-entry events to give.
void glutEntryFunc(void (*)(int)) {}
int glutGetWindow() { return 1; }
void glutSetWindow(int) {}

// The end of every frame: the page counts it and shows the text it drew.
void glutSwapBuffers() {
  keepFrameText();
  tellPageFrame();
}

// From the page: draw a frame.
EMSCRIPTEN_KEEPALIVE void velmoraDraw() {
  if (display != nullptr) display();
}

// From the page: the view's drawing buffer is now width x height pixels.
EMSCRIPTEN_KEEPALIVE void velmoraReshape(int width, int height) {
  if (reshape != nullptr) reshape(width, height);
}

// From the page: the key `key` (a KeyboardEvent's key value, UTF-8) went
// down with the pointer at window pixel (x, y). Returns 1 if the toolkit
// would report it, 0 if it is not one of the program's.
EMSCRIPTEN_KEEPALIVE int velmoraKey(const char* key, int x, int y) {
  for (const NamedKey& named : kNamedKeys) {
    if (std::strcmp(key, named.name) != 0) continue;
    if (named.isSpecial && special != nullptr) special(named.code, x, y);
    if (!named.isSpecial && keyboard != nullptr) keyboard(static_cast<unsigned char>(named.code), x, y);
    return 1;
  }
  const int character = latin1Of(key);
  if (character < 0) return 0;
  if (keyboard != nullptr) keyboard(static_cast<unsigned char>(character), x, y);
  return 1;
}

// From the page: button `button` (GLUT's numbers) went down or up at window
// pixel (x, y) with the modifier keys `held`.
EMSCRIPTEN_KEEPALIVE void velmoraMouse(int button, int down, int x, int y, int held) {
  modifiers = held;
  if (mouse != nullptr) mouse(button, down != 0 ? GLUT_DOWN : GLUT_UP, x, y);
  modifiers = 0;
}

// From the page: the pointer moved to window pixel (x, y) with a button held.
EMSCRIPTEN_KEEPALIVE void velmoraMotion(int x, int y) {
  if (motion != nullptr) motion(x, y);
}

// From the page: `notches` wheel notches at window pixel (x, y), away from the
// user when positive, each a press and a release as the toolkit reports them.
EMSCRIPTEN_KEEPALIVE void velmoraWheel(int notches, int x, int y, int held) {
  const int button = notches > 0 ? kWheelAwayButton : kWheelTowardsButton;
  for (int i = 0; i < (notches > 0 ? notches : -notches); ++i) {
    velmoraMouse(button, 1, x, y, held);
    velmoraMouse(button, 0, x, y, held);
  }
}

// The scene origin's distance in front of the eye: the modelview's last
// column is where the origin lies in eye space. The page's pinch scales by
// it, in steps of one P.
EMSCRIPTEN_KEEPALIVE double velmoraSceneDepth() {
  GLfloat modelview[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
  return -modelview[14];
}
EMSCRIPTEN_KEEPALIVE double velmoraMoveStep() { return kMoveStep; }

}  // extern "C"
