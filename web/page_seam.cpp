// Where the page and the program meet: every function the page calls
// (EMSCRIPTEN_KEEPALIVE, called only from web/program.js) and every hook the
// program calls back (Module.velmora..., answered only there), and the
// toolkit's window and input for a page. A page has no idle time and its
// listeners are the only ones: emscripten's GLUT registers none here. The
// page hands on keys, buttons, moves and notches in the DOM's own terms,
// translated here into what freeglut on X11 reports; the web build's test
// (tests/web_seam.cmake) fails on a name either side lacks.
#include <emscripten.h>

#include <GL/glut.h>

#include "app/json.h"
#include "app/platform.h"
#include "nav/commands.h"
#include "nav/nav.h"
#include "scene/scene.h"
#include "web/gl_web.h"
#include "web/glut_web.h"

#include <cstring>
#include <string>

namespace {

// The callbacks the program registered, and the frame's text.
struct PageToolkit {
  void (*display)();
  void (*reshape)(int, int);
  void (*keyboard)(unsigned char, int, int);
  void (*special)(int, int, int);
  void (*motion)(int, int);
  void (*menuStatus)(int, int, int);
  std::string text;  // the last frame's text (velmoraViewText)
};
PageToolkit toolkit = {};

// The hooks: each answered by a function of the same name on the page's Module (web/program.js).
EM_JS(void, tellPageStarted, (), { Module.velmoraStarted(); });
EM_JS(void, tellPageFullScreen, (int on), { Module.velmoraFullScreen(Boolean(on)); });
EM_JS(int, askPageFullScreen, (), { return Module.velmoraIsFullScreen() ? 1 : 0; });
EM_JS(void, tellPageLink, (const char* link, int asTarget, int count),
      { Module.velmoraLink(UTF8ToString(link), Boolean(asTarget), count); });
EM_JS(void, tellPageLinkRejected, (const char* which), { Module.velmoraLinkRejected(UTF8ToString(which)); });
// Leaves main with the runtime alive, as emscripten's own main loop does.
EM_JS(void, unwind, (), { throw 'unwind'; });

// A MouseEvent's button (0 main, 1 auxiliary, 2 secondary) as the toolkit numbers it.
constexpr int kButtonOfDom[] = {GLUT_LEFT_BUTTON, GLUT_MIDDLE_BUTTON, GLUT_RIGHT_BUTTON};

// A key as freeglut on X11 reports it: a command's special key (its row's
// page key, nav/commands.h), one of these named keys, or a character. Keys
// it reports that the program ignores (modifiers alone, Num Lock) are not
// handed on.
struct NamedKey {
  const char* name;  // a KeyboardEvent's key value
  int code;
  bool isSpecial;
};
// clang-format off
constexpr NamedKey kNamedKeys[] = {
    {"Backspace", 8, false}, {"Tab", 9, false}, {"Enter", 13, false}, {"Escape", 27, false}, {"Delete", 127, false},
    {"PageUp", GLUT_KEY_PAGE_UP, true}, {"PageDown", GLUT_KEY_PAGE_DOWN, true},
    {"Home", GLUT_KEY_HOME, true}, {"End", GLUT_KEY_END, true}, {"Insert", GLUT_KEY_INSERT, true},
    {"F1", GLUT_KEY_F1, true}, {"F2", GLUT_KEY_F2, true}, {"F3", GLUT_KEY_F3, true}, {"F4", GLUT_KEY_F4, true},
    {"F5", GLUT_KEY_F5, true}, {"F6", GLUT_KEY_F6, true}, {"F7", GLUT_KEY_F7, true}, {"F8", GLUT_KEY_F8, true},
    {"F9", GLUT_KEY_F9, true}, {"F10", GLUT_KEY_F10, true}, {"F11", GLUT_KEY_F11, true}, {"F12", GLUT_KEY_F12, true},
};
// clang-format on

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

// A button of the toolkit's numbers down or up, handed to the mouse's input
// (nav/mouse.cpp) with Shift held or not, as the page has it with the event.
void handButton(int button, bool down, int x, int y, int shift) {
  mouseButton(button, down ? GLUT_DOWN : GLUT_UP, shift != 0, x, y);
}

}  // namespace

// The page's own ways (app/platform.h): full screen, whose state is the
// document's, a view handed on and a link not understood are the page's to
// show; why it was not understood is not shown. The frame's text is kept for
// the page, which takes it once the frame is drawn (velmoraViewText).
void enterFullScreen() { tellPageFullScreen(1); }
void leaveFullScreen() { tellPageFullScreen(0); }
bool isFullScreen() { return askPageFullScreen() != 0; }
void handViewOn(const char* link, bool asTarget) { tellPageLink(link, asTarget ? 1 : 0, 1); }
void handTargetsOn(const char* const* links, int count) {
  std::string joined;
  for (int i = 0; i < count; ++i) joined += (i == 0 ? "" : "&target=") + std::string(links[i]);
  tellPageLink(joined.c_str(), 1, count);
}
void rejectViewLink(const char*, const char* which, const char*) { tellPageLinkRejected(which); }
bool strayMenuChoices() { return false; }
void resetPlatform() {}

void showViewText(const ShownText& text) {
  static const char* const kKindNames[] = {"title", "value", "task", "count", "lesson"};
  std::string& json = toolkit.text;
  json = "{\"columns\":" + std::to_string(kViewTextWidth) + ",\"lines\":[";
  for (int i = 0; i < text.count; ++i)
    json += std::string(i == 0 ? "" : ",") + "{\"kind\":\"" + kKindNames[text.kinds[i]] +
            "\",\"text\":" + jsonString(text.lines[i]) + "}";
  json += "]}";
}

