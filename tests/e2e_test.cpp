// The built viewer, driven through the X server as a user would drive it.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "tests/e2e_support.h"

namespace {

class Viewer : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(startViewer(VELMORA_BINARY, {}, &viewer_)) << viewer_.problem; }
  void TearDown() override {
    EXPECT_EQ(viewerOutput(viewer_), "") << "the viewer printed something";
    stopViewer(viewer_);
  }
  RunningViewer viewer_;
};

}  // namespace

TEST_F(Viewer, OpensTitledWindowAtItsPlaceWithItsClassAndIcon) {
  int x = 0, y = 0, width = 0, height = 0;
  windowGeometry(viewer_, &x, &y, &width, &height);
  EXPECT_EQ(windowTitle(viewer_), "Velmora");
  EXPECT_EQ((std::array<int, 4>{x, y, width, height}), (std::array<int, 4>{100, 150, 500, 500}));
  // Desktops match the window to its entry by the class that StartupWMClass names.
  std::ifstream entry(VELMORA_DESKTOP_ENTRY);
  std::string line, startupClass;
  while (std::getline(entry, line))
    if (line.rfind("StartupWMClass=", 0) == 0) startupClass = line.substr(15);
  EXPECT_EQ(windowClass(viewer_), "velmora.Velmora");
  EXPECT_EQ(startupClass, "Velmora");
  const Picture icon = readPng(VELMORA_ICON_PNG);
  ASSERT_EQ(icon.width, 32) << VELMORA_ICON_PNG;
  expectPicture(icon, windowIcon(viewer_, 32), 0, "window-icon");
}

TEST_F(Viewer, ModifierKeysAloneChangeNothingAndShiftTypesCommands) {
  const Picture start = grabWindow(viewer_);
  pressKeys(viewer_, "Shift_L Shift_R Control_L Control_R Alt_L Alt_R Num_Lock Num_Lock");
  expectPicture(start, grabWindow(viewer_), 0, "after-modifiers");
  EXPECT_EQ(waitForExit(viewer_, 0), -1) << "a modifier key ended the viewer";
  pressKeys(viewer_, "X");  // typed with Shift held
  EXPECT_GT(countDifferences(start, grabWindow(viewer_)), 500) << "Shift+x did not turn the scene";
  EXPECT_EQ(waitForExit(viewer_, 0), -1);
}

TEST_F(Viewer, KeysChangeThePictureAndComeBack) {
  struct Round {
    const char* name;
    const char* away;  // keys that change the picture
    const char* back;  // keys that should bring the start back
    int tolerance;     // pixels allowed to differ after coming back (rounding)
  };
  const Round rounds[] = {
      {"orbit", "Right*6 Up*4", "y*6 X*4", 50},  // back by own-axis turns, which a reversed arrow misses
      {"projection", "o", "o", 0},
      {"pan", "m Left*5 Up*3", "Right*5 Down*3 m", 50},
      {"axes", "e", "e", 0},
      {"full-axes", "2", "1", 0},
      {"dolly", "P*5", "p*5", 50},
      {"model-turns", "X*3 y*2 Z", "z Y*2 x*3", 50},
  };
  const Picture start = grabWindow(viewer_);
  for (const Round& r : rounds) {
    pressKeys(viewer_, r.away);
    const Picture away = grabWindow(viewer_);
    EXPECT_GT(countDifferences(start, away), 20) << r.name << ": '" << r.away << "' changed nothing";
    pressKeys(viewer_, r.back);
    expectPicture(start, grabWindow(viewer_), r.tolerance, r.name);
  }
}

