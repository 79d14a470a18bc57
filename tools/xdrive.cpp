// The X driver: the viewer started, keys and the pointer through XTEST,
// frames counted through DAMAGE, windows and menus found and grabbed.
#include "tools/xdrive.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xdamage.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kTitle = "Velmora";
constexpr int kPollMs = 2;  // between polls for a condition nothing announces

void sleepMs(int ms) { usleep(static_cast<useconds_t>(ms) * 1000); }

int msLeft(Clock::time_point deadline) {
  return static_cast<int>(
      std::max<long long>(0, std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count()));
}

int onXError(Display*, XErrorEvent*) { return 0; }

// True once the child has ended; it is left for waitForExit to collect.
bool hasEnded(pid_t pid) {
  siginfo_t info{};
  return pid <= 0 || waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0 ||
         info.si_pid == pid;
}

// One channel of a pixel, scaled to 8 bits whatever the visual's mask.
std::uint8_t channel(unsigned long pixel, unsigned long mask) {
  if (mask == 0) return 0;
  int shift = 0;
  while (((mask >> shift) & 1UL) == 0) ++shift;
  const unsigned long max = mask >> shift;
  return static_cast<std::uint8_t>((((pixel & mask) >> shift) * 255UL + max / 2) / max);
}

// What the process's connection has heard: top-level windows created since
// the last viewer was started (and not destroyed since), and frames counted.
// Window ids are reused once a client is gone, so a window counts as new by
// its CreateNotify, not by an id never seen before.
std::vector<Window> newWindows;
int damageEventBase = 0;
Damage countedDamage = 0;
int countedFrames = 0;

void pumpEvents(Display* display) {
  while (XPending(display) > 0) {
    XEvent event;
    XNextEvent(display, &event);
    if (event.type == CreateNotify) {
      newWindows.push_back(event.xcreatewindow.window);
    } else if (event.type == DestroyNotify) {
      newWindows.erase(std::remove(newWindows.begin(), newWindows.end(), event.xdestroywindow.window),
                       newWindows.end());
    } else if (event.type == damageEventBase + XDamageNotify) {
      const auto* notify = reinterpret_cast<const XDamageNotifyEvent*>(&event);
      if (notify->damage == countedDamage && !notify->more) ++countedFrames;  // one whole put per frame
    }
  }
}

// The viewable new top-level windows titled `title`, or with `title` null
// every viewable new one but `except`, oldest first. Windows wholly off the
// screen or smaller than 8 x 8 pixels do not count: Wine maps a 1 x 1 window
// of its own, at (-1, -1) in Wine 8 and at (0, 0) in Wine 10.
std::vector<Window> findNewWindows(Display* display, const char* title, Window except = 0) {
  pumpEvents(display);
  std::vector<Window> found;
  for (const Window window : newWindows) {
    XWindowAttributes attributes;
    if (window == except || XGetWindowAttributes(display, window, &attributes) == 0 ||
        attributes.map_state != IsViewable || attributes.x + attributes.width <= 0 ||
        attributes.y + attributes.height <= 0 || attributes.width < 8 || attributes.height < 8) {
      continue;
    }
    char* name = nullptr;
    const bool named = XFetchName(display, window, &name) != 0 && name != nullptr;
    const bool match = title == nullptr || (named && std::string(name) == title);
    if (named) XFree(name);
    if (match) found.push_back(window);
  }
  return found;
}

Window findNewWindow(Display* display, const char* title, Window except = 0) {
  const std::vector<Window> found = findNewWindows(display, title, except);
  return found.empty() ? 0 : found.front();
}

ScreenRect rectOf(Display* display, Window window) {
  XWindowAttributes attributes;
  XGetWindowAttributes(display, window, &attributes);
  return {attributes.x, attributes.y, attributes.width, attributes.height};
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
  if (out < 0) {
    viewer->problem = "cannot make an output file";
    return false;
  }
  viewer->outputPath = outputPath;
  viewer->display = xDisplay(timeoutMs);
  if (viewer->display == nullptr) {
    viewer->problem = "no X server answered";
    close(out);
    return false;
  }
  // Windows of viewers that are still going away must not be taken for this one's.
  XSync(viewer->display, False);
  pumpEvents(viewer->display);
  newWindows.clear();
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
  if (viewer->pid < 0) {
    viewer->problem = "cannot start a process";
    return false;
  }
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  while (viewer->window == 0 && !hasEnded(viewer->pid) && Clock::now() < deadline) {
    viewer->window = findNewWindow(viewer->display, kTitle);
    if (viewer->window == 0) sleepMs(kPollMs);
  }
  if (viewer->window == 0) {
    viewer->problem = hasEnded(viewer->pid) ? "the viewer ended before its window appeared" : "no window appeared";
    return false;
  }
  // With no window manager, key events go to the window under the pointer.
  XWarpPointer(viewer->display, None, viewer->window, 0, 0, 0, 0, 250, 250);
  XSync(viewer->display, False);
  if (letDraw && !waitForFrames(*viewer, 4, msLeft(deadline))) {
    viewer->problem = "the window appeared but no frames were drawn";
    return false;
  }
  return true;
}

