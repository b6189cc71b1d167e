// Uncompressed pixel data: rows of indexed, 16-, 24- or 32-bit pixels.
//
// Only the visible rows, and of each row only the leading bytes that hold visible
// columns, are read. Neighbouring rows are fetched together in chunks of a few hundred
// KiB so that an ordinary picture costs a handful of reads, while a file far wider than
// the area is read row by row so that the invisible columns are never touched.

#include <algorithm>
#include <vector>

#include "image/bmp_layout.h"

namespace torvane::image::detail {
namespace {

// Big enough that per-read overhead vanishes, small enough to stay in the L2 cache
// between the read and the conversion.
constexpr std::uint64_t kChunkBytes = 256 * 1024;

void indexed_row(const std::uint8_t* s, std::uint32_t* d, std::size_t n, int bpp,
                 const std::uint32_t* pal) {
  if (bpp == 8) {
    for (std::size_t i = 0; i < n; ++i) d[i] = pal[s[i]];
    return;
  }
  // 1, 2 or 4 bits: the leftmost pixel sits in the byte's high bits.
  const int per_byte = 8 / bpp;
  const unsigned mask = (1u << bpp) - 1;
  std::size_t i = 0;
  for (; i + per_byte <= n; ++s) {
    const unsigned b = *s;
    for (int k = per_byte - 1; k >= 0; --k) d[i++] = pal[(b >> (k * bpp)) & mask];
  }
  for (int k = per_byte - 1; i < n; --k) d[i++] = pal[(*s >> (k * bpp)) & mask];
}

void rgb24_row(const std::uint8_t* s, std::uint32_t* d, std::size_t n) {
  // Four pixels are exactly three little-endian words: B0G0R0B1 G1R1B2G2 R2B3G3R3.
  std::size_t i = 0;
  for (; i + 4 <= n; i += 4, s += 12) {
    const std::uint32_t w0 = le32(s), w1 = le32(s + 4), w2 = le32(s + 8);
    d[i] = w0 & 0xFFFFFF;
    d[i + 1] = (w0 >> 24) | ((w1 & 0xFFFF) << 8);
    d[i + 2] = (w1 >> 16) | ((w2 & 0xFF) << 16);
    d[i + 3] = w2 >> 8;
  }
  for (; i < n; ++i, s += 3) d[i] = static_cast<std::uint32_t>(s[0] | (s[1] << 8) | (s[2] << 16));
}

void xrgb32_row(const std::uint8_t* s, std::uint32_t* d, std::size_t n) {
  // Already the screen's layout; the fourth byte is padding or alpha and must not leak
  // into the top byte the screen expects to be zero.
  for (std::size_t i = 0; i < n; ++i) d[i] = le32(s + 4 * i) & 0x00FFFFFF;
}

template <int Bytes>
void masked_row(const std::uint8_t* s, std::uint32_t* d, std::size_t n, const BmpLayout& L) {
  for (std::size_t i = 0; i < n; ++i) {
    const std::uint32_t p = Bytes == 2 ? le16(s + 2 * i) : le32(s + 4 * i);
    d[i] = (L.red(p) << 16) | (L.green(p) << 8) | L.blue(p);
  }
}

// Converts the first `n` pixels of a row held in `s`.
void convert_row(const BmpLayout& L, const std::uint8_t* s, std::uint32_t* d, std::size_t n) {
  switch (L.format) {
    case PixelFormat::kIndexed: indexed_row(s, d, n, L.bits_per_pixel, L.palette.data()); break;
    case PixelFormat::kRgb24: rgb24_row(s, d, n); break;
    case PixelFormat::kXrgb32: xrgb32_row(s, d, n); break;
    case PixelFormat::kMasked16: masked_row<2>(s, d, n, L); break;
    case PixelFormat::kMasked32: masked_row<4>(s, d, n, L); break;
    default: break;  // RLE never comes here
  }
}

}  // namespace

bool decode_uncompressed(platform::ByteSource& file, const BmpLayout& L,
                         std::uint32_t background, Picture& out) {
  const std::size_t vw = static_cast<std::size_t>(out.width);
  const std::int64_t vh = out.height;
  const std::uint64_t bpp = static_cast<std::uint64_t>(L.bits_per_pixel);
  const std::uint64_t stride = L.stride;
  // Bytes of each row that hold visible columns.
  const std::uint64_t need = (vw * bpp + 7) / 8;

  // Rows at or past `rows_present` start beyond the end of the file. Checking against it
  // first keeps row * stride below the file size, so offsets cannot overflow even when
  // the header claims 2^31 rows of 2^33 bytes.
  const std::uint64_t avail = L.file_size - L.data_offset;
  const std::uint64_t rows_present = avail / stride + (avail % stride != 0);

  // Read neighbouring rows together unless most of each row is invisible padding.
  const std::uint64_t gap = stride - need;
  const bool chunked = gap <= need || gap <= 4096;
  const std::uint64_t rows_per_read =
      chunked ? std::max<std::uint64_t>(1, kChunkBytes / stride) : 1;
  std::vector<std::uint8_t> buf(
      static_cast<std::size_t>((std::min<std::uint64_t>(rows_per_read, vh) - 1) * stride + need));

  bool complete = true;
  for (std::int64_t y0 = 0; y0 < vh;) {
    const std::int64_t rows = std::min<std::int64_t>(rows_per_read, vh - y0);
    // File rows of screen rows y0 .. y0+rows-1 form one contiguous run; bottom-up files
    // store them in reverse order.
    const std::uint64_t first_row = L.top_down ? static_cast<std::uint64_t>(y0)
                                               : static_cast<std::uint64_t>(L.height - y0 - rows);
    std::size_t got = 0;
    if (first_row < rows_present) {
      const std::uint64_t off = L.data_offset + first_row * stride;
      const std::uint64_t len =
          std::min<std::uint64_t>((rows - 1) * stride + need, L.file_size - off);
      got = read_fully(file, off, buf.data(), static_cast<std::size_t>(len));
    }
    for (std::int64_t j = 0; j < rows; ++j) {
      const std::int64_t y = L.top_down ? y0 + j : y0 + rows - 1 - j;
      std::uint32_t* dst = out.pixels.data() + static_cast<std::size_t>(y) * vw;
      const std::uint64_t start = static_cast<std::uint64_t>(j) * stride;
      const std::uint64_t valid = got > start ? std::min<std::uint64_t>(got - start, need) : 0;
      // A row cut short by the end of the file shows the whole pixels it still has.
      const std::size_t n = valid == need ? vw : static_cast<std::size_t>(valid * 8 / bpp);
      if (n) convert_row(L, buf.data() + start, dst, n);
      if (n < vw) {
        std::fill(dst + n, dst + vw, background);
        complete = false;
      }
    }
    y0 += rows;
  }
  return complete;
}

}  // namespace torvane::image::detail
