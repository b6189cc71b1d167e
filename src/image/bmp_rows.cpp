// Uncompressed pixel data: rows of indexed, 16-, 24- or 32-bit pixels.
//
// Only the visible rows, and of each row only the leading bytes that hold visible
// columns, are read. Neighbouring rows are fetched together in chunks of a few hundred
// KiB so that an ordinary picture costs a handful of reads, while a file far wider than
// the area is read row by row so that the invisible columns are never touched.

#include <algorithm>
#include <utility>

#include "image/bmp_layout.h"

namespace torvane::image::detail {
namespace {

// Big enough that per-read overhead vanishes, small enough to stay in the L2 cache
// between the read and the conversion.
constexpr std::uint64_t kChunkBytes = 256 * 1024;

void indexed_row(const std::uint8_t* s, std::uint32_t* d, std::size_t n, int bpp,
                 const std::uint32_t* pal) {
  if (bpp == 8) {
    // Four indices per load; the lookups are independent so they overlap.
    std::size_t i = 0;
    for (; i + 4 <= n; i += 4) {
      const std::uint32_t q = le32(s + i);
      d[i] = pal[q & 255];
      d[i + 1] = pal[(q >> 8) & 255];
      d[i + 2] = pal[(q >> 16) & 255];
      d[i + 3] = pal[q >> 24];
    }
    for (; i < n; ++i) d[i] = pal[s[i]];
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
  // Eight pixels are exactly three little-endian 64-bit words; storing the results two
  // pixels at a time halves the stores, which is what bounds this loop.
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8, s += 24) {
    const std::uint64_t a = le64(s), b = le64(s + 8), c = le64(s + 16);
    const std::uint64_t q0 = (a & 0xFFFFFF) | ((a << 8) & 0x00FFFFFF00000000ull);
    const std::uint64_t q1 = (a >> 48) | ((b & 0xFF) << 16) | (((b >> 8) & 0xFFFFFF) << 32);
    const std::uint64_t q2 = ((b >> 32) & 0xFFFFFF) | (((b >> 56) | ((c & 0xFFFF) << 8)) << 32);
    const std::uint64_t q3 = ((c >> 16) & 0xFFFFFF) | ((c >> 40) << 32);
    std::memcpy(d + i, &q0, 8);
    std::memcpy(d + i + 2, &q1, 8);
    std::memcpy(d + i + 4, &q2, 8);
    std::memcpy(d + i + 6, &q3, 8);
  }
  for (; i < n; ++i, s += 3) d[i] = static_cast<std::uint32_t>(s[0] | (s[1] << 8) | (s[2] << 16));
}

void xrgb32_row(const std::uint8_t* s, std::uint32_t* d, std::size_t n) {
  // Already the screen's layout; the fourth byte is padding or alpha and must not leak
  // into the top byte the screen expects to be zero.
  std::size_t i = 0;
  for (; i + 2 <= n; i += 2) {  // two pixels per operation, whatever the optimiser does
    const std::uint64_t q = le64(s + 4 * i) & 0x00FFFFFF00FFFFFFull;
    std::memcpy(d + i, &q, 8);
  }
  if (i < n) d[i] = le32(s + 4 * i) & 0x00FFFFFF;
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
    case PixelFormat::kIndexed:
      indexed_row(s, d, n, L.bits_per_pixel, L.palette.data());
      break;
    case PixelFormat::kRgb24:
      rgb24_row(s, d, n);
      break;
    case PixelFormat::kXrgb32:
      xrgb32_row(s, d, n);
      break;
    case PixelFormat::kMasked16:
      masked_row<2>(s, d, n, L);
      break;
    case PixelFormat::kMasked32:
      masked_row<4>(s, d, n, L);
      break;
    default:
      break;  // RLE never comes here
  }
}

// The 8-bit form keeps the file's indices: 8-bit rows are copied as they are, and 1-, 2-
// and 4-bit rows widened to a byte per pixel through a table of what each byte becomes.
template <int Bpp>
constexpr std::array<std::uint64_t, 256> make_widen_table() {
  std::array<std::uint64_t, 256> t{};
  for (unsigned b = 0; b < 256; ++b) {
    for (int k = 0; k < 8 / Bpp; ++k) {  // the leftmost pixel sits in the byte's high bits
      t[b] |= std::uint64_t{(b >> (8 - Bpp * (k + 1))) & ((1u << Bpp) - 1)} << (8 * k);
    }
  }
  return t;
}

template <int Bpp>
void widen_row(const std::uint8_t* s, std::uint8_t* d, std::size_t n) {
  static constexpr std::array<std::uint64_t, 256> kTable = make_widen_table<Bpp>();
  constexpr std::size_t per_byte = 8 / Bpp;
  std::size_t i = 0;
  for (; i + per_byte <= n; i += per_byte) std::memcpy(d + i, &kTable[*s++], per_byte);
  if (i < n) std::memcpy(d + i, &kTable[*s], n - i);
}

void index_row(int bpp, const std::uint8_t* s, std::uint8_t* d, std::size_t n) {
  switch (bpp) {
    case 8:
      std::memcpy(d, s, n);
      break;
    case 4:
      widen_row<4>(s, d, n);
      break;
    case 2:
      widen_row<2>(s, d, n);
      break;
    default:
      widen_row<1>(s, d, n);
      break;
  }
}

// How the visible rows are fetched: in chunks of `rows_per_read` screen rows, each chunk
// one read of consecutive file rows.
class RowReader {
 public:
  RowReader(platform::ByteSource& file, const BmpLayout& L, std::uint32_t background, Picture& out)
      : file_(file), L_(L), background_(background), out_(out) {
    vw_ = static_cast<std::size_t>(out.width);
    vh_ = out.height;
    need_ = (vw_ * static_cast<std::uint64_t>(L.bits_per_pixel) + 7) / 8;
    // Rows at or past `rows_present_` start beyond the end of the file. Checking against
    // it first keeps row * stride below the file size, so offsets cannot overflow even
    // when the header claims 2^31 rows of 2^33 bytes.
    const std::uint64_t avail = L.file_size - L.data_offset;
    rows_present_ = avail / L.stride + (avail % L.stride != 0);
    // Read neighbouring rows together unless most of each row is invisible padding.
    const std::uint64_t gap = L.stride - need_;
    const bool chunked = gap <= need_ || gap <= 4096;
    rows_per_read_ = chunked ? std::max<std::uint64_t>(1, kChunkBytes / L.stride) : 1;
    chunk_bytes_ = static_cast<std::size_t>(
        (std::min<std::uint64_t>(rows_per_read_, static_cast<std::uint64_t>(vh_)) - 1) * L.stride +
        need_);
  }