Display* xDisplay(int timeoutMs) {
  static Display* display = nullptr;
  if (display != nullptr) return display;
  XSetErrorHandler(onXError);
  // A server that is resetting refuses connections for a moment; so does one still starting.
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  while ((display = XOpenDisplay(nullptr)) == nullptr && Clock::now() < deadline) sleepMs(20);
  if (display != nullptr) {
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    int damageError = 0;
    if (XDamageQueryExtension(display, &damageEventBase, &damageError) == 0) damageEventBase = -1000;
    XSync(display, False);
  }
  return display;
}

bool waitForFrames(RunningViewer& viewer, int frames, int timeoutMs) {
  Display* display = viewer.display;
  if (display == nullptr || damageEventBase < 0) return false;
  countedDamage = XDamageCreate(display, viewer.window, XDamageReportRawRectangles);
  countedFrames = 0;
  XSync(display, False);
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (pumpEvents(display); countedFrames < frames && !hasEnded(viewer.pid) && Clock::now() < deadline;
       pumpEvents(display)) {
    pollfd connection{ConnectionNumber(display), POLLIN, 0};
    poll(&connection, 1, std::min(msLeft(deadline), 100));  // a bounded slice: the viewer may end meanwhile
  }
  const bool enough = countedFrames >= frames;
  XDamageDestroy(display, countedDamage);
  XSync(display, False);
  countedDamage = 0;
  pumpEvents(display);
  return enough;
}

std::vector<InputStep> parseInput(const std::string& words) {
  std::vector<InputStep> steps;
  std::istringstream tokens(words);
  std::string token;
  while (tokens >> token) {
    int repeat = 1;
    const std::size_t star = token.find('*');
    if (star != std::string::npos && star > 0) {
      repeat = std::atoi(token.c_str() + star + 1);
      token.resize(star);
    }
    InputStep step{InputStep::key, token, 0, 0, 0, 0, false};
    if (std::sscanf(token.c_str(), "drag:%d,%d,%d,%d", &step.x0, &step.y0, &step.x1, &step.y1) == 4) {
      step.kind = InputStep::drag;
    } else if (token == "wheel:away" || token == "wheel:towards") {
      step.kind = InputStep::wheel;
      step.away = token == "wheel:away";
    }
    for (int i = 0; i < repeat; ++i) steps.push_back(step);
  }
  return steps;
}

void pressKeys(RunningViewer& viewer, const std::string& keys) {
  for (const InputStep& step : parseInput(keys)) {
    const KeySym keysym = step.kind == InputStep::key ? XStringToKeysym(step.keysym.c_str()) : NoSymbol;
    if (keysym != NoSymbol) typeKeysym(viewer.display, keysym);
  }
}

void movePointer(RunningViewer& viewer, int x, int y) {
  // Through XTEST, as a pointing device moves it: Wine's menus follow only
  // such moves, not a warp.
  const ScreenRect window = windowRect(viewer);
  XTestFakeMotionEvent(viewer.display, -1, window.x + x, window.y + y, CurrentTime);
  XSync(viewer.display, False);
}

void pressButton(RunningViewer& viewer, int button, bool down) {
  XTestFakeButtonEvent(viewer.display, static_cast<unsigned>(button), down ? True : False, CurrentTime);
  XSync(viewer.display, False);
}

void clickButton(RunningViewer& viewer, int button) {
  pressButton(viewer, button, true);
  pressButton(viewer, button, false);
}

void dragPointer(RunningViewer& viewer, int button, int x0, int y0, int x1, int y1, int steps,
                 const std::string& modifier) {
  const KeyCode held = modifier.empty() ? 0 : XKeysymToKeycode(viewer.display, XStringToKeysym(modifier.c_str()));
  if (held != 0) XTestFakeKeyEvent(viewer.display, held, True, CurrentTime);
  movePointer(viewer, x0, y0);
  pressButton(viewer, button, true);
  for (int i = 1; i <= steps; ++i) movePointer(viewer, x0 + (x1 - x0) * i / steps, y0 + (y1 - y0) * i / steps);
  pressButton(viewer, button, false);
  if (held != 0) XTestFakeKeyEvent(viewer.display, held, False, CurrentTime);
  XSync(viewer.display, False);
}

