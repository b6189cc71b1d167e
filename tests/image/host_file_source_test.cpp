// The POSIX file source: positioned reads, the end of the file, and files that are not
// there or not files.

#include "platform/headless/host_file_source.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "image/bmp_decoder.h"
#include "support/bmp_writer.h"

namespace torvane::platform {
namespace {

namespace fs = std::filesystem;

class HostFileSourceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("torvane-hfs-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    const fs::path p = dir_ / name;
    std::ofstream(p, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return p;
  }
  fs::path dir_;
};

TEST_F(HostFileSourceTest, ReadsAtOffsetsAndStopsAtTheEnd) {
  std::vector<std::uint8_t> bytes(100000);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 13);
  auto src = HostFileSource::open(write("a.bin", bytes).string());
  ASSERT_TRUE(src);
  EXPECT_EQ(src->size(), bytes.size());

  std::vector<std::uint8_t> buf(70000);
  ASSERT_EQ(src->read_at(12345, buf), buf.size());
  EXPECT_TRUE(std::equal(buf.begin(), buf.end(), bytes.begin() + 12345));
  // Reads that cross or start past the end return only what exists.
  EXPECT_EQ(src->read_at(bytes.size() - 10, buf), 10u);
  EXPECT_EQ(buf[9], bytes.back());
  EXPECT_EQ(src->read_at(bytes.size(), buf), 0u);
  EXPECT_EQ(src->read_at(~std::uint64_t{0} - 5, buf), 0u);
}

TEST_F(HostFileSourceTest, MissingFilesAndDirectoriesAreRefused) {
  std::string error;
  EXPECT_EQ(HostFileSource::open((dir_ / "nope.bmp").string(), &error), nullptr);
  EXPECT_NE(error.find("nope.bmp"), std::string::npos);
  error.clear();
  EXPECT_EQ(HostFileSource::open(dir_.string(), &error), nullptr);
  EXPECT_FALSE(error.empty());
}

TEST_F(HostFileSourceTest, DecodesAPictureFromDisk) {
  // A 2 x 1 24-bit picture: blue, red.
  test::BmpFields f;
  f.width = 2;
  f.height = 1;
  f.pixel_data = test::pack_rows({0x0000FF, 0xFF0000}, 2, 1, 24, false);
  const test::Bytes bmp = test::build_bmp(f);
  auto src = HostFileSource::open(write("p.bmp", bmp).string());
  ASSERT_TRUE(src);
  image::Picture pic;
  const image::DecodeResult r = image::decode_bmp(*src, 10, 10, 0, pic);
  ASSERT_TRUE(r.ok) << r.error;
  ASSERT_EQ(pic.width, 2);
  EXPECT_EQ(pic.pixel(0, 0), 0x0000FFu);
  EXPECT_EQ(pic.pixel(1, 0), 0xFF0000u);
}

}  // namespace
}  // namespace torvane::platform
