// Turns the program icon's text source (res/torvane_icon.txt) into a Windows .ico file.
//
// The source is 32 lines of 32 hex digits, one digit per pixel, top row first, each an index
// into the standard 16-colour Windows palette. Keeping the picture as text lets a review see
// every pixel that changed. The output holds one 32x32 image at 4 bits per pixel with an AND
// mask of all zeroes, so every pixel is opaque.
//
// Runs on the build machine, so it is plain C++17 without dependencies.
//
//   make_icon <icon.txt> <out.ico>

#include <array>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr int kSize = 32;

// Blue, green, red, reserved: the order a DIB colour table stores them in.
constexpr std::array<std::array<std::uint8_t, 4>, 16> kPalette{{
    {0x00, 0x00, 0x00, 0},  // 0 black
    {0x00, 0x00, 0x80, 0},  // 1 dark red
    {0x00, 0x80, 0x00, 0},  // 2 dark green
    {0x00, 0x80, 0x80, 0},  // 3 dark yellow
    {0x80, 0x00, 0x00, 0},  // 4 dark blue
    {0x80, 0x00, 0x80, 0},  // 5 dark magenta
    {0x80, 0x80, 0x00, 0},  // 6 dark cyan
    {0xC0, 0xC0, 0xC0, 0},  // 7 light grey
    {0x80, 0x80, 0x80, 0},  // 8 dark grey
    {0x00, 0x00, 0xFF, 0},  // 9 red
    {0x00, 0xFF, 0x00, 0},  // A green
    {0x00, 0xFF, 0xFF, 0},  // B yellow
    {0xFF, 0x00, 0x00, 0},  // C blue
    {0xFF, 0x00, 0xFF, 0},  // D magenta
    {0xFF, 0xFF, 0x00, 0},  // E cyan
    {0xFF, 0xFF, 0xFF, 0},  // F white
}};

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Reads the pixel indices, top row first. Reports the first malformed line and fails,
// because a silently padded or cut picture would only show up as a wrong-looking icon.
bool read_pixels(const char* path, std::vector<std::uint8_t>& pixels) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::cerr << path << ": cannot open\n";
    return false;
  }
  pixels.clear();
  std::string line;
  int row = 0;
  while (std::getline(in, line)) {
    ++row;
    if (!line.empty() && line.back() == '\r') line.pop_back();  // a checkout with CRLF
    if (row > kSize) {
      if (line.empty()) continue;  // trailing blank lines are harmless
      std::cerr << path << ":" << row << ": more than " << kSize << " rows\n";
      return false;
    }
    if (static_cast<int>(line.size()) != kSize) {
      std::cerr << path << ":" << row << ": " << line.size() << " characters, expected " << kSize
                << "\n";
      return false;
    }
    for (int col = 0; col < kSize; ++col) {
      int v = hex_value(line[col]);
      if (v < 0) {
        std::cerr << path << ":" << row << ":" << col + 1 << ": '" << line[col]
                  << "' is not a hex digit\n";
        return false;
      }
      pixels.push_back(static_cast<std::uint8_t>(v));
    }
  }
  if (row < kSize) {
    std::cerr << path << ": " << row << " rows, expected " << kSize << "\n";
    return false;
  }
  return true;
}

void put16(std::string& out, unsigned v) {
  out.push_back(static_cast<char>(v & 0xFF));
  out.push_back(static_cast<char>((v >> 8) & 0xFF));
}

void put32(std::string& out, std::uint32_t v) {
  put16(out, v & 0xFFFF);
  put16(out, v >> 16);
}

std::string build_ico(const std::vector<std::uint8_t>& pixels) {
  constexpr std::uint32_t kHeaderSize = 40;
  constexpr std::uint32_t kColorRowBytes = kSize / 2;  // 4 bits a pixel, already 4-aligned
  constexpr std::uint32_t kMaskRowBytes = kSize / 8;   // 1 bit a pixel, already 4-aligned
  constexpr std::uint32_t kImageBytes =
      kHeaderSize + 16 * 4 + kColorRowBytes * kSize + kMaskRowBytes * kSize;
  constexpr std::uint32_t kDirBytes = 6 + 16;

  std::string out;
  // ICONDIR
  put16(out, 0);  // reserved
  put16(out, 1);  // type: icon
  put16(out, 1);  // one image
  // ICONDIRENTRY
  out.push_back(static_cast<char>(kSize));
  out.push_back(static_cast<char>(kSize));
  out.push_back(16);  // colours
  out.push_back(0);
  put16(out, 1);  // planes
  put16(out, 4);  // bits per pixel
  put32(out, kImageBytes);
  put32(out, kDirBytes);
  // BITMAPINFOHEADER; an icon's height counts the colour rows and the mask rows.
  put32(out, kHeaderSize);
  put32(out, kSize);
  put32(out, kSize * 2);
  put16(out, 1);
  put16(out, 4);
  put32(out, 0);  // BI_RGB
  put32(out, kColorRowBytes * kSize + kMaskRowBytes * kSize);
  put32(out, 0);
  put32(out, 0);
  put32(out, 16);
  put32(out, 0);
  for (const auto& c : kPalette) out.append(reinterpret_cast<const char*>(c.data()), c.size());
  // Colour rows bottom-up, high nibble first.
  for (int y = kSize - 1; y >= 0; --y) {
    for (int x = 0; x < kSize; x += 2) {
      const std::uint8_t* p = &pixels[static_cast<std::size_t>(y * kSize + x)];
      out.push_back(static_cast<char>((p[0] << 4) | p[1]));
    }
  }
  // An all-zero AND mask: nothing shows through.
  out.append(kMaskRowBytes * kSize, '\0');
  if (out.size() != kDirBytes + kImageBytes) {
    std::cerr << "internal error: icon size " << out.size() << "\n";
    return {};
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: make_icon <icon.txt> <out.ico>\n";
    return 2;
  }
  std::vector<std::uint8_t> pixels;
  if (!read_pixels(argv[1], pixels)) return 1;
  const std::string ico = build_ico(pixels);
  if (ico.empty()) return 1;
  std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
  out.write(ico.data(), static_cast<std::streamsize>(ico.size()));
  out.close();
  if (!out) {
    std::cerr << argv[2] << ": cannot write\n";
    std::remove(argv[2]);
    return 1;
  }
  return 0;
}
