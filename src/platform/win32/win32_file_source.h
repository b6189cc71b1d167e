#pragma once
// A ByteSource over a Windows file: positioned reads through ReadFile with an OVERLAPPED
// offset, so the picture loader can fetch only the parts of a file it needs. Kept free of
// <windows.h> so that users of the class do not pull it in.

#include <memory>
#include <string>

#include "platform/byte_source.h"

namespace torvane::platform {

class Win32FileSource final : public ByteSource {
 public:
  // Opens a file for reading by its UTF-16 path. Others may keep reading, writing or
  // deleting it meanwhile, as Explorer does. nullptr when it cannot be opened or is no file
  // on a disk.
  static std::unique_ptr<Win32FileSource> open(const std::wstring& path);
  ~Win32FileSource() override;
  Win32FileSource(const Win32FileSource&) = delete;
  Win32FileSource& operator=(const Win32FileSource&) = delete;

  std::uint64_t size() const override { return size_; }
  std::size_t read_at(std::uint64_t offset, std::span<std::uint8_t> out) override;

 private:
  Win32FileSource(void* handle, std::uint64_t size) : handle_(handle), size_(size) {}
  void* handle_;  // a HANDLE
  std::uint64_t size_;
};

}  // namespace torvane::platform
