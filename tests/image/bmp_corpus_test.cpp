// The public BMP suite: good files must match ImageMagick's decode, questionable and bad
// files must give a picture or an error without crashing (the suite also runs under
// ASan/UBSan).

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include "support/bmp_writer.h"
#include "image/bmp_decoder.h"

namespace torvane::image {
namespace {

namespace fs = std::filesystem;

// The pictures live in the repository (tests/data/bmpsuite), so every clone has them.
fs::path suite_dir() { return fs::path(TORVANE_BMPSUITE_DIR); }

std::vector<fs::path> files_in(const char* sub) {
  std::vector<fs::path> out;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(suite_dir() / sub, ec)) {
    if (e.path().extension() == ".bmp") out.push_back(e.path());
  }
  std::sort(out.begin(), out.end());
  return out;
}

std::vector<std::uint8_t> read_file(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool have_convert() {
  return std::system("convert -version >/dev/null 2>&1") == 0;
}

// ImageMagick's RGBA bytes for a file, or nothing if it could not decode it.
std::vector<std::uint8_t> magick_rgba(const fs::path& p) {
  const std::string cmd = "convert '" + p.string() + "' -depth 8 rgba:- 2>/dev/null";
  std::vector<std::uint8_t> out;
  FILE* f = popen(cmd.c_str(), "r");
  if (!f) return out;
  std::uint8_t buf[65536];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;)
    out.insert(out.end(), buf, buf + n);
  pclose(f);
  return out;
}

DecodeResult decode(const std::vector<std::uint8_t>& bytes, int aw, int ah, Picture& pic) {
  platform::MemoryByteSource src(bytes);
  return decode_bmp(src, aw, ah, 0x000000, pic);
}

// Compares RGB with ImageMagick; `tolerance` absorbs rounding of 5/6-bit channels.
void expect_matches_magick(const fs::path& p, int tolerance) {
  SCOPED_TRACE(p.filename().string());
  Picture pic;
  const DecodeResult r = decode(read_file(p), 1 << 16, 1 << 16, pic);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_FALSE(r.partial);
  const std::vector<std::uint8_t> ref = magick_rgba(p);
  ASSERT_EQ(test::form_fault(pic), "");
  const std::vector<std::uint32_t> ours_all = test::colours_of(pic);
  ASSERT_EQ(ref.size(), ours_all.size() * 4) << "ImageMagick gave a different size";
  int mismatches = 0;
  for (std::size_t i = 0; i < ours_all.size() && mismatches < 5; ++i) {
    const std::uint32_t px = ours_all[i];
    const int ours[3] = {int(px >> 16 & 255), int(px >> 8 & 255), int(px & 255)};
    for (int c = 0; c < 3; ++c) {
      if (std::abs(ours[c] - int(ref[4 * i + c])) > tolerance) {
        ADD_FAILURE() << "pixel " << i % pic.width << "," << i / pic.width << " channel " << c
                      << ": ours " << ours[c] << ", ImageMagick " << int(ref[4 * i + c]);
        ++mismatches;
        break;
      }
    }
  }
}

// The pictures and ImageMagick are part of every checkout and every set-up: missing, they
// are a fault to report, never a reason to pass quietly.
#define REQUIRE_SUITE()                                                                  \
  ASSERT_TRUE(fs::is_directory(suite_dir())) << "no test pictures at " << suite_dir()
#define REQUIRE_CONVERT() \
  ASSERT_TRUE(have_convert()) << "ImageMagick's convert is missing (scripts/setup.sh installs it)"

TEST(BmpSuite, GoodFilesMatchImageMagick) {
  REQUIRE_SUITE();
  REQUIRE_CONVERT();
  const auto files = files_in("g");
  ASSERT_FALSE(files.empty());
  for (const auto& p : files) {
    const bool sixteen = p.filename().string().rfind("rgb16", 0) == 0;
    expect_matches_magick(p, sixteen ? 1 : 0);
    // Palette files, plain or run-length encoded, keep their indices.
    if (p.filename().string().rfind("pal", 0) == 0) {
      Picture pic;
      ASSERT_TRUE(decode(read_file(p), 1 << 16, 1 << 16, pic).ok);
      EXPECT_EQ(pic.bits_per_pixel, 8) << p.filename().string();
    }
  }
}

// Questionable files where ImageMagick's reading is a fair reference for the colours (it
// is wrong on rgb16-231 and pal8os2v2, and differs on skipped RLE pixels and alpha).
TEST(BmpSuite, QuestionableFilesThatImageMagickReadsRightMatch) {
  REQUIRE_SUITE();
  REQUIRE_CONVERT();
  for (const char* name :
       {"pal8offs", "pal8os2sp", "pal8os2v2-16", "pal8oversizepal", "rgb24largepal", "rgb24lprof",
        "rgb32-xbgr", "rgb32h52", "rgba32h56", "rgb32fakealpha", "rgba32-1", "rgba32-2"}) {
    const fs::path p = suite_dir() / "q" / (std::string(name) + ".bmp");
    ASSERT_TRUE(fs::exists(p)) << p;
    if (std::string(name) == "pal8oversizepal") {
      // ImageMagick refuses it; the first 256 colours are all a picture can index.
      Picture pic;
      EXPECT_TRUE(decode(read_file(p), 1000, 1000, pic).ok);
      continue;
    }
    expect_matches_magick(p, 0);
  }
}

TEST(BmpSuite, EveryOtherFileGivesAPictureOrAnError) {
  REQUIRE_SUITE();
  // Formats we refuse on purpose, and files broken beyond showing.
  const std::set<std::string> refused = {
      "q/pal1huffmsb.bmp",   "q/rgb24jpeg.bmp", "q/rgb24png.bmp",
      "q/rgb24rle24.bmp",    "q/rgba64.bmp",    "b/badbitcount.bmp",
      "b/badheadersize.bmp", "b/badwidth.bmp",  "b/rletopdown.bmp"};
  std::size_t count = 0;
  for (const char* sub : {"q", "b"}) {
    for (const auto& p : files_in(sub)) {
      const std::string key = std::string(sub) + "/" + p.filename().string();
      SCOPED_TRACE(key);
      const auto bytes = read_file(p);
      for (auto [aw, ah] : {std::pair{4096, 4096}, {17, 5}}) {
        Picture pic;
        const DecodeResult r = decode(bytes, aw, ah, pic);
        if (refused.count(key)) {
          EXPECT_FALSE(r.ok);
        } else {
          EXPECT_TRUE(r.ok) << r.error;
        }
        EXPECT_EQ(test::form_fault(pic), "");
        EXPECT_LE(pic.width, aw);
        EXPECT_LE(pic.height, ah);
      }
      ++count;
    }
  }
  EXPECT_GT(count, 0u);
}

}  // namespace
}  // namespace torvane::image
