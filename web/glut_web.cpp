// The toolkit calls emscripten's GLUT lacks, for a page: the pop-up menu is
// kept here and shown by the page as HTML (web/page.js), which reports back
// what the user chose; there is one window; freeglut's wire cube. Each drawn
// frame is reported to the page, which counts frames and shows the text the
// frame drew (web/text_web.cpp) as its own text.
#include <emscripten.h>

#include <GL/glut.h>

#include "web/gl_web.h"
#include "web/text_web.h"

#include <string>
#include <vector>

namespace {

struct MenuItem {
  std::string label;
  int value;    // what the callback gets, for an entry
  int submenu;  // the submenu's id, for a submenu row; 0 for an entry
};

struct Menu {
  void (*callback)(int);
  std::vector<MenuItem> items;
};

std::vector<Menu> menus;  // menu id n is menus[n - 1]
int currentMenu = 0;
int attachedMenu = 0;  // the menu the right button opens
void (*menuStatus)(int, int, int) = nullptr;
void (*mouse)(int, int, int, int) = nullptr;
void (*motion)(int, int) = nullptr;
int modifiers = 0;  // GLUT_ACTIVE_ bits of the pointer event being handed on

Menu* menuOf(int id) {
  return id >= 1 && id <= static_cast<int>(menus.size()) ? &menus[static_cast<std::size_t>(id - 1)] : nullptr;
}

// The page's side: web/page.js sets these on the module.
EM_JS(void, tellPageMenus, (const char* json), {
  if (Module.velmoraMenus) Module.velmoraMenus(UTF8ToString(json));
});
EM_JS(void, tellPageFrame, (), {
  if (Module.velmoraFrame) Module.velmoraFrame();
});

// JSON string text, for the page's model of the menus.
std::string quoted(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    if (static_cast<unsigned char>(c) >= 0x20) out += c;
  }
  return out + "\"";
}

// Hands the page every menu, with the one the right button opens.
void publishMenus() {
  std::string json = "{\"attached\":" + std::to_string(attachedMenu) + ",\"menus\":[";
  for (std::size_t m = 0; m < menus.size(); ++m) {
    json += m == 0 ? "[" : ",[";
    for (std::size_t i = 0; i < menus[m].items.size(); ++i) {
      const MenuItem& item = menus[m].items[i];
      json += (i == 0 ? "" : ",") + std::string("{\"label\":") + quoted(item.label) +
              ",\"value\":" + std::to_string(item.value) + ",\"submenu\":" + std::to_string(item.submenu) + "}";
    }
    json += "]";
  }
  json += "]}";
  tellPageMenus(json.c_str());
}

}  // namespace

extern "C" {

int glutCreateMenu(void (*callback)(int)) {
  menus.push_back({callback, {}});
  currentMenu = static_cast<int>(menus.size());
  return currentMenu;
}

void glutAddMenuEntry(const char* label, int value) {
  if (Menu* menu = menuOf(currentMenu)) menu->items.push_back({label, value, 0});
  publishMenus();
}

void glutAddSubMenu(const char* label, int submenu) {
  if (Menu* menu = menuOf(currentMenu)) menu->items.push_back({label, 0, submenu});
  publishMenus();
}

void glutChangeToMenuEntry(int item, const char* label, int value) {
  Menu* menu = menuOf(currentMenu);
  if (menu == nullptr || item < 1 || item > static_cast<int>(menu->items.size())) return;
  menu->items[static_cast<std::size_t>(item - 1)] = {label, value, 0};
  publishMenus();
}

void glutAttachMenu(int button) {
  if (button == GLUT_RIGHT_BUTTON) attachedMenu = currentMenu;
  publishMenus();
}

int glutGetMenu() { return currentMenu; }
void glutSetMenu(int menu) {
  if (menuOf(menu) != nullptr) currentMenu = menu;
}
void glutMenuStatusFunc(void (*callback)(int, int, int)) { menuStatus = callback; }

// The pointer is the page's (web/page.js): emscripten's toolkit hands a drag
// the position before each move and turns Chromium's and WebKit's wheel the
// wrong way round, so the page hands on buttons, moves and notches itself.
void glutMouseFunc(void (*callback)(int, int, int, int)) { mouse = callback; }
void glutMotionFunc(void (*callback)(int, int)) { motion = callback; }
int glutGetModifiers() { return modifiers; }

// One window, always the current one; the page has no pointer-entry events to give.
void glutEntryFunc(void (*)(int)) {}
int glutGetWindow() { return 1; }
void glutSetWindow(int) {}

// The end of every frame: the page counts it and shows the text it drew.
void glutSwapBuffers() {
  keepFrameText();
  tellPageFrame();
}

// freeglut's wire cube: each face a line loop, the faces and their corners in
// freeglut's order.
void glutWireCube(double size) {
  static const GLfloat kCorners[8][3] = {{.5f, .5f, .5f},   {-.5f, .5f, .5f}, {-.5f, -.5f, .5f}, {.5f, -.5f, .5f},
                                         {.5f, -.5f, -.5f}, {.5f, .5f, -.5f}, {-.5f, .5f, -.5f}, {-.5f, -.5f, -.5f}};
  static const int kFaces[6][4] = {{0, 1, 2, 3}, {0, 3, 4, 5}, {0, 5, 6, 1}, {1, 6, 7, 2}, {7, 4, 3, 2}, {4, 7, 6, 5}};
  const GLfloat s = static_cast<GLfloat>(size);
  for (const auto& face : kFaces) {
    glBegin(GL_LINE_LOOP);
    for (const int corner : face) glVertex3f(s * kCorners[corner][0], s * kCorners[corner][1], s * kCorners[corner][2]);
    glEnd();
  }
}

// From the page: button `button` (GLUT's numbers, 3 and 4 the wheel) went
// down or up at window pixel (x, y) with the modifier keys `held`.
EMSCRIPTEN_KEEPALIVE void velmoraMouse(int button, int down, int x, int y, int held) {
  modifiers = held;
  if (mouse != nullptr) mouse(button, down != 0 ? GLUT_DOWN : GLUT_UP, x, y);
  modifiers = 0;
}

// From the page: the pointer moved to window pixel (x, y) with a button held.
EMSCRIPTEN_KEEPALIVE void velmoraMotion(int x, int y) {
  if (motion != nullptr) motion(x, y);
}

// From the page: the menu opened or closed at window pixel (x, y).
EMSCRIPTEN_KEEPALIVE void velmoraMenuStatus(int inUse, int x, int y) {
  if (menuStatus != nullptr) menuStatus(inUse != 0 ? GLUT_MENU_IN_USE : GLUT_MENU_NOT_IN_USE, x, y);
}

// From the page: the user chose the entry of `value` in menu `id`.
EMSCRIPTEN_KEEPALIVE void velmoraMenuChoice(int id, int value) {
  if (Menu* menu = menuOf(id)) {
    const int previous = currentMenu;
    currentMenu = id;  // as the toolkit has it while its callback runs
    menu->callback(value);
    currentMenu = previous;
  }
}

// The scene origin's distance in front of the eye: the modelview's last
// column is where the origin lies in eye space. The page's pinch scales by it.
EMSCRIPTEN_KEEPALIVE double velmoraSceneDepth() {
  GLfloat modelview[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
  return -modelview[14];
}

// From the page, when the program has ended: no more frames.
EMSCRIPTEN_KEEPALIVE void velmoraStop() { glutIdleFunc(nullptr); }

}  // extern "C"
