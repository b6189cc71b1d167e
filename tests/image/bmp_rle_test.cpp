// RLE8 and RLE4 streams written by hand, so every escape is covered in a known place.

#include <gtest/gtest.h>

#include "support/bmp_writer.h"
#include "image/bmp_decoder.h"

namespace torvane::image {
namespace {

using test::Bytes;

constexpr std::uint32_t kBg = 0xABCDEF;

// Distinct for every index (red = index), never the background.
std::uint32_t colour(int index) {
  const auto i = static_cast<std::uint32_t>(index);
  return i << 16 | (255 - i) << 8 | ((i * 7) & 255);
}

// A full palette unless `entries` says how many colours it has.
Bytes rle_file(int bpp, int width, int height, const Bytes& stream, int entries = -1) {
  test::BmpFields s;
  s.width = width;
  s.height = height;
  s.bpp = bpp;
  s.compression = bpp == 8 ? 1 : 2;
  for (int i = 0; i < (entries < 0 ? 1 << bpp : entries); ++i) s.palette.push_back(colour(i));
  s.pixel_data = stream;
  return test::build_bmp(s);
}

// `rows` is the expected screen, top row first: palette indices, or -1 for background.
// Indices at or past `entries` have no colour and show black.
void expect_screen(const Picture& pic, const std::vector<std::vector<int>>& rows,
                   std::uint32_t background = kBg, int entries = 256) {
  ASSERT_EQ(test::form_fault(pic), "");
  ASSERT_EQ(pic.height, static_cast<int>(rows.size()));
  for (int y = 0; y < pic.height; ++y) {
    ASSERT_EQ(pic.width, static_cast<int>(rows[y].size()));
    for (int x = 0; x < pic.width; ++x) {
      const int want = rows[y][x];
      EXPECT_EQ(pic.pixel(x, y), want < 0         ? background
                                 : want < entries ? colour(want)
                                                  : 0)
          << "at " << x << "," << y;
    }
  }
}

DecodeResult decode(const Bytes& file, int aw, int ah, Picture& pic,
                    std::uint32_t background = kBg) {
  platform::MemoryByteSource src(file);
  return decode_bmp(src, aw, ah, background, pic);
}

// Bottom row: run of three 1s, absolute 2 3 4 (padded). Next row skipped by a delta that
// lands at column 2 of the row above, run of two 5s, end of line. Top row: absolute
// 6 7 8 9, end of picture.
const Bytes kRle8Stream = {3, 1, 0, 3, 2, 3, 4, 0, 0, 0, 0, 2, 2,
                           1, 2, 5, 0, 0, 0, 4, 6, 7, 8, 9, 0, 1};
const std::vector<std::vector<int>> kRle8Screen = {
    {6, 7, 8, 9, -1, -1},
    {-1, -1, 5, 5, -1, -1},
    {-1, -1, -1, -1, -1, -1},
    {1, 1, 1, 2, 3, 4},
};

TEST(BmpRle, Rle8EveryEscape) {
  Picture pic;
  const DecodeResult r = decode(rle_file(8, 6, 4, kRle8Stream), 100, 100, pic);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_FALSE(r.partial);
  expect_screen(pic, kRle8Screen);
}

TEST(BmpRle, Rle8CroppedToArea) {
  Picture pic;
  const DecodeResult r = decode(rle_file(8, 6, 4, kRle8Stream), 3, 2, pic);
  ASSERT_TRUE(r.ok) << r.error;
  expect_screen(pic, {{6, 7, 8}, {-1, -1, 5}});
}

TEST(BmpRle, Rle4AlternatingRunsAndOddAbsoluteRuns) {
  // Bottom row: 5 pixels alternating 1,2 then absolute 3,4,5 (2 bytes). Top row: absolute
  // 6..10 (3 bytes padded to 4), then three 11s.
  const Bytes stream = {5,    0x12, 0,    3,    0x34, 0x50, 0, 0, 0, 5,
                        0x67, 0x89, 0xA0, 0x00, 3,    0xBB, 0, 0, 0, 1};
  Picture pic;
  const DecodeResult r = decode(rle_file(4, 8, 2, stream), 100, 100, pic);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_FALSE(r.partial);
  expect_screen(pic, {{6, 7, 8, 9, 10, 11, 11, 11}, {1, 2, 1, 2, 1, 3, 4, 5}});

  ASSERT_TRUE(decode(rle_file(4, 8, 2, stream), 3, 1, pic).ok);
  expect_screen(pic, {{6, 7, 8}});
}

// Which form an RLE picture takes: 8 bits wherever the background can have a palette entry
// of its own, 32 bits where it cannot. The colours are the same either way.
struct FormCase {
  const char* name;
  int bpp, entries;  // entries < 0: a full palette
  std::uint32_t background;
  int width, height;
  Bytes stream;
  int bits_per_pixel;
  bool partial;
  std::vector<std::vector<int>> screen;
};

void PrintTo(const FormCase& c, std::ostream* os) { *os << c.name; }

class BmpRleForm : public ::testing::TestWithParam<FormCase> {};

TEST_P(BmpRleForm, KeepsIndicesWhereTheBackgroundHasAnEntry) {
  const FormCase& c = GetParam();
  Picture pic;
  const DecodeResult r =
      decode(rle_file(c.bpp, c.width, c.height, c.stream, c.entries), 100, 100, pic, c.background);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.partial, c.partial);
  EXPECT_EQ(pic.bits_per_pixel, c.bits_per_pixel);
  EXPECT_EQ(pic.bottom_up, c.bits_per_pixel == 8);  // the stream's own row order
  expect_screen(pic, c.screen, c.background, c.entries < 0 ? 256 : c.entries);
}

// clang-format off
const FormCase kForms[] = {
    {"full_palette_with_skips", 8, -1, kBg, 6, 4, kRle8Stream, 32, false, kRle8Screen},
    {"full_palette_without_skips", 8, -1, kBg, 3, 2, {3, 1, 0, 0, 0, 3, 250, 251, 252, 0, 0, 1}, 8, false,
     {{250, 251, 252}, {1, 1, 1}}},
    {"full_palette_holding_the_background", 8, -1, colour(200), 6, 4, kRle8Stream, 8, false, kRle8Screen},
    {"short_palette_with_skips", 8, 10, kBg, 6, 4, kRle8Stream, 8, false, kRle8Screen},
    // Index 255 is past the palette, so black, and the background has no other entry.
    {"short_palette_with_skips_and_a_run_of_255", 8, 10, kBg, 4, 2, {2, 255, 0, 0, 0, 1}, 32, false,
     {{-1, -1, -1, -1}, {255, 255, -1, -1}}},
    {"short_palette_with_skips_and_255_in_an_absolute_run", 8, 10, kBg, 4, 2, {0, 3, 7, 255, 8, 0, 0, 0, 0, 1},
     32, false, {{-1, -1, -1, -1}, {7, 255, 8, -1}}},
    {"short_palette_with_255_but_no_skips", 8, 10, kBg, 2, 1, {2, 255, 0, 1}, 8, false, {{255, 255}}},
    // A free entry is black already, so a black background shares it with index 255.
    {"black_background_shares_a_free_entry", 8, 10, 0, 4, 2, {0, 3, 7, 255, 8, 0, 0, 0, 0, 1}, 8, false,
     {{-1, -1, -1, -1}, {7, 255, 8, -1}}},
    {"short_palette_stream_ends_early", 8, 10, kBg, 3, 2, {3, 4}, 8, true, {{-1, -1, -1}, {4, 4, 4}}},
    {"full_palette_stream_ends_early", 8, -1, kBg, 3, 2, {3, 4}, 32, true, {{-1, -1, -1}, {4, 4, 4}}},
    // RLE4 indices never reach past entry 15, so entry 255 is always free.
    {"rle4_with_skips", 4, -1, kBg, 4, 2, {0, 2, 1, 1, 2, 0x12, 0, 1}, 8, false, {{-1, 1, 2, -1}, {-1, -1, -1, -1}}},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Palettes, BmpRleForm, ::testing::ValuesIn(kForms),
                         [](const auto& tp) { return std::string(tp.param.name); });

// Wide rows go through the block-copying path, which stores past the end of each run. With
// a short palette, only an index 255 inside a run's own pixels means the picture needs the
// 32-bit form; bytes the copy merely passes over must not count.
TEST(BmpRle, Rle8BlockCopiesLookOnlyAtTheRunsOwnIndicesForTheBackgroundsEntry) {
  const int w = 300;
  auto check = [&](const Bytes& stream, const std::vector<int>& row, int bits_per_pixel) {
    Picture pic;
    const DecodeResult r = decode(rle_file(8, w, 1, stream, 10), 1000, 10, pic);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(pic.bits_per_pixel, bits_per_pixel);
    expect_screen(pic, {row}, kBg, 10);
  };
  {
    SCOPED_TRACE("255 as padding and in the next command");
    // Absolute 1 2 3 padded with 255, then 255 pixels of 5; the rest of the row is skipped.
    const Bytes stream = {0, 3, 1, 2, 3, 255, 255, 5, 0, 1};
    std::vector<int> row(w, -1);
    for (int x = 0; x < 3; ++x) row[x] = x + 1;
    for (int x = 3; x < 258; ++x) row[x] = 5;
    check(stream, row, 8);
  }
  for (int at : {0, 15, 16, 40, 47, 48, 63, 69}) {
    SCOPED_TRACE("255 at " + std::to_string(at) + " of an absolute run of 70");
    Bytes stream = {0, 70};
    std::vector<int> row(w, -1);
    for (int x = 0; x < 70; ++x) {
      row[x] = x == at ? 255 : 1 + x % 7;
      stream.push_back(static_cast<std::uint8_t>(row[x]));
    }
    stream.insert(stream.end(), {0, 1});
    check(stream, row, 32);
  }
}

// A reference encoder for random pictures with holes (-1): holes inside a row become
// deltas, holes at a row's end become end-of-line, all-hole rows become a delta upwards,
// and the rest encoded runs (RLE4: alternating pairs) or absolute runs.
Bytes encode(const std::vector<int>& px, int w, int h, int bpp) {
  Bytes s;
  auto at = [&](int x, int y) { return px[static_cast<std::size_t>(y) * w + x]; };  // y: file row
  for (int y = 0; y < h; ++y) {
    bool all_holes = true;
    for (int x = 0; x < w; ++x) all_holes = all_holes && at(x, y) < 0;
    if (all_holes && y + 1 < h) {
      s.insert(s.end(), {0, 2, 0, 1});
      continue;
    }
    int x = 0;
    while (x < w) {
      if (at(x, y) < 0) {
        int end = x;
        while (end < w && at(end, y) < 0) ++end;
        if (end == w) break;  // the end of line below skips the rest
        for (int dx = end - x; dx > 0; dx -= 255) {
          s.insert(s.end(), {0, 2, static_cast<std::uint8_t>(std::min(dx, 255)), 0});
        }
        x = end;
        continue;
      }
      // Longest stretch matching a repeated pair (a, b) - for RLE8 a == b.
      const int a = at(x, y), b = bpp == 4 && x + 1 < w && at(x + 1, y) >= 0 ? at(x + 1, y) : a;
      int run = 0;
      while (x + run < w && run < 255 && at(x + run, y) == (run % 2 ? b : a)) ++run;
      if (run >= 3 || (run == 2 && a == b)) {
        s.push_back(static_cast<std::uint8_t>(run));
        s.push_back(static_cast<std::uint8_t>(bpp == 8 ? a : (a << 4) | b));
        x += run;
        continue;
      }
      int lit = 0;  // up to the next hole, at most 255
      while (x + lit < w && lit < 255 && at(x + lit, y) >= 0) ++lit;
      if (lit < 3) {
        s.push_back(1);
        s.push_back(static_cast<std::uint8_t>(bpp == 8 ? a : a << 4));
        ++x;
        continue;
      }
      s.push_back(0);
      s.push_back(static_cast<std::uint8_t>(lit));
      const std::size_t bytes = bpp == 8 ? (lit + 1u) & ~1u : (lit + 3u) / 4u * 2u;
      const std::size_t first = s.size();
      s.resize(first + bytes);
      for (int i = 0; i < lit; ++i) {
        const int v = at(x + i, y);
        if (bpp == 8) {
          s[first + i] = static_cast<std::uint8_t>(v);
        } else {
          s[first + i / 2] |= static_cast<std::uint8_t>(i % 2 ? v : v << 4);
        }
      }
      x += lit;
    }
    s.insert(s.end(), {0, static_cast<std::uint8_t>(y + 1 == h ? 1 : 0)});
  }
  return s;
}

TEST(BmpRle, RandomPicturesRoundTrip) {
  // Widths up to 300 take the block-writing fast paths as well as the careful ones near
  // the end of each row; every picture is also decoded into a smaller area.
  std::uint32_t seed = 12345;
  auto rnd = [&](int n) {
    return static_cast<int>((seed = seed * 1664525u + 1013904223u) >> 8) % n;
  };
  for (int round = 0; round < 90; ++round) {
    const int bpp = round % 2 ? 4 : 8;
    // Full palettes, and short ones whose last entry takes the background in 8 bits.
    const int entries = round % 3 == 0 ? -1 : 1 + rnd(1 << bpp);
    const int w = 1 + rnd(300), h = 1 + rnd(12);
    std::vector<int> px(static_cast<std::size_t>(w) * h);  // file rows, bottom first
    for (std::size_t i = 0; i < px.size();) {
      const int len = 1 + rnd(rnd(2) ? 40 : 4);
      const int kind = rnd(10);
      const int a = rnd(1 << bpp), b = rnd(1 << bpp);
      for (int k = 0; k < len && i < px.size(); ++k, ++i) {
        px[i] = kind < 2 ? -1 : kind < 4 ? rnd(1 << bpp) : kind < 5 ? (k % 2 ? b : a) : a;
      }
    }
    const Bytes file = rle_file(bpp, w, h, encode(px, w, h, bpp), entries);
    for (auto [aw, ah] : {std::pair{w, h}, {1 + rnd(w), 1 + rnd(h)}}) {
      SCOPED_TRACE("round " + std::to_string(round) + ", " + std::to_string(w) + "x" +
                   std::to_string(h) + " in " + std::to_string(aw) + "x" + std::to_string(ah));
      Picture pic;
      const DecodeResult r = decode(file, aw, ah, pic);
      ASSERT_TRUE(r.ok) << r.error;
      EXPECT_FALSE(r.partial);
      std::vector<std::vector<int>> screen(ah, std::vector<int>(aw));
      for (int y = 0; y < ah; ++y) {
        for (int x = 0; x < aw; ++x) screen[y][x] = px[static_cast<std::size_t>(h - 1 - y) * w + x];
      }
      expect_screen(pic, screen, kBg, entries < 0 ? 256 : entries);
      if (HasFailure()) return;
    }
  }
}

struct RleDamage {
  const char* name;
  int bpp, width, height;
  Bytes stream;
  bool partial;
  std::vector<std::vector<int>> screen;
};

void PrintTo(const RleDamage& c, std::ostream* os) { *os << c.name; }

class BmpRleDamage : public ::testing::TestWithParam<RleDamage> {};

TEST_P(BmpRleDamage, ShowsWhatWasDrawn) {
  const RleDamage& d = GetParam();
  Picture pic;
  const DecodeResult r = decode(rle_file(d.bpp, d.width, d.height, d.stream), 100, 100, pic);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.partial, d.partial);
  expect_screen(pic, d.screen);
}

