#pragma once
// A ByteSource over a file on the host, for the headless build and the tools: positioned
// reads (pread) so that the picture loader can fetch only the parts it needs.

#include <memory>
#include <string>

#include "platform/byte_source.h"

namespace torvane::platform {

class HostFileSource final : public ByteSource {
 public:
  // Opens a regular file for reading. Returns nullptr and, if `error` is given, a short
  // reason when the file cannot be opened or is not a regular file.
  static std::unique_ptr<HostFileSource> open(const std::string& path,
                                              std::string* error = nullptr);
  ~HostFileSource() override;
  HostFileSource(const HostFileSource&) = delete;
  HostFileSource& operator=(const HostFileSource&) = delete;

  std::uint64_t size() const override { return size_; }
  std::size_t read_at(std::uint64_t offset, std::span<std::uint8_t> out) override;

 private:
  HostFileSource(int fd, std::uint64_t size) : fd_(fd), size_(size) {}
  int fd_;
  std::uint64_t size_;
};

}  // namespace torvane::platform
