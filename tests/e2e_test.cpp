// The built viewer, driven through the X server as a user would drive it.
#include <gtest/gtest.h>

#include <fstream>

#include "tools/xdrive.h"

namespace {

class Viewer : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(startViewer(VELMORA_BINARY, {}, &viewer_)) << viewer_.problem; }
  void TearDown() override {
    EXPECT_EQ(viewerOutput(viewer_), "") << "the viewer printed something";
    stopViewer(viewer_);
  }
  void expectPicture(const Picture& expected, const Picture& observed, int tolerance, const std::string& name) {
    const int differ = countDifferences(expected, observed);
    if (differ > tolerance) {
      const std::string path = std::string(VELMORA_ARTIFACT_DIR) + "/e2e-" + name + ".png";
      writePng(observed, path);
      ADD_FAILURE() << name << ": " << differ << " pixels differ; observed picture " << path;
    }
  }
  RunningViewer viewer_;
};

// The menu's entries, top to bottom.
enum MenuEntry { kPanMode, kProjection, kAxes, kHalfAxes, kFullAxes, kNearer, kFarther, kResetView, kQuit, kEntries };
constexpr int kMenuAtX = 150, kMenuAtY = 100;  // where the right click opens it, window pixels
constexpr int kAwayX = 450, kAwayY = 450;      // a window pixel the menu does not cover

ScreenRect openMenuAt(RunningViewer& viewer, int entry) {
  return openMenu(viewer, kMenuAtX, kMenuAtY, entry, kEntries);
}

bool chooseFromMenu(RunningViewer& viewer, int entry) {
  if (openMenuAt(viewer, entry).width == 0) return false;
  clickButton(viewer, 1);
  return waitForMenu(viewer, false, nullptr);
}

bool closeMenuByClickingAway(RunningViewer& viewer) {
  movePointer(viewer, kAwayX, kAwayY);
  clickButton(viewer, 1);
  return waitForMenu(viewer, false, nullptr);
}

}  // namespace

TEST_F(Viewer, OpensTitledWindowAtItsPlace) {
  int x = 0, y = 0, width = 0, height = 0;
  windowGeometry(viewer_, &x, &y, &width, &height);
  EXPECT_EQ(windowTitle(viewer_), "Velmora");
  EXPECT_EQ((std::array<int, 4>{x, y, width, height}), (std::array<int, 4>{100, 150, 500, 500}));
  // Desktops attach the entry's icon by StartupWMClass; it must name the window's
  // class, and be absent while the toolkit sets none (freeglut 3.4 sets none).
  std::ifstream entry(VELMORA_DESKTOP_ENTRY);
  std::string line, startupClass = ".";
  while (std::getline(entry, line))
    if (line.rfind("StartupWMClass=", 0) == 0) startupClass = line.substr(15);
  const std::string windowClassName = windowClass(viewer_);  // "name.class", or "" when unset
  EXPECT_EQ(startupClass, windowClassName.empty() ? "." : windowClassName.substr(windowClassName.find('.') + 1));
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
  // The wheel: a notch away from the user is one P, towards one p.
  clickButton(viewer_, 4);
  const Picture wheel = grabWindow(viewer_);
  pressKeys(viewer_, "p P");
  expectPicture(wheel, grabWindow(viewer_), 0, "wheel-away-is-P");
  clickButton(viewer_, 5);
  expectPicture(start, grabWindow(viewer_), 0, "wheel-towards-is-p");

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