bool waitForMenu(RunningViewer& viewer, bool open, ScreenRect* menu, int timeoutMs) {
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    const Window found = findNewWindow(viewer.display, nullptr, viewer.window);
    if (found != 0 && open && menu != nullptr) *menu = rectOf(viewer.display, found);
    if ((found != 0) == open) return true;
    if (Clock::now() >= deadline || hasEnded(viewer.pid)) return false;
    sleepMs(kPollMs);
  }
}

ScreenRect windowRect(RunningViewer& viewer) {
  ScreenRect rect;
  windowGeometry(viewer, &rect.x, &rect.y, &rect.width, &rect.height);
  return rect;
}

bool resizeWindow(RunningViewer& viewer, int width, int height, std::string* problem) {
  Display* display = viewer.display;
  const int screen = DefaultScreen(display);
  if (width < 1 || height < 1 || width > DisplayWidth(display, screen) || height > DisplayHeight(display, screen)) {
    *problem = "a " + std::to_string(width) + " x " + std::to_string(height) + " window does not fit the " +
               std::to_string(DisplayWidth(display, screen)) + " x " + std::to_string(DisplayHeight(display, screen)) +
               " screen";
    return false;
  }
  XMoveResizeWindow(display, viewer.window, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height));
  XSync(display, False);
  // Frames drawn after the resize was asked for are drawn at the new size.
  if (!waitForFrames(viewer)) {
    *problem = "the viewer drew nothing after a resize";
    return false;
  }
  return true;
}

namespace {

// Points at row `row` of the `rows` rows of a menu on the screen, which highlights it.
void pointAtRow(RunningViewer& viewer, const ScreenRect& menu, int row, int rows) {
  const ScreenRect window = windowRect(viewer);
  const int height = (menu.height - 4) / rows;  // the rows fill the menu but for a 2-pixel border
  movePointer(viewer, menu.x - window.x + menu.width / 2, menu.y - window.y + 2 + height * row + height / 2);
}

// Points at a menu's row as pointAtRow does. Each highlight redraws the menu.
// Under Mesa's software renderer the first draw after the menu window is
// sized shows a stale size, so the menu is drawn twice, in turns of the
// viewer's loop, before it is looked at.
void highlightRow(RunningViewer& viewer, const ScreenRect& menu, int row, int rows) {
  pointAtRow(viewer, menu, row == 0 ? 1 : 0, rows);
  waitForFrames(viewer);
  pointAtRow(viewer, menu, row, rows);
}

}  // namespace

ScreenRect openMenu(RunningViewer& viewer, int x, int y, int row, int rows) {
  movePointer(viewer, x, y);
  clickButton(viewer, 3);
  // The toolkit opens the menu where the pointer is when it takes the click,
  // so the pointer stays until the viewer has drawn after it. Only then is a
  // menu window on the screen this click's: Wine 10 leaves a closed menu's
  // window there, which would be found at once, and pointing at its rows
  // before a slow viewer takes the click opens the new menu somewhere else.
  waitForFrames(viewer);
  ScreenRect menu;
  if (!waitForMenu(viewer, true, &menu)) return {};
  if (row >= 0 && rows > 0) highlightRow(viewer, menu, row, rows);
  return menu;
}

ScreenRect openSubmenu(RunningViewer& viewer, const ScreenRect& menu, int row, int rows, int subRow, int subRows,
                       int timeoutMs) {
  pointAtRow(viewer, menu, row, rows);
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  Clock::time_point pointedAt = Clock::now();
  std::chrono::milliseconds patience(1000);
  for (;;) {
    // A submenu that has not come out: the pointer leaves the row and comes
    // back, as a person's would, waiting twice as long each time before it
    // moves again, so a slow viewer is not interrupted for ever.
    if (Clock::now() - pointedAt > patience) {
      pointAtRow(viewer, menu, row == 0 ? 1 : row - 1, rows);
      waitForFrames(viewer);
      pointAtRow(viewer, menu, row, rows);
      pointedAt = Clock::now();
      patience *= 2;
    }
    for (const Window window : findNewWindows(viewer.display, nullptr, viewer.window)) {
      const ScreenRect found = rectOf(viewer.display, window);
      // Not the menu, nor a window of the same size where it was earlier:
      // Wine 10 leaves closed menus' windows on the screen.
      if (found.width != menu.width || found.height != menu.height) {
        highlightRow(viewer, found, subRow, subRows);
        return found;
      }
    }
    if (Clock::now() >= deadline || hasEnded(viewer.pid)) return {};
    sleepMs(kPollMs);
  }
}

