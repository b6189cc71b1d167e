#pragma once
// Reads Windows bitmaps (.bmp) into what the screen draws.
//
// The picture is shown unscaled from the top-left corner of the picture area and cut off
// at the right and bottom, so only the part that fits in the area is ever read, decoded or
// allocated: a 16384 x 16384 file shown in a 1920 x 1080 area costs what a 1920 x 1080
// file costs.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/byte_source.h"

namespace torvane::image {

// What the screen draws: top-down rows of 32-bit pixels 0x00RRGGBB (bytes B,G,R,0 in
// memory, the layout of a top-down 32-bit Windows DIB).
struct Picture {
  int width = 0;                      // visible width  = min(file width,  area width)
  int height = 0;                     // visible height = min(file height, area height)
  std::vector<std::uint32_t> pixels;  // width * height; capacity is reused between pictures
};

struct DecodeResult {
  bool ok = false;
  std::string error;  // short English text for tests and logs; empty when ok
  // The file's pixel data ended early or an RLE stream lacked its end marker: the picture
  // holds what could be read and `background` elsewhere. Only meaningful when ok.
  bool partial = false;
};

// Decodes `file` into `out`, reusing out.pixels' capacity. Pixels the file does not cover
// (RLE skips, truncated data) are `background` (0x00RRGGBB; its top byte is ignored).
// A non-positive area gives an empty picture with ok = true once the header is valid.
// On failure `out` is left empty (width = height = 0, no pixels); so it is if the byte
// source throws, and the exception is passed on.
DecodeResult decode_bmp(platform::ByteSource& file, int area_width, int area_height,
                        std::uint32_t background, Picture& out);

}  // namespace torvane::image
