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
