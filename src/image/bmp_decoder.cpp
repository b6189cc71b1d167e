// Entry point: check the header, size the picture to what is visible, then hand the pixel
// data to the uncompressed or run-length decoder.

#include <algorithm>
#include <limits>
#include <new>

#include "image/bmp_layout.h"

namespace torvane::image {

namespace {

DecodeResult fail(Picture& out, std::string error) {
  out.width = out.height = 0;
  out.pixels.clear();  // keeps the capacity for the next picture
  DecodeResult r;
  r.error = std::move(error);
  return r;
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
  // able to hold it.
  const std::uint64_t count = static_cast<std::uint64_t>(vw) * static_cast<std::uint64_t>(vh);
  if (count > std::numeric_limits<std::size_t>::max() / sizeof(std::uint32_t)) {
    return fail(out, "picture area too large");
  }
  try {
    // resize() only writes elements beyond the previous size, so showing pictures of
    // similar size one after another never clears memory that is about to be overwritten.
    out.pixels.resize(static_cast<std::size_t>(count));
  } catch (const std::bad_alloc&) {
    return fail(out, "out of memory for the picture");
  }
  out.width = static_cast<int>(vw);
  out.height = static_cast<int>(vh);

  DecodeResult result;
  result.ok = true;
  if (count == 0) return result;

  background &= 0x00FFFFFF;  // the screen's top byte is always zero
  const bool rle =
      layout.format == detail::PixelFormat::kRle8 || layout.format == detail::PixelFormat::kRle4;
  try {
    const bool complete = rle ? detail::decode_rle(file, layout, background, out)
                              : detail::decode_uncompressed(file, layout, background, out);
    result.partial = !complete;
  } catch (const std::bad_alloc&) {
    return fail(out, "out of memory while decoding");
  } catch (...) {
    // Whatever the byte source throws is its caller's business, but a half-drawn picture
    // must not be mistaken for a whole one.
    fail(out, {});
    throw;
  }
  return result;
}

}  // namespace torvane::image