namespace {

// Pixels of a drawable's rectangle, rows top down.
Picture readPixels(Display* display, Drawable drawable, const ScreenRect& area) {
  Picture picture;
  XImage* image = XGetImage(display, drawable, area.x, area.y, static_cast<unsigned>(area.width),
                            static_cast<unsigned>(area.height), AllPlanes, ZPixmap);
  if (image == nullptr) return picture;
  picture.width = area.width;
  picture.height = area.height;
  picture.rgb.reserve(3 * static_cast<std::size_t>(picture.width * picture.height));
  for (int y = 0; y < picture.height; ++y)
    for (int x = 0; x < picture.width; ++x) {
      const unsigned long pixel = XGetPixel(image, x, y);
      picture.rgb.push_back(channel(pixel, image->red_mask));
      picture.rgb.push_back(channel(pixel, image->green_mask));
      picture.rgb.push_back(channel(pixel, image->blue_mask));
    }
  XDestroyImage(image);
  return picture;
}

}  // namespace

Picture grabWindow(RunningViewer& viewer) {
  XWindowAttributes attributes;
  if (!waitForFrames(viewer) || XGetWindowAttributes(viewer.display, viewer.window, &attributes) == 0) return {};
  return readPixels(viewer.display, viewer.window, {0, 0, attributes.width, attributes.height});
}

Picture grabScreen(RunningViewer& viewer, const ScreenRect& area) {
  if (!waitForFrames(viewer)) return {};
  return readPixels(viewer.display, DefaultRootWindow(viewer.display), area);
}

unsigned long windowPixel(RunningViewer& viewer, int x, int y) {
  XImage* image = XGetImage(viewer.display, viewer.window, x, y, 1, 1, AllPlanes, ZPixmap);
  if (image == nullptr) return 0;
  const unsigned long pixel = XGetPixel(image, 0, 0);
  const unsigned long rgb = static_cast<unsigned long>(channel(pixel, image->red_mask)) << 16 |
                            static_cast<unsigned long>(channel(pixel, image->green_mask)) << 8 |
                            channel(pixel, image->blue_mask);
  XDestroyImage(image);
  return rgb;
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

Picture windowIcon(RunningViewer& viewer, int size) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  Picture icon;
  if (XGetWindowProperty(viewer.display, viewer.window, XInternAtom(viewer.display, "_NET_WM_ICON", False), 0, 1L << 20,
                         False, XA_CARDINAL, &type, &format, &count, &after, &data) != Success ||
      data == nullptr) {
    return icon;
  }
  // Format-32 data arrives as longs: width, height, then width * height ARGB values, per image.
  const auto* values = reinterpret_cast<const unsigned long*>(data);
  for (unsigned long at = 0; format == 32 && at + 2 <= count;) {
    const unsigned long width = values[at], height = values[at + 1];
    if (width == 0 || height == 0 || at + 2 + width * height > count) break;
    if (width == static_cast<unsigned long>(size) && height == static_cast<unsigned long>(size)) {
      icon.width = icon.height = size;
      for (unsigned long i = 0; i < width * height; ++i) {
        const unsigned long argb = values[at + 2 + i];
        addOverMagenta(icon, (argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF, (argb >> 24) & 0xFF);
      }
      break;
    }
    at += 2 + width * height;
  }
  XFree(data);
  return icon;
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
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    int status = 0;
    if (viewer.pid > 0 && waitpid(viewer.pid, &status, WNOHANG) == viewer.pid) {
      viewer.pid = -1;
      return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    if (Clock::now() >= deadline) return -1;
    sleepMs(kPollMs);
  }
}

void stopViewer(RunningViewer& viewer) {
  if (viewer.pid > 0) {
    kill(viewer.pid, SIGKILL);
    waitpid(viewer.pid, nullptr, 0);
    viewer.pid = -1;
  }
  viewer.display = nullptr;  // shared: stays open for the next viewer
  if (!viewer.outputPath.empty()) unlink(viewer.outputPath.c_str());
}

std::string viewerOutput(const RunningViewer& viewer) {
  std::ifstream in(viewer.outputPath);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}
