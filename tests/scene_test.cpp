#include <gtest/gtest.h>

#include "app/view_state.h"
#include "scene/scene.h"
#include "tests/gl_harness.h"

TEST(Explore, Basics) {
  resetViewer();
  printf("win %d x %d\n", glutGet(GLUT_WINDOW_WIDTH), glutGet(GLUT_WINDOW_HEIGHT));
  Image img = drawAndRead();
  printf("%s\n", (const char*)glGetString(GL_RENDERER));
  printf("depth bits %d white %d red %d green %d\n", readInt(GL_DEPTH_BITS), img.count(kWhite), img.count(kRed),
         img.count(kGreen));
  printf("%s\n", savePng(img, "explore").c_str());
}