extern "C" {

// Input is the page's: no listeners of the toolkit's own.
void glutInit(int*, char**) {}
void glutDisplayFunc(void (*callback)()) { toolkit.display = callback; }
void glutReshapeFunc(void (*callback)(int, int)) { toolkit.reshape = callback; }
void glutKeyboardFunc(void (*callback)(unsigned char, int, int)) { toolkit.keyboard = callback; }
void glutSpecialFunc(void (*callback)(int, int, int)) { toolkit.special = callback; }
// Buttons go to the mouse's input with the Shift the event held (velmoraMouse),
// so the callback, which asks the toolkit for it, is not needed.
void glutMouseFunc(void (*)(int, int, int, int)) {}
void glutMotionFunc(void (*callback)(int, int)) { toolkit.motion = callback; }
void glutMenuStatusFunc(void (*callback)(int, int, int)) { toolkit.menuStatus = callback; }
int glutGetModifiers() { return 0; }
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

// The page shows the buffer once the frame's call returns.
void glutSwapBuffers() {}

// Draws a frame; the page takes its text and pixels once this returns.
EMSCRIPTEN_KEEPALIVE void velmoraDraw() {
  if (toolkit.display != nullptr) toolkit.display();
}

// The view's drawing buffer is now width x height pixels.
EMSCRIPTEN_KEEPALIVE void velmoraReshape(int width, int height) {
  if (toolkit.reshape != nullptr) toolkit.reshape(width, height);
}

// The key `key` (a KeyboardEvent's key value, UTF-8) went down with the
// pointer at window pixel (x, y). Returns 1 if the toolkit would report it, 0
// if it is not one of the program's.
EMSCRIPTEN_KEEPALIVE int velmoraKey(const char* key, int x, int y) {
  for (int i = 0; i < commandCount(); ++i) {
    const Command& command = commandAt(i);
    if (command.pageKey == nullptr || std::strcmp(key, command.pageKey) != 0) continue;
    if (toolkit.special != nullptr) toolkit.special(command.specialKey, x, y);
    return 1;
  }
  for (const NamedKey& named : kNamedKeys) {
    if (std::strcmp(key, named.name) != 0) continue;
    if (named.isSpecial && toolkit.special != nullptr) toolkit.special(named.code, x, y);
    if (!named.isSpecial && toolkit.keyboard != nullptr) toolkit.keyboard(static_cast<unsigned char>(named.code), x, y);
    return 1;
  }
  const int character = latin1Of(key);
  if (character < 0) return 0;
  if (toolkit.keyboard != nullptr) toolkit.keyboard(static_cast<unsigned char>(character), x, y);
  return 1;
}

// The MouseEvent button `domButton` went down (`down` 1) or up at window pixel
// (x, y), with Shift, Ctrl and Alt held or not; only Shift changes what a
// press does. Other buttons are not the program's.
EMSCRIPTEN_KEEPALIVE void velmoraMouse(int domButton, int down, int x, int y, int shift, int, int) {
  if (domButton < 0 || domButton > 2) return;
  handButton(kButtonOfDom[domButton], down != 0, x, y, shift);
}

// The pointer moved to window pixel (x, y) with a button held.
EMSCRIPTEN_KEEPALIVE void velmoraMotion(int x, int y) {
  if (toolkit.motion != nullptr) toolkit.motion(x, y);
}

// `notches` wheel notches at window pixel (x, y), away from the user when
// positive, each a press and a release of a wheel button as the toolkit reports them.
EMSCRIPTEN_KEEPALIVE void velmoraWheel(int notches, int x, int y, int shift, int, int) {
  const int button = notches > 0 ? kWheelAwayButton : kWheelTowardsButton;
  for (int i = 0; i < (notches > 0 ? notches : -notches); ++i) {
    handButton(button, true, x, y, shift);
    handButton(button, false, x, y, shift);
  }
}

// The menus as JSON (web/glut_web.cpp), for the page to show when it opens one.
EMSCRIPTEN_KEEPALIVE const char* velmoraMenus() { return menusAsJson(); }

// The menu opened (`open` 1) or closed at window pixel (x, y).
EMSCRIPTEN_KEEPALIVE void velmoraMenuStatus(int open, int x, int y) {
  if (toolkit.menuStatus != nullptr) toolkit.menuStatus(open != 0 ? GLUT_MENU_IN_USE : GLUT_MENU_NOT_IN_USE, x, y);
}

// The user chose the entry of `value` in menu `id`.
EMSCRIPTEN_KEEPALIVE void velmoraMenuChoice(int id, int value) { chooseMenuEntry(id, value); }

// The document entered or left full screen, by the menu's row, the page's
// button or the browser's own way out: the menu's row follows.
EMSCRIPTEN_KEEPALIVE void velmoraFullScreenChanged() { onFullScreenChanged(); }

// The text the last frame showed, as JSON: {"columns": the widest line's,
// "lines": [{"kind": "title", "value", "task", "count" or "lesson", "text"}]}: the
// exercise's lines and the matrices', none while neither is shown.
EMSCRIPTEN_KEEPALIVE const char* velmoraViewText() { return toolkit.text.c_str(); }

// Two fingers `scale` times as far apart as when their drag began (nav/nav.h's pinchTo).
EMSCRIPTEN_KEEPALIVE void velmoraPinch(double scale) { pinchTo(scale); }

}  // extern "C"