TEST_F(Viewer, WheelAndMenuDoWhatTheKeysDo) {
  struct Choice {
    int entry;
    const char* keysAfter;  // pressed after the choice as after its key
    const char* key;        // the key the entry stands for
    const char* undo;       // keys back to the start
  };
  const Choice choices[] = {
      {kPanMode, "Right", "m", "Left m"}, {kProjection, "", "o", "o"}, {kAxes, "", "e", "e"},
      {kFullAxes, "", "2", "1"},          {kNearer, "", "P", "p"},     {kFarther, "", "p", "P"},
  };
  const Picture start = grabWindow(viewer_);
  // The wheel: a notch (press and release) away from the user is exactly one
  // P, towards exactly one p, each from the same view as the key.
  pressKeys(viewer_, "P");
  const Picture nearer = grabWindow(viewer_);
  pressKeys(viewer_, "p p");
  const Picture farther = grabWindow(viewer_);
  pressKeys(viewer_, "P");
  EXPECT_GT(countDifferences(start, nearer), 20) << "P changed nothing";
  EXPECT_GT(countDifferences(start, farther), 20) << "p changed nothing";
  expectPicture(start, grabWindow(viewer_), 0, "keys-P-p-back");
  clickButton(viewer_, 4);
  expectPicture(nearer, grabWindow(viewer_), 0, "wheel-away-is-one-P");
  clickButton(viewer_, 5);
  expectPicture(start, grabWindow(viewer_), 0, "wheel-towards-comes-back");
  clickButton(viewer_, 5);
  expectPicture(farther, grabWindow(viewer_), 0, "wheel-towards-is-one-p");
  clickButton(viewer_, 4);
  expectPicture(start, grabWindow(viewer_), 0, "wheel-away-comes-back");

  for (const Choice& c : choices) {
    const std::string name = std::string("menu-") + c.key;
    ASSERT_TRUE(chooseFromMenu(viewer_, c.entry)) << name;
    pressKeys(viewer_, c.keysAfter);
    const Picture chosen = grabWindow(viewer_);
    EXPECT_GT(countDifferences(start, chosen), 20) << name << " changed nothing";
    pressKeys(viewer_, c.undo);
    expectPicture(start, grabWindow(viewer_), 0, name + "-undone");
    pressKeys(viewer_, std::string(c.key) + " " + c.keysAfter);
    expectPicture(chosen, grabWindow(viewer_), 0, name + "-as-key");
    pressKeys(viewer_, c.undo);
  }

  // Reset view: moves, turns and drags undone; projection and gizmo kept.
  pressKeys(viewer_, "o e");
  const Picture settings = grabWindow(viewer_);
  pressKeys(viewer_, "Right*5 Up*3 X*3 P*2 m Left*4");
  dragPointer(viewer_, 1, 200, 200, 260, 230, 6);
  dragPointer(viewer_, 2, 300, 300, 280, 340, 4);
  dragPointer(viewer_, 1, 100, 300, 140, 280, 4, "Shift_L");
  EXPECT_GT(countDifferences(settings, grabWindow(viewer_)), 20) << "the moves changed nothing";
  ASSERT_TRUE(chooseFromMenu(viewer_, kResetView));
  expectPicture(settings, grabWindow(viewer_), 0, "reset-view");
  pressKeys(viewer_, "o e m");
  expectPicture(start, grabWindow(viewer_), 0, "reset-then-settings-back");
}

// Each row of the turn submenu gives its key's picture. Each display changes
// only its own part of the window, and switching it off gives the picture back.
TEST_F(Viewer, TurnSubmenuRowsAreTheirKeysAndDisplaysKeepToTheirRegion) {
  const char turns[] = "XxYyZz", undo[] = "xXyYzZ";
  const Picture start = grabWindow(viewer_);
  for (int row = 0; row < 6; ++row) {
    const std::string key(1, turns[row]), back(1, undo[row]);
    pressKeys(viewer_, key);
    const Picture byKey = grabWindow(viewer_);
    EXPECT_GT(countDifferences(start, byKey), 20) << key << " changed nothing";
    pressKeys(viewer_, back);
    ASSERT_TRUE(chooseFromTurnSubmenu(viewer_, row)) << "submenu row " << row;
    expectPicture(byKey, grabWindow(viewer_), 0, "submenu-" + key);
    pressKeys(viewer_, back);
  }
  expectPicture(start, grabWindow(viewer_), 50, "after-submenu-turns");

  struct Region {
    int entry;
    const char* name;
    int left, top, right, bottom;  // its region, window pixels from the top left
  };
  const Region displays[] = {{kMatrices, "matrices", 0, 0, 250, 250},
                             {kEyeView, "eye-view", 500 - 500 / 3, 500 - 500 / 3, 500, 500}};
  const Picture begin = grabWindow(viewer_);
  for (const Region& d : displays) {
    ASSERT_TRUE(chooseFromMenu(viewer_, d.entry)) << d.name;
    const Picture shown = grabWindow(viewer_);
    int inside = 0, outside = 0;
    for (int y = 0; y < shown.height; ++y)
      for (int x = 0; x < shown.width; ++x) {
        const std::size_t i = 3 * static_cast<std::size_t>(y * shown.width + x);
        const bool same = std::equal(&shown.rgb[i], &shown.rgb[i] + 3, &begin.rgb[i]);
        const bool inRegion = x >= d.left && x < d.right && y >= d.top && y < d.bottom;
        (inRegion ? inside : outside) += same ? 0 : 1;
      }
    EXPECT_GT(inside, 2000) << d.name << " shows little";
    EXPECT_EQ(outside, 0) << d.name << " changed pixels outside its region";
    if (outside != 0) writePng(shown, std::string(VELMORA_ARTIFACT_DIR) + "/e2e-" + d.name + ".png");
    ASSERT_TRUE(chooseFromMenu(viewer_, d.entry)) << d.name;
    expectPicture(begin, grabWindow(viewer_), 0, std::string(d.name) + "-off");
  }
}

