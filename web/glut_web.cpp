// The toolkit's menus for a page, kept here and shown by the page as HTML
// (web/menu.js); its bitmap text, which WebGL has no fonts for; and
// freeglut's wire cube, which emscripten's GLUT lacks. The window, input and
// frames are in web/page_seam.cpp.
#include "web/glut_web.h"

#include <GL/glut.h>

#include "app/json.h"
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

// The menus.
struct PageMenus {
  std::vector<Menu> menus;  // menu id n is menus[n - 1]
  int currentMenu;
  int attachedMenu;  // the menu the right button opens
  std::string json;  // the menus as last handed to the page
};
PageMenus page = {};

Menu* menuOf(int id) {
  return id >= 1 && id <= static_cast<int>(page.menus.size()) ? &page.menus[static_cast<std::size_t>(id - 1)] : nullptr;
}

}  // namespace

const char* menusAsJson() {
  std::string& json = page.json;
  json = "{\"attached\":" + std::to_string(page.attachedMenu) + ",\"menus\":[";
  for (std::size_t m = 0; m < page.menus.size(); ++m) {
    json += m == 0 ? "[" : ",[";
    for (std::size_t i = 0; i < page.menus[m].items.size(); ++i) {
      const MenuItem& item = page.menus[m].items[i];
      json += (i == 0 ? "" : ",") + std::string("{\"label\":") + jsonString(item.label) +
              ",\"value\":" + std::to_string(item.value) + ",\"submenu\":" + std::to_string(item.submenu) + "}";
    }
    json += "]";
  }
  json += "]}";
  return json.c_str();
}

void chooseMenuEntry(int id, int value) {
  if (Menu* menu = menuOf(id)) {
    const int previous = page.currentMenu;
    page.currentMenu = id;  // as the toolkit has it while its callback runs
    menu->callback(value);
    page.currentMenu = previous;
  }
}

extern "C" {

int glutCreateMenu(void (*callback)(int)) {
  page.menus.push_back({callback, {}});
  page.currentMenu = static_cast<int>(page.menus.size());
  return page.currentMenu;
}

void glutAddMenuEntry(const char* label, int value) {
  if (Menu* menu = menuOf(page.currentMenu)) menu->items.push_back({label, value, 0});
}

void glutAddSubMenu(const char* label, int submenu) {
  if (Menu* menu = menuOf(page.currentMenu)) menu->items.push_back({label, 0, submenu});
}

void glutChangeToMenuEntry(int item, const char* label, int value) {
  Menu* menu = menuOf(page.currentMenu);
  if (menu == nullptr || item < 1 || item > static_cast<int>(menu->items.size())) return;
  menu->items[static_cast<std::size_t>(item - 1)] = {label, value, 0};
}

void glutAttachMenu(int button) {
  if (button == GLUT_RIGHT_BUTTON) page.attachedMenu = page.currentMenu;
}

int glutGetMenu() { return page.currentMenu; }
void glutSetMenu(int menu) {
  if (menuOf(menu) != nullptr) page.currentMenu = menu;
}

// Bitmap text: WebGL has no fonts, so nothing is drawn. The page is handed
// its text as lines (showViewText, web/page_seam.cpp) and never asks for these.
void glRasterPos2i(GLint, GLint) {}
void glutBitmapCharacter(void*, int) {}
void* glutBitmap8By13 = nullptr;

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

}  // extern "C"
