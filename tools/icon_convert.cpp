// velmora-icon: turns the icon's one source, an XPM with one character per
// pixel and at most 16 colours, into the forms platforms want:
//   velmora-icon velmora.xpm velmora.png velmora.ico
// The PNG is 8-bit palette; the ICO holds one 32 x 32, 4-bit (16-colour) image.
#include <png.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int kMaxColours = 16;

struct Icon {
  int width = 0, height = 0;
  std::vector<std::uint32_t> palette;  // 0xRRGGBB
  std::vector<int> pixels;             // palette indices, rows top down
};

[[noreturn]] void fail(const std::string& why) {
  std::fprintf(stderr, "velmora-icon: %s\n", why.c_str());
  std::exit(1);
}

// The quoted strings of the XPM, in order: header, colours, pixel rows.
std::vector<std::string> quotedStrings(const std::string& path) {
  std::ifstream in(path);
  if (!in) fail("cannot read " + path);
  std::vector<std::string> strings;
  for (std::string line; std::getline(in, line);) {
    const std::size_t open = line.find('"'), close = line.rfind('"');
    if (open != std::string::npos && close > open) strings.push_back(line.substr(open + 1, close - open - 1));
  }
  return strings;
}

Icon readXpm(const std::string& path) {
  const std::vector<std::string> s = quotedStrings(path);
  Icon icon;
  int colours = 0, perPixel = 0;
  if (s.empty() || std::sscanf(s[0].c_str(), "%d %d %d %d", &icon.width, &icon.height, &colours, &perPixel) != 4)
    fail("no XPM header in " + path);
  if (perPixel != 1 || colours < 1 || colours > kMaxColours) fail("need 1 character per pixel and 1 to 16 colours");
  if (s.size() != static_cast<std::size_t>(1 + colours + icon.height)) fail("row count does not match the header");
  std::map<char, int> index;
  for (int i = 0; i < colours; ++i) {
    const std::string& c = s[static_cast<std::size_t>(1 + i)];
    const std::size_t hash = c.find("c #");
    if (c.size() < 10 || hash == std::string::npos) fail("colour line must read 'X c #RRGGBB': " + c);
    index[c[0]] = i;
    icon.palette.push_back(static_cast<std::uint32_t>(std::strtoul(c.c_str() + hash + 3, nullptr, 16)));
  }
  for (int y = 0; y < icon.height; ++y) {
    const std::string& row = s[static_cast<std::size_t>(1 + colours + y)];
    if (static_cast<int>(row.size()) != icon.width) fail("row " + std::to_string(y) + " has the wrong width");
    for (char c : row) {
      if (index.count(c) == 0) fail(std::string("unknown pixel character '") + c + "'");
      icon.pixels.push_back(index[c]);
    }
  }
  return icon;
}

void writePng(const Icon& icon, const std::string& path) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) fail("cannot write " + path);
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_init_io(png, file);
  png_set_IHDR(png, info, static_cast<png_uint_32>(icon.width), static_cast<png_uint_32>(icon.height), 8,
               PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  std::vector<png_color> palette;
  for (std::uint32_t c : icon.palette)
    palette.push_back({static_cast<png_byte>(c >> 16), static_cast<png_byte>(c >> 8), static_cast<png_byte>(c)});
  png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
  png_write_info(png, info);
  std::vector<png_byte> row(static_cast<std::size_t>(icon.width));
  for (int y = 0; y < icon.height; ++y) {
    for (int x = 0; x < icon.width; ++x)
      row[static_cast<std::size_t>(x)] =
          static_cast<png_byte>(icon.pixels[static_cast<std::size_t>(y * icon.width + x)]);
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  if (std::fclose(file) != 0) fail("cannot write " + path);
}

void put16(std::ostream& out, unsigned v) {
  out.put(static_cast<char>(v & 0xFF)).put(static_cast<char>((v >> 8) & 0xFF));
}
void put32(std::ostream& out, unsigned v) { put16(out, v & 0xFFFF), put16(out, v >> 16); }

// Icon directory, one entry, then a 4-bit DIB: header, 16-entry palette,
// colour rows bottom up, and an all-opaque 1-bit mask.
void writeIco(const Icon& icon, const std::string& path) {
  if (icon.width != 32 || icon.height != 32) fail("the ICO form is 32 x 32 only");
  const unsigned colourRow = 16, maskRow = 4;  // bytes per row, already 4-byte aligned
  const unsigned imageBytes = 40 + 4 * kMaxColours + 32 * (colourRow + maskRow);
  std::ostringstream out;
  put16(out, 0), put16(out, 1), put16(out, 1);                           // reserved, type icon, one image
  out.put(32).put(32).put(kMaxColours).put(0);                           // width, height, colours, reserved
  put16(out, 1), put16(out, 4), put32(out, imageBytes), put32(out, 22);  // planes, bits, size, offset
  put32(out, 40), put32(out, 32), put32(out, 64);  // header size, width, height x 2 (colour + mask)
  put16(out, 1), put16(out, 4), put32(out, 0), put32(out, 32 * (colourRow + maskRow));
  put32(out, 0), put32(out, 0), put32(out, kMaxColours), put32(out, 0);
  for (int i = 0; i < kMaxColours; ++i) {
    const std::uint32_t c = i < static_cast<int>(icon.palette.size()) ? icon.palette[static_cast<std::size_t>(i)] : 0;
    out.put(static_cast<char>(c & 0xFF)).put(static_cast<char>((c >> 8) & 0xFF)).put(static_cast<char>(c >> 16)).put(0);
  }
  for (int y = 31; y >= 0; --y)
    for (int x = 0; x < 32; x += 2) {
      const auto at = [&](int px) { return icon.pixels[static_cast<std::size_t>(y * 32 + px)]; };
      out.put(static_cast<char>((at(x) << 4) | at(x + 1)));
    }
  for (unsigned i = 0; i < 32 * maskRow; ++i) out.put(0);
  std::ofstream file(path, std::ios::binary);
  file << out.str();
  if (!file) fail("cannot write " + path);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s ICON.xpm OUT.png OUT.ico\n", argv[0]);
    return 2;
  }
  const Icon icon = readXpm(argv[1]);
  writePng(icon, argv[2]);
  writeIco(icon, argv[3]);
  return 0;
}