// Keys while the menu is open go to the window under the pointer: the menu
// ignores them, the view takes them as always. Labels follow the state.
TEST_F(Viewer, MenuLabelsFollowTheKeysAndTheOpenMenuIgnoresKeys) {
  auto menuPicture = [this]() {
    const ScreenRect menu = openMenuAt(viewer_, kQuit);
    return grabScreen(viewer_, menu);
  };
  const Picture start = grabWindow(viewer_);
  const Picture before = menuPicture();
  ASSERT_GT(before.width, 0) << "no menu";
  const Picture withMenu = grabWindow(viewer_);     // the screen's pixels: the menu shows over the view
  pressKeys(viewer_, "q Escape F1 space o Right");  // over the menu
  expectPicture(withMenu, grabWindow(viewer_), 0, "keys-over-the-menu");
  ASSERT_EQ(waitForExit(viewer_, 0), -1) << "a key over the menu ended the viewer";
  movePointer(viewer_, kAwayX, kAwayY);
  pressKeys(viewer_, "o");  // over the view, with the menu open
  EXPECT_GT(countDifferences(start, grabWindow(viewer_)), 20) << "'o' over the view did nothing";
  ASSERT_TRUE(waitForMenu(viewer_, true, nullptr, 0)) << "the menu closed";
  ASSERT_TRUE(closeMenuByClickingAway(viewer_));
  ASSERT_EQ(waitForExit(viewer_, 0), -1) << "the viewer ended";

  EXPECT_GT(countDifferences(before, menuPicture()), 20) << "the projection entry's label did not change";
  ASSERT_TRUE(closeMenuByClickingAway(viewer_));
  pressKeys(viewer_, "o");
  expectPicture(before, menuPicture(), 0, "menu-labels-back");
  ASSERT_TRUE(closeMenuByClickingAway(viewer_));
  expectPicture(start, grabWindow(viewer_), 0, "after-clicking-away");

  // A click beside the open menu only closes it, also where freeglut's hit
  // test, which takes the click's window position for a screen position,
  // would take it for a row: "Full screen" for the first, "Show the matrices" for the second.
  const int besides[][2] = {{20, kFullScreen}, {100, kMatrices}};  // menu opened at window y; the row mistaken
  for (const auto& b : besides) {
    const ScreenRect menu = openMenu(viewer_, kMenuAtX, b[0]);
    ASSERT_GT(menu.width, 0);
    const int rowHeight = (menu.height - 4) / kEntries;  // the rows fill the menu but for a 2-pixel border
    // Near the row's right end: the click itself lands right of the menu.
    movePointer(viewer_, menu.x + menu.width - 10, menu.y + 2 + rowHeight * b[1] + rowHeight / 2);
    clickButton(viewer_, 1);
    ASSERT_TRUE(waitForMenu(viewer_, false, nullptr)) << "a click beside the menu left it open";
    ASSERT_EQ(waitForExit(viewer_, 0), -1) << "a click beside the menu opened at y " << b[0] << " ended the viewer";
    expectPicture(start, grabWindow(viewer_), 0, "click-beside-the-menu");
  }
}

