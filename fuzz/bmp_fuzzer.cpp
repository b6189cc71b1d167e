// libFuzzer entry point: any byte string is a candidate BMP file. Each input is decoded
// into a few picture areas, from a roomy screen down to a single pixel, so that both the
// full-picture and the cropping paths see hostile data.

#include <cstddef>
#include <cstdint>

#include "image/bmp_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace torvane;
  static image::Picture pic;  // reused like the program reuses it, to exercise that path
  constexpr int kAreas[][2] = {{1024, 768}, {33, 17}, {1, 1}};
  for (const auto& area : kAreas) {
    platform::MemoryByteSource src({data, size});
    const image::DecodeResult r = image::decode_bmp(src, area[0], area[1], 0x00FF00FF, pic);
    // What the decoder promises, checked on every input.
    if (!r.ok &&
        (pic.width != 0 || pic.height != 0 || !pic.pixels.empty() || !pic.indices.empty())) {
      __builtin_trap();
    }
    if (r.ok) {
      if (pic.width > area[0] || pic.height > area[1]) __builtin_trap();
      const auto w = static_cast<std::size_t>(pic.width), h = static_cast<std::size_t>(pic.height);
      if (pic.bits_per_pixel == 8) {
        // Rows as an 8-bit DIB lays them out, with zero padding, beside a full colour table.
        if (pic.stride != ((w + 3) & ~std::size_t{3}) || pic.indices.size() != pic.stride * h ||
            !pic.pixels.empty()) {
          __builtin_trap();
        }
        for (std::size_t y = 0; y < h; ++y)
          for (std::size_t x = w; x < pic.stride; ++x)
            if (pic.indices[y * pic.stride + x] != 0) __builtin_trap();
        for (std::uint32_t c : pic.palette)
          if (c >> 24) __builtin_trap();
      } else {
        if (pic.bits_per_pixel != 32 || pic.pixels.size() != w * h || !pic.indices.empty()) {
          __builtin_trap();
        }
        for (std::uint32_t p : pic.pixels)
          if (p >> 24) __builtin_trap();
      }
    }
  }
  return 0;
}
