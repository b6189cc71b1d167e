#include "platform/win32/win32_file_source.h"

#include "platform/win32/win32_api.h"

namespace torvane::platform {

std::unique_ptr<Win32FileSource> Win32FileSource::open(const std::wstring& path) {
  HANDLE h = ::CreateFileW(path.c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  LARGE_INTEGER size{};
  // Devices and pipes have no size; they are no pictures either.
  if (::GetFileType(h) != FILE_TYPE_DISK || !::GetFileSizeEx(h, &size) || size.QuadPart < 0) {
    ::CloseHandle(h);
    return nullptr;
  }
  // Not even an allocation that fails may leave the file open: the user could then neither
  // delete nor replace it.
  try {
    return std::unique_ptr<Win32FileSource>(
        new Win32FileSource(h, static_cast<std::uint64_t>(size.QuadPart)));
  } catch (...) {
    ::CloseHandle(h);
    throw;
  }
}

Win32FileSource::~Win32FileSource() {
  ::CloseHandle(static_cast<HANDLE>(handle_));
}

std::size_t Win32FileSource::read_at(std::uint64_t offset, std::span<std::uint8_t> out) {
  std::size_t done = 0;
  // ReadFile takes a 32-bit length; big requests go in 1 GiB pieces.
  constexpr std::size_t kMaxPiece = std::size_t{1} << 30;
  while (done < out.size()) {
    const std::uint64_t pos = offset + done;
    if (pos < offset) break;  // the offset wrapped around
    OVERLAPPED ov{};
    ov.Offset = static_cast<DWORD>(pos & 0xFFFFFFFFu);
    ov.OffsetHigh = static_cast<DWORD>(pos >> 32);
    const std::size_t want = out.size() - done < kMaxPiece ? out.size() - done : kMaxPiece;
    DWORD got = 0;
    // The handle is synchronous, so ReadFile with an offset waits for the data and does
    // not depend on (or race over) a shared file pointer. Reading at or past the end
    // fails with ERROR_HANDLE_EOF or returns 0 bytes; both end the loop.
    if (!::ReadFile(static_cast<HANDLE>(handle_), out.data() + done, static_cast<DWORD>(want), &got,
                    &ov) ||
        got == 0) {
      break;
    }
    done += got;
  }
  return done;
}

}  // namespace torvane::platform