  std::int64_t chunks() const {
    return (vh_ + static_cast<std::int64_t>(rows_per_read_) - 1) /
           static_cast<std::int64_t>(rows_per_read_);
  }
  std::size_t chunk_bytes() const { return chunk_bytes_; }

  // Whether the file is long enough for every visible pixel.
  bool all_present() const {
    // The visible row stored last: the top screen row of a bottom-up file.
    const std::uint64_t last = static_cast<std::uint64_t>(L_.top_down ? vh_ - 1 : L_.height - 1);
    return last < rows_present_ && L_.data_offset + last * L_.stride + need_ <= L_.file_size;
  }

  // Reads chunk `k` into `buf`; returns the bytes read.
  std::size_t read(std::int64_t k, std::uint8_t* buf) const {
    const auto [y0, rows] = span(k);
    // File rows of screen rows y0 .. y0+rows-1 form one contiguous run; bottom-up files
    // store them in reverse order.
    const std::uint64_t first_row = L_.top_down ? static_cast<std::uint64_t>(y0)
                                                : static_cast<std::uint64_t>(L_.height - y0 - rows);
    if (first_row >= rows_present_) return 0;
    const std::uint64_t off = L_.data_offset + first_row * L_.stride;
    const std::uint64_t len =
        std::min<std::uint64_t>((rows - 1) * L_.stride + need_, L_.file_size - off);
    return read_fully(file_, off, buf, static_cast<std::size_t>(len));
  }

  // Whether 8-bit rows are laid out in the file as in the picture, in the same order and
  // with the same padding, so that they can be read straight to where they belong.
  bool same_rows() const {
    return out_.bits_per_pixel == 8 && L_.bits_per_pixel == 8 && L_.stride == out_.stride &&
           out_.bottom_up == !L_.top_down;
  }

