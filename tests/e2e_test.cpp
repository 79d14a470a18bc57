// The built viewer, driven through the X server as a user would drive it.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "tools/xdrive.h"

namespace {

// Fails when more than `tolerance` pixels differ, with the count, and writes
// the observed picture and a difference picture (differing pixels in magenta)
// beside the build.
void expectPicture(const Picture& expected, const Picture& observed, int tolerance, const std::string& name,
                   const std::string& hint = "") {
  const int differ = countDifferences(expected, observed);
  if (differ <= tolerance) return;
  const std::string path = std::string(VELMORA_ARTIFACT_DIR) + "/e2e-" + name;
  writePng(observed, path + ".png");
  writePng(differencePicture(expected, observed), path + "-difference.png");
  ADD_FAILURE() << name << ": " << differ << " pixels differ (" << tolerance << " allowed); observed picture " << path
                << ".png, differences " << path << "-difference.png" << hint;
}

class Viewer : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(startViewer(VELMORA_BINARY, {}, &viewer_)) << viewer_.problem; }
  void TearDown() override {
    EXPECT_EQ(viewerOutput(viewer_), "") << "the viewer printed something";
    stopViewer(viewer_);
  }
  RunningViewer viewer_;
};

// The menu's entries, top to bottom.
enum MenuEntry {
  kPanMode,
  kProjection,
  kAxes,
  kHalfAxes,
  kFullAxes,
  kNearer,
  kFarther,
  kTurns,
  kMatrices,
  kEyeView,
  kResetView,
  kQuit,
  kEntries
};
constexpr int kMenuAtX = 150, kMenuAtY = 100;  // where the right click opens it, window pixels
// A window pixel the menu does not cover. freeglut 3.4 takes a click's window
// position for a position on the screen when it checks whether the click hit
// the open menu, so the pixel lies outside the menu both ways: a click at
// (450, 450) would choose the row 200 pixels down the menu.
constexpr int kAwayX = 20, kAwayY = 480;

ScreenRect openMenuAt(RunningViewer& viewer, int entry) {
  return openMenu(viewer, kMenuAtX, kMenuAtY, entry, kEntries);
}

// Clicks the row the pointer is on as a person does: after a pause in which
// the viewer draws, so the toolkit has taken the pointer onto the row (Wine's
// menus take a click that comes at once with the move for a click beside them).
bool clickRow(RunningViewer& viewer) {
  waitForFrames(viewer);
  clickButton(viewer, 1);
  return waitForMenu(viewer, false, nullptr);
}

bool chooseFromMenu(RunningViewer& viewer, int entry) {
  return openMenuAt(viewer, entry).width != 0 && clickRow(viewer);
}

bool chooseFromTurnSubmenu(RunningViewer& viewer, int row) {
  const ScreenRect menu = openMenuAt(viewer, kTurns);
  return menu.width != 0 && openSubmenu(viewer, menu, kTurns, kEntries, row, 6).width != 0 && clickRow(viewer);
}

bool closeMenuByClickingAway(RunningViewer& viewer) {
  movePointer(viewer, kAwayX, kAwayY);
  clickButton(viewer, 1);
  return waitForMenu(viewer, false, nullptr);
}

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
      {"orbit-full-circle", "Right*36", "Right*36", 50},
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
  // test would take it for a row: Quit for the first, "Show the matrices" for
  // the second (the click's window position less the menu's screen corner).
  const int besides[][3] = {{20, 450, 460}, {100, 450, 464}};  // menu opened at y; click x, y
  for (const auto& b : besides) {
    ASSERT_GT(openMenu(viewer_, kMenuAtX, b[0]).width, 0);
    movePointer(viewer_, b[1], b[2]);
    clickButton(viewer_, 1);
    ASSERT_TRUE(waitForMenu(viewer_, false, nullptr)) << "a click beside the menu left it open";
    ASSERT_EQ(waitForExit(viewer_, 0), -1) << "a click beside the menu opened at y " << b[0] << " ended the viewer";
    expectPicture(start, grabWindow(viewer_), 0, "click-beside-the-menu");
  }
}

