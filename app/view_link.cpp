// A view as text, written and read back.
#include "app/view_link.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/gl.h"
#include "app/platform.h"

namespace {

constexpr int kLinkVersion = 1;
constexpr double kRotationTolerance = 1.0e-3;  // how far from orthonormal a turn's columns may be

// The view and the exercises' targets taken from the command line, if they were.
struct CommandLineView {
  bool given;
  ViewLink taken;
  int targetCount;
  ViewLink targets[kLinkTargetsMax];
};
CommandLineView commandLine = {};

// The switches the text holds, in its order.
constexpr int ViewState::*kLinkFlags[6] = {&ViewState::usePerspective, &ViewState::showAxes,
                                           &ViewState::fullAxes,       &ViewState::panMode,
                                           &ViewState::showMatrices,   &ViewState::showEyeView};

// One number of the text: all of [text, end) read, finite and within reach.
bool readNumber(const char* text, const char* end, double* value) {
  if (text == end || end - text > 40) return false;
  char field[48];
  std::memcpy(field, text, static_cast<std::size_t>(end - text));
  field[end - text] = '\0';
  for (const char* c = field; *c != '\0'; ++c)
    if (std::strchr("0123456789+-.eE", *c) == nullptr) return false;  // no "inf", "nan", hex or spaces
  char* stop = nullptr;
  errno = 0;
  *value = std::strtod(field, &stop);
  return *stop == '\0' && errno == 0 && std::isfinite(*value) && std::fabs(*value) <= kViewLinkMaxDistance;
}

// The upper 3 x 3 of a column-major matrix is a turn: orthonormal columns, right-handed.
bool isTurn(const float* m) {
  for (int a = 0; a < 3; ++a)
    for (int b = 0; b < 3; ++b) {
      double dot = 0.0;
      for (int r = 0; r < 3; ++r) dot += static_cast<double>(m[a * 4 + r]) * m[b * 4 + r];
      if (std::fabs(dot - (a == b ? 1.0 : 0.0)) > kRotationTolerance) return false;
    }
  const double det =
      m[0] * (m[5] * m[10] - m[9] * m[6]) - m[4] * (m[1] * m[10] - m[9] * m[2]) + m[8] * (m[1] * m[6] - m[5] * m[2]);
  return det > 0.0;
}

}  // namespace

void formatViewLink(const ViewState& state, const float* modelview, char (&out)[kViewLinkSize]) {
  int used = std::snprintf(out, sizeof out, "%d", kLinkVersion);
  for (const auto flag : kLinkFlags)
    used += std::snprintf(out + used, sizeof out - static_cast<std::size_t>(used), ",%d", state.*flag);
  for (int i = 0; i < 16; ++i)
    used += std::snprintf(out + used, sizeof out - static_cast<std::size_t>(used), ",%.9g", modelview[i]);
  const float offset[3] = {state.sceneOffset.x, state.sceneOffset.y, state.sceneOffset.z};
  for (const float v : offset)
    used += std::snprintf(out + used, sizeof out - static_cast<std::size_t>(used), ",%.9g", v);
}

bool parseViewLink(const char* text, ViewLink* link, const char** problem) {
  double numbers[kViewLinkFields];
  int count = 0;
  const char* at = text;
  for (;;) {
    const char* comma = std::strchr(at, ',');
    const char* end = comma != nullptr ? comma : at + std::strlen(at);
    if (count == kViewLinkFields) {
      *problem = "it has more than 26 numbers";
      return false;
    }
    if (!readNumber(at, end, &numbers[count])) {
      *problem = "a field is not a number within reach";
      return false;
    }
    ++count;
    if (comma == nullptr) break;
    at = comma + 1;
  }
  if (count != kViewLinkFields) {
    *problem = "it has fewer than 26 numbers";
    return false;
  }
  if (numbers[0] != kLinkVersion) {
    *problem = "it is not of the form this program writes";
    return false;
  }
  for (int i = 0; i < 6; ++i) {
    if (numbers[1 + i] != 0.0 && numbers[1 + i] != 1.0) {
      *problem = "a switch is neither 0 nor 1";
      return false;
    }
    link->flags[i] = static_cast<int>(numbers[1 + i]);
  }
  for (int i = 0; i < 16; ++i) link->modelview[i] = static_cast<float>(numbers[7 + i]);
  link->sceneOffset = {static_cast<float>(numbers[23]), static_cast<float>(numbers[24]),
                       static_cast<float>(numbers[25])};
  const float* m = link->modelview;
  if (m[3] != 0.0f || m[7] != 0.0f || m[11] != 0.0f || m[15] != 1.0f || !isTurn(m)) {
    *problem = "its matrix is not a turn and a translation";
    return false;
  }
  return true;
}

void takeViewOption(int* argc, char** argv) {
  int targets = 0;
  for (int i = 1; i < *argc; ++i) targets += std::strcmp(argv[i], "--target") == 0 ? 1 : 0;
  int target = 0;
  for (int i = 1; i < *argc;) {
    const bool isTarget = std::strcmp(argv[i], "--target") == 0;
    if (!isTarget && std::strcmp(argv[i], "--view") != 0) {
      ++i;
      continue;
    }
    const char* option = isTarget ? "--target" : "--view";
    const char* problem = "it needs the text of a view";
    ViewLink read = {};
    bool sound = i + 1 < *argc && parseViewLink(argv[i + 1], &read, &problem);
    const int drop = i + 1 < *argc ? 2 : 1;
    for (int j = i; j + drop <= *argc; ++j) argv[j] = argv[j + drop];
    *argc -= drop;
    if (isTarget && ++target > kLinkTargetsMax) {
      sound = false;
      problem = "a link holds at most 20 targets";
    }
    if (!sound) {
      commandLine.targetCount = 0;  // a set with a bad target starts none of it
      char which[48] = "the view";
      if (isTarget && targets > 1) std::snprintf(which, sizeof which, "target %d of %d", target, targets);
      return rejectViewLink(option, which, problem);
    }
    if (isTarget) {
      commandLine.targets[commandLine.targetCount++] = read;
    } else {
      commandLine.given = true;
      commandLine.taken = read;
    }
  }
}

bool placeLinkedView() {
  if (!commandLine.given) return false;
  for (int i = 0; i < 6; ++i) view.*kLinkFlags[i] = commandLine.taken.flags[i];
  view.sceneOffset = commandLine.taken.sceneOffset;
  glMatrixMode(GL_MODELVIEW);
  glLoadMatrixf(commandLine.taken.modelview);
  return true;
}

int takenTargets(const ViewLink** targets) {
  *targets = commandLine.targets;
  return commandLine.targetCount;
}

void forgetLinkedView() { commandLine = {}; }
