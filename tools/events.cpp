// One line of input handed to the callback the toolkit would call.
#include "tools/events.h"

#include <cstdio>
#include <cstring>

#include "app/gl.h"
#include "app/projection.h"
#include "nav/nav.h"

bool applyEvent(const char* line) {
  char kind[16] = "";
  int a = 0, b = 0, c = 0, d = 0, e = 0, f = 0;
  const int n = std::sscanf(line, "%15s %d %d %d %d %d %d", kind, &a, &b, &c, &d, &e, &f);
  if (n >= 2 && std::strcmp(kind, "key") == 0) {
    onKey(static_cast<unsigned char>(a), 0, 0);
  } else if (n >= 2 && std::strcmp(kind, "special") == 0) {
    onSpecialKey(a, 0, 0);
  } else if (n == 7 && std::strcmp(kind, "drag") == 0) {
    mouseButton(a, GLUT_DOWN, f != 0, b, c);
    onMouseDrag(d, e);
    mouseButton(a, GLUT_UP, f != 0, d, e);
  } else if (n == 4 && std::strcmp(kind, "press") == 0) {
    mouseButton(a, GLUT_DOWN, false, b, c);
  } else if (n == 3 && std::strcmp(kind, "motion") == 0) {
    onMouseDrag(a, b);
  } else if (n == 4 && std::strcmp(kind, "release") == 0) {
    mouseButton(a, GLUT_UP, false, b, c);
  } else if (n == 4 && std::strcmp(kind, "wheel") == 0) {
    mouseButton(a, GLUT_DOWN, false, b, c);
    mouseButton(a, GLUT_UP, false, b, c);
  } else if (n >= 2 && std::strcmp(kind, "menu") == 0) {
    onMenu(a);
  } else if (n == 3 && std::strcmp(kind, "reshape") == 0 && a > 0 && b > 0) {
    onReshape(a, b);
  } else {
    return false;
  }
  return true;
}
