// Replacing the settings file under Wine: an existing file keeps what it had besides its bytes
// (here its hidden attribute), a file not there yet is made, no temporary file is left, and a
// ReplaceFileW that fails part-way still leaves the new settings in place.

#include <gtest/gtest.h>

#include "platform/win32/win32_services.h"
#include "platform/win32/win32_window_system.h"
#include "win32_test_support.h"

namespace torvane::platform {
namespace {

// ReplaceFileW as Windows leaves it with ERROR_UNABLE_TO_MOVE_REPLACEMENT and no backup: the old
// file gone, the new one still under its temporary name.
BOOL WINAPI replace_failing_part_way(LPCWSTR replaced, LPCWSTR, LPCWSTR, DWORD, LPVOID, LPVOID) {
  ::DeleteFileW(replaced);
  ::SetLastError(ERROR_UNABLE_TO_MOVE_REPLACEMENT);
  return FALSE;
}

TEST(Win32ReplaceFile, AnExistingFileKeepsItsAttributesAndANewOneIsMade) {
  Win32WindowSystem windows{::GetModuleHandleW(nullptr)};
  Win32Services sys{windows};
  test::ScratchFolder dir;
  const std::wstring kept = dir / L"TorVan.ini";
  ASSERT_TRUE(test::write_bytes(kept, "old\r\n"));
  ASSERT_TRUE(::SetFileAttributesW(kept.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
  ASSERT_TRUE(::GetFileAttributesW(kept.c_str()) & FILE_ATTRIBUTE_HIDDEN);

  ASSERT_TRUE(sys.replace_file(win32::narrow(kept), "new\r\n"));
  EXPECT_EQ(test::read_bytes(kept), "new\r\n");
  const DWORD attributes = ::GetFileAttributesW(kept.c_str());
  EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_HIDDEN))
      << std::hex << attributes;

  const std::wstring made = dir / L"new.ini";
  ASSERT_TRUE(sys.replace_file(win32::narrow(made), "first\r\n"));
  EXPECT_EQ(test::read_bytes(made), "first\r\n");
  EXPECT_EQ(test::entries_in(dir.path()), 2);

  test::ImportHook hook("kernel32.dll", "ReplaceFileW",
                        reinterpret_cast<void*>(&replace_failing_part_way));
  ASSERT_TRUE(hook.hooked());
  ASSERT_TRUE(sys.replace_file(win32::narrow(kept), "newer\r\n"));
  EXPECT_EQ(test::read_bytes(kept), "newer\r\n");
  EXPECT_EQ(test::entries_in(dir.path()), 2);
}

}  // namespace
}  // namespace torvane::platform
