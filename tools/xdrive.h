// Drives the built viewer from outside, as a user would: starts the binary on
// the current X display, finds its window, sends key events through XTEST and
// reads the window's pixels back from the X server.
//
// Nothing here waits for a fixed time. The process keeps one connection to the
// X server for its whole life (a server resets when its last client leaves and
// refuses connections while it does), and every wait is for a condition: the
// window mapped, frames drawn after the last input, the process gone.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

#include <X11/Xlib.h>

#include "tools/picture.h"

// The process's one X connection, opened on first use: waits up to timeoutMs
// for the server to accept it, then keeps it until the process ends, so the
// server cannot reset under this process or a viewer it starts. An X error
// (a window gone meanwhile, say) is not fatal: the call concerned fails.
// Null if the server never answered.
Display* xDisplay(int timeoutMs = 30000);

struct RunningViewer {
  pid_t pid = -1;
  Display* display = nullptr;  // the shared connection
  Window window = 0;
  std::string outputPath;  // where the viewer's stdout and stderr go
  std::string problem;     // why startViewer failed
};

// Starts `command` (looked up on PATH) with `args`, waits up to timeoutMs for
// its window to be on screen, then (with letDraw) for its first frames.
bool startViewer(const std::string& command, const std::vector<std::string>& args, RunningViewer* viewer,
                 int timeoutMs = 30000, bool letDraw = true);

// Waits up to timeoutMs until the viewer has put `frames` whole frames on its
// window after this call. Input sent before the call has reached the viewer
// by then, so the last of those frames shows it. False if the viewer ended or
// drew too few frames in time.
bool waitForFrames(RunningViewer& viewer, int frames = 4, int timeoutMs = 30000);

// The colour of one window pixel, (x, y) from the top left, as 0xRRGGBB.
unsigned long windowPixel(RunningViewer& viewer, int x, int y);

// Presses and releases each key of a space-separated list of X keysym names,
// each optionally followed by *N for N presses ("Right*72", "X", "Shift_L").
// Upper-case letters and other shifted symbols are typed with Shift held.
void pressKeys(RunningViewer& viewer, const std::string& keys);

// One step of input as the gallery table and the tools write it: a key (an X
// keysym name), a left drag from window pixel (x0, y0) to (x1, y1), or a
// wheel notch away from the user or towards.
struct InputStep {
  enum Kind { key, drag, wheel } kind;
  std::string keysym;
  int x0, y0, x1, y1;
  bool away;
};
// The steps of input words: keysym names, "drag:X0,Y0,X1,Y1" and
// "wheel:away" or "wheel:towards", each with an optional *N to repeat it
// ("Right*9 x drag:250,250,300,250 wheel:away*2"). A word that is none of
// these is taken as a keysym name.
std::vector<InputStep> parseInput(const std::string& words);

// The pointer, through XTEST: moves it to window position (x, y), presses or
// releases X button n (1 left, 2 middle, 3 right, 4 wheel away, 5 wheel
// towards), or drags from (x0, y0) to (x1, y1) in `steps` moves with button
// n held (and `modifier`, an X keysym name such as "Shift_L", if not empty).
void movePointer(RunningViewer& viewer, int x, int y);
void pressButton(RunningViewer& viewer, int button, bool down);
void clickButton(RunningViewer& viewer, int button);
void dragPointer(RunningViewer& viewer, int button, int x0, int y0, int x1, int y1, int steps,
                 const std::string& modifier = "");

// A viewable top-level window of the viewer's process other than its own
// window (a pop-up menu): waits up to timeoutMs for it to be open (open true)
// or gone (open false). With the menu open, its screen rectangle.
struct ScreenRect {
  int x = 0, y = 0, width = 0, height = 0;
};
bool waitForMenu(RunningViewer& viewer, bool open, ScreenRect* menu, int timeoutMs = 30000);

// Opens the pop-up menu with a right click at window position (x, y) and,
// with row >= 0, moves the pointer onto row `row` of its `rows` rows, which
// highlights it. The menu's screen rectangle; empty if it did not open.
ScreenRect openMenu(RunningViewer& viewer, int x, int y, int row = -1, int rows = 1);

// With the menu open (openMenu), points at row `row` of its `rows` rows, a
// submenu's row, waits up to timeoutMs for the submenu to open and points at
// its row `subRow` of `subRows`. The submenu's screen rectangle; empty if it
// did not open.
ScreenRect openSubmenu(RunningViewer& viewer, const ScreenRect& menu, int row, int rows, int subRow, int subRows,
                       int timeoutMs = 30000);

// The window's screen rectangle.
ScreenRect windowRect(RunningViewer& viewer);

// Moves the window to the screen's top-left corner at width x height, as a
// window manager would for a user's resize, and waits for frames drawn at
// that size. False, and why in *problem, if the screen is too small to read
// such a window back or the viewer drew nothing at the new size.
bool resizeWindow(RunningViewer& viewer, int width, int height, std::string* problem);

// Waits for frames drawn after the last input (waitForFrames), then reads the
// window. An empty picture if the viewer drew none.
Picture grabWindow(RunningViewer& viewer);

// The screen's pixels in a rectangle (what a person sees there, pop-ups included).
Picture grabScreen(RunningViewer& viewer, const ScreenRect& area);

// The window's title, size and position on the screen.
std::string windowTitle(RunningViewer& viewer);
void windowGeometry(RunningViewer& viewer, int* x, int* y, int* width, int* height);
std::string windowClass(RunningViewer& viewer);

// The size x size image of the window's _NET_WM_ICON (which may hold several
// sizes), each pixel laid over magenta by its alpha. Empty if it has none.
Picture windowIcon(RunningViewer& viewer, int size);

// Sends WM_DELETE_WINDOW as a window manager does when the user closes the window.
void closeAsWindowManager(RunningViewer& viewer);

// Waits up to timeoutMs for the viewer to end: its exit status, or -1 if it is
// still running (or was killed by a signal).
int waitForExit(RunningViewer& viewer, int timeoutMs);

// Ends a viewer still running; the shared connection stays open.
void stopViewer(RunningViewer& viewer);

// What the viewer printed on stdout and stderr so far.
std::string viewerOutput(const RunningViewer& viewer);