  // Reads all visible rows straight into the picture, whose rows are in the file's order,
  // in one read: there is nothing to convert, so no reason to go through the cache in
  // chunks. kNeedsFullColour if the read came up short.
  Outcome read_in_place() const {
    const std::uint64_t first_row =
        L_.top_down ? 0 : static_cast<std::uint64_t>(L_.height - vh_);  // < rows_present_
    const std::size_t want = static_cast<std::size_t>(vh_ - 1) * out_.stride + need_;
    const std::size_t got =
        read_fully(file_, L_.data_offset + first_row * L_.stride, out_.indices.data(), want);
    return got < want ? Outcome::kNeedsFullColour : Outcome::kComplete;
  }

  // Converts chunk `k` from `buf`, of which `got` bytes were read, into the picture's form.
  // Returns kPartial if some pixels were missing and got the background; in the 8-bit
  // form, which has no entry for the background, kNeedsFullColour at the first of them.
  Outcome convert(std::int64_t k, const std::uint8_t* buf, std::size_t got) const {
    const auto [y0, rows] = span(k);
    const bool indexed = out_.bits_per_pixel == 8;
    Outcome outcome = Outcome::kComplete;
    // Fill the picture's rows in memory order even when the file has them the other way
    // round: writing a large picture strictly forwards is markedly faster than hopping
    // back a row at a time, and the rows being read are still in the cache.
    const bool upwards = indexed && out_.bottom_up;
    for (std::int64_t i = 0; i < rows; ++i) {
      const std::int64_t y = upwards ? y0 + rows - 1 - i : y0 + i;      // screen row
      const std::int64_t j = L_.top_down ? y - y0 : y0 + rows - 1 - y;  // row within the chunk
      const std::uint64_t start = static_cast<std::uint64_t>(j) * L_.stride;
      const std::uint64_t valid = got > start ? std::min<std::uint64_t>(got - start, need_) : 0;
      // A row cut short by the end of the file shows the whole pixels it still has.
      const std::size_t n =
          valid == need_ ? vw_ : static_cast<std::size_t>(valid * 8 / L_.bits_per_pixel);
      if (indexed) {
        if (n < vw_) return Outcome::kNeedsFullColour;
        const std::int64_t row = out_.bottom_up ? vh_ - 1 - y : y;
        index_row(L_.bits_per_pixel, buf + start,
                  out_.indices.data() + static_cast<std::size_t>(row) * out_.stride, n);
        continue;
      }
      std::uint32_t* dst = out_.pixels.data() + static_cast<std::size_t>(y) * vw_;
      if (n) convert_row(L_, buf + start, dst, n);
      if (n < vw_) {
        std::fill(dst + n, dst + vw_, background_);
        outcome = Outcome::kPartial;
      }
    }
    return outcome;
  }

 private:
  std::pair<std::int64_t, std::int64_t> span(std::int64_t k) const {
    const std::int64_t y0 = k * static_cast<std::int64_t>(rows_per_read_);
    return {y0, std::min<std::int64_t>(static_cast<std::int64_t>(rows_per_read_), vh_ - y0)};
  }

  platform::ByteSource& file_;
  const BmpLayout& L_;
  std::uint32_t background_;
  Picture& out_;
  std::size_t vw_;
  std::int64_t vh_;
  std::uint64_t need_, rows_present_, rows_per_read_;
  std::size_t chunk_bytes_;
};

}  // namespace

Outcome decode_uncompressed(platform::ByteSource& file, const BmpLayout& L,
                            std::uint32_t background, Picture& out) {
  // One thread does it all. Handing the conversion to a second thread while this one
  // reads was tried: on a 4K picture it gained nothing, as both halves are bound by
  // memory bandwidth rather than by the processor.
  const RowReader rows(file, L, background, out);
  // The 8-bit form has no palette entry for the background of a short file; such files
  // are rare enough to take the 32-bit form rather than a check of every index.
  if (out.bits_per_pixel == 8 && !rows.all_present()) return Outcome::kNeedsFullColour;
  if (rows.same_rows()) return rows.read_in_place();
  std::uint8_t* const buf = scratch_buffer(rows.chunk_bytes());
  Outcome outcome = Outcome::kComplete;
  for (std::int64_t k = 0; k < rows.chunks(); ++k) {
    const Outcome o = rows.convert(k, buf, rows.read(k, buf));
    if (o == Outcome::kNeedsFullColour) return o;
    if (o == Outcome::kPartial) outcome = o;
  }
  return outcome;
}

}  // namespace torvane::image::detail
