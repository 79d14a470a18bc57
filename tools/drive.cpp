// velmora-drive: starts a viewer command on the current X display, presses
// keys in it as a user would, and can save its window or make it quit.
//   velmora-drive [-f] [-t SECONDS] [-w WIDTHxHEIGHT] [-c X,Y,ROW,ROWS]... [-k KEYS]... [-m X,Y,ROW,ROWS]
//                 [-g TABLE:NAME] [-n FRAMES] [-s SECONDS] [-p KEYS] [-o OUT.png] [-q KEYS]
//                 -- COMMAND [ARGS...]
//   velmora-drive -l TABLE
//   velmora-drive -e WORDS
//     -l  only list the rows of a gallery table (docs/gallery.txt), one JSON
//         object a line: {"name", "choices": [[X, Y, ROW, ROWS(, SUBROW, SUBROWS)]...], "keys", "menuAt"}
//     -e  only print the steps of input words, as -k and a gallery row's keys
//         take them, as one JSON array of {"key": KEYSYM}, {"drag": [X0, Y0, X1, Y1]}
//         and {"wheel": "away" or "towards"}
//     -t  how long to wait for the window (default 20)
//     -w  first resize the window to WIDTH x HEIGHT pixels (at the screen's corner)
//     -f  print the milliseconds from start to the first frame (the road's edge drawn)
//     -c  X,Y,ROW,ROWS: choose row ROW of the pop-up menu's ROWS rows, opened
//         with a right click at window pixel (X, Y), before the key batches
//     -k  a batch of keys, as X keysym names with an optional *N ("Right*9 x*6");
//         each batch is followed by a wait for frames drawn after it
//     -m  X,Y,ROW,ROWS: then open the pop-up menu with a right click at window
//         pixel (X, Y) and point at row ROW of its ROWS rows; -o saves the menu too
//     -g  instead of -c, -k and -m, the input of picture NAME of a gallery table
//         (docs/gallery.txt)
//     -n  then wait for this many more frames (fails if they do not come within -t)
//     -s  let the viewer run this long after that
//     -p  while it runs, press these keys once a second
//     -o  write the picture taken after the input (-c, -k, -m or -g) as a PNG
//     -q  press these keys last and wait for the viewer to end; exit with its status
// Without -q the viewer is stopped at the end. What the viewer printed is
// passed on to standard error.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/json.h"
#include "tools/gallery.h"
#include "tools/xdrive.h"

