// Header parsing: everything from the "BM" signature up to the first byte of pixel data.
// Every field here comes from an untrusted file, so all sizes and offsets are handled in
// 64 bits and checked against the real file size before anything is read or allocated.

#include <algorithm>
#include <bit>
#include <cstdio>

#include "image/bmp_layout.h"

namespace torvane::image::detail {
namespace {

constexpr std::uint64_t kFileHeaderSize = 14;
constexpr std::uint32_t kCoreHeaderSize = 12;  // OS/2 1.x BITMAPCOREHEADER
constexpr std::uint32_t kInfoHeaderSize = 40;  // BITMAPINFOHEADER
constexpr std::uint32_t kV5HeaderSize = 124;   // the largest header whose fields we use

// Compression values of the Windows headers. OS/2 2.x headers reuse 3 and 4 for its own
// Huffman and RLE24 schemes.
enum : std::uint32_t {
  kBiRgb = 0,
  kBiRle8 = 1,
  kBiRle4 = 2,
  kBiBitfields = 3,
  kBiJpeg = 4,
  kBiPng = 5,
  kBiAlphaBitfields = 6,
};

enum class HeaderKind { kCore, kWindows, kOs2v2 };

std::string hex(std::uint32_t v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%X", static_cast<unsigned>(v));
  return buf;
}

bool classify_header(std::uint32_t size, HeaderKind& kind) {
  if (size == kCoreHeaderSize) {
    kind = HeaderKind::kCore;
  } else if (size == 40 || size == 52 || size == 56 || size == 108 || size == 124 ||
             size > kV5HeaderSize) {
    // Larger, future headers only append fields, so their first 124 bytes read like V5.
    kind = HeaderKind::kWindows;
  } else if (size >= 16 && size <= 64) {
    // OS/2 2.x writers may stop the header after any field; what is missing is zero.
    kind = HeaderKind::kOs2v2;
  } else {
    return false;
  }
  return true;
}

// A mask must be one run of set bits: a channel split into pieces has no sensible
// 8-bit value, and accepting it would only show noise.
bool contiguous(std::uint32_t m) {
  if (m == 0) return true;
  const std::uint32_t run = m >> std::countr_zero(m);
  return (run & (run + 1)) == 0;
}

bool check_masks(const std::uint32_t (&m)[3], int bpp, std::string& error) {
  if (m[0] == 0 && m[1] == 0 && m[2] == 0) {
    error = "all colour masks are zero";
    return false;
  }
  const std::uint32_t limit = bpp == 16 ? 0xFFFFu : 0xFFFFFFFFu;
  for (std::uint32_t v : m) {
    if (!contiguous(v)) {
      error = "colour mask " + hex(v) + " is not one run of bits";
      return false;
    }
    if (v & ~limit) {
      error = "colour mask " + hex(v) + " is wider than a 16-bit pixel";
      return false;
    }
  }
  // Overlapping masks are allowed: each channel just reads its own bits.
  return true;
}

}  // namespace

void Channel::init(std::uint32_t m) {
  mask = m;
  to8.fill(0);
  if (m == 0) {
    shift = drop = 0;
    return;
  }
  shift = std::countr_zero(m);
  const int bits = std::popcount(m);
  drop = bits > 8 ? bits - 8 : 0;
  const int w = bits - drop;  // 1..8 bits left to widen
  // Widen by repeating the bit pattern (5 bits abcde -> abcdeabc) so that full scale maps
  // to 255 and zero to 0, exactly like the reference decoders do.
  for (std::uint32_t v = 0; v < (1u << w); ++v) {
    std::uint32_t r = 0;
    for (int pos = 8 - w;; pos -= w) {
      r |= pos >= 0 ? v << pos : v >> -pos;
      if (pos <= 0) break;
    }
    to8[v] = static_cast<std::uint8_t>(r);
  }
}

bool parse_bmp_header(platform::ByteSource& file, BmpLayout& L, std::string& error) {
  L = BmpLayout{};
  L.file_size = file.size();

  // The file header and the largest info header we interpret, read in one go.
  std::uint8_t head[kFileHeaderSize + kV5HeaderSize] = {};
  const std::size_t got = read_fully(file, 0, head, sizeof head);
  if (got < kFileHeaderSize + 4) {
    error = "file too short for a BMP header";
    return false;
  }
  if (head[0] != 'B' || head[1] != 'M') {
    error = "not a BMP file (no BM signature)";
    return false;
  }
  // bfSize (offset 2) is ignored, as Windows does: writers often get it wrong and the
  // real file size is known anyway.
  const std::uint64_t off_bits = le32(head + 10);
  const std::uint32_t header_size = le32(head + 14);

  HeaderKind kind;
  if (!classify_header(header_size, kind)) {
    error = "unsupported header size " + std::to_string(header_size);
    return false;
  }
  if (kFileHeaderSize + header_size > L.file_size) {
    error = "file ends inside the bitmap header";
    return false;
  }
  const std::uint64_t used_header = std::min<std::uint64_t>(header_size, kV5HeaderSize);
  if (got < kFileHeaderSize + used_header) {
    error = "could not read the bitmap header";
    return false;
  }
  // Fields past the header's end read as zero, which is what OS/2 2.x short headers mean.
  std::uint8_t h[kV5HeaderSize] = {};
  std::memcpy(h, head + kFileHeaderSize, used_header);

  std::int64_t width, height;
  std::uint32_t compression = kBiRgb, colours_used = 0;
  int bpp;
  if (kind == HeaderKind::kCore) {
    width = le16(h + 4);
    height = le16(h + 6);
    bpp = le16(h + 10);
  } else {
    width = static_cast<std::int32_t>(le32(h + 4));
    height = static_cast<std::int32_t>(le32(h + 8));
    bpp = le16(h + 14);
    compression = le32(h + 16);
    colours_used = le32(h + 32);
  }
  // biPlanes is not checked: it carries no information in a DIB and a wrong value does
  // not change how the pixels read.

  // Formats we deliberately do not show get their own message, so a user knows the file
  // is not simply broken.
  if (kind == HeaderKind::kOs2v2 && compression == 3) {
    error = "OS/2 Huffman-compressed bitmaps are not supported";
    return false;
  }
  if (kind == HeaderKind::kOs2v2 && compression == 4) {
    error = "OS/2 RLE24-compressed bitmaps are not supported";
    return false;
  }
  if (compression == kBiJpeg) {
    error = "bitmaps with an embedded JPEG are not supported";
    return false;
  }
  if (compression == kBiPng) {
    error = "bitmaps with an embedded PNG are not supported";
    return false;
  }
  if (compression > kBiAlphaBitfields || (kind == HeaderKind::kOs2v2 && compression > kBiRle4)) {
    error = "unsupported compression " + std::to_string(compression);
    return false;
  }
  if (bpp == 64) {
    error = "64-bit pixels are not supported";
    return false;
  }

  if (width <= 0) {
    error = "width must be positive";
    return false;
  }
  if (height == 0) {
    error = "height is zero";
    return false;
  }
  if (height == INT32_MIN) {
    error = "height out of range";  // its magnitude does not fit the field
    return false;
  }
  L.top_down = height < 0;
  L.width = width;
  L.height = height < 0 ? -height : height;
  L.bits_per_pixel = bpp;

  const bool masked = compression == kBiBitfields || compression == kBiAlphaBitfields;
  switch (compression) {
    case kBiRgb:
      if (bpp != 1 && bpp != 2 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) {
        error = "unsupported bit depth " + std::to_string(bpp);
        return false;
      }
      L.format = bpp <= 8    ? PixelFormat::kIndexed
                 : bpp == 16 ? PixelFormat::kMasked16
                 : bpp == 24 ? PixelFormat::kRgb24
                             : PixelFormat::kXrgb32;
      break;
    case kBiRle8:
    case kBiRle4: {
      const int want = compression == kBiRle8 ? 8 : 4;
      if (bpp != want) {
        error = std::string(compression == kBiRle8 ? "RLE8" : "RLE4") + " needs " +
                std::to_string(want) + " bits per pixel, not " + std::to_string(bpp);
        return false;
      }
      // Run-length streams are defined bottom-up only; Windows refuses the rest.
      if (L.top_down) {
        error = "compressed bitmaps cannot be top-down";
        return false;
      }
      L.format = compression == kBiRle8 ? PixelFormat::kRle8 : PixelFormat::kRle4;
      break;
    }
    default:  // BITFIELDS / ALPHABITFIELDS
      if (bpp != 16 && bpp != 32) {
        error = "colour masks need 16 or 32 bits per pixel, not " + std::to_string(bpp);
        return false;
      }
      break;
  }

  // The masks follow a 40-byte header; later headers carry them inside.
  std::uint64_t header_end = kFileHeaderSize + header_size;
  std::uint32_t masks[3] = {0x7C00, 0x03E0, 0x001F};  // BI_RGB 16-bit is 5-5-5
  if (masked) {
    if (header_size == kInfoHeaderSize) {
      const std::uint64_t mask_bytes = compression == kBiAlphaBitfields ? 16 : 12;
      std::uint8_t mb[12];
      if (header_end + mask_bytes > L.file_size || read_fully(file, header_end, mb, 12) < 12) {
        error = "file ends inside the colour masks";
        return false;
      }
      header_end += mask_bytes;
      for (int i = 0; i < 3; ++i) masks[i] = le32(mb + 4 * i);
    } else {
      for (int i = 0; i < 3; ++i) masks[i] = le32(h + 40 + 4 * i);
    }
    if (!check_masks(masks, bpp, error)) return false;
    // Alpha is ignored: pictures are shown opaque.
    const bool plain32 =
        bpp == 32 && masks[0] == 0x00FF0000 && masks[1] == 0x0000FF00 && masks[2] == 0x000000FF;
    L.format = plain32     ? PixelFormat::kXrgb32
               : bpp == 16 ? PixelFormat::kMasked16
                           : PixelFormat::kMasked32;
  }
  if (L.format == PixelFormat::kMasked16 || L.format == PixelFormat::kMasked32) {
    L.red.init(masks[0]);
    L.green.init(masks[1]);
    L.blue.init(masks[2]);
  }

  if (off_bits < header_end) {
    error = "pixel data offset " + std::to_string(off_bits) + " points inside the header";
    return false;
  }
  if (off_bits >= L.file_size) {
    error = "pixel data offset lies past the end of the file";
    return false;
  }
  L.data_offset = off_bits;
  // width < 2^31 and bpp <= 32, so this cannot overflow 64 bits.
  L.stride = (static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(bpp) + 31) / 32 * 4;

  // Only indexed pictures use the colour table; the optional table of 16/24/32-bit files
  // is a hint for 8-bit screens and is skipped.
  if (bpp <= 8) {
    const std::uint64_t max_entries = std::uint64_t{1} << bpp;
    std::uint64_t entries = colours_used == 0 ? max_entries : colours_used;
    entries = std::min(entries, max_entries);  // a larger count cannot be indexed anyway
    const std::uint64_t entry_size = kind == HeaderKind::kCore ? 3 : 4;
    // The table cannot reach into the pixel data: an offset that says otherwise means a
    // shorter table (as in short-palette OS/2 files).
    entries = std::min(entries, (off_bits - header_end) / entry_size);
    std::uint8_t raw[256 * 4];
    const std::size_t n =
        read_fully(file, header_end, raw, static_cast<std::size_t>(entries * entry_size));
    L.palette_entries = static_cast<int>(n / entry_size);
    for (int i = 0; i < L.palette_entries; ++i) {
      const std::uint8_t* e = raw + i * entry_size;
      L.palette[i] = static_cast<std::uint32_t>(e[0] | (e[1] << 8) | (e[2] << 16));
    }
  }
  return true;
}

}  // namespace torvane::image::detail
