// Pictures as the tests hold them: 8-bit RGB, rows top down; PNG files,
// the count of differing pixels and a picture of where they differ.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Picture {
  int width = 0, height = 0;
  std::vector<std::uint8_t> rgb;  // rows top down
  bool operator==(const Picture& o) const { return width == o.width && height == o.height && rgb == o.rgb; }
};

// Number of pixels that differ between two pictures of the same size.
int countDifferences(const Picture& a, const Picture& b);

bool writePng(const Picture& picture, const std::string& path);

// A PNG file as RGB, laid over magenta where it is not opaque. Empty if unreadable.
Picture readPng(const std::string& path);

// A picture showing where two pictures of the same size differ: every pixel
// that differs in magenta, the rest as in `expected` at a quarter of its brightness.
Picture differencePicture(const Picture& expected, const Picture& observed);

// Appends one pixel, laid over magenta by its alpha.
void addOverMagenta(Picture& picture, unsigned red, unsigned green, unsigned blue, unsigned alpha);
