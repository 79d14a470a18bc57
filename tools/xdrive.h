// Drives the built viewer from outside, as a user would: starts the binary on
// the current X display, finds its window, sends key events through XTEST and
// reads the window's pixels back from the X server.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

#include <X11/Xlib.h>

struct Picture {
  int width = 0, height = 0;
  std::vector<std::uint8_t> rgb;  // rows top down
  bool operator==(const Picture& o) const { return width == o.width && height == o.height && rgb == o.rgb; }
};

struct RunningViewer {
  pid_t pid = -1;
  Display* display = nullptr;
  Window window = 0;
  std::string outputPath;  // where the viewer's stdout and stderr go
};

// Starts `command` (looked up on PATH) with `args`, waits up to timeoutMs for
// its window to be on screen, then (with letDraw) lets it draw for a moment.
bool startViewer(const std::string& command, const std::vector<std::string>& args, RunningViewer* viewer,
                 int timeoutMs = 10000, bool letDraw = true);

// The colour of one window pixel, (x, y) from the top left, as 0xRRGGBB.
unsigned long windowPixel(RunningViewer& viewer, int x, int y);

// Presses and releases each key of a space-separated list of X keysym names,
// each optionally followed by *N for N presses ("Right*72", "X", "Shift_L").
// Upper-case letters and other shifted symbols are typed with Shift held.
void pressKeys(RunningViewer& viewer, const std::string& keys);

// Lets the viewer draw a few frames, then reads its window.
Picture grabWindow(RunningViewer& viewer);

// The window's title, size and position on the screen.
std::string windowTitle(RunningViewer& viewer);
void windowGeometry(RunningViewer& viewer, int* x, int* y, int* width, int* height);
std::string windowClass(RunningViewer& viewer);

// Sends WM_DELETE_WINDOW as a window manager does when the user closes the window.
void closeAsWindowManager(RunningViewer& viewer);

// Waits up to timeoutMs for the viewer to end: its exit status, or -1 if it is
// still running (or was killed by a signal).
int waitForExit(RunningViewer& viewer, int timeoutMs);

// Ends a viewer still running and closes the connection.
void stopViewer(RunningViewer& viewer);

// What the viewer printed on stdout and stderr so far.
std::string viewerOutput(const RunningViewer& viewer);

// Number of pixels that differ between two pictures of the same size.
int countDifferences(const Picture& a, const Picture& b);

bool writePng(const Picture& picture, const std::string& path);