namespace {

// The gallery was made with Debian 12's Mesa (22), which draws every picture
// again pixel for pixel. Debian 13's Mesa (25) differs in two ways, measured
// picture by picture. Mesa 22 counts the line stipple of a line that reaches
// far beyond the window from where its clipper cuts the line at the guard band
// (twice the view's size); Mesa 25 counts it from elsewhere, so wherever the
// centre line reaches that far the dashes, of the same length and spacing, lie
// shifted along the line's path (150 to 238 pixels, each white in one picture
// and not in the other). And it rounds colour 0.14 (the blue of the matrices'
// backing) to 36 of 255 where Mesa 22 gives 35. Anything else is a real
// change: the smallest measured, an arrow head 0.005 narrower, changes 14
// pixels that are red, green or blue.
struct GalleryAllowance {
  const char* name;
  float x0, y0, x1, y1;  // the centre line's path across the window, pixels: a pixel within 1 of it may differ if white
                         // in one picture
  int levels;            // by how much any colour channel may differ elsewhere
  int strays;            // pixels that may differ beyond that: one pixel of a long road edge a row lower (2 pixels)
};
const GalleryAllowance kMesa25Allowances[] = {
    {"orbit", 0, 200.2f, 499, 298.8f, 0, 2},    {"pan", 0, 300, 499, 300, 0, 0},
    {"matrices", 0, 200.2f, 499, 298.8f, 1, 0}, {"eye-view", 0, 200.2f, 499, 298.8f, 0, 2},
    {"drag", 0, 274.1f, 499, 224.9f, 0, 0},
};

// The major version a command prints, read with `format`; 0 if it does not say.
int majorVersion(const char* command, const char* format) {
  FILE* pipe = popen(command, "r");
  int major = 0;
  if (pipe != nullptr) {
    if (std::fscanf(pipe, format, &major) != 1) major = 0;
    pclose(pipe);
  }
  return major;
}

// The major version of the Mesa drivers installed, 0 if it cannot be told.
int mesaMajorVersion() { return majorVersion("dpkg-query -W -f='${Version}' libgl1-mesa-dri 2>/dev/null", "%d"); }

// The pixels that differ, but for those that forgiven(x, y, expected pixel,
// observed pixel) lets pass.
template <typename Forgiven>
int differencesBut(const Picture& expected, const Picture& observed, Forgiven forgiven) {
  if (expected.width != observed.width || expected.height != observed.height)
    return countDifferences(expected, observed);
  int n = 0;
  for (int y = 0; y < expected.height; ++y)
    for (int x = 0; x < expected.width; ++x) {
      const std::size_t i = 3 * static_cast<std::size_t>(y * expected.width + x);
      const std::uint8_t* e = &expected.rgb[i];
      const std::uint8_t* o = &observed.rgb[i];
      if (!std::equal(e, e + 3, o) && !forgiven(x, y, e, o)) ++n;
    }
  return n;
}

// The pixels that differ beyond an allowance.
int differencesBeyond(const Picture& expected, const Picture& observed, const GalleryAllowance& allowed) {
  const float dx = allowed.x1 - allowed.x0, dy = allowed.y1 - allowed.y0;
  const float length = std::hypot(dx, dy);
  const auto white = [](const std::uint8_t* p) { return p[0] == 255 && p[1] == 255 && p[2] == 255; };
  return differencesBut(expected, observed, [&](int x, int y, const std::uint8_t* e, const std::uint8_t* o) {
    const bool close = std::abs(e[0] - o[0]) <= allowed.levels && std::abs(e[1] - o[1]) <= allowed.levels &&
                       std::abs(e[2] - o[2]) <= allowed.levels;
    const bool onCentreLine =
        length > 0 &&
        std::abs(dy * (static_cast<float>(x) - allowed.x0) - dx * (static_cast<float>(y) - allowed.y0)) / length <=
            1.0f;
    return close || (onCentreLine && (white(e) || white(o)));
  });
}

}  // namespace

