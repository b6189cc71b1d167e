// Round trips: pictures of every supported layout are written by the test's own encoder,
// decoded, and compared pixel for pixel with the colours they encode.

#include "image/bmp_decoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <stdexcept>
#include <string>

#include "support/bmp_writer.h"

namespace torvane::image {
namespace {

using test::BmpFields;
using test::Bytes;

constexpr std::uint32_t kBackground = 0x123456;

// Widens an n-bit channel to 8 bits by repeating its bit pattern, bit by bit; written
// differently from the decoder on purpose.
std::uint32_t widen(std::uint32_t v, int bits) {
  if (bits == 0) return 0;
  if (bits >= 8) return v >> (bits - 8);
  std::uint32_t r = 0;
  for (int k = 0; k < 8; ++k) r |= ((v >> (bits - 1 - k % bits)) & 1u) << (7 - k);
  return r;
}
std::uint32_t channel(std::uint32_t p, std::uint32_t mask) {
  if (mask == 0) return 0;
  return widen((p & mask) >> std::countr_zero(mask), std::popcount(mask));
}

struct Variant {
  const char* name;
  std::uint32_t header_size;
  int bpp;
  std::uint32_t compression;
  int palette_size;  // entries written for indexed pictures
  std::uint32_t masks[4];
  int clr_used = -1;  // biClrUsed; -1: the entries written (0 means 2^bpp)
};

// Keeps test listings readable: the name says what the case is.
void PrintTo(const Variant& c, std::ostream* os) {
  *os << c.name;
}

std::uint32_t next_random(std::uint32_t& state) {
  state = state * 1664525u + 1013904223u;
  return state ^ (state >> 13);
}

struct Sample {
  Bytes file;
  std::vector<std::uint32_t> expected;  // top row first
};

Sample make_sample(const Variant& v, int width, int height, bool top_down) {
  BmpFields s;
  s.header_size = v.header_size;
  s.width = width;
  s.height = top_down ? -height : height;
  s.bpp = v.bpp;
  s.compression = v.compression;
  for (int i = 0; i < 4; ++i) s.masks[i] = v.masks[i];
  if (v.bpp <= 8) {
    std::uint32_t seed = 7;
    for (int i = 0; i < v.palette_size; ++i) s.palette.push_back(next_random(seed) & 0xFFFFFF);
  }
  if (v.clr_used >= 0) {
    s.auto_colours_used = false;
    s.colours_used = static_cast<std::uint32_t>(v.clr_used);
  }
  // The colours the file gives: biClrUsed of them, all 2^bpp when it is 0, never more than
  // it holds; what follows them in the file is no colour of the picture.
  std::size_t given = s.palette.size();
  if (v.clr_used > 0) given = std::min<std::size_t>(given, static_cast<std::size_t>(v.clr_used));
  // Masks in effect: BI_RGB 16-bit files are 5-5-5, BI_RGB 32-bit files 8-8-8.
  std::uint32_t m[3] = {v.masks[0], v.masks[1], v.masks[2]};
  if (v.compression == 0 && v.bpp == 16) m[0] = 0x7C00, m[1] = 0x3E0, m[2] = 0x1F;
  if (v.compression == 0 && v.bpp == 32) m[0] = 0xFF0000, m[1] = 0xFF00, m[2] = 0xFF;

  Sample out;
  std::vector<std::uint32_t> raw;
  std::uint32_t seed = static_cast<std::uint32_t>(width * 31 + height + v.bpp);
  for (int i = 0; i < width * height; ++i) {
    std::uint32_t r = next_random(seed);
    if (v.bpp <= 8) {
      r &= (1u << v.bpp) - 1;  // may point past a short palette: shown black
      out.expected.push_back(r < given ? s.palette[r] : 0);
    } else if (v.bpp == 24) {
      r &= 0xFFFFFF;
      out.expected.push_back(r);
    } else {
      if (v.bpp == 16) r &= 0xFFFF;
      out.expected.push_back(channel(r, m[0]) << 16 | channel(r, m[1]) << 8 | channel(r, m[2]));
    }
    raw.push_back(r);
  }
  s.pixel_data = test::pack_rows(raw, width, height, v.bpp, top_down);
  out.file = test::build_bmp(s);
  return out;
}

void expect_picture(const Picture& pic, const std::vector<std::uint32_t>& expected, int full_w,
                    int w, int h) {
  ASSERT_EQ(pic.width, w);
  ASSERT_EQ(pic.height, h);
  ASSERT_EQ(test::form_fault(pic), "");
  std::vector<std::uint32_t> want;
  for (int y = 0; y < h; ++y) {
    const auto row = expected.begin() + static_cast<std::ptrdiff_t>(y) * full_w;
    want.insert(want.end(), row, row + w);
  }
  const std::vector<std::uint32_t> got = test::colours_of(pic);
  if (got == want) return;
  const auto diff = std::mismatch(want.begin(), want.end(), got.begin());
  const auto i = diff.first - want.begin();
  FAIL() << "first difference at " << i % w << "," << i / w << ": want " << std::hex << *diff.first
         << ", got " << *diff.second;
}

DecodeResult decode(const Bytes& file, int aw, int ah, Picture& pic,
                    std::uint32_t background = kBackground) {
  platform::MemoryByteSource src(file);
  return decode_bmp(src, aw, ah, background, pic);
}

class BmpVariants : public ::testing::TestWithParam<Variant> {};

TEST_P(BmpVariants, DecodesFullPictureAndCrops) {
  const Variant& v = GetParam();
  const int w = 37, h = 6;  // odd width: exercises sub-byte tails and row padding
  // OS/2 1.x heights are unsigned, so such files are always bottom-up.
  for (bool top_down : {false, true}) {
    if (top_down && v.header_size == 12) continue;
    SCOPED_TRACE(top_down ? "top-down" : "bottom-up");
    const Sample s = make_sample(v, w, h, top_down);
    Picture pic;
    DecodeResult r = decode(s.file, 1000, 1000, pic);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_FALSE(r.partial);
    // Palette indices stay indices, in the file's row order; everything else becomes
    // 32-bit colours, top row first.
    EXPECT_EQ(pic.bits_per_pixel, v.bpp <= 8 ? 8 : 32);
    EXPECT_EQ(pic.bottom_up, v.bpp <= 8 && !top_down);
    expect_picture(pic, s.expected, w, w, h);

    // A smaller area shows only its top-left part.
    r = decode(s.file, 11, 4, pic);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_FALSE(r.partial);
    expect_picture(pic, s.expected, w, 11, 4);
  }
}

// Masks: red, green, blue, alpha.
const Variant kVariants[] = {
    {"pal1", 40, 1, 0, 2, {}},
    {"pal2", 40, 2, 0, 4, {}},
    {"pal4", 40, 4, 0, 16, {}},
    {"pal4_short_palette", 40, 4, 0, 5, {}},
    {"pal8", 40, 8, 0, 256, {}},
    {"pal8_clr_used_zero", 40, 8, 0, 256, {}, 0},
    // A full table of which biClrUsed names only the first entries: the rest are black.
    {"pal4_clr_used_5_of_16_written", 40, 4, 0, 16, {}, 5},
    {"pal8_clr_used_100_of_256_written", 40, 8, 0, 256, {}, 100},
    {"pal1_clr_used_1", 40, 1, 0, 1, {}},
    // More entries than 8 bits can index: the first 256 are the colours.
    {"pal8_clr_used_300", 40, 8, 0, 300, {}},
    {"pal8_short_palette", 40, 8, 0, 100, {}},
    {"pal1_os2_core", 12, 1, 0, 2, {}},
    {"pal8_os2_core", 12, 8, 0, 256, {}},
    {"rgb24_os2_core", 12, 24, 0, 0, {}},
    {"pal8_os2v2_16", 16, 8, 0, 256, {}},
    {"pal4_os2v2_24", 24, 4, 0, 16, {}},
    {"pal8_os2v2_64", 64, 8, 0, 256, {}},
    {"pal8_os2v2_64_short_palette", 64, 8, 0, 200, {}},
    {"pal8_v2", 52, 8, 0, 256, {}},
    {"pal8_v3", 56, 8, 0, 256, {}},
    {"pal8_v4", 108, 8, 0, 256, {}},
    {"pal8_v5", 124, 8, 0, 256, {}},
    {"rgb16_555", 40, 16, 0, 0, {}},
    {"rgb16_565", 40, 16, 3, 0, {0xF800, 0x07E0, 0x001F}},
    {"rgb16_4444_v5", 124, 16, 3, 0, {0x0F00, 0x00F0, 0x000F, 0xF000}},
    {"rgb16_1_9_2_bits", 40, 16, 3, 0, {0x0800, 0x01FF, 0x0600}},
    {"rgb16_no_blue", 56, 16, 3, 0, {0xFF00, 0x00FF, 0}},
    {"rgb16_overlapping", 40, 16, 3, 0, {0xFF00, 0x0FF0, 0x00FF}},
    {"rgb16_alphabitfields", 40, 16, 6, 0, {0x7C00, 0x03E0, 0x001F, 0x8000}},
    {"rgb24", 40, 24, 0, 0, {}},
    {"rgb24_v5", 124, 24, 0, 0, {}},
    {"rgb32", 40, 32, 0, 0, {}},
    {"rgb32_v4_ignores_masks_of_bi_rgb", 108, 32, 0, 0, {0xFF, 0xFF00, 0xFF0000}},
    {"rgb32_bitfields_8_8_8", 40, 32, 3, 0, {0xFF0000, 0xFF00, 0xFF}},
    {"rgb32_bitfields_xbgr", 124, 32, 3, 0, {0xFF000000, 0xFF0000, 0xFF00}},
    {"rgb32_bitfields_10_10_10", 40, 32, 3, 0, {0x3FF00000, 0xFFC00, 0x3FF}},
    {"rgb32_bitfields_7_18_7", 52, 32, 3, 0, {0xFE000000, 0x1FFFF80, 0x7F}},
    {"rgb32_alphabitfields", 40, 32, 6, 0, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}},
};

INSTANTIATE_TEST_SUITE_P(AllLayouts, BmpVariants, ::testing::ValuesIn(kVariants),
                         [](const auto& tp) { return std::string(tp.param.name); });

TEST(BmpDecoder, Rgb24EveryTailLength) {
  // The 24-bit loop converts four pixels at a time; every remainder must come out right.
  for (int w = 1; w <= 9; ++w) {
    const Sample s = make_sample({"rgb24", 40, 24, 0, 0, {}}, w, 3, false);
    Picture pic;
    const DecodeResult r = decode(s.file, 100, 100, pic);
    ASSERT_TRUE(r.ok) << r.error;
    expect_picture(pic, s.expected, w, w, 3);
  }
}

TEST(BmpDecoder, IndexedRowsOfEveryWidthAndDepthKeepTheDibStride) {
  // Widths around the 4-byte row alignment and the 2, 4 and 8 pixels a byte holds, shown
  // whole and cut to part of their width.
  for (int bpp : {1, 2, 4, 8}) {
    for (int w = 1; w <= 17; ++w) {
      for (bool top_down : {false, true}) {
        SCOPED_TRACE(std::to_string(bpp) + " bits, width " + std::to_string(w) +
                     (top_down ? ", top-down" : ""));
        const Sample s = make_sample({"pal", 40, bpp, 0, 1 << bpp, {}}, w, 3, top_down);
        for (int aw : {w, w / 2 + 1}) {
          Picture pic;
          const DecodeResult r = decode(s.file, aw, 2, pic);
          ASSERT_TRUE(r.ok) << r.error;
          ASSERT_EQ(pic.bits_per_pixel, 8);
          EXPECT_EQ(pic.stride, static_cast<std::size_t>((aw + 3) / 4 * 4));
          expect_picture(pic, s.expected, w, aw, 2);
        }
      }
    }
  }
}

TEST(BmpDecoder, ShortIndexedFileTakesThe32BitFormToShowTheBackground) {
  Sample s = make_sample({"pal8", 40, 8, 0, 256, {}}, 5, 4, false);
  // Bottom-up 8-byte rows: keep the bottom row and 3 pixels of the next one up.
  s.file.resize(s.file.size() - 4 * 8 + 8 + 3);
  Picture pic;
  const DecodeResult r = decode(s.file, 100, 100, pic);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_TRUE(r.partial);
  EXPECT_EQ(pic.bits_per_pixel, 32);
  std::vector<std::uint32_t> want(20, kBackground);
  for (int x = 0; x < 5; ++x) want[15 + x] = s.expected[15 + x];
  for (int x = 0; x < 3; ++x) want[10 + x] = s.expected[10 + x];
  expect_picture(pic, want, 5, 5, 4);

  // Cut where the area does not reach, nothing is missing and the indices stay.
  Sample td = make_sample({"pal8", 40, 8, 0, 256, {}}, 5, 4, true);
  td.file.resize(td.file.size() - 6);
  const DecodeResult r2 = decode(td.file, 100, 3, pic);
  ASSERT_TRUE(r2.ok) << r2.error;
  EXPECT_FALSE(r2.partial);
  EXPECT_EQ(pic.bits_per_pixel, 8);
  expect_picture(pic, td.expected, 5, 5, 3);
}

// A disk that breaks partway: from byte `fail_from` on it reads nothing although the
// file's size says the bytes are there; or its read number `throw_at` throws.
class BrokenDisk final : public platform::ByteSource {
 public:
  BrokenDisk(const Bytes& b, std::size_t fail_from, int throw_at = -1)
      : inner_(b), size_(b.size()), fail_from_(fail_from), reads_left_(throw_at) {}
  std::uint64_t size() const override { return size_; }
  std::size_t read_at(std::uint64_t offset, std::span<std::uint8_t> out) override {
    if (reads_left_-- == 0) throw std::runtime_error("disk on fire");
    if (offset >= fail_from_) return 0;
    const std::size_t n = std::min<std::size_t>(out.size(), fail_from_ - offset);
    return inner_.read_at(offset, out.first(n));
  }