// clang-format off
const RleDamage kDamage[] = {
    // Runs never wrap into the next row: the excess is dropped up to the end of line.
    {"run_past_row_end", 8, 4, 2, {6, 1, 0, 3, 7, 7, 7, 0, 0, 0, 4, 2, 0, 1}, false, {{2, 2, 2, 2}, {1, 1, 1, 1}}},
    {"rle4_absolute_past_row_end", 4, 3, 1, {0, 5, 0x12, 0x34, 0x50, 0, 0, 1}, false, {{1, 2, 3}}},
    {"delta_past_row_end", 8, 4, 2, {0, 2, 9, 0, 2, 5, 0, 0, 1, 3, 0, 1}, false, {{3, -1, -1, -1}, {-1, -1, -1, -1}}},
    {"delta_past_top_ends_picture", 8, 2, 2, {2, 4, 0, 2, 0, 200, 2, 5}, false, {{-1, -1}, {4, 4}}},
    {"no_end_marker", 8, 3, 2, {3, 4}, true, {{-1, -1, -1}, {4, 4, 4}}},
    {"end_of_line_after_top_row_needs_no_marker", 8, 1, 1, {1, 4, 0, 0}, false, {{4}}},
    {"file_ends_inside_escape", 8, 3, 1, {2, 4, 0}, true, {{4, 4, -1}}},
    {"file_ends_inside_delta", 8, 3, 1, {1, 4, 0, 2, 1}, true, {{4, -1, -1}}},
    {"file_ends_inside_absolute_run", 8, 5, 1, {0, 5, 1, 2, 3}, true, {{1, 2, 3, -1, -1}}},
    {"rle4_file_ends_inside_absolute_run", 4, 5, 1, {0, 5, 0x12}, true, {{1, 2, -1, -1, -1}}},
    {"end_marker_first", 8, 2, 2, {0, 1, 3, 3}, false, {{-1, -1}, {-1, -1}}},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Hostile, BmpRleDamage, ::testing::ValuesIn(kDamage),
                         [](const auto& tp) { return std::string(tp.param.name); });

}  // namespace
}  // namespace torvane::image
