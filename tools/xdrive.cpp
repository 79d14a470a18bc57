#include "tools/xdrive.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <fcntl.h>
#include <png.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

constexpr const char* kTitle = "Velmora";
constexpr int kPollMs = 2;              // between polls for the window
constexpr useconds_t kSettle = 250000;  // time for the viewer to take events and draw

void sleepMs(int ms) { usleep(static_cast<useconds_t>(ms) * 1000); }

// A viewable top-level window with this title, other than those in `old`.
Window findTopLevel(Display* display, const char* title, const std::vector<Window>& old) {
  Window root = DefaultRootWindow(display), parent = 0, *children = nullptr;
  unsigned int count = 0;
  Window found = 0;
  if (XQueryTree(display, root, &root, &parent, &children, &count) == 0) return 0;
  for (unsigned int i = 0; i < count && found == 0; ++i) {
    char* name = nullptr;
    XWindowAttributes attributes;
    if (XFetchName(display, children[i], &name) != 0 && name != nullptr) {
      const bool isOld = std::find(old.begin(), old.end(), children[i]) != old.end();
      if (!isOld && std::string(name) == title && XGetWindowAttributes(display, children[i], &attributes) != 0 &&
          attributes.map_state == IsViewable) {
        found = children[i];
      }
      XFree(name);
    }
  }
  if (children != nullptr) XFree(children);
  return found;
}

// One key, pressed and released, with Shift held when the keysym needs it.
void typeKeysym(Display* display, KeySym keysym) {
  const KeyCode code = XKeysymToKeycode(display, keysym);
  if (code == 0) return;
  const bool shifted =
      XkbKeycodeToKeysym(display, code, 0, 0) != keysym && XkbKeycodeToKeysym(display, code, 0, 1) == keysym;
  const KeyCode shift = XKeysymToKeycode(display, XK_Shift_L);
  if (shifted) XTestFakeKeyEvent(display, shift, True, CurrentTime);
  XTestFakeKeyEvent(display, code, True, CurrentTime);
  XTestFakeKeyEvent(display, code, False, CurrentTime);
  if (shifted) XTestFakeKeyEvent(display, shift, False, CurrentTime);
  XSync(display, False);
}

}  // namespace

bool startViewer(const std::string& command, const std::vector<std::string>& args, RunningViewer* viewer, int timeoutMs,
                 bool letDraw) {
  char outputPath[] = "/tmp/velmora-output-XXXXXX";
  const int out = mkstemp(outputPath);
  if (out < 0) return false;
  viewer->outputPath = outputPath;
  viewer->display = XOpenDisplay(nullptr);
  if (viewer->display == nullptr) return false;
  // Windows of viewers that are still going away must not be taken for this one's.
  std::vector<Window> old;
  for (Window w; (w = findTopLevel(viewer->display, kTitle, old)) != 0;) old.push_back(w);
  viewer->pid = fork();
  if (viewer->pid == 0) {
    dup2(out, STDOUT_FILENO);
    dup2(out, STDERR_FILENO);
    std::vector<char*> argv{const_cast<char*>(command.c_str())};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execvp(command.c_str(), argv.data());
    _exit(127);
  }
  close(out);
  if (viewer->pid < 0) return false;
  for (int waited = 0; waited < timeoutMs && viewer->window == 0; waited += kPollMs) {
    viewer->window = findTopLevel(viewer->display, kTitle, old);
    if (viewer->window == 0) sleepMs(kPollMs);
  }
  if (viewer->window == 0) return false;
  // With no window manager, key events go to the window under the pointer.
  XWarpPointer(viewer->display, None, viewer->window, 0, 0, 0, 0, 250, 250);
  XSync(viewer->display, False);
  if (letDraw) usleep(kSettle);
  return true;
}

void pressKeys(RunningViewer& viewer, const std::string& keys) {
  std::istringstream tokens(keys);
  std::string token;
  while (tokens >> token) {
    int repeat = 1;
    const std::size_t star = token.find('*');
    if (star != std::string::npos && star > 0) {
      repeat = std::atoi(token.c_str() + star + 1);
      token.resize(star);
    }
    const KeySym keysym = XStringToKeysym(token.c_str());
    for (int i = 0; i < repeat && keysym != NoSymbol; ++i) typeKeysym(viewer.display, keysym);
  }
}

