#pragma once
// Helpers for the Win32 backend's own tests: a scratch folder that is removed again, small
// file utilities that reach paths of any length, waiting for what a window shows, and a
// look at the system calls the backend makes.

#include <chrono>
#include <cstring>
#include <functional>
#include <string>

#include "platform/win32/win32_api.h"

namespace torvane::platform::test {

// "\\?\" + an absolute drive path: reaches folders beyond MAX_PATH.
inline std::wstring long_form(const std::wstring& path) {
  return L"\\\\?\\" + path;
}

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
  const bool ok =
      ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
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

// Handles this thread's messages until `done` holds, at most 10 s: a window of this thread
// paints only while its messages are handled.
inline bool eventually(const std::function<bool()>& done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  for (;;) {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
    if (done()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
}

inline COLORREF screen_pixel(int x, int y) {
  HDC dc = ::GetDC(nullptr);
  const COLORREF c = ::GetPixel(dc, x, y);
  ::ReleaseDC(nullptr, dc);
  return c;
}

// Points this program's import of `function` from `dll` (the backend is linked in, so its
// calls go through that import) at `replacement` for the hook's lifetime.
class ImportHook {
 public:
  ImportHook(const char* dll, const char* function, void* replacement) {
    auto* base = reinterpret_cast<BYTE*>(::GetModuleHandleW(nullptr));
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
        base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const DWORD imports =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports); d->Name; ++d) {
      if (::lstrcmpiA(reinterpret_cast<char*>(base + d->Name), dll) != 0) continue;
      auto* name = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->OriginalFirstThunk);
      auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
      for (; name->u1.AddressOfData; ++name, ++slot) {
        if (IMAGE_SNAP_BY_ORDINAL(name->u1.Ordinal)) continue;
        const auto* by_name =
            reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + name->u1.AddressOfData);
        if (std::strcmp(reinterpret_cast<const char*>(by_name->Name), function) != 0) continue;
        slot_ = reinterpret_cast<void**>(&slot->u1.Function);
        original_ = *slot_;
        write(replacement);
        return;
      }
    }
  }
  ~ImportHook() {
    if (slot_) write(original_);
  }
  ImportHook(const ImportHook&) = delete;
  ImportHook& operator=(const ImportHook&) = delete;

  bool hooked() const { return slot_ != nullptr; }
  template <class Fn>
  Fn original() const {
    return reinterpret_cast<Fn>(original_);
  }

 private:
  void write(void* value) {
    DWORD was = 0;
    ::VirtualProtect(slot_, sizeof value, PAGE_READWRITE, &was);
    *slot_ = value;
    ::VirtualProtect(slot_, sizeof value, was, &was);
  }
  void** slot_ = nullptr;
  void* original_ = nullptr;
};

}  // namespace torvane::platform::test
