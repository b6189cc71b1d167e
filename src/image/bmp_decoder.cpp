// Entry point: check the header, size the picture to what is visible, choose its form,
// then hand the pixel data to the uncompressed or run-length decoder.

#include <algorithm>
#include <limits>
#include <new>

#include "image/bmp_layout.h"

namespace torvane::image {

namespace {

DecodeResult fail(Picture& out, std::string error) {
  out.width = out.height = 0;
  out.bits_per_pixel = 32;
  out.bottom_up = false;
  out.stride = 0;
  out.pixels.clear();  // both keep their capacity for the next picture
  out.indices.clear();
  DecodeResult r;
  r.error = std::move(error);
  return r;
}

// Sizes `out` for a picture of `w` x `h` in the given form and row order. The buffer of the
// other form is emptied but keeps its capacity, and neither is cleared: every pixel gets
// written.
void prepare(Picture& out, std::size_t w, std::size_t h, int bits_per_pixel, bool bottom_up) {
  if (bits_per_pixel == 8) {
    const std::size_t stride = (w + 3) & ~std::size_t{3};
    out.indices.resize(stride * h);
    out.pixels.clear();
    out.stride = stride;
  } else {
    out.pixels.resize(w * h);
    out.indices.clear();
    out.stride = 0;
  }
  out.bits_per_pixel = bits_per_pixel;
  out.bottom_up = bottom_up;
  out.width = static_cast<int>(w);
  out.height = static_cast<int>(h);
}

// The palette entry pixels an RLE stream skips get in the 8-bit form.
detail::BackgroundSlot background_slot(const detail::BmpLayout& L, std::uint32_t background) {
  // An entry that already has the colour is safe: indices of the stream that name it mean
  // that colour anyway. Entries past the file's palette are black, so a black background
  // always finds one while the palette has room.
  for (int i = 0; i < 256; ++i) {
    if (L.palette[i] == background) return {i, false};
  }
  // Otherwise the last entry if the file's palette leaves it free. An RLE8 stream may
  // still name it, meaning black; an RLE4 stream cannot reach it.
  if (L.palette_entries < 256) return {255, L.format == detail::PixelFormat::kRle8};
  return {};
}

// Padding bytes are never drawn, but a picture should not depend on what the buffer held
// before.
void clear_padding(Picture& out) {
  const std::size_t w = static_cast<std::size_t>(out.width);
  if (out.stride == w) return;
  for (std::size_t y = 0; y < static_cast<std::size_t>(out.height); ++y) {
    std::fill_n(out.indices.data() + y * out.stride + w, out.stride - w, std::uint8_t{0});
  }
}

}  // namespace

DecodeResult decode_bmp(platform::ByteSource& file, int area_width, int area_height,
                        std::uint32_t background, Picture& out) {
  detail::BmpLayout layout;
  std::string error;
  if (!detail::parse_bmp_header(file, layout, error)) return fail(out, std::move(error));

  const std::int64_t vw = std::min<std::int64_t>(layout.width, std::max(area_width, 0));
  const std::int64_t vh = std::min<std::int64_t>(layout.height, std::max(area_height, 0));
  // Both are below 2^31, so the product fits 64 bits; a 32-bit build may still not be
  // able to hold it. The 8-bit form's padded rows take at most as much as the 32-bit one.
  const std::uint64_t count = static_cast<std::uint64_t>(vw) * static_cast<std::uint64_t>(vh);
  if (count > std::numeric_limits<std::size_t>::max() / sizeof(std::uint32_t)) {
    return fail(out, "picture area too large");
  }
  const auto w = static_cast<std::size_t>(vw), h = static_cast<std::size_t>(vh);
  background &= 0x00FFFFFF;  // the screen's top byte is always zero
  const bool rle =
      layout.format == detail::PixelFormat::kRle8 || layout.format == detail::PixelFormat::kRle4;
  const bool indices_in_file = rle || layout.format == detail::PixelFormat::kIndexed;

  DecodeResult result;
  result.ok = true;
  try {
    if (count == 0) {
      prepare(out, w, h, 32, false);
      return result;
    }
    detail::Outcome outcome = detail::Outcome::kNeedsFullColour;
    if (indices_in_file) {
      const detail::BackgroundSlot slot =
          rle ? background_slot(layout, background) : detail::BackgroundSlot{};
      prepare(out, w, h, 8, !layout.top_down);
      out.palette = layout.palette;
      if (slot.slot >= 0) out.palette[static_cast<std::size_t>(slot.slot)] = background;
      outcome = rle ? detail::decode_rle(file, layout, background, slot, out)
                    : detail::decode_uncompressed(file, layout, background, out);
      if (outcome != detail::Outcome::kNeedsFullColour) clear_padding(out);
    }
    if (outcome == detail::Outcome::kNeedsFullColour) {
      prepare(out, w, h, 32, false);
      outcome = rle ? detail::decode_rle(file, layout, background, {}, out)
                    : detail::decode_uncompressed(file, layout, background, out);
    }
    result.partial = outcome == detail::Outcome::kPartial;
  } catch (const std::bad_alloc&) {
    return fail(out, "out of memory for the picture");
  } catch (...) {
    // Whatever the byte source throws is its caller's business, but a half-drawn picture
    // must not be mistaken for a whole one.
    fail(out, {});
    throw;
  }
  return result;
}

}  // namespace torvane::image
