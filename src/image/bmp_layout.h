#pragma once
// Internal: what the header parser learns about a bitmap, and the pieces of the decoder
// that turn its pixel data into screen pixels. Not part of the public interface.

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "image/bmp_decoder.h"
#include "platform/byte_source.h"

namespace torvane::image::detail {

// The row converters load pixels with memcpy into integers and rely on x86's byte order;
// every build of this program targets little-endian machines.
static_assert(std::endian::native == std::endian::little,
              "the BMP row converters assume a little-endian machine");

enum class PixelFormat {
  kIndexed,   // 1, 2, 4 or 8 bits per pixel through the palette
  kRgb24,     // B,G,R bytes
  kXrgb32,    // B,G,R,X bytes: the screen's own layout once X is cleared
  kMasked16,  // 16-bit pixels split by colour masks (also BI_RGB's 5-5-5)
  kMasked32,  // 32-bit pixels with masks other than 0x00FF0000/0x0000FF00/0x000000FF
  kRle8,
  kRle4,
};

// One colour channel of a masked pixel: where it sits and how to widen it to 8 bits.
struct Channel {
  std::uint32_t mask = 0;
  int shift = 0;  // position of the mask's lowest bit
  int drop = 0;   // low bits thrown away when the channel is wider than 8 bits
  std::array<std::uint8_t, 256> to8{};  // channel value (at most 8 bits) -> 0..255

  // Sets up the channel for a contiguous (or zero) mask.
  void init(std::uint32_t m);
  std::uint32_t operator()(std::uint32_t pixel) const {
    return to8[((pixel & mask) >> shift) >> drop];
  }
};

struct BmpLayout {
  std::int64_t width = 0;   // > 0
  std::int64_t height = 0;  // > 0; the sign in the file only tells the row order
  bool top_down = false;
  int bits_per_pixel = 0;
  PixelFormat format = PixelFormat::kIndexed;
  std::uint64_t file_size = 0;
  std::uint64_t data_offset = 0;  // first byte of pixel data, < file_size
  std::uint64_t stride = 0;       // bytes per row of uncompressed data (a multiple of 4)
  // Palette as screen pixels. Entries the file does not supply stay black, which is also
  // what Windows shows for indices past the end of a short palette, so out-of-range
  // indices need no check in the pixel loops.
  std::array<std::uint32_t, 256> palette{};
  int palette_entries = 0;
  Channel red, green, blue;  // kMasked16 / kMasked32 only
};

// Reads and checks everything before the pixel data. On failure `error` says why.
bool parse_bmp_header(platform::ByteSource& file, BmpLayout& layout, std::string& error);

// How a pixel decoder ended.
enum class Outcome {
  kComplete,
  kPartial,  // some pixels were missing and show the background
  // 8-bit form only: the picture needs the background where no palette entry can show
  // it. Nothing is wrong with the file; decode it again into the 32-bit form.
  kNeedsFullColour,
};

// Fill the visible picture from uncompressed rows, in the form `out` is set up for (its
// width, height, bits_per_pixel and buffer; in the 8-bit form its palette too). In the
// 8-bit form a file too short for the visible rows, or a read that comes up short, gives
// kNeedsFullColour.
Outcome decode_uncompressed(platform::ByteSource& file, const BmpLayout& layout,
                            std::uint32_t background, Picture& out);

// Where the background of an RLE picture goes in the 8-bit form.
struct BackgroundSlot {
  // The palette entry skipped pixels get, or -1 if no entry can show the background: then
  // the first visible skipped pixel ends the decoding.
  int slot = -1;
  // Whether the stream's own indices may name `slot` too, meaning the black of an entry
  // past the file's palette. A picture that has both cannot be shown in 8 bits.
  bool shared = false;
};

// Same for RLE8/RLE4 streams; kPartial when the stream ended without its end marker.
// `slot` is only used in the 8-bit form.
Outcome decode_rle(platform::ByteSource& file, const BmpLayout& layout, std::uint32_t background,
                   BackgroundSlot slot, Picture& out);

inline std::uint16_t le16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t le32(const std::uint8_t* p) {
  std::uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}
inline std::uint64_t le64(const std::uint8_t* p) {
  std::uint64_t v;
  std::memcpy(&v, p, 8);
  return v;
}

// A per-thread buffer of at least `size` bytes for file data on its way to the screen.
// Kept between pictures: a fresh quarter-megabyte buffer per picture costs page faults
// that show up in the time to show a 4K picture. Its size is bounded by the chunk size
// plus one visible row, so by the picture area, not by the file.
std::uint8_t* scratch_buffer(std::size_t size);

// Reads as much as the source gives, up to `size` bytes: read_at may return less than
// asked for before the end of the file (a pipe-like source, a read error), so keep asking
// until it makes no progress.
std::size_t read_fully(platform::ByteSource& file, std::uint64_t offset, std::uint8_t* dst,
                       std::size_t size);

}  // namespace torvane::image::detail
