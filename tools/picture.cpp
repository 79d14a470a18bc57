// Pictures: PNG files read and written, the pixels that differ, the difference picture.
#include "tools/picture.h"

#include <png.h>

#include <algorithm>
#include <cstdio>

namespace {

// One 8-bit channel laid over a background channel by an 8-bit alpha.
std::uint8_t over(unsigned value, unsigned background, unsigned alpha) {
  return static_cast<std::uint8_t>((value * alpha + background * (255 - alpha) + 127) / 255);
}

}  // namespace

void addOverMagenta(Picture& picture, unsigned red, unsigned green, unsigned blue, unsigned alpha) {
  picture.rgb.push_back(over(red, 255, alpha));
  picture.rgb.push_back(over(green, 0, alpha));
  picture.rgb.push_back(over(blue, 255, alpha));
}

int countDifferences(const Picture& a, const Picture& b) {
  if (a.width != b.width || a.height != b.height) return a.width * a.height + b.width * b.height;
  int n = 0;
  for (std::size_t i = 0; i < a.rgb.size(); i += 3)
    n += (a.rgb[i] != b.rgb[i] || a.rgb[i + 1] != b.rgb[i + 1] || a.rgb[i + 2] != b.rgb[i + 2]) ? 1 : 0;
  return n;
}

bool writePng(const Picture& picture, const std::string& path) {
  if (picture.width <= 0 || picture.height <= 0) return false;
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_init_io(png, file);
  png_set_IHDR(png, info, static_cast<png_uint_32>(picture.width), static_cast<png_uint_32>(picture.height), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < picture.height; ++y)
    png_write_row(png, &picture.rgb[3 * static_cast<std::size_t>(y * picture.width)]);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return std::fclose(file) == 0;
}

Picture readPng(const std::string& path) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  Picture picture;
  if (png_image_begin_read_from_file(&image, path.c_str()) == 0) return picture;
  image.format = PNG_FORMAT_RGBA;
  std::vector<std::uint8_t> rgba(PNG_IMAGE_SIZE(image));
  if (png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr) == 0) return picture;
  picture.width = static_cast<int>(image.width);
  picture.height = static_cast<int>(image.height);
  for (std::size_t i = 0; i + 3 < rgba.size(); i += 4)
    addOverMagenta(picture, rgba[i], rgba[i + 1], rgba[i + 2], rgba[i + 3]);
  return picture;
}

Picture differencePicture(const Picture& expected, const Picture& observed) {
  Picture difference = expected;
  if (expected.width != observed.width || expected.height != observed.height) return difference;
  for (std::size_t i = 0; i < difference.rgb.size(); i += 3) {
    const bool same = std::equal(&expected.rgb[i], &expected.rgb[i] + 3, &observed.rgb[i]);
    const std::uint8_t magenta[] = {255, 0, 255};
    for (std::size_t c = 0; c < 3; ++c)
      difference.rgb[i + c] = same ? static_cast<std::uint8_t>(expected.rgb[i + c] / 4) : magenta[c];
  }
  return difference;
}
