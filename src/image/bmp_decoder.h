#pragma once
// Reads Windows bitmaps (.bmp) into what the screen draws.
//
// The picture is shown unscaled from the top-left corner of the picture area and cut off
// at the right and bottom, so only the part that fits in the area is ever read, decoded or
// allocated: a 16384 x 16384 file shown in a 1920 x 1080 area costs what a 1920 x 1080
// file costs.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "platform/byte_source.h"

namespace torvane::image {

// Leaves new elements uninitialised. The decoder writes every pixel of a picture itself (some
// more than once: a run may overshoot into pixels written again later, and an 8-bit attempt
// may start over in 32 bits), so having the vector clear a 33 MB buffer first would add a
// third to the time a 4K picture takes whenever the buffer grows again after holding a
// smaller picture.
template <class T>
struct UninitialisedAllocator : std::allocator<T> {
  using value_type = T;
  template <class U>
  struct rebind {
    using other = UninitialisedAllocator<U>;
  };
  UninitialisedAllocator() = default;
  template <class U>
  UninitialisedAllocator(const UninitialisedAllocator<U>&) noexcept {}
  template <class U>
  void construct(U* p) noexcept {
    ::new (static_cast<void*>(p)) U;
  }
  template <class U, class... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
};

// What the screen draws, in one of two forms that Windows draws as they are (a DIB):
//
//  - 32-bit (bits_per_pixel == 32): `pixels` holds width * height pixels 0x00RRGGBB
//    (bytes B,G,R,0 in memory). `indices` is empty and `stride` is 0.
//  - 8-bit (bits_per_pixel == 8): `indices` holds `height` rows of `stride` bytes, each
//    a palette index per pixel followed by zero padding; `stride` is the width rounded up
//    to a multiple of 4, the row size of an 8-bit DIB. All 256 entries of `palette`
//    (0x00RRGGBB) are meaningful, so the colour table can be handed over whole. `pixels`
//    is empty.
//
// Rows are stored top row first, or bottom row first where `bottom_up` says so, as in a
// bottom-up DIB. The decoder gives the 32-bit form top row first, and the 8-bit form in
// the order of the file's rows: most files store them bottom row first, and taking them as
// they come lets the rows be read straight into the picture.
//
// The decoder gives the 8-bit form where the file holds palette indices anyway: it is a
// quarter of the memory to write and to draw. Whatever reads a picture without drawing it
// can use pixel(x, y), which works for every form and order.
struct Picture {
  int width = 0;   // visible width  = min(file width,  area width)
  int height = 0;  // visible height = min(file height, area height)
  int bits_per_pixel = 32;
  bool bottom_up = false;
  std::size_t stride = 0;
  std::vector<std::uint32_t, UninitialisedAllocator<std::uint32_t>> pixels;
  std::vector<std::uint8_t, UninitialisedAllocator<std::uint8_t>> indices;
  std::array<std::uint32_t, 256> palette{};
  // Both buffers keep their capacity between pictures, so paging through pictures of
  // similar size allocates nothing.

  // The colour 0x00RRGGBB at (x, y), counted from the top left; 0 <= x < width,
  // 0 <= y < height.
  std::uint32_t pixel(int x, int y) const {
    const auto ux = static_cast<std::size_t>(x);
    const auto row = static_cast<std::size_t>(bottom_up ? height - 1 - y : y);
    return bits_per_pixel == 8 ? palette[indices[row * stride + ux]]
                               : pixels[row * static_cast<std::size_t>(width) + ux];
  }
};

struct DecodeResult {
  bool ok = false;
  std::string error;  // short English text for tests and logs; empty when ok
  // The file's pixel data ended early or an RLE stream lacked its end marker: the picture
  // holds what could be read and `background` elsewhere. Only meaningful when ok.
  bool partial = false;
};

// Decodes `file` into `out`, reusing the capacity of its buffers. Pixels the file does not
// cover (RLE skips, truncated data) are `background` (0x00RRGGBB; its top byte is ignored).
// Files of 1, 2, 4 or 8 bits per pixel, plain or run-length encoded, give the 8-bit form,
// with black in the palette entries the file leaves out. The background then takes an
// entry of the same colour or a free one; where there is neither - a plain file too short
// for the visible area, an RLE8 picture with skipped pixels and 256 other colours, or one
// whose stream also names the free entry - the picture takes the 32-bit form. Every other
// file gives the 32-bit form.
// A non-positive area gives an empty picture with ok = true once the header is valid.
// On failure `out` is left empty (width = height = 0, no pixels, no indices); so it is if
// the byte source throws, and the exception is passed on.
DecodeResult decode_bmp(platform::ByteSource& file, int area_width, int area_height,
                        std::uint32_t background, Picture& out);

}  // namespace torvane::image
