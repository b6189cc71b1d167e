#pragma once
// Random-access reading of a file's bytes. The picture loader reads only the parts of a
// file it needs, so a huge bitmap costs what the visible area costs, not what the file
// holds.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

namespace torvane::platform {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Size of the whole file in bytes.
  virtual std::uint64_t size() const = 0;
  // Copies up to out.size() bytes starting at offset; returns how many were copied
  // (fewer only at the end of the file or on a read error).
  virtual std::size_t read_at(std::uint64_t offset, std::span<std::uint8_t> out) = 0;
};

// A file that is already in memory (tests, fuzzing).
class MemoryByteSource final : public ByteSource {
 public:
  explicit MemoryByteSource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  std::uint64_t size() const override { return bytes_.size(); }
  std::size_t read_at(std::uint64_t offset, std::span<std::uint8_t> out) override {
    if (offset >= bytes_.size()) return 0;
    std::size_t n = bytes_.size() - static_cast<std::size_t>(offset);
    if (n > out.size()) n = out.size();
    if (n) std::memcpy(out.data(), bytes_.data() + offset, n);
    return n;
  }

 private:
  std::span<const std::uint8_t> bytes_;
};

}  // namespace torvane::platform
