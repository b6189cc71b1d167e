// Reading helpers shared by the header parser and the pixel decoders.

#include <vector>

#include "image/bmp_layout.h"

namespace torvane::image::detail {

std::uint8_t* scratch_buffer(std::size_t size) {
  thread_local std::vector<std::uint8_t> buffer;
  if (buffer.size() < size) buffer.resize(size);
  return buffer.data();
}

std::size_t read_fully(platform::ByteSource& file, std::uint64_t offset, std::uint8_t* dst,
                       std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const std::size_t got = file.read_at(offset + done, {dst + done, size - done});
    if (got == 0) break;
    done += got;
  }
  return done;
}

}  // namespace torvane::image::detail
