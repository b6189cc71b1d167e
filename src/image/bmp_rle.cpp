// RLE8 and RLE4 pixel data.
//
// A run-length stream is a sequence of commands that move a cursor through the picture
// from the bottom row up, left to right. The cursor never moves backwards: runs advance
// it along a row, and end-of-line and delta escapes only jump forward. That lets the
// decoder fill every pixel the stream skips with the background exactly once, when the
// cursor jumps over it, instead of clearing the whole picture first.
//
// Hostile streams are clipped rather than rejected: runs past the row end are dropped up
// to the next end-of-line, jumps past the top end the picture, and a stream that stops
// early (missing end marker, file ending inside an escape) keeps what it drew.

#include <algorithm>
#include <cstring>

#include "image/bmp_layout.h"

namespace torvane::image::detail {
namespace {

constexpr std::size_t kChunkBytes = 256 * 1024;
// The longest command: escape, count and an absolute run of 255 pixels padded to a word.
constexpr std::size_t kLongestCommand = 2 + 256;
// The fast paths below may read a few bytes past the end of a command and write a few
// pixels past the end of a run; see Canvas.
constexpr std::size_t kSlack = 8;

// Sequential reader over the stream that refills a fixed buffer with large reads.
class StreamReader {
 public:
  StreamReader(platform::ByteSource& file, std::uint64_t offset, std::uint64_t end)
      : file_(file),
        next_(offset),
        end_(end),
        size_(static_cast<std::size_t>(
            std::clamp<std::uint64_t>(end - offset, 2 * kLongestCommand, kChunkBytes))),
        buf_(scratch_buffer(size_ + kSlack)) {}

  // Makes at least `n` (<= kLongestCommand) bytes available unless the stream ends first;
  // returns how many are available.
  std::size_t ensure(std::size_t n) {
    if (tail_ - head_ >= n || next_ >= end_) return tail_ - head_;
    std::memmove(buf_, buf_ + head_, tail_ - head_);
    tail_ -= head_;
    head_ = 0;
    const std::size_t room =
        static_cast<std::size_t>(std::min<std::uint64_t>(size_ - tail_, end_ - next_));
    const std::size_t got = read_fully(file_, next_, buf_ + tail_, room);
    // A failed read ends the stream just like the end of the file does.
    next_ = got == room ? next_ + got : end_;
    tail_ += got;
    return tail_ - head_;
  }
  // The available bytes, followed by at least kSlack readable (if meaningless) ones.
  const std::uint8_t* data() const { return buf_ + head_; }
  void consume(std::size_t n) { head_ += n; }

 private:
  platform::ByteSource& file_;
  std::uint64_t next_, end_;
  std::size_t size_;
  std::uint8_t* buf_;
  std::size_t head_ = 0, tail_ = 0;
};

// The cursor and the part of the picture it may paint. File rows count from the bottom;
// file row y shows on screen row height-1-y, and only the top `out.height` screen rows and
// left `out.width` columns exist in `out`.
class Canvas {
 public:
  Canvas(const BmpLayout& L, Picture& out, std::uint32_t background)
      : px_(out.pixels.data()),
        vw_(out.width),
        height_(L.height),
        first_visible_(L.height - out.height),
        background_(background) {}

  bool done() const { return y_ >= height_; }
  std::int64_t x() const { return x_; }
  std::int64_t y() const { return y_; }

  // Moves the cursor forward to (nx, ny), painting what it passes over with the
  // background. Anything past the top row ends the picture.
  void jump(std::int64_t nx, std::int64_t ny) {
    if (ny >= height_) {
      ny = height_;
      nx = 0;
    }
    if (ny > y_) {
      fill_row(y_, x_, vw_);
      // Whole rows in between are adjacent on screen, so one fill covers them.
      const std::int64_t lo = std::max(y_ + 1, first_visible_), hi = ny;
      if (lo < hi) {
        std::fill(row(hi - 1), row(hi - 1) + (hi - lo) * vw_, background_);
      }
      x_ = 0;
      y_ = ny;
    }
    if (y_ < height_) fill_row(y_, x_, nx);
    x_ = nx;
  }

  // Paints `n` pixels from the cursor; `pixel(i)` gives the i-th one.
  template <typename PixelAt>
  void run(std::int64_t n, PixelAt pixel) {
    if (y_ >= first_visible_ && x_ < vw_) {
      std::uint32_t* d = row(y_);
      const std::int64_t end = std::min(x_ + n, vw_);
      for (std::int64_t x = x_; x < end; ++x) d[x] = pixel(x - x_);
    }
    x_ += n;
  }

