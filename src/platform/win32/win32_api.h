#pragma once
// The one place of the Win32 backend that pulls in <windows.h>, with the settings every file
// of the backend wants: Unicode calls only, no min/max macros, no rarely used parts. Also the
// conversions between the program's UTF-8 and the UTF-16 of the W calls.

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

#include <string>
#include <string_view>

namespace torvane::platform::win32 {

// Text of a code page (CP_UTF8, CP_ACP) to UTF-16. Invalid bytes become U+FFFD, as the
// system's own conversion makes them.
inline std::wstring to_utf16(std::string_view text, UINT code_page) {
  if (text.empty()) return {};
  const int n = ::MultiByteToWideChar(code_page, 0, text.data(), static_cast<int>(text.size()),
                                      nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0)
    ::MultiByteToWideChar(code_page, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
  return out;
}

// UTF-16 to a code page. In UTF-8 a lone surrogate becomes U+FFFD. In any other code page a
// character it cannot hold as it is becomes its default character ("?"), never a look-alike
// (best fit would write "¥" as "\", another path); `lost` then tells so.
inline std::string from_utf16(std::wstring_view text, UINT code_page, bool* lost = nullptr) {
  if (lost) *lost = false;
  if (text.empty()) return {};
  // The flag and the question are refused for UTF-8, which holds every character anyway.
  const bool utf8 = code_page == CP_UTF8;
  const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
  BOOL used_default = FALSE;
  BOOL* asked = utf8 ? nullptr : &used_default;
  const int n = ::WideCharToMultiByte(code_page, flags, text.data(), static_cast<int>(text.size()),
                                      nullptr, 0, nullptr, asked);
  std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
  if (n > 0)
    ::WideCharToMultiByte(code_page, flags, text.data(), static_cast<int>(text.size()),
                          out.data(), n, nullptr, asked);
  if (lost) *lost = used_default != FALSE || (n <= 0);
  return out;
}

inline std::wstring widen(std::string_view utf8) { return to_utf16(utf8, CP_UTF8); }
inline std::string narrow(std::wstring_view utf16) { return from_utf16(utf16, CP_UTF8); }

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
