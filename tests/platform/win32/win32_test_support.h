#pragma once
// Helpers for the Win32 backend's own tests: a scratch folder that is removed again, and
// small file utilities that reach paths of any length.

#include <string>

#include "platform/win32/win32_api.h"

namespace torvane::platform::test {

// "\\?\" + an absolute drive path: reaches folders beyond MAX_PATH.
inline std::wstring long_form(const std::wstring& path) { return L"\\\\?\\" + path; }

inline void remove_tree(const std::wstring& folder) {
  WIN32_FIND_DATAW data;
  HANDLE h = ::FindFirstFileW(long_form(folder + L"\\*").c_str(), &data);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = folder + L"\\" + name;
      ::SetFileAttributesW(long_form(path).c_str(), FILE_ATTRIBUTE_NORMAL);
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        remove_tree(path);
      else
        ::DeleteFileW(long_form(path).c_str());
    } while (::FindNextFileW(h, &data));
    ::FindClose(h);
  }
  ::RemoveDirectoryW(long_form(folder).c_str());
}

// A new empty folder in the temporary folder, removed with everything in it at the end.
class ScratchFolder {
 public:
  ScratchFolder() {
    wchar_t temp[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH + 1, temp);
    std::wstring base = temp;
    if (!base.empty() && base.back() == L'\\') base.pop_back();
    static int counter = 0;
    path_ = base + L"\\torvane-win32-test-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
            std::to_wstring(++counter);
    remove_tree(path_);
    ::CreateDirectoryW(path_.c_str(), nullptr);
  }
  ~ScratchFolder() { remove_tree(path_); }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::wstring& path() const { return path_; }
  std::string utf8() const { return win32::narrow(path_); }
  std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }

 private:
  std::wstring path_;
};

inline bool write_bytes(const std::wstring& path, const std::string& bytes) {
  HANDLE h = ::CreateFileW(long_form(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                              nullptr) &&
                  written == bytes.size();
  ::CloseHandle(h);
  return ok;
}

inline std::string read_bytes(const std::wstring& path) {
  HANDLE h = ::CreateFileW(long_form(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return "<missing>";
  std::string bytes;
  char buffer[4096];
  DWORD got = 0;
  while (::ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  ::CloseHandle(h);
  return bytes;
}

// Names in a folder other than "." and "..".
inline int entries_in(const std::wstring& folder) {
  int n = 0;
  WIN32_FIND_DATAW data;
  HANDLE h = ::FindFirstFileW(long_form(folder + L"\\*").c_str(), &data);
  if (h == INVALID_HANDLE_VALUE) return 0;
  do {
    const std::wstring name = data.cFileName;
    if (name != L"." && name != L"..") ++n;
  } while (::FindNextFileW(h, &data));
  ::FindClose(h);
  return n;
}

}  // namespace torvane::platform::test
