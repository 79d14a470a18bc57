// On X11: the window's class (velmora, Velmora) and its icon, set through Xlib.
#include "app/window_identity.h"

#include <GL/glx.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "data/velmora.xpm"

namespace {

// The icon as _NET_WM_ICON holds it: width, height, then one ARGB value a
// pixel, rows top down (a long each, as Xlib takes 32-bit properties).
// Reads the XPM's "c #RRGGBB" and "c None" colours, one character a pixel.
std::vector<unsigned long> iconProperty(const char* const* xpm) {
  int width = 0, height = 0, colours = 0, perPixel = 0;
  if (std::sscanf(xpm[0], "%d %d %d %d", &width, &height, &colours, &perPixel) != 4 || perPixel != 1 || width <= 0 ||
      height <= 0 || colours <= 0) {
    return {};
  }
  unsigned long argb[256] = {};
  for (int i = 1; i <= colours; ++i) {
    const char* entry = xpm[i];
    unsigned int rgb = 0;
    const char* colour = std::strstr(entry + 1, " c ");
    if (colour != nullptr && std::sscanf(colour, " c #%6x", &rgb) == 1) {
      argb[static_cast<unsigned char>(entry[0])] = 0xFF000000UL | rgb;
    }  // "None" and anything unread stay transparent
  }
  std::vector<unsigned long> property{static_cast<unsigned long>(width), static_cast<unsigned long>(height)};
  for (int row = 0; row < height; ++row) {
    const char* pixels = xpm[1 + colours + row];
    for (int column = 0; column < width; ++column) property.push_back(argb[static_cast<unsigned char>(pixels[column])]);
  }
  return property;
}

}  // namespace

void setWindowIdentity() {
  Display* display = glXGetCurrentDisplay();
  const Window window = glXGetCurrentDrawable();
  if (display == nullptr || window == 0) return;

  XClassHint hint;
  hint.res_name = const_cast<char*>(kWindowInstance);
  hint.res_class = const_cast<char*>(kWindowClass);
  XSetClassHint(display, window, &hint);

  const std::vector<unsigned long> icon = iconProperty(velmora_xpm);
  if (!icon.empty()) {
    XChangeProperty(display, window, XInternAtom(display, "_NET_WM_ICON", False), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(icon.data()), static_cast<int>(icon.size()));
  }
}
