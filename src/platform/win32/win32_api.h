#pragma once
// The one place of the Win32 backend that pulls in <windows.h>, with the settings every file
// of the backend wants: Unicode calls only, no min/max macros, no rarely used parts. Also the
// conversions between the program's UTF-8 and the UTF-16 of the W calls, handles that close
// when they go, and the guard around program code that the system calls.

#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <exception>
#include <string>
#include <string_view>

namespace torvane::platform::win32 {

// The code page a conversion really uses. CP_ACP is the system's ANSI code page, which may
// well be UTF-8 (65001: the "Beta: Use Unicode UTF-8" option, some containers) or GB18030;
// what a conversion may ask depends on which, so it is resolved first.
inline UINT resolved_code_page(UINT code_page) {
  if (code_page == CP_ACP) return ::GetACP();
  if (code_page == CP_OEMCP) return ::GetOEMCP();
  return code_page;
}

// WideCharToMultiByte refuses any flag but 0 (or WC_ERR_INVALID_CHARS) for these code pages
// (ERROR_INVALID_FLAGS): UTF-7, UTF-8, GB18030, Symbol, the ISO 2022 and the ISCII ones.
inline bool takes_conversion_flags(UINT code_page) {
  return !(code_page == CP_UTF7 || code_page == CP_UTF8 || code_page == 54936 ||
           code_page == 42 || (code_page >= 50220 && code_page <= 50229) ||
           (code_page >= 57002 && code_page <= 57011));
}

// ...and the question whether a default character was used for UTF-7 and UTF-8
// (ERROR_INVALID_PARAMETER).
inline bool answers_used_default(UINT code_page) {
  return code_page != CP_UTF7 && code_page != CP_UTF8;
}

// Text of a code page (CP_UTF8, CP_ACP) to UTF-16. Invalid bytes become U+FFFD, as the
// system's own conversion makes them.
inline std::wstring to_utf16(std::string_view text, UINT code_page) {
  if (text.empty()) return {};
  const UINT cp = resolved_code_page(code_page);
  const int n = ::MultiByteToWideChar(cp, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) ::MultiByteToWideChar(cp, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
  return out;
}

// UTF-16 to a code page. In UTF-8 and GB18030, which hold every character, a lone surrogate
// becomes U+FFFD. In any other code page a character it cannot hold as it is becomes its
// default character ("?"), never a look-alike (best fit would write "¥" as "\", another
// path); `lost` then tells.
inline std::string from_utf16(std::wstring_view text, UINT code_page, bool* lost = nullptr) {
  if (lost) *lost = false;
  if (text.empty()) return {};
  const UINT cp = resolved_code_page(code_page);
  const DWORD flags = takes_conversion_flags(cp) ? WC_NO_BEST_FIT_CHARS : 0;
  BOOL used_default = FALSE;
  BOOL* asked = answers_used_default(cp) ? &used_default : nullptr;
  const int length = static_cast<int>(text.size());
  const int n = ::WideCharToMultiByte(cp, flags, text.data(), length, nullptr, 0, nullptr, asked);
  std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
  if (n > 0 &&
      ::WideCharToMultiByte(cp, flags, text.data(), length, out.data(), n, nullptr, asked) != n)
    out.clear();
  if (lost) *lost = out.empty() || used_default != FALSE;
  return out;
}

inline std::wstring widen(std::string_view utf8) { return to_utf16(utf8, CP_UTF8); }
inline std::string narrow(std::wstring_view utf16) { return from_utf16(utf16, CP_UTF8); }

// Runs program code from where the system called us: a window procedure, a posted result.
// An exception must not unwind through the system's code that called us; the model reports
// what the user must know itself.
template <class F>
void run_guarded(F&& call) {
  try {
    call();
  } catch (const std::exception& e) {
    ::OutputDebugStringA("Torvane: unexpected error in an event handler: ");
    ::OutputDebugStringA(e.what());
    ::OutputDebugStringA("\n");
  } catch (...) {
    ::OutputDebugStringA("Torvane: unexpected error in an event handler\n");
  }
}

// A file handle, closed when it goes.
class FileHandle {
 public:
  explicit FileHandle(HANDLE h) : h_(h) {}
  ~FileHandle() {
    if (valid()) ::CloseHandle(h_);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  bool valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
  HANDLE get() const { return h_; }
  // Closes now and reports whether closing worked (it can fail to write cached data).
  bool close() {
    const bool ok = ::CloseHandle(h_) != FALSE;
    h_ = INVALID_HANDLE_VALUE;
    return ok;
  }

 private:
  HANDLE h_;
};

// A FindFirstFileW search, closed on every way out of a listing, an allocation that fails
// included.
class FindHandle {
 public:
  explicit FindHandle(HANDLE h) : h_(h) {}
  ~FindHandle() {
    if (h_ != INVALID_HANDLE_VALUE) ::FindClose(h_);
  }
  FindHandle(const FindHandle&) = delete;
  FindHandle& operator=(const FindHandle&) = delete;
  HANDLE get() const { return h_; }

 private:
  HANDLE h_;
};

// The whole text of a window (a control's caption or content).
inline std::wstring window_text(HWND hwnd) {
  const int length = ::GetWindowTextLengthW(hwnd);
  if (length <= 0) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int got = ::GetWindowTextW(hwnd, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
  return text;
}

}  // namespace torvane::platform::win32