namespace {

// The gallery's rows as JSON lines, for the browsers' test; 1 if the table is unreadable or a row malformed.
int listGallery(const std::string& table) {
  std::string problem;
  const std::vector<Shot> shots = readGallery(table, &problem);
  if (!problem.empty()) {
    std::fprintf(stderr, "velmora-drive: %s\n", problem.c_str());
    return 1;
  }
  for (const Shot& shot : shots) {
    std::string choices;
    for (const std::string& choice : shot.choices) choices += (choices.empty() ? "[" : ",[") + choice + "]";
    std::printf("{\"name\":%s,\"choices\":[%s],\"keys\":%s,\"menuAt\":%s}\n", jsonString(shot.name).c_str(),
                choices.c_str(), jsonString(shot.keys.empty() ? "" : shot.keys[0]).c_str(),
                jsonString(shot.menuAt).c_str());
  }
  return 0;
}

// Input words as their steps, for the browsers' test: one JSON array.
int printSteps(const std::string& words) {
  std::string json;
  for (const InputStep& step : parseInput(words)) {
    json += json.empty() ? "[" : ",";
    if (step.kind == InputStep::key) {
      json += "{\"key\":" + jsonString(step.keysym) + "}";
    } else if (step.kind == InputStep::drag) {
      json += "{\"drag\":[" + std::to_string(step.x0) + "," + std::to_string(step.y0) + "," + std::to_string(step.x1) +
              "," + std::to_string(step.y1) + "]}";
    } else {
      json += std::string("{\"wheel\":\"") + (step.away ? "away" : "towards") + "\"}";
    }
  }
  std::printf("%s]\n", json.empty() ? "[" : json.c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  int windowSeconds = 20, idleSeconds = 0, frames = 0;
  bool timeFirstFrame = false;
  std::vector<std::string> batches, choices;
  std::string png, quitKeys, idleKeys, menuAt, gallery, size;
  int opt = 0;
  while ((opt = getopt(argc, argv, "ft:w:c:k:g:l:e:n:m:s:p:o:q:")) != -1) {
    switch (opt) {
      case 'f': timeFirstFrame = true; break;
      case 't': windowSeconds = std::atoi(optarg); break;
      case 'w': size = optarg; break;
      case 'c': choices.emplace_back(optarg); break;
      case 'k': batches.emplace_back(optarg); break;
      case 'n': frames = std::atoi(optarg); break;
      case 'm': menuAt = optarg; break;
      case 'g': gallery = optarg; break;
      case 'l': return listGallery(optarg);
      case 'e': return printSteps(optarg);
      case 's': idleSeconds = std::atoi(optarg); break;
      case 'p': idleKeys = optarg; break;
      case 'o': png = optarg; break;
      case 'q': quitKeys = optarg; break;
      default: return 2;
    }
  }
  if (optind >= argc) {
    std::fprintf(stderr,
                 "usage: %s [-f] [-t SECONDS] [-w WIDTHxHEIGHT] [-c X,Y,ROW,ROWS]... [-k KEYS]...\n"
                 "       [-m X,Y,ROW,ROWS] [-g TABLE:NAME] [-n FRAMES] [-s SECONDS] [-p KEYS] [-o OUT.png] [-q KEYS]\n"
                 "       -- COMMAND [ARGS...]\n",
                 argv[0]);
    return 2;
  }
  const std::vector<std::string> args(argv + optind + 1, argv + argc);
  RunningViewer viewer;
  int status = 0;
  const auto start = std::chrono::steady_clock::now();
  if (!startViewer(argv[optind], args, &viewer, windowSeconds * 1000, !timeFirstFrame)) {
    std::fprintf(stderr, "velmora-drive: %s\n", viewer.problem.c_str());
    status = 1;
  } else {
    if (timeFirstFrame) {
      // The second road edge crosses column 10 on row 99 or 100 from the top.
      while (windowPixel(viewer, 10, 99) != 0xFFFFFF && windowPixel(viewer, 10, 100) != 0xFFFFFF &&
             std::chrono::steady_clock::now() - start < std::chrono::seconds(windowSeconds)) {
        usleep(2000);
      }
      std::printf("first frame after %.1f ms\n",
                  std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::string problem;
    int width = 0, height = 0;
    if (!size.empty() && (std::sscanf(size.c_str(), "%dx%d", &width, &height) != 2 || width < 1 || height < 1)) {
      problem = "-w takes WIDTHxHEIGHT, not " + size;
    } else if (!size.empty()) {
      resizeWindow(viewer, width, height, &problem);
    }
    Shot shot{"velmora-drive", choices, batches, menuAt};
    if (problem.empty() && !gallery.empty()) {
      const std::size_t colon = gallery.rfind(':');
      const std::vector<Shot> shots = readGallery(gallery.substr(0, colon), &problem);
      const auto named = std::find_if(shots.begin(), shots.end(), [&](const Shot& s) {
        return colon != std::string::npos && s.name == gallery.substr(colon + 1);
      });
      if (named == shots.end() && problem.empty()) problem = "no picture named in -g " + gallery;
      if (named != shots.end()) shot = *named;
    }
    Picture picture;
    if (problem.empty() && (!png.empty() || !shot.menuAt.empty())) {
      picture = takeShot(viewer, shot, &problem);
    } else if (problem.empty()) {
      giveInput(viewer, shot, &problem);
    }
    if (!problem.empty()) {
      std::fprintf(stderr, "velmora-drive: %s\n", problem.c_str());
      status = 1;
    }
    if (frames > 0 && !waitForFrames(viewer, frames, windowSeconds * 1000)) {
      std::fprintf(stderr, "velmora-drive: the viewer did not draw %d frames\n", frames);
      status = 1;
    }
    for (int second = 0; second < idleSeconds; ++second) {
      sleep(1);
      pressKeys(viewer, idleKeys);
    }
    if (!png.empty() && status == 0 && !writePng(picture, png)) {
      std::fprintf(stderr, "velmora-drive: cannot write %s\n", png.c_str());
      status = 1;
    }
    if (!quitKeys.empty()) {
      pressKeys(viewer, quitKeys);
      const int exitStatus = waitForExit(viewer, windowSeconds * 1000);
      if (exitStatus < 0) std::fprintf(stderr, "velmora-drive: the viewer did not end\n");
      status = (exitStatus < 0) ? 1 : exitStatus;
    }
  }
  std::fputs(viewerOutput(viewer).c_str(), stderr);
  stopViewer(viewer);
  return status;
}
