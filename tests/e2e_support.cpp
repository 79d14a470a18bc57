// What the end-to-end tests share: pictures held to expected ones, and the
// versions of the programs they run under.
#include "tests/e2e_support.h"

#include <cstdio>

void expectPicture(const Picture& expected, const Picture& observed, int tolerance, const std::string& name,
                   const std::string& hint) {
  const int differ = countDifferences(expected, observed);
  if (differ <= tolerance) return;
  const std::string path = std::string(VELMORA_ARTIFACT_DIR) + "/e2e-" + name;
  writePng(observed, path + ".png");
  writePng(differencePicture(expected, observed), path + "-difference.png");
  ADD_FAILURE() << name << ": " << differ << " pixels differ (" << tolerance << " allowed); observed picture " << path
                << ".png, differences " << path << "-difference.png" << hint;
}

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