 private:
  platform::MemoryByteSource inner_;
  std::size_t size_, fail_from_;
  int reads_left_;
};

TEST(BmpDecoder, IndexedReadFailingPartwayShowsTheBackgroundInThe32BitForm) {
  // Several chunked reads' worth of rows; the read fails halfway, so the bottom-up file
  // loses its top screen rows.
  const int w = 1031, h = 700;
  const Sample s = make_sample({"pal8", 40, 8, 0, 256, {}}, w, h, false);
  BrokenDisk src(s.file, s.file.size() / 2);
  Picture pic;
  const DecodeResult r = decode_bmp(src, 2000, 2000, kBackground, pic);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_TRUE(r.partial);
  EXPECT_EQ(pic.bits_per_pixel, 32);
  EXPECT_EQ(test::form_fault(pic), "");
  for (int x : {0, 517, w - 1}) {
    EXPECT_EQ(pic.pixel(x, 0), kBackground);
    EXPECT_EQ(pic.pixel(x, h - 1), s.expected[static_cast<std::size_t>(h - 1) * w + x]);
  }
}

// One picture after another into the same buffer, of either form and size, each shown
// whole; a file that fails leaves nothing of the one before.
TEST(BmpDecoder, PicturesOneAfterAnotherAndAFailureEmptiesThePicture) {
  const Sample big24 = make_sample({"rgb24", 40, 24, 0, 0, {}}, 64, 64, false);
  const Sample small24 = make_sample({"rgb24", 40, 24, 0, 0, {}}, 8, 8, false);
  const Sample big8 = make_sample({"pal8", 40, 8, 0, 256, {}}, 64, 64, false);
  const Sample small8 = make_sample({"pal8", 40, 8, 0, 256, {}}, 7, 8, false);
  Picture pic;
  for (const Sample* s : {&big24, &big8, &small24, &small8, &small24, &big8}) {
    ASSERT_TRUE(decode(s->file, 100, 100, pic).ok);
    const int w = s == &small8 ? 7 : s == &small24 ? 8 : 64;
    expect_picture(pic, s->expected, w, w, s == &big24 || s == &big8 ? 64 : 8);
  }
  Bytes broken = small8.file;
  broken[0] = 'X';
  const DecodeResult r = decode(broken, 100, 100, pic);
  EXPECT_FALSE(r.ok);
  EXPECT_FALSE(r.error.empty());
  EXPECT_EQ(pic.width, 0);
  EXPECT_EQ(pic.height, 0);
  EXPECT_TRUE(pic.pixels.empty());
  EXPECT_TRUE(pic.indices.empty());
}

TEST(BmpDecoder, EmptyAreaGivesEmptyPictureButStillChecksTheHeader) {
  const Sample s = make_sample({"rgb24", 40, 24, 0, 0, {}}, 5, 5, false);
  Picture pic;
  for (auto [w, h] : {std::pair{0, 10}, {10, 0}, {-5, -5}}) {
    const DecodeResult r = decode(s.file, w, h, pic);
    EXPECT_TRUE(r.ok) << r.error;
    EXPECT_TRUE(pic.pixels.empty());
    EXPECT_TRUE(pic.indices.empty());
  }
  Bytes broken = s.file;
  test::put32(broken, 18, 0);  // width 0
  EXPECT_FALSE(decode(broken, 0, 0, pic).ok);
}

TEST(BmpDecoder, TruncatedRowsShowWhatWasReadAndBackgroundAfter) {
  Sample s = make_sample({"rgb24", 40, 24, 0, 0, {}}, 4, 4, false);
  // Bottom-up with 12-byte rows: keep the bottom row and the first 7 bytes (2 whole pixels)
  // of the next one up.
  s.file.resize(s.file.size() - 4 * 12 + 12 + 7);
  Picture pic;
  // The background's top byte must not reach the screen.
  const DecodeResult r = decode(s.file, 100, 100, pic, 0xFF000000 | kBackground);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_TRUE(r.partial);
  std::vector<std::uint32_t> want(16, kBackground);
  for (int x = 0; x < 4; ++x) want[12 + x] = s.expected[12 + x];
  for (int x = 0; x < 2; ++x) want[8 + x] = s.expected[8 + x];
  expect_picture(pic, want, 4, 4, 4);
}

// Pictures big enough to take many chunked reads, read whole and cut short.
Sample big_rgb24(int w, int h, bool top_down) {
  const std::size_t stride = (static_cast<std::size_t>(w) * 3 + 3) & ~std::size_t{3};
  BmpFields fields;
  fields.width = w;
  fields.height = top_down ? -h : h;
  fields.pixel_data.resize(stride * h);
  for (std::size_t i = 0; i < fields.pixel_data.size(); ++i) {
    fields.pixel_data[i] = static_cast<std::uint8_t>(i * 7 + (i >> 13));
  }
  Sample s;
  s.expected.resize(static_cast<std::size_t>(w) * h);
  for (int y = 0; y < h; ++y) {
    const std::uint8_t* row = fields.pixel_data.data() + stride * (top_down ? y : h - 1 - y);
    for (int x = 0; x < w; ++x) {
      s.expected[static_cast<std::size_t>(y) * w + x] =
          static_cast<std::uint32_t>(row[3 * x] | row[3 * x + 1] << 8 | row[3 * x + 2] << 16);
    }
  }
  s.file = test::build_bmp(fields);
  return s;
}

TEST(BmpDecoder, LargePicturesAcrossManyReads) {
  for (bool top_down : {false, true}) {
    const Sample s = big_rgb24(2051, 2053, top_down);
    Picture pic;
    DecodeResult r = decode(s.file, 4000, 4000, pic);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_FALSE(r.partial);
    expect_picture(pic, s.expected, 2051, 2051, 2053);

    // Cut in the middle: the top (bottom-up) or bottom (top-down) half is background.
    const std::size_t keep = s.file.size() / 2;
    r = decode(Bytes(s.file.begin(), s.file.begin() + keep), 4000, 4000, pic, kBackground);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_TRUE(r.partial);
    const int first = top_down ? pic.height - 1 : 0;
    const int last = top_down ? 0 : pic.height - 1;
    EXPECT_EQ(pic.pixel(2050, first), kBackground);
    EXPECT_EQ(pic.pixel(2050, last), s.expected[static_cast<std::size_t>(last) * 2051 + 2050]);
  }
}

TEST(BmpDecoder, ThrowingByteSourceLeavesPictureEmpty) {
  const Sample s = big_rgb24(2100, 2050, false);
  for (int reads : {0, 3, 10}) {  // in the header, early and late in the pixel data
    BrokenDisk src(s.file, s.file.size(), reads);
    Picture pic;
    EXPECT_THROW(decode_bmp(src, 3000, 3000, 0, pic), std::runtime_error);
    EXPECT_EQ(pic.width, 0);
    EXPECT_TRUE(pic.pixels.empty());
    EXPECT_TRUE(pic.indices.empty());
  }
}

// Counts what the decoder asks for, over a file that is mostly imaginary: 16384 x 16384
// at 24 bits (768 MiB) whose pixel bytes are made up on the fly.
class HugeSyntheticFile final : public platform::ByteSource {
 public:
  HugeSyntheticFile() {
    BmpFields s;
    s.width = s.height = 16384;
    header_ = test::build_bmp(s);
  }
  std::uint64_t size() const override { return header_.size() + 16384ull * 16384 * 3; }
  std::size_t read_at(std::uint64_t offset, std::span<std::uint8_t> out) override {
    ++reads;
    const std::size_t n =
        static_cast<std::size_t>(std::min<std::uint64_t>(out.size(), size() - offset));
    bytes_read += n;
    for (std::size_t i = 0; i < n; ++i) {
      const std::uint64_t at = offset + i;
      out[i] = at < header_.size() ? header_[at] : static_cast<std::uint8_t>(at * 7);
    }
    return n;
  }
  std::uint64_t bytes_read = 0;
  std::uint64_t reads = 0;

 private:
  Bytes header_;
};

TEST(BmpDecoder, HugeFileReadsOnlyTheVisibleCorner) {
  HugeSyntheticFile file;
  Picture pic;
  const DecodeResult r = decode_bmp(file, 100, 50, 0, pic);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_FALSE(r.partial);
  EXPECT_EQ(pic.pixels.size(), 100u * 50u);
  // 50 rows of 300 visible bytes, plus the header: nothing of the invisible columns.
  EXPECT_LE(file.bytes_read, 50u * 300u + 2048u);
  // The bottom-up file's top screen row is its last row.
  const std::uint64_t last_row = 54 + 16383ull * 16384 * 3;
  const std::uint8_t b = static_cast<std::uint8_t>(last_row * 7);
  const std::uint8_t g = static_cast<std::uint8_t>((last_row + 1) * 7);
  const std::uint8_t rr = static_cast<std::uint8_t>((last_row + 2) * 7);
  EXPECT_EQ(pic.pixel(0, 0), static_cast<std::uint32_t>(rr << 16 | g << 8 | b));
}

}  // namespace
}  // namespace torvane::image
