// velmora-shot: starts the viewer on the current X display, presses the given
// keys and writes its window as a PNG.
//   velmora-shot VIEWER OUT.png [KEYS]   e.g. KEYS = "Right*9 x*6"
#include <cstdio>

#include "tools/xdrive.h"

int main(int argc, char** argv) {
  if (argc < 3 || argc > 4) {
    std::fprintf(stderr, "usage: %s VIEWER OUT.png [KEYS]\n", argv[0]);
    return 2;
  }
  RunningViewer viewer;
  if (!startViewer(argv[1], {}, &viewer)) {
    std::fprintf(stderr, "%s: the viewer's window did not appear\n", argv[0]);
    stopViewer(viewer);
    return 1;
  }
  if (argc == 4) pressKeys(viewer, argv[3]);
  const bool written = writePng(grabWindow(viewer), argv[2]);
  stopViewer(viewer);
  if (!written) std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[2]);
  return written ? 0 : 1;
}