// Every picture of the gallery, made again from its row's input on a viewer of
// its own, is the committed one: pixel for pixel with the Mesa that made them.
TEST(Gallery, EveryPictureIsTheCommittedOne) {
  std::string problem;
  const std::vector<Shot> shots = readGallery(VELMORA_GALLERY, &problem);
  ASSERT_FALSE(shots.empty()) << problem;
  const std::string docs = std::string(VELMORA_GALLERY).substr(0, std::string(VELMORA_GALLERY).rfind('/'));
  const int mesa = mesaMajorVersion();
  for (const Shot& shot : shots) {
    RunningViewer viewer;
    ASSERT_TRUE(startViewer(VELMORA_BINARY, {}, &viewer)) << shot.name << ": " << viewer.problem;
    const Picture observed = takeShot(viewer, shot, &problem);
    EXPECT_EQ(problem, "");
    EXPECT_EQ(viewerOutput(viewer), "") << shot.name << ": the viewer printed something";
    stopViewer(viewer);
    const std::string committed = docs + "/" + shot.name + ".png";
    const Picture expected = readPng(committed);
    ASSERT_GT(expected.width, 0) << "cannot read " << committed;
    const std::string hint =
        "\n  against " + committed + "; if the change is meant, bash scripts/pictures.sh remakes the gallery";
    const GalleryAllowance* allowed = nullptr;
    for (const GalleryAllowance& a : kMesa25Allowances)
      if (mesa >= 25 && shot.name == a.name) allowed = &a;
    if (allowed == nullptr) {
      expectPicture(expected, observed, 0, "gallery-" + shot.name, hint);
    } else {
      const int beyond = differencesBeyond(expected, observed, *allowed);
      EXPECT_LE(beyond, allowed->strays) << shot.name << ": Mesa " << mesa << " draws " << beyond
                                         << " pixels beyond what it is known to draw differently" << hint;
      if (beyond > allowed->strays) expectPicture(expected, observed, 0, "gallery-" + shot.name);
    }
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

// The Windows build, run under Wine on the same X server: the same pictures
// as the Linux build from the same input, its own icon, and the quit keys.
#ifdef VELMORA_WINDOWS_DIR
namespace {

const std::string kWindowsDir = VELMORA_WINDOWS_DIR;

// Runs a command with its output in a file; its exit status, or -1.
int runQuietly(const std::string& command, const std::string& log) {
  const int status = std::system((command + " >>'" + log + "' 2>&1 </dev/null").c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Wine's major version, 0 if it does not say.
int wineMajorVersion() { return majorVersion("wine --version 2>/dev/null", "wine-%d"); }

// What freeglut prints under Wine, whose display has no screen-size
// information for it: nothing from the viewer itself.
bool onlyWineScreenNotice(const std::string& output) {
  std::istringstream lines(output);
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.find("fgPlatformInitialize: CreateDC failed") == std::string::npos &&
        line != "This is quite likely caused by a bad '-display' parameter")
      return false;
  }
  return true;
}

}  // namespace

TEST(WindowsBuild, UnderWineDrawsAsOnLinuxShowsItsIconAndQuits) {
  // Wine's prefix is made once and kept beside the build; one persistent
  // server serves every run of the test.
  const std::string log = kWindowsDir + "/wine.log";
  setenv("WINEPREFIX", (kWindowsDir + "/wine-prefix").c_str(), 1);
  setenv("WINEDEBUG", "-all", 1);
  setenv("WINEDLLOVERRIDES", "mscoree,mshtml=", 1);  // no offer to install .NET or a browser engine
  ASSERT_EQ(runQuietly("test -f \"$WINEPREFIX/system.reg\" || { wineboot -i && wineserver -w; }", log), 0)
      << "Wine's prefix could not be made; see " << log;
  ASSERT_EQ(runQuietly("wineserver -p", log), 0) << log;
  struct StopWineServer {
    std::string log;
    ~StopWineServer() { runQuietly("wineserver -k; wineserver -w", log); }
  } stopWineServer{log};

  struct Step {
    const char* name;
    const char* keys;
    bool drag;
    int menuRow = -1;  // on Wine, instead of the keys: this row of the menu
    int turnRow = -1;  // or this row of its turn submenu
  };
  const Step steps[] = {
      {"start", "", false},  // after a click, which gives the window the focus and turns nothing
      {"keys", "Right*3 X*2 m Left*2 o", false},
      {"drag", "o", true},
      {"menu-row", "O", false, kProjection},
      {"submenu-row", "X", false, -1, 0},
  };
  const int wine = wineMajorVersion();
  std::vector<ScreenRect> covered;  // window pixels that Wine's lingering menus hide
  auto pictures = [&](const std::string& command, const std::vector<std::string>& args) {
    std::vector<Picture> taken;
    RunningViewer viewer;
    EXPECT_TRUE(startViewer(command, args, &viewer, 60000)) << command << ": " << viewer.problem;
    if (viewer.window == 0) return taken;
    const bool onWine = command == "wine";
    if (onWine) {
      const Picture icon = readPng(VELMORA_ICON_PNG);
      const Picture shown = windowIcon(viewer, 32);
      EXPECT_EQ(countDifferences(icon, shown), 0) << "the Windows build's window icon is not the project's";
      if (!(icon == shown)) writePng(shown, std::string(VELMORA_ARTIFACT_DIR) + "/e2e-wine-icon.png");
    }
    movePointer(viewer, 250, 250);
    clickButton(viewer, 1);
    for (const Step& s : steps) {
      if (onWine && (s.menuRow >= 0 || s.turnRow >= 0)) {
        const ScreenRect menu = openMenuAt(viewer, s.menuRow >= 0 ? s.menuRow : kTurns);
        EXPECT_GT(menu.width, 0) << s.name << ": the menu did not open";
        ScreenRect submenu;
        if (s.turnRow >= 0 && menu.width != 0) submenu = openSubmenu(viewer, menu, kTurns, kEntries, s.turnRow, 6);
        EXPECT_TRUE(s.turnRow < 0 || submenu.width > 0) << s.name << ": the submenu did not open";
        if (wine >= 9) {
          // Wine 10 leaves a closed menu's window on the screen, still showing
          // the menu, over the view: what lies under it is not compared. The
          // click comes after a pause, as clickRow's does, or Wine may take
          // it for one beside the menu.
          waitForFrames(viewer);
          clickButton(viewer, 1);
          waitForFrames(viewer);
          const ScreenRect window = windowRect(viewer);
          for (const ScreenRect& m : {menu, submenu})
            if (m.width > 0) covered.push_back({m.x - window.x, m.y - window.y, m.width, m.height});
        } else {
          EXPECT_TRUE(clickRow(viewer)) << s.name << ": the menu did not close";
        }
      } else {
        pressKeys(viewer, s.keys);
      }
      if (s.drag) {
        // One move, drawn before the release: Windows merges pointer moves
        // that wait in its queue, which turns a drag of several differently.
        movePointer(viewer, 200, 200);
        pressButton(viewer, 1, true);
        movePointer(viewer, 260, 240);
        waitForFrames(viewer);
        pressButton(viewer, 1, false);
      }
      movePointer(viewer, 250, 250);  // off the place where the menu was
      taken.push_back(grabWindow(viewer));
    }
    pressKeys(viewer, "q");
    EXPECT_EQ(waitForExit(viewer, 60000), 0) << command << ": 'q' did not end it with status 0";
    EXPECT_TRUE(onlyWineScreenNotice(viewerOutput(viewer))) << command << " printed:\n" << viewerOutput(viewer);
    stopViewer(viewer);
    return taken;
  };
  const std::string exe = kWindowsDir + "/velmora/velmora.exe";
  // Windows' own DLLs only (the C++ runtime and freeglut are linked in), and a windowed program.
  const std::string imports = kWindowsDir + "/imports.txt";
  std::remove(imports.c_str());
  ASSERT_EQ(runQuietly("x86_64-w64-mingw32-objdump -p '" + exe + "'", imports), 0) << imports;
  std::ifstream importList(imports);
  std::string line;
  int dlls = 0;
  bool windowed = false;
  while (std::getline(importList, line)) {
    if (line.find("Subsystem") == 0) windowed = line.find("(Windows GUI)") != std::string::npos;
    const std::size_t at = line.find("DLL Name: ");
    if (at == std::string::npos) continue;
    ++dlls;
    std::string dll = line.substr(at + 10);
    std::transform(dll.begin(), dll.end(), dll.begin(), [](unsigned char c) { return std::tolower(c); });
    const char* const system[] = {"kernel32.dll", "user32.dll", "gdi32.dll",    "advapi32.dll",
                                  "msvcrt.dll",   "winmm.dll",  "opengl32.dll", "glu32.dll"};
    EXPECT_NE(std::find(std::begin(system), std::end(system), dll), std::end(system)) << "velmora.exe needs " << dll;
  }
  EXPECT_GT(dlls, 0) << "no imports read from " << imports;
  EXPECT_TRUE(windowed) << "velmora.exe is not a windowed (GUI) program";

  const std::vector<Picture> onLinux = pictures(VELMORA_BINARY, {});
  const std::vector<Picture> onWine = pictures("wine", {exe});
  ASSERT_EQ(onLinux.size(), std::size(steps));
  ASSERT_EQ(onWine.size(), std::size(steps));
  // Wine 8 (Debian 12) gives the exe's window a GL drawable like the Linux
  // build's: the pictures are equal pixel for pixel. Wine 10 (Debian 13) gives
  // it a depth buffer, although none is asked for, so the gizmo's heads hide
  // the car lines behind them as the depth test does wherever the toolkit gives
  // one, and starts the centre line's stipple where the window's edge cuts the
  // line: a few hundred pixels, where a wrong move or projection makes
  // thousands.
  const int tolerance = wine >= 9 ? 1000 : 0;
  auto differences = [&covered](const Picture& a, const Picture& b) {
    return differencesBut(a, b, [&covered](int x, int y, const std::uint8_t*, const std::uint8_t*) {
      return std::any_of(covered.begin(), covered.end(), [x, y](const ScreenRect& r) {
        return x >= r.x && x < r.x + r.width && y >= r.y && y < r.y + r.height;
      });
    });
  };
  for (std::size_t i = 0; i < std::size(steps); ++i) {
    EXPECT_GT(onLinux[i].width, 0) << steps[i].name;
    const int differ = differences(onLinux[i], onWine[i]);
    EXPECT_LE(differ, tolerance) << steps[i].name << ": the Windows build's picture differs from the Linux build's"
                                 << " (Wine " << wine << ")";
    if (differ != 0) {
      writePng(onWine[i], std::string(VELMORA_ARTIFACT_DIR) + "/e2e-wine-" + steps[i].name + ".png");
      writePng(onLinux[i], std::string(VELMORA_ARTIFACT_DIR) + "/e2e-linux-" + steps[i].name + ".png");
    }
  }

  RunningViewer viewer;
  ASSERT_TRUE(startViewer("wine", {exe}, &viewer, 60000)) << viewer.problem;
  movePointer(viewer, 250, 250);
  clickButton(viewer, 1);
  pressKeys(viewer, "Escape");
  EXPECT_EQ(waitForExit(viewer, 60000), 0) << "Escape did not end the Windows build with status 0";
  stopViewer(viewer);
}
#endif
