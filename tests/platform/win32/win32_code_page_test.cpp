// The settings file's conversions on systems whose ANSI code page is not Wine's. Windows is
// stricter than Wine: for UTF-8 (65001) WideCharToMultiByte refuses every flag but
// WC_ERR_INVALID_CHARS, and the used-default question too. The conversions are held to that
// through the import hooks, with the code page in force as the test says. (Wine 8 has no
// GB18030, which the same rule holds for.)

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/win32/win32_services.h"
#include "platform/win32/win32_window_system.h"
#include "win32_test_support.h"

namespace torvane::platform {
namespace {

UINT g_acp = 0;
test::ImportHook* g_to_bytes = nullptr;
test::ImportHook* g_to_wide = nullptr;

UINT WINAPI acp_in_force() {
  return g_acp;
}

// WideCharToMultiByte as its documentation has it, CP_ACP standing for the code page in force.
int WINAPI documented_to_bytes(UINT cp, DWORD flags, LPCWCH text, int length, LPSTR out, int size,
                               LPCCH default_char, LPBOOL used_default) {
  if (cp == CP_ACP) cp = g_acp;
  if (cp == CP_UTF8 && (flags & ~DWORD{WC_ERR_INVALID_CHARS})) {
    ::SetLastError(ERROR_INVALID_FLAGS);
    return 0;
  }
  if (cp == CP_UTF8 && (default_char || used_default)) {
    ::SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  using Fn = int(WINAPI*)(UINT, DWORD, LPCWCH, int, LPSTR, int, LPCCH, LPBOOL);
  return g_to_bytes->original<Fn>()(cp, flags, text, length, out, size, default_char, used_default);
}

int WINAPI documented_to_wide(UINT cp, DWORD flags, LPCCH text, int length, LPWSTR out, int size) {
  if (cp == CP_ACP) cp = g_acp;
  using Fn = int(WINAPI*)(UINT, DWORD, LPCCH, int, LPWSTR, int);
  return g_to_wide->original<Fn>()(cp, flags, text, length, out, size);
}

TEST(Win32CodePage, TheSettingsTextIsConvertedAsEachCodePageAllows) {
  Win32WindowSystem windows{::GetModuleHandleW(nullptr)};
  Win32Services sys{windows};
  test::ImportHook acp("kernel32.dll", "GetACP", reinterpret_cast<void*>(&acp_in_force));
  test::ImportHook to_bytes("kernel32.dll", "WideCharToMultiByte",
                            reinterpret_cast<void*>(&documented_to_bytes));
  test::ImportHook to_wide("kernel32.dll", "MultiByteToWideChar",
                           reinterpret_cast<void*>(&documented_to_wide));
  ASSERT_TRUE(acp.hooked() && to_bytes.hooked() && to_wide.hooked());
  g_to_bytes = &to_bytes;
  g_to_wide = &to_wide;

  const std::string folder = "C:\\写真\\¥\\\xF0\x9F\x8C\xB8\\한\\\n\r\n";
  struct Row {
    UINT acp;
    std::string utf8;
    std::optional<std::string> exact;  // nothing: a character would be lost
  };
  const Row rows[] = {
      // UTF-8 holds every name as it is: the file is UTF-8.
      {65001, folder, folder},
      {65001, "ｱ", "\xEF\xBD\xB1"},
      // Japanese: "¥" has no byte of its own, and best fit would make it "\".
      {932, "C:\\写真\\", "C:\\\x8e\xca\x90\x5e\\"},
      {932, "¥", std::nullopt},
      {932, "\xF0\x9F\x8C\xB8", std::nullopt},
      // Western: "¥" is 0xA5, Japanese is lost.
      {1252, "¥", "\xA5"},
      {1252, "写", std::nullopt},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::to_string(row.acp) + " " + row.utf8);
    g_acp = row.acp;
    EXPECT_EQ(sys.to_ansi_exact(row.utf8), row.exact);
    if (row.exact) {
      EXPECT_EQ(sys.to_ansi(row.utf8), *row.exact);
      EXPECT_EQ(sys.from_ansi(*row.exact), row.utf8);
    } else {
      // Lost, but never dropped whole: the rest of the text stays.
      EXPECT_NE(sys.to_ansi("a" + row.utf8 + "z"), "");
    }
  }
  g_to_bytes = g_to_wide = nullptr;
}

}  // namespace
}  // namespace torvane::platform
