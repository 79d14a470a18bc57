// Frame and key-callback costs on the machine's GL (under Xvfb: Mesa's
// software renderer). scripts/bench.sh times the real binary's start separately.
#include <benchmark/benchmark.h>

#include <GL/freeglut.h>

#include "app/projection.h"
#include "app/startup.h"
#include "app/view_state.h"
#include "nav/nav.h"
#include "scene/scene.h"

namespace {

void noDisplay() {}

// One window for the in-process benchmarks, made on first use.
void ensureViewer() {
  static bool open = false;
  if (open) return;
  int argc = 1;
  char name[] = "velmora_bench";
  char* argv[] = {name, nullptr};
  openWindow(&argc, argv);
  glutDisplayFunc(noDisplay);
  initGl();
  onReshape(kWindowWidth, kWindowHeight);
  drawFrame();
  open = true;
}

void EmptyFrame(benchmark::State& state) {
  ensureViewer();
  for (auto _ : state) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glFlush();
    glutSwapBuffers();
  }
  glFinish();
}
BENCHMARK(EmptyFrame)->Unit(benchmark::kMicrosecond);

// range(0): the gizmo; range(1): the matrix text; range(2): the eye's inset;
// range(3): an exercise under way (its faint target and its words).
void DrawFrame(benchmark::State& state) {
  ensureViewer();
  view.showAxes = static_cast<int>(state.range(0));
  view.showMatrices = static_cast<int>(state.range(1));
  view.showEyeView = static_cast<int>(state.range(2));
  if (state.range(3) != 0) startExercise(12);
  for (auto _ : state) drawFrame();
  glFinish();
  leaveExercise();
  view.showAxes = 1;
  view.showMatrices = view.showEyeView = 0;
}
BENCHMARK(DrawFrame)
    ->ArgNames({"axes", "text", "eye", "target"})
    ->Args({1, 0, 0, 0})
    ->Args({0, 0, 0, 0})
    ->Args({1, 1, 0, 0})
    ->Args({1, 0, 1, 0})
    ->Args({1, 1, 1, 0})
    ->Args({1, 0, 0, 1})
    ->Unit(benchmark::kMicrosecond);

// Key callbacks, in pairs that undo each other so the view stays put.
void OrbitKeys(benchmark::State& state) {
  ensureViewer();
  view.panMode = static_cast<int>(state.range(0));
  for (auto _ : state) {
    onSpecialKey(GLUT_KEY_RIGHT, 0, 0);
    onSpecialKey(GLUT_KEY_LEFT, 0, 0);
  }
  view.panMode = 0;
  state.SetItemsProcessed(2 * state.iterations());
}
BENCHMARK(OrbitKeys)->ArgName("pan")->Arg(0)->Arg(1);

// Character keys in undoing pairs: range(0) and range(1) are the two keys.
void CharacterKeys(benchmark::State& state) {
  ensureViewer();
  const auto first = static_cast<unsigned char>(state.range(0)), second = static_cast<unsigned char>(state.range(1));
  for (auto _ : state) {
    onKey(first, 0, 0);
    onKey(second, 0, 0);
  }
  state.SetItemsProcessed(2 * state.iterations());
}
BENCHMARK(CharacterKeys)->ArgNames({"key", "undo"})->Args({'P', 'p'})->Args({'X', 'x'});

}  // namespace

BENCHMARK_MAIN();
