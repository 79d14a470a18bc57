// The toolkit's menus for a page: kept here and shown by the page as HTML
// (web/menu.js), which reports back what the user chose; and freeglut's wire
// cube, which emscripten's GLUT lacks. Input, frames and the window's size are
// in web/input_web.cpp.
#include <emscripten.h>

#include <GL/glut.h>

#include "tools/json.h"
#include "web/gl_web.h"

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

Menu* menuOf(int id) {
  return id >= 1 && id <= static_cast<int>(menus.size()) ? &menus[static_cast<std::size_t>(id - 1)] : nullptr;
}

// The page's side: web/page.js sets this on the module.
EM_JS(void, tellPageMenus, (const char* json), {
  if (Module.velmoraMenus) Module.velmoraMenus(UTF8ToString(json));
});

// Hands the page every menu, with the one the right button opens.
void publishMenus() {
  std::string json = "{\"attached\":" + std::to_string(attachedMenu) + ",\"menus\":[";
  for (std::size_t m = 0; m < menus.size(); ++m) {
    json += m == 0 ? "[" : ",[";
    for (std::size_t i = 0; i < menus[m].items.size(); ++i) {
      const MenuItem& item = menus[m].items[i];
      json += (i == 0 ? "" : ",") + std::string("{\"label\":") + jsonString(item.label) +
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

}  // extern "C"