Picture grabWindow(RunningViewer& viewer) {
  usleep(kSettle);
  XWindowAttributes attributes;
  XGetWindowAttributes(viewer.display, viewer.window, &attributes);
  Picture picture;
  XImage* image = XGetImage(viewer.display, viewer.window, 0, 0, static_cast<unsigned>(attributes.width),
                            static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
  if (image == nullptr) return picture;
  picture.width = attributes.width;
  picture.height = attributes.height;
  picture.rgb.reserve(3 * static_cast<std::size_t>(picture.width * picture.height));
  for (int y = 0; y < picture.height; ++y)
    for (int x = 0; x < picture.width; ++x) {
      const unsigned long pixel = XGetPixel(image, x, y);
      picture.rgb.push_back(static_cast<std::uint8_t>((pixel & image->red_mask) >> 16));
      picture.rgb.push_back(static_cast<std::uint8_t>((pixel & image->green_mask) >> 8));
      picture.rgb.push_back(static_cast<std::uint8_t>(pixel & image->blue_mask));
    }
  XDestroyImage(image);
  return picture;
}

unsigned long windowPixel(RunningViewer& viewer, int x, int y) {
  XImage* image = XGetImage(viewer.display, viewer.window, x, y, 1, 1, AllPlanes, ZPixmap);
  if (image == nullptr) return 0;
  const unsigned long pixel = XGetPixel(image, 0, 0) & 0xFFFFFF;
  XDestroyImage(image);
  return pixel;
}

std::string windowTitle(RunningViewer& viewer) {
  char* name = nullptr;
  std::string title;
  if (XFetchName(viewer.display, viewer.window, &name) != 0 && name != nullptr) {
    title = name;
    XFree(name);
  }
  return title;
}

void windowGeometry(RunningViewer& viewer, int* x, int* y, int* width, int* height) {
  XWindowAttributes attributes;
  XGetWindowAttributes(viewer.display, viewer.window, &attributes);
  Window child = 0;
  XTranslateCoordinates(viewer.display, viewer.window, DefaultRootWindow(viewer.display), 0, 0, x, y, &child);
  *width = attributes.width;
  *height = attributes.height;
}

std::string windowClass(RunningViewer& viewer) {
  XClassHint hint{};
  std::string result;
  if (XGetClassHint(viewer.display, viewer.window, &hint) != 0) {
    result = std::string(hint.res_name ? hint.res_name : "") + "." + (hint.res_class ? hint.res_class : "");
    XFree(hint.res_name);
    XFree(hint.res_class);
  }
  return result;
}

void closeAsWindowManager(RunningViewer& viewer) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = viewer.window;
  event.xclient.message_type = XInternAtom(viewer.display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(viewer.display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(viewer.display, viewer.window, False, NoEventMask, &event);
  XSync(viewer.display, False);
}

int waitForExit(RunningViewer& viewer, int timeoutMs) {
  for (int waited = 0; waited <= timeoutMs; waited += 20) {
    int status = 0;
    if (waitpid(viewer.pid, &status, WNOHANG) == viewer.pid) {
      viewer.pid = -1;
      return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    sleepMs(20);
  }
  return -1;
}

void stopViewer(RunningViewer& viewer) {
  if (viewer.pid > 0) {
    kill(viewer.pid, SIGKILL);
    waitpid(viewer.pid, nullptr, 0);
    viewer.pid = -1;
  }
  if (viewer.display != nullptr) XCloseDisplay(viewer.display);
  viewer.display = nullptr;
  if (!viewer.outputPath.empty()) unlink(viewer.outputPath.c_str());
}

std::string viewerOutput(const RunningViewer& viewer) {
  std::ifstream in(viewer.outputPath);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

int countDifferences(const Picture& a, const Picture& b) {
  if (a.width != b.width || a.height != b.height) return a.width * a.height + b.width * b.height;
  int n = 0;
  for (std::size_t i = 0; i < a.rgb.size(); i += 3)
    n += (a.rgb[i] != b.rgb[i] || a.rgb[i + 1] != b.rgb[i + 1] || a.rgb[i + 2] != b.rgb[i + 2]) ? 1 : 0;
  return n;
}

bool writePng(const Picture& picture, const std::string& path) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_init_io(png, file);
  png_set_IHDR(png, info, static_cast<png_uint_32>(picture.width), static_cast<png_uint_32>(picture.height), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < picture.height; ++y)
    png_write_row(png, &picture.rgb[3 * static_cast<std::size_t>(y * picture.width)]);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return std::fclose(file) == 0;
}
