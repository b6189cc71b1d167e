// RLE8 and RLE4 pixel data.
//
// A run-length stream is a sequence of commands that move a cursor through the picture
// from the bottom row up, left to right. The cursor never moves backwards: runs advance
// it along a row, and end-of-line and delta escapes only jump forward. That lets the
// decoder fill every pixel the stream skips with the background exactly once, when the
// cursor jumps over it, instead of clearing the whole picture first.
//
// In the 8-bit form the skipped pixels get the palette entry the caller set aside for the
// background. If there is none, or the stream's own indices name it too, the picture
// cannot be shown in 8 bits once it needs both; the decoder then stops and the caller
// starts again in 32 bits.
//
// Hostile streams are clipped rather than rejected: runs past the row end are dropped up
// to the next end-of-line, jumps past the top end the picture, and a stream that stops
// early (missing end marker, file ending inside an escape) keeps what it drew.

#include <algorithm>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64)
#define TORVANE_RLE_SSE2 1
#include <emmintrin.h>
#endif

#include "image/bmp_layout.h"

namespace torvane::image::detail {
namespace {

constexpr std::size_t kChunkBytes = 256 * 1024;
// The longest command: escape, count and an absolute run of 255 pixels padded to a word.
constexpr std::size_t kLongestCommand = 2 + 256;
// The fast paths below may read past the end of a command (up to 64 bytes past the last
// one available) and write a few pixels past the end of a run; see Canvas.
constexpr std::size_t kSlack = 8;
constexpr std::size_t kReadSlack = 64;
// What a long encoded run "loads" in the block-copying path instead of stream bytes.
constexpr std::uint8_t kNothing[256 + 16] = {};

// Sequential reader over the stream that refills a fixed buffer with large reads.
class StreamReader {
 public:
  StreamReader(platform::ByteSource& file, std::uint64_t offset, std::uint64_t end)
      : file_(file),
        next_(offset),
        end_(end),
        size_(static_cast<std::size_t>(
            std::clamp<std::uint64_t>(end - offset, 2 * kLongestCommand, kChunkBytes))),
        buf_(scratch_buffer(size_ + kReadSlack)) {}

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
  // The available bytes, followed by at least kReadSlack readable (if meaningless) ones.
  const std::uint8_t* data() const { return buf_ + head_; }
  std::size_t available() const { return tail_ - head_; }
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
// left `out.width` columns exist in `out`, stored top row first or, if out.bottom_up,
// bottom row first. `Pixel` is the picture's form: a 32-bit colour or an 8-bit index.
template <typename Pixel>
class Canvas {
 public:
  Canvas(const BmpLayout& L, Pixel* px, std::size_t row_pixels, const Picture& out,
         Pixel background)
      : px_(px),
        stride_(static_cast<std::int64_t>(row_pixels)),
        vw_(out.width),
        height_(L.height),
        first_visible_(L.height - out.height),
        bottom_up_(out.bottom_up),
        background_(background) {}

  // In the 8-bit form: which stream index also means the background's palette entry, or
  // -1; `no_slot` when the background has no entry at all.
  void watch(int index, bool no_slot) {
    watched_ = index;
    watched_seen_ = no_slot;
  }
  // The picture cannot be right in this form: it shows the background and the background
  // has no entry of its own.
  bool spoiled() const { return background_seen_ && watched_seen_; }
  bool background_seen() const { return background_seen_; }
  bool watching() const { return watched_ >= 0; }

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
      // Whole rows in between are adjacent in memory, so one fill covers them.
      const std::int64_t lo = std::max(y_ + 1, first_visible_), hi = ny;
      if (lo < hi) {
        Pixel* const first = row(bottom_up_ ? lo : hi - 1);
        std::fill(first, first + (hi - lo) * stride_, background_);
        background_seen_ = true;
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
      Pixel* d = row(y_);
      const std::int64_t end = std::min(x_ + n, vw_);
      for (std::int64_t x = x_; x < end; ++x) d[x] = pixel(x - x_);
    }
    x_ += n;
  }