  // The two common commands get fast paths that work in whole blocks and may paint up to
  // kSlack - 1 pixels past the run. That is harmless: every pixel after the cursor is
  // painted again later, by a run or by the background when the cursor jumps or the
  // stream ends. Only the end of the visible row must not be crossed, since the next
  // row in memory is already finished.
  void solid_run(std::int64_t n, std::uint32_t colour) {
    if (y_ >= first_visible_ && x_ < vw_) {
      std::uint32_t* d = row(y_) + x_;
      if (x_ + n + static_cast<std::int64_t>(kSlack) <= vw_) {
        const std::uint64_t two = colour | (std::uint64_t{colour} << 32);
        const std::uint64_t block[4] = {two, two, two, two};
        for (std::int64_t i = 0; i < n; i += 8) std::memcpy(d + i, block, sizeof block);
      } else {
        std::fill(d, d + (std::min(x_ + n, vw_) - x_), colour);
      }
    }
    x_ += n;
  }
  // An RLE8 absolute run: `s` holds n indices and at least kSlack readable bytes after.
  void index_run(std::int64_t n, const std::uint8_t* s, const std::uint32_t* pal) {
    if (y_ >= first_visible_ && x_ < vw_) {
      std::uint32_t* d = row(y_) + x_;
      if (x_ + n + static_cast<std::int64_t>(kSlack) <= vw_) {
        for (std::int64_t i = 0; i < n; i += 4) {
          const std::uint32_t q = le32(s + i);
          d[i] = pal[q & 255];
          d[i + 1] = pal[(q >> 8) & 255];
          d[i + 2] = pal[(q >> 16) & 255];
          d[i + 3] = pal[q >> 24];
        }
      } else {
        const std::int64_t end = std::min(x_ + n, vw_) - x_;
        for (std::int64_t i = 0; i < end; ++i) d[i] = pal[s[i]];
      }
    }
    x_ += n;
  }

 private:
  std::uint32_t* row(std::int64_t y) { return px_ + (height_ - 1 - y) * vw_; }
  void fill_row(std::int64_t y, std::int64_t from, std::int64_t to) {
    to = std::min(to, vw_);
    if (y >= first_visible_ && from < to) std::fill(row(y) + from, row(y) + to, background_);
  }

  std::uint32_t* px_;
  std::int64_t vw_, height_, first_visible_;
  std::uint32_t background_;
  std::int64_t x_ = 0, y_ = 0;
};

}  // namespace

bool decode_rle(platform::ByteSource& file, const BmpLayout& L, std::uint32_t background,
                Picture& out) {
  const bool rle4 = L.format == PixelFormat::kRle4;
  const std::uint32_t* pal = L.palette.data();
  StreamReader in(file, L.data_offset, L.file_size);
  Canvas c(L, out, background);

  bool ended = false;  // saw the end-of-picture marker (or filled the last row)
  while (!c.done()) {
    if (in.ensure(2) < 2) break;
    const std::uint8_t count = in.data()[0], value = in.data()[1];
    in.consume(2);
    if (count > 0) {
      // Encoded run: one index repeated, or for RLE4 two indices alternating.
      if (!rle4) {
        c.solid_run(count, pal[value]);
      } else {
        const std::uint32_t two[2] = {pal[value >> 4], pal[value & 15]};
        if (two[0] == two[1]) {
          c.solid_run(count, two[0]);
        } else {
          c.run(count, [&](std::int64_t i) { return two[i & 1]; });
        }
      }
      continue;
    }
    if (value == 0) {  // end of line
      c.jump(0, c.y() + 1);
    } else if (value == 1) {  // end of picture
      ended = true;
      break;
    } else if (value == 2) {  // delta: move right and up, skipping pixels
      if (in.ensure(2) < 2) break;
      const std::uint8_t dx = in.data()[0], dy = in.data()[1];
      in.consume(2);
      c.jump(c.x() + dx, c.y() + dy);
    } else {
      // Absolute run of `value` indices, padded to a 16-bit boundary.
      const std::size_t bytes = rle4 ? (value + 3u) / 4u * 2u : (value + 1u) & ~1u;
      const std::size_t have = in.ensure(bytes);
      const std::uint8_t* s = in.data();
      if (have < bytes) {
        // The file ends inside the run: show the pixels that made it.
        const std::int64_t n = std::min<std::int64_t>(value, rle4 ? have * 2 : have);
        if (rle4) {
          c.run(n, [&](std::int64_t i) { return pal[(s[i >> 1] >> (i & 1 ? 0 : 4)) & 15]; });
        } else {
          c.index_run(n, s, pal);
        }
        in.consume(have);
        break;
      }
      if (rle4) {
        c.run(value, [&](std::int64_t i) { return pal[(s[i >> 1] >> (i & 1 ? 0 : 4)) & 15]; });
      } else {
        c.index_run(value, s, pal);
      }
      in.consume(bytes);
    }
  }
  if (c.done()) ended = true;  // every row was drawn; a missing marker loses nothing
  c.jump(0, L.height);         // whatever the stream never reached shows the background
  return ended;
}

}  // namespace torvane::image::detail
