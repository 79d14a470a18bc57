// velmora-picture: the pictures' comparison, for whoever holds pictures as
// PNG files (the browsers' test): how many pixels differ, and where.
//   velmora-picture EXPECTED.png OBSERVED.png [DIFFERENCE.png]
// Prints the number of differing pixels (every pixel of both when the sizes
// differ) and, if any differ, writes DIFFERENCE.png: each differing pixel in
// magenta over the expected picture at a quarter of its brightness. Exit
// status 0, or 2 when a picture cannot be read or the difference written.
#include <cstdio>
#include <string>

#include "tools/picture.h"

int main(int argc, char** argv) {
  if (argc != 3 && argc != 4) {
    std::fprintf(stderr, "usage: %s EXPECTED.png OBSERVED.png [DIFFERENCE.png]\n", argv[0]);
    return 2;
  }
  const Picture expected = readPng(argv[1]);
  const Picture observed = readPng(argv[2]);
  for (int i = 1; i <= 2; ++i) {
    if ((i == 1 ? expected : observed).width == 0) {
      std::fprintf(stderr, "velmora-picture: cannot read %s\n", argv[i]);
      return 2;
    }
  }
  const int differ = countDifferences(expected, observed);
  std::printf("%d\n", differ);
  if (differ > 0 && argc == 4 && !writePng(differencePicture(expected, observed), argv[3])) {
    std::fprintf(stderr, "velmora-picture: cannot write %s\n", argv[3]);
    return 2;
  }
  return 0;
}