  // The two common commands get fast paths that work in whole blocks of 8 pixels and may
  // paint up to kSlack - 1 pixels past the run. That is harmless: every pixel after the
  // cursor is painted again later, by a run or by the background when the cursor jumps or
  // the stream ends. Only the end of the visible row must not be crossed, since the
  // neighbouring row in memory may be finished already.
  void solid_run(std::int64_t n, Pixel value) {
    if (y_ >= first_visible_ && x_ < vw_) {
      if constexpr (sizeof(Pixel) == 1) {
        if (value == watched_) watched_seen_ = true;
      }
      Pixel* d = row(y_) + x_;
      if (x_ + n + static_cast<std::int64_t>(kSlack) <= vw_) {
        Pixel block[kSlack];
        std::fill(block, block + kSlack, value);
        for (std::int64_t i = 0; i < n; i += kSlack) std::memcpy(d + i, block, sizeof block);
      } else {
        std::fill(d, d + (std::min(x_ + n, vw_) - x_), value);
      }
    }
    x_ += n;
  }
#if TORVANE_RLE_SSE2
  // RLE8 into 8-bit indices, the bulk of a typical stream: encoded and absolute runs that
  // end well inside the visible part of the row. Every command is stored as 48 bytes (more
  // for longer runs) taken either from a register holding the repeated index or from the
  // stream, chosen by a mask rather than a branch: which kind comes next is as good as
  // random in a real picture, and mispredicting it took longer than the copying. Bytes
  // written past the run are painted again later, as with solid_run.
  //
  // Handles the commands from `p` that lie wholly before `end` (which must be followed by
  // kReadSlack readable bytes) and returns where it stopped: at an escape, near the end of
  // the row, or at a command not yet wholly read.
  template <bool Watch>
  const std::uint8_t* rle8_runs(const std::uint8_t* p, const std::uint8_t* end) {
    static_assert(sizeof(Pixel) == 1);
    constexpr std::int64_t kBlock = 48;
    static_assert(2 + kBlock <= kReadSlack && 2 + 15 <= kReadSlack);
    if (y_ < first_visible_) return p;
    Pixel* const row_start = row(y_);
    const std::int64_t limit = vw_ - kBlock;
    const __m128i watched = _mm_set1_epi8(static_cast<char>(watched_));
    std::int64_t x = x_;
    bool seen = false;
    while (end - p >= 2) {
      const unsigned count = p[0], value = p[1];
      const bool absolute = count == 0;
      if (absolute && value < 3) break;  // end of line, end of picture or delta
      const std::int64_t n = absolute ? value : count;
      const std::ptrdiff_t bytes = absolute ? 2 + ((value + 1) & ~1u) : 2;
      if (x + n > limit || end - p < bytes) break;
      const __m128i from_stream = _mm_set1_epi8(absolute ? static_cast<char>(-1) : 0);
      const __m128i repeated =
          _mm_andnot_si128(from_stream, _mm_set1_epi8(static_cast<char>(value)));
      // A long encoded run must not load that far past its two bytes; it loads zeros.
      const std::uint8_t* const src = absolute ? p + 2 : kNothing;
      std::uint8_t* const d = row_start + x;
      auto block = [&](std::int64_t i) {
        const __m128i v = _mm_or_si128(
            repeated,
            _mm_and_si128(from_stream, _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i))));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), v);
        if constexpr (Watch) {
          // Only the run's own pixels count, not the bytes stored past it.
          const std::int64_t left = n - i;
          const unsigned hits =
              static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, watched)));
          seen |= (left >= 16 ? hits : hits & ((1u << std::max<std::int64_t>(left, 0)) - 1)) != 0;
        }
      };
      block(0);
      block(16);
      block(32);
      for (std::int64_t i = kBlock; i < n; i += 16) block(i);
      x += n;
      p += bytes;
    }
    x_ = x;
    if (seen) watched_seen_ = true;
    return p;
  }
#endif

  // An RLE8 absolute run: `s` holds n indices and at least kSlack readable bytes after.
  void index_run(std::int64_t n, const std::uint8_t* s, const std::uint32_t* pal) {
    if (y_ >= first_visible_ && x_ < vw_) {
      Pixel* d = row(y_) + x_;
      const bool fast = x_ + n + static_cast<std::int64_t>(kSlack) <= vw_;
      const std::int64_t end = std::min(x_ + n, vw_) - x_;
      if constexpr (sizeof(Pixel) == 1) {
        if (watched_ >= 0 && std::memchr(s, watched_, static_cast<std::size_t>(end))) {
          watched_seen_ = true;
        }
        if (fast) {
          for (std::int64_t i = 0; i < n; i += kSlack) std::memcpy(d + i, s + i, kSlack);
        } else {
          std::memcpy(d, s, static_cast<std::size_t>(end));
        }
      } else if (fast) {
        for (std::int64_t i = 0; i < n; i += 4) {
          const std::uint32_t q = le32(s + i);
          d[i] = pal[q & 255];
          d[i + 1] = pal[(q >> 8) & 255];
          d[i + 2] = pal[(q >> 16) & 255];
          d[i + 3] = pal[q >> 24];
        }
      } else {
        for (std::int64_t i = 0; i < end; ++i) d[i] = pal[s[i]];
      }
    }
    x_ += n;
  }

 private:
  Pixel* row(std::int64_t y) {
    return px_ + (bottom_up_ ? y - first_visible_ : height_ - 1 - y) * stride_;
  }
  void fill_row(std::int64_t y, std::int64_t from, std::int64_t to) {
    to = std::min(to, vw_);
    if (y >= first_visible_ && from < to) {
      std::fill(row(y) + from, row(y) + to, background_);
      background_seen_ = true;
    }
  }

  Pixel* px_;
  std::int64_t stride_, vw_, height_, first_visible_;
  bool bottom_up_;
  Pixel background_;
  std::int64_t x_ = 0, y_ = 0;
  int watched_ = -1;
  bool watched_seen_ = false, background_seen_ = false;
};

