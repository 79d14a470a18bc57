// The Windows build under Wine, beside the Linux one.
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/e2e_support.h"

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
        if (s.turnRow >= 0 && menu.width != 0)
          submenu = openSubmenu(viewer, menu, kTurns, kEntries, s.turnRow, kTurnEntries);
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