TEST(ViewerExit, QuitKeysAndWindowCloseEndWithStatusZero) {
  for (const char* keys : {"q", "Escape", "F1", "space", "Home", "close"}) {
    RunningViewer viewer;
    ASSERT_TRUE(startViewer(VELMORA_BINARY, {}, &viewer)) << keys << ": " << viewer.problem;
    if (std::string(keys) == "close") {
      closeAsWindowManager(viewer);
    } else {
      pressKeys(viewer, keys);
    }
    EXPECT_EQ(waitForExit(viewer, 5000), 0) << keys;
    EXPECT_EQ(viewerOutput(viewer), "") << keys;
    stopViewer(viewer);
  }
}

namespace {

// Runs the viewer with `args` and without a display: its exit status and what it printed.
int runWithoutDisplay(const std::vector<std::string>& args, std::string* output) {
  int fds[2];
  if (pipe(fds) != 0) return -1;
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(fds[1], 1);
    dup2(fds[1], 2);
    close(fds[0]);
    unsetenv("DISPLAY");
    std::vector<char*> argv{const_cast<char*>(VELMORA_BINARY)};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(VELMORA_BINARY, argv.data());
    _exit(127);
  }
  close(fds[1]);
  char buffer[512];
  for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;) output->append(buffer, static_cast<std::size_t>(n));
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

const std::string kStartLink = "1,1,1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1,0,0,0,-6,1,0,0,-6";

}  // namespace

// A text that is not a view is refused before any window opens (here there is
// no display to open one on): status 2 and one line on standard error, which
// never repeats the text.
TEST(ViewerCommandLine, ViewTextsThatAreNotViewsEndWithStatusTwo) {
  const std::string bad[] = {
      "",
      "1,1,1,0,0,0,0,1,0,0",                                     // cut short
      kStartLink + ",0",                                         // a field too many
      "1,1,1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1,0,0,0,-6,1,0,0,x",    // not a number
      "1,1,1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1,0,0,0,-6,1,0,0,nan",  // NaN
      "1,1,1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1,0,0,0,-inf,1,0,0,-6",
      "1,1,1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1,0,0,0,-6e300,1,0,0,-6",  // huge
      "1,1,1,0,0,0,0,2,0,0,0,0,1,0,0,0,0,1,0,0,0,-6,1,0,0,-6",      // a scale, not a turn
      "1,1,1,0,0,0,0,-1,0,0,0,0,1,0,0,0,0,1,0,0,0,-6,1,0,0,-6",     // a mirror
      "1,1,1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1,0,0,0,-6,0,0,0,-6",      // its last row not 0 0 0 1
      "1,2,1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1,0,0,0,-6,1,0,0,-6",      // a switch neither 0 nor 1
      "2,1,1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1,0,0,0,-6,1,0,0,-6",      // another form
      " 1,1,1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1,0,0,0,-6,1,0,0,-6",
      "0x1,1,1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1,0,0,0,-6,1,0,0,-6",
      "<script>alert(1)</script>",
  };
  for (const std::string option : {"--view", "--target"}) {  // an exercise's target is a view too
    for (const std::string& text : bad) {
      std::string output;
      EXPECT_EQ(runWithoutDisplay({option, text}, &output), 2) << text;
      EXPECT_NE(output.find("velmora: " + option + ": the view was not understood"), std::string::npos) << output;
      EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), 1) << text << ": " << output;
      EXPECT_TRUE(text.size() <= 3 || output.find(text) == std::string::npos) << text;
    }
    std::string output;
    EXPECT_EQ(runWithoutDisplay({option}, &output), 2) << output;
    EXPECT_EQ(runWithoutDisplay({"--view", kStartLink, option, "1"}, &output), 2) << output;
  }
  // A set with a bad target, or of more than 20, names which target and starts none.
  for (const auto& [count, which] : {std::pair{2, 1}, {5, 5}, {21, 21}}) {
    std::vector<std::string> args;
    for (int i = 1; i <= count; ++i)
      args.insert(args.end(), {"--target", i == which && count <= 20 ? "1,2" : kStartLink});
    std::string output;
    EXPECT_EQ(runWithoutDisplay(args, &output), 2) << count;
    const std::string said = "target " + std::to_string(which) + " of " + std::to_string(count) + " was not understood";
    EXPECT_EQ(output.rfind("velmora: --target: " + said, 0), 0u) << output;
  }
}