// The stream's pixels in the picture's form: colours from the palette, or the indices.
struct ToColour {
  const std::uint32_t* pal;
  std::uint32_t operator()(unsigned index) const { return pal[index]; }
};
struct ToIndex {
  std::uint8_t operator()(unsigned index) const { return static_cast<std::uint8_t>(index); }
};

template <typename Pixel, typename Map>
Outcome decode_stream(platform::ByteSource& file, const BmpLayout& L, Canvas<Pixel>& c, Map map) {
  const bool rle4 = L.format == PixelFormat::kRle4;
  const std::uint32_t* pal = L.palette.data();
  StreamReader in(file, L.data_offset, L.file_size);
  auto nibbles = [&](const std::uint8_t* s) {
    return [s, map](std::int64_t i) { return map((s[i >> 1] >> (i & 1 ? 0 : 4)) & 15); };
  };

  bool ended = false;  // saw the end-of-picture marker (or filled the last row)
  while (!c.done() && !c.spoiled()) {
    if (in.ensure(kLongestCommand) < 2) break;
#if TORVANE_RLE_SSE2
    if constexpr (sizeof(Pixel) == 1) {
      if (!rle4) {
        const std::uint8_t* const from = in.data();
        const std::uint8_t* const to =
            c.watching() ? c.template rle8_runs<true>(from, from + in.available())
                         : c.template rle8_runs<false>(from, from + in.available());
        in.consume(static_cast<std::size_t>(to - from));
        if (in.ensure(kLongestCommand) < 2) break;
      }
    }
#endif
    const std::uint8_t count = in.data()[0], value = in.data()[1];
    in.consume(2);
    if (count > 0) {
      // Encoded run: one index repeated, or for RLE4 two indices alternating.
      if (!rle4) {
        c.solid_run(count, map(value));
      } else {
        const Pixel two[2] = {map(value >> 4), map(value & 15)};
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
          c.run(n, nibbles(s));
        } else {
          c.index_run(n, s, pal);
        }
        in.consume(have);
        break;
      }
      if (rle4) {
        c.run(value, nibbles(s));
      } else {
        c.index_run(value, s, pal);
      }
      in.consume(bytes);
    }
  }
  if (c.done()) ended = true;  // every row was drawn; a missing marker loses nothing
  c.jump(0, L.height);         // whatever the stream never reached shows the background
  if (c.spoiled()) return Outcome::kNeedsFullColour;
  return ended ? Outcome::kComplete : Outcome::kPartial;
}

}  // namespace

Outcome decode_rle(platform::ByteSource& file, const BmpLayout& L, std::uint32_t background,
                   BackgroundSlot slot, Picture& out) {
  if (out.bits_per_pixel == 8) {
    Canvas<std::uint8_t> c(L, out.indices.data(), out.stride, out,
                           static_cast<std::uint8_t>(slot.slot < 0 ? 0 : slot.slot));
    c.watch(slot.shared ? slot.slot : -1, slot.slot < 0);
    const Outcome outcome = decode_stream(file, L, c, ToIndex{});
    // No pixel needed the background, so the entry keeps the black that the stream's
    // indices past the palette mean.
    if (slot.slot >= 0 && !c.background_seen()) {
      out.palette[static_cast<std::size_t>(slot.slot)] =
          L.palette[static_cast<std::size_t>(slot.slot)];
    }
    return outcome;
  }
  Canvas<std::uint32_t> c(L, out.pixels.data(), static_cast<std::size_t>(out.width), out,
                          background);
  return decode_stream(file, L, c, ToColour{L.palette.data()});
}

}  // namespace torvane::image::detail
