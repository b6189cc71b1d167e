#pragma once
// The tests' one picture writer: BMP files built byte by byte, independently of the decoder.

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "image/bmp_decoder.h"

namespace torvane::test {

using image::Picture;

using Bytes = std::vector<std::uint8_t>;

// Bounds-checked: a test that pokes past its own file is a broken test.
inline void put16(Bytes& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 2; ++i) b.at(at + i) = static_cast<std::uint8_t>(v >> (8 * i));
}
inline void put32(Bytes& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b.at(at + i) = static_cast<std::uint8_t>(v >> (8 * i));
}

struct BmpFields {
  std::uint32_t header_size = 40;  // 12 (OS/2 1.x), 16..64 (OS/2 2.x), 40, 52, 56, 108, 124
  std::int32_t width = 0;
  std::int32_t height = 0;  // negative: top-down
  int bpp = 24;
  std::uint32_t compression = 0;
  std::vector<std::uint32_t> palette;  // 0x00RRGGBB
  bool auto_colours_used = true;       // biClrUsed = palette.size()
  std::uint32_t colours_used = 0;
  std::uint32_t masks[4] = {0, 0, 0, 0};  // for BITFIELDS / ALPHABITFIELDS
  Bytes pixel_data;                       // already packed rows or an RLE stream
};

// Lays out file header, info header, masks (after a 40-byte header), palette and pixels.
inline Bytes build_bmp(const BmpFields& s) {
  const bool core = s.header_size == 12;
  const bool mask_after = s.header_size == 40 && (s.compression == 3 || s.compression == 6);
  const std::size_t mask_bytes = mask_after ? (s.compression == 6 ? 16 : 12) : 0;
  const std::size_t entry = core ? 3 : 4;
  const std::size_t off = 14 + s.header_size + mask_bytes + s.palette.size() * entry;
  Bytes b(off + s.pixel_data.size());
  b[0] = 'B';
  b[1] = 'M';
  put32(b, 2, static_cast<std::uint32_t>(b.size()));
  put32(b, 10, static_cast<std::uint32_t>(off));
  put32(b, 14, s.header_size);
  if (core) {
    put16(b, 18, static_cast<std::uint32_t>(s.width));
    put16(b, 20, static_cast<std::uint32_t>(s.height));
    put16(b, 22, 1);
    put16(b, 24, static_cast<std::uint32_t>(s.bpp));
  } else {
    // Write a full 124-byte header into a scratch area and keep the first header_size
    // bytes, as a writer of a shorter header would.
    Bytes h(124 + 16);
    put32(h, 4, static_cast<std::uint32_t>(s.width));
    put32(h, 8, static_cast<std::uint32_t>(s.height));
    put16(h, 12, 1);
    put16(h, 14, static_cast<std::uint32_t>(s.bpp));
    put32(h, 16, s.compression);
    put32(h, 20, static_cast<std::uint32_t>(s.pixel_data.size()));
    put32(h, 32,
          s.auto_colours_used ? static_cast<std::uint32_t>(s.palette.size()) : s.colours_used);
    for (int i = 0; i < 4; ++i) put32(h, 40 + 4 * i, s.masks[i]);
    const std::size_t n = s.header_size < 124 ? s.header_size : 124;
    std::memcpy(b.data() + 18, h.data() + 4, n - 4);
  }
  std::size_t at = 14 + s.header_size;
  for (std::size_t i = 0; i < mask_bytes / 4; ++i, at += 4) put32(b, at, s.masks[i]);
  for (std::uint32_t c : s.palette) {
    b[at] = static_cast<std::uint8_t>(c);
    b[at + 1] = static_cast<std::uint8_t>(c >> 8);
    b[at + 2] = static_cast<std::uint8_t>(c >> 16);
    at += entry;
  }
  if (!s.pixel_data.empty()) std::memcpy(b.data() + off, s.pixel_data.data(), s.pixel_data.size());
  return b;
}

// Packs raw pixel values (palette indices, 16/32-bit words, or 0xRRGGBB for 24 bits)
// given top row first into padded rows in file order.
inline Bytes pack_rows(const std::vector<std::uint32_t>& raw, int width, int height, int bpp,
                       bool top_down) {
  const std::size_t stride = (static_cast<std::size_t>(width) * bpp + 31) / 32 * 4;
  Bytes out(stride * height);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = out.data() + stride * (top_down ? y : height - 1 - y);
    for (int x = 0; x < width; ++x) {
      const std::uint32_t v = raw[static_cast<std::size_t>(y) * width + x];
      if (bpp < 8) {
        const int bit = x * bpp;
        row[bit / 8] |= static_cast<std::uint8_t>(v << (8 - bpp - bit % 8));
      } else {
        for (int i = 0; i < bpp / 8; ++i)
          row[x * (bpp / 8) + i] = static_cast<std::uint8_t>(v >> (8 * i));
      }
    }
  }
  return out;
}

// A picture of one colour (0xRRGGBB), bottom row first as paint programs save it; at 8 bits
// every index names the one entry of its palette.
inline std::string solid_bmp(std::uint32_t rgb, int width = 2, int height = 2, int bpp = 24) {
  BmpFields f;
  f.width = width;
  f.height = height;
  f.bpp = bpp;
  if (bpp == 8) f.palette = {rgb};
  const std::vector<std::uint32_t> raw(static_cast<std::size_t>(width) * height, bpp == 8 ? 0 : rgb);
  f.pixel_data = pack_rows(raw, width, height, bpp, false);
  const Bytes b = build_bmp(f);
  return std::string(b.begin(), b.end());
}

// Every pixel of a picture, top row first, through pixel(x, y) whatever its form.
inline std::vector<std::uint32_t> colours_of(const Picture& pic) {
  std::vector<std::uint32_t> out;
  out.reserve(static_cast<std::size_t>(pic.width) * static_cast<std::size_t>(pic.height));
  for (int y = 0; y < pic.height; ++y)
    for (int x = 0; x < pic.width; ++x) out.push_back(pic.pixel(x, y));
  return out;
}

// What the decoder promises about the form of a picture it gives: the layout painters rely
// on, top row first in 32 bits. Empty when it holds, else what is wrong.
inline std::string form_fault(const Picture& pic) {
  const auto w = static_cast<std::size_t>(pic.width), h = static_cast<std::size_t>(pic.height);
  if (pic.bits_per_pixel == 32) {
    if (pic.pixels.size() != w * h) return "32-bit pixels are not width * height";
    if (!pic.indices.empty() || pic.stride != 0) return "32-bit picture with indices";
    if (pic.bottom_up) return "32-bit picture stored bottom row first";
    for (std::uint32_t p : pic.pixels)
      if (p >> 24) return "32-bit pixel with a top byte";
    return {};
  }
  if (pic.bits_per_pixel != 8) return "bits_per_pixel is " + std::to_string(pic.bits_per_pixel);
  if (pic.stride != ((w + 3) & ~std::size_t{3})) return "stride is not the DIB row size";
  if (pic.indices.size() != pic.stride * h) return "indices are not stride * height";
  if (!pic.pixels.empty()) return "8-bit picture with 32-bit pixels";
  for (std::uint32_t c : pic.palette)
    if (c >> 24) return "palette entry with a top byte";
  for (std::size_t y = 0; y < h; ++y)
    for (std::size_t x = w; x < pic.stride; ++x)
      if (pic.indices[y * pic.stride + x] != 0) return "row padding is not zero";
  return {};
}

}  // namespace torvane::test