// "Link to this view" prints the command that starts at the view; a second
// viewer so started draws the same picture, the eye from outside included,
// and moves on from it as the first did.
TEST(ViewerCommandLine, ALinkedViewStartsAsItWasLeft) {
  RunningViewer first;
  ASSERT_TRUE(startViewer(VELMORA_BINARY, {}, &first)) << first.problem;
  pressKeys(first, "Right*3 Up*2 X*4 m Left P*3 O E");
  ASSERT_TRUE(chooseFromMenu(first, kEyeView));
  ASSERT_TRUE(chooseFromMenu(first, menuRowOf(kMenuLinkView)));
  ASSERT_TRUE(waitForFrames(first));
  const Picture left = grabWindow(first);
  std::string printed;
  for (int i = 0; i < 100 && printed.find('\n') == std::string::npos; ++i) {
    printed = viewerOutput(first);
    if (printed.find('\n') == std::string::npos) waitForFrames(first, 1);
  }
  pressKeys(first, "m Right*3");  // an orbit about the panned origin, which the link holds
  const Picture orbited = grabWindow(first);
  stopViewer(first);
  const std::string prefix = "velmora --view ";
  ASSERT_EQ(printed.rfind(prefix, 0), 0u) << printed;
  const std::string link = printed.substr(prefix.size(), printed.find('\n') - prefix.size());
  RunningViewer second;
  ASSERT_TRUE(startViewer(VELMORA_BINARY, {"--view", link}, &second)) << second.problem;
  expectPicture(left, grabWindow(second), 0, "linked-view");
  pressKeys(second, "m Right*3");
  expectPicture(orbited, grabWindow(second), 0, "linked-view-orbited");
  EXPECT_EQ(viewerOutput(second), "");
  stopViewer(second);
}

// Full screen: the window is the screen's size and shows what the viewer
// draws in a window of that size; leaving puts it back where and as large as it was.
TEST_F(Viewer, FullScreenFillsTheScreenAndLeavingPutsTheWindowBack) {
  const Picture start = grabWindow(viewer_);
  const ScreenRect before = windowRect(viewer_);
  const int screenWidth = DisplayWidth(viewer_.display, DefaultScreen(viewer_.display));
  const int screenHeight = DisplayHeight(viewer_.display, DefaultScreen(viewer_.display));
  ASSERT_TRUE(chooseFromMenu(viewer_, kFullScreen));
  for (int i = 0; i < 100 && windowRect(viewer_).width != screenWidth; ++i) waitForFrames(viewer_, 1);
  ASSERT_TRUE(waitForFrames(viewer_));
  const ScreenRect full = windowRect(viewer_);
  EXPECT_EQ(full.width, screenWidth);
  EXPECT_EQ(full.height, screenHeight);
  const Picture filled = grabWindow(viewer_);
  ASSERT_TRUE(chooseFromMenu(viewer_, kFullScreen));  // now "Leave full screen"
  for (int i = 0; i < 100 && windowRect(viewer_).width != before.width; ++i) waitForFrames(viewer_, 1);
  ASSERT_TRUE(waitForFrames(viewer_));
  const ScreenRect back = windowRect(viewer_);
  EXPECT_EQ(back.x, before.x);
  EXPECT_EQ(back.y, before.y);
  EXPECT_EQ(back.width, before.width);
  EXPECT_EQ(back.height, before.height);
  expectPicture(start, grabWindow(viewer_), 0, "left-full-screen");
  RunningViewer resized;
  std::string problem;
  ASSERT_TRUE(startViewer(VELMORA_BINARY, {}, &resized)) << resized.problem;
  ASSERT_TRUE(resizeWindow(resized, screenWidth, screenHeight, &problem)) << problem;
  expectPicture(grabWindow(resized), filled, 0, "full-screen");
  stopViewer(resized);
}
