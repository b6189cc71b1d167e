// Files that lie: each case damages a valid picture in one way and states what the
// decoder must make of it - a clear error, or the readable part with the rest left as
// background - while allocating no more than the visible area needs.

#include <gtest/gtest.h>

#include <climits>
#include <functional>

#include "support/bmp_writer.h"
#include "image/bmp_decoder.h"

namespace torvane::image {
namespace {

using test::Bytes;
using test::put16;
using test::put32;

// Offsets of header fields in a file with a 40-byte header.
enum : std::size_t {
  kOffBits = 10, kHeaderSize = 14, kWidth = 18, kHeight = 22, kPlanes = 26, kBpp = 28,
  kCompression = 30, kSizeImage = 34, kClrUsed = 46,
};

enum class Outcome { kError, kOk, kPartial };

struct Case {
  const char* name;
  std::function<Bytes()> make;
  Outcome outcome;
  const char* error_part = "";  // expected in the error message
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

// 8 x 4 pictures: small, but wide enough for real rows.
Bytes pal8() {
  test::BmpFields s;
  s.width = 8;
  s.height = 4;
  s.bpp = 8;
  for (std::uint32_t i = 0; i < 4; ++i) s.palette.push_back(0x111111 * (i + 1));
  std::vector<std::uint32_t> raw(32);
  for (std::size_t i = 0; i < raw.size(); ++i) raw[i] = i % 4;
  s.pixel_data = test::pack_rows(raw, 8, 4, 8, false);
  return test::build_bmp(s);
}
Bytes rgb(int bpp, std::uint32_t compression = 0, std::uint32_t r = 0, std::uint32_t g = 0,
          std::uint32_t b = 0) {
  test::BmpFields s;
  s.width = 8;
  s.height = 4;
  s.bpp = bpp;
  s.compression = compression;
  s.masks[0] = r, s.masks[1] = g, s.masks[2] = b;
  s.pixel_data.assign(static_cast<std::size_t>(s.width * bpp / 8 * 4), 0x5A);
  return test::build_bmp(s);
}
Bytes rle8(const Bytes& stream, int height = 4) {
  test::BmpFields s;
  s.width = 8;
  s.height = height;
  s.bpp = 8;
  s.compression = 1;
  s.palette = {0xFF0000, 0x00FF00};
  s.pixel_data = stream;
  return test::build_bmp(s);
}
// An OS/2 2.x file of one row with a compression of its own.
Bytes os2(int bpp, std::uint32_t compression, Bytes pixels, std::vector<std::uint32_t> palette = {}) {
  test::BmpFields s;
  s.header_size = 64, s.width = 8, s.height = 1, s.bpp = bpp, s.compression = compression;
  s.palette = std::move(palette);
  s.pixel_data = std::move(pixels);
  return test::build_bmp(s);
}
Bytes with32(Bytes b, std::size_t at, std::uint32_t v) { return put32(b, at, v), b; }
Bytes with16(Bytes b, std::size_t at, std::uint32_t v) { return put16(b, at, v), b; }
Bytes cut(Bytes b, std::size_t n) { return b.resize(n), b; }

const std::uint32_t kInt32Min = 0x80000000u;

// clang-format off
const Case kCases[] = {
    // The container.
    {"empty_file", [] { return Bytes{}; }, Outcome::kError, "too short"},
    {"only_file_header", [] { return cut(pal8(), 14); }, Outcome::kError, "too short"},
    {"wrong_signature", [] { auto b = pal8(); b[1] = 'A'; return b; }, Outcome::kError, "signature"},
    {"header_size_zero", [] { return with32(pal8(), kHeaderSize, 0); }, Outcome::kError, "header size"},
    {"header_size_66", [] { return with32(pal8(), kHeaderSize, 66); }, Outcome::kError, "header size"},
    {"header_size_near_4g", [] { return with32(pal8(), kHeaderSize, 0xFFFFFFF0u); }, Outcome::kError,
     "inside the bitmap header"},
    {"file_ends_in_header", [] { return cut(pal8(), 40); }, Outcome::kError, "inside the bitmap header"},
    {"lying_file_and_image_sizes_are_ignored",
     [] { return with32(with32(pal8(), 2, 0xFFFFFFFFu), kSizeImage, 0xFFFFFFFFu); }, Outcome::kOk},
    {"odd_planes_are_ignored", [] { return with16(pal8(), kPlanes, 30000); }, Outcome::kOk},
    // Dimensions.
    {"width_zero", [] { return with32(pal8(), kWidth, 0); }, Outcome::kError, "width"},
    {"width_negative", [] { return with32(pal8(), kWidth, 0xFFFFFFF8u); }, Outcome::kError, "width"},
    {"width_int32_min", [] { return with32(pal8(), kWidth, kInt32Min); }, Outcome::kError, "width"},
    {"height_zero", [] { return with32(pal8(), kHeight, 0); }, Outcome::kError, "height"},
    {"height_int32_min", [] { return with32(pal8(), kHeight, kInt32Min); }, Outcome::kError, "height"},
    {"huge_width_and_height_fill_only_the_area",
     [] { return with32(with32(rgb(32), kWidth, 0x7FFFFFFF), kHeight, 0x7FFFFFFF); }, Outcome::kPartial},
    {"huge_top_down", [] { return with32(with32(rgb(24), kWidth, 0x7FFFFFFF), kHeight, 0x80000001u); },
     Outcome::kPartial},
    // Depth and compression.
    {"bpp_zero", [] { return with16(pal8(), kBpp, 0); }, Outcome::kError, "bit depth"},
    {"bpp_3", [] { return with16(pal8(), kBpp, 3); }, Outcome::kError, "bit depth"},
    {"bpp_30000", [] { return with16(pal8(), kBpp, 30000); }, Outcome::kError, "bit depth"},
    {"bpp_64", [] { return with16(rgb(32), kBpp, 64); }, Outcome::kError, "64-bit"},
    {"jpeg", [] { return with32(rgb(24), kCompression, 4); }, Outcome::kError, "JPEG"},
    {"png", [] { return with32(rgb(24), kCompression, 5); }, Outcome::kError, "PNG"},
    {"cmyk_compression", [] { return with32(rgb(24), kCompression, 11); }, Outcome::kError, "compression"},
    {"os2_huffman", [] { return os2(1, 3, {0, 0, 0, 0}, {0, 0xFFFFFF}); }, Outcome::kError, "Huffman"},
    {"os2_rle24", [] { return os2(24, 4, {0, 1}); }, Outcome::kError, "RLE24"},
    {"rle8_with_4_bits", [] { return with16(rle8({0, 1}), kBpp, 4); }, Outcome::kError, "RLE8"},
    {"rle4_with_8_bits", [] { return with32(pal8(), kCompression, 2); }, Outcome::kError, "RLE4"},
    {"rle_top_down", [] { return with32(rle8({0, 1}), kHeight, 0xFFFFFFFCu); }, Outcome::kError, "top-down"},
    {"bitfields_with_24_bits", [] { return with16(rgb(32, 3, 0xFF0000, 0xFF00, 0xFF), kBpp, 24); },
     Outcome::kError, "16 or 32"},
    // Colour masks.
    {"masks_all_zero", [] { return rgb(16, 3, 0, 0, 0); }, Outcome::kError, "zero"},
    {"mask_not_contiguous", [] { return rgb(16, 3, 0xF00F, 0x0F0, 0); }, Outcome::kError, "run of bits"},
    {"mask_wider_than_16_bits", [] { return rgb(16, 3, 0x1F0000, 0x7E0, 0x1F); }, Outcome::kError, "wider"},
    {"masks_overlapping", [] { return rgb(32, 3, 0xFFFFFFFF, 0xFFFF, 0xF0); }, Outcome::kOk},
    {"masks_cut_off", [] { return cut(rgb(16, 3, 0xF800, 0x7E0, 0x1F), 60); }, Outcome::kError, "masks"},
    // Offsets.
    {"offset_inside_header", [] { return with32(pal8(), kOffBits, 20); }, Outcome::kError, "inside the header"},
    {"offset_inside_masks", [] { return with32(rgb(16, 3, 0xF800, 0x7E0, 0x1F), kOffBits, 60); },
     Outcome::kError, "inside the header"},
    {"offset_past_end", [] { return with32(pal8(), kOffBits, 100000); }, Outcome::kError, "past the end"},
    {"offset_near_4g", [] { return with32(pal8(), kOffBits, 0xFFFFFFFFu); }, Outcome::kError, "past the end"},
    {"offset_at_end", [] { auto b = pal8(); return with32(b, kOffBits, static_cast<std::uint32_t>(b.size())); },
     Outcome::kError, "past the end"},
    {"offset_inside_palette_shortens_it", [] { return with32(pal8(), kOffBits, 54 + 8); }, Outcome::kOk},
    // Palettes.
    {"clr_used_beyond_depth", [] { return with32(pal8(), kClrUsed, 0xFFFFFFFFu); }, Outcome::kOk},
    // Pixel data.
    {"truncated_pixels", [] { auto b = pal8(); return cut(b, b.size() - 11); }, Outcome::kPartial},
    {"one_pixel_byte", [] { return cut(pal8(), 54 + 16 + 1); }, Outcome::kPartial},
    {"rle_stream_empty", [] { return rle8({}); }, Outcome::kError, "past the end"},
    {"rle_long_run", [] { return rle8({255, 1, 0, 255, 0, 0, 1}); }, Outcome::kPartial},
    {"rle_deltas_past_everything", [] { return rle8({0, 2, 255, 255, 0, 2, 255, 255, 0, 1}); }, Outcome::kOk},
    {"rle_huge_height", [] { return with32(rle8({4, 1, 0, 1}), kHeight, 0x7FFFFFFF); }, Outcome::kOk},
};
// clang-format on

class BmpHostile : public ::testing::TestWithParam<Case> {};

TEST_P(BmpHostile, DefinedOutcome) {
  const Case& c = GetParam();
  const Bytes file = c.make();
  for (auto [aw, ah] : {std::pair{64, 48}, {3, 2}}) {
    Picture pic;
    platform::MemoryByteSource src(file);
    const DecodeResult r = decode_bmp(src, aw, ah, 0x0000FF, pic);
    if (c.outcome == Outcome::kError) {
      EXPECT_FALSE(r.ok);
      EXPECT_NE(r.error.find(c.error_part), std::string::npos) << "error was: " << r.error;
      EXPECT_EQ(pic.width, 0);
      EXPECT_EQ(pic.height, 0);
      EXPECT_TRUE(pic.pixels.empty());
      EXPECT_TRUE(pic.indices.empty());
      continue;
    }
    ASSERT_TRUE(r.ok) << r.error;
    // Only the visible area is ever allocated.
    EXPECT_LE(pic.width, aw);
    EXPECT_LE(pic.height, ah);
    EXPECT_EQ(test::form_fault(pic), "");
    EXPECT_LE(pic.pixels.capacity(), static_cast<std::size_t>(aw) * ah);
    EXPECT_LE(pic.indices.capacity(), static_cast<std::size_t>((aw + 3) & ~3) * ah);
    if (aw == 64) {
      EXPECT_EQ(r.partial, c.outcome == Outcome::kPartial);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Files, BmpHostile, ::testing::ValuesIn(kCases),
                         [](const auto& tp) { return std::string(tp.param.name); });

TEST(BmpHostilePixels, IndicesPastThePaletteShowBlack) {
  // Four palette entries; index 200 has none.
  Bytes b = pal8();
  b[b.size() - 1] = 200;  // last pixel of the top row
  Picture pic;
  platform::MemoryByteSource src(b);
  ASSERT_TRUE(decode_bmp(src, 100, 100, 0x0000FF, pic).ok);
  EXPECT_EQ(pic.bits_per_pixel, 8);
  EXPECT_EQ(pic.pixel(7, 0), 0u);
  EXPECT_EQ(pic.pixel(6, 0), 0x111111u * 3);
}

TEST(BmpHostilePixels, PaletteEndsWherePixelDataBegins) {
  // An OS/2 file whose offset leaves room for 4 of 256 palette entries: the bytes after
  // them are pixels, not colours, so index 5 has no colour and shows black.
  test::BmpFields s;
  s.header_size = 12;
  s.width = 4;
  s.height = 2;
  s.bpp = 8;
  s.palette = {0x0000FF, 0x00FF00, 0xFF0000, 0xFFFFFF};
  s.pixel_data = {5, 3, 0xAA, 0xBB, 1, 2, 3, 4};  // bottom row first
  Picture pic;
  const Bytes b = test::build_bmp(s);
  platform::MemoryByteSource src(b);
  ASSERT_TRUE(decode_bmp(src, 100, 100, 0x0000FF, pic).ok);
  EXPECT_EQ(test::colours_of(pic), (std::vector<std::uint32_t>{0x00FF00, 0xFF0000, 0xFFFFFF, 0,  //
                                                               0, 0xFFFFFF, 0, 0}));
}

}  // namespace
}  // namespace torvane::image
