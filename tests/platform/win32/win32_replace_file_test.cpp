// Replacing the settings file: an existing file keeps what it had besides its bytes (here its
// hidden attribute), a file not there yet is made, and whatever the system fails to do part-way
// (as ReplaceFileW's documentation describes its failures, a scanner holding the new file
// against renaming) the old or the new settings stand under the name afterwards and nothing
// else is left beside them.

#include <gtest/gtest.h>

#include "platform/win32/win32_services.h"
#include "platform/win32/win32_window_system.h"
#include "win32_test_support.h"

namespace torvane::platform {
namespace {

enum class Replace { works, refuses, backs_up_then_fails, deletes_then_fails };

struct System {
  Replace replace = Replace::works;
  // A scanner holding the new file: the next so many renames of it fail (-1: every one), and
  // copies of it; or every file held.
  int new_file_moves_refused = 0;
  bool new_file_copies_refused = false;
  bool everything_held = false;
  test::ImportHook* replace_hook = nullptr;
  test::ImportHook* move = nullptr;
  test::ImportHook* copy = nullptr;
} g_system;

using MoveFn = BOOL(WINAPI*)(LPCWSTR, LPCWSTR, DWORD);
using CopyFn = BOOL(WINAPI*)(LPCWSTR, LPCWSTR, BOOL);
using ReplaceFn = BOOL(WINAPI*)(LPCWSTR, LPCWSTR, LPCWSTR, DWORD, LPVOID, LPVOID);

bool is_new_file(LPCWSTR path) {
  const std::wstring_view p = path;
  return p.size() > 4 && p.substr(p.size() - 4) == L".tmp";
}

BOOL WINAPI system_move(LPCWSTR from, LPCWSTR to, DWORD flags) {
  const bool held =
      g_system.everything_held || (is_new_file(from) && g_system.new_file_moves_refused != 0);
  if (held) {
    if (is_new_file(from) && g_system.new_file_moves_refused > 0) --g_system.new_file_moves_refused;
    ::SetLastError(ERROR_SHARING_VIOLATION);
    return FALSE;
  }
  return g_system.move->original<MoveFn>()(from, to, flags);
}

BOOL WINAPI system_copy(LPCWSTR from, LPCWSTR to, BOOL fail_if_there) {
  if (g_system.everything_held || (is_new_file(from) && g_system.new_file_copies_refused)) {
    ::SetLastError(ERROR_SHARING_VIOLATION);
    return FALSE;
  }
  return g_system.copy->original<CopyFn>()(from, to, fail_if_there);
}

// ReplaceFileW's documented failures, the files left as it says it leaves them.
BOOL WINAPI system_replace(LPCWSTR replaced, LPCWSTR replacement, LPCWSTR backup, DWORD flags,
                           LPVOID, LPVOID) {
  switch (g_system.replace) {
    case Replace::works:
      return g_system.replace_hook->original<ReplaceFn>()(replaced, replacement, backup, flags,
                                                          nullptr, nullptr);
    case Replace::refuses:  // the old file in use: both keep their names
      ::SetLastError(ERROR_UNABLE_TO_REMOVE_REPLACED);
      return FALSE;
    case Replace::backs_up_then_fails:  // the old file under the backup name
      g_system.move->original<MoveFn>()(replaced, backup, 0);
      ::SetLastError(ERROR_UNABLE_TO_MOVE_REPLACEMENT_2);
      return FALSE;
    case Replace::deletes_then_fails:  // no backup asked for: the old file gone
      ::DeleteFileW(replaced);
      ::SetLastError(ERROR_UNABLE_TO_MOVE_REPLACEMENT);
      return FALSE;
  }
  return FALSE;
}

TEST(Win32ReplaceFile, AnExistingFileKeepsItsAttributesAndANewOneIsMade) {
  Win32WindowSystem windows{::GetModuleHandleW(nullptr)};
  Win32Services sys{windows};
  test::ScratchFolder dir;
  const std::wstring kept = dir / L"TorVan.ini";
  ASSERT_TRUE(test::write_bytes(kept, "old\r\n"));
  ASSERT_TRUE(::SetFileAttributesW(kept.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));

  ASSERT_TRUE(sys.replace_file(win32::narrow(kept), "new\r\n"));
  EXPECT_EQ(test::read_bytes(kept), "new\r\n");
  const DWORD attributes = ::GetFileAttributesW(kept.c_str());
  EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_HIDDEN))
      << std::hex << attributes;

  const std::wstring made = dir / L"new.ini";
  ASSERT_TRUE(sys.replace_file(win32::narrow(made), "first\r\n"));
  EXPECT_EQ(test::read_bytes(made), "first\r\n");
  EXPECT_EQ(test::entries_in(dir.path()), 2);
}

TEST(Win32ReplaceFile, WhateverFailsPartWayTheOldOrTheNewSettingsStandUnderTheName) {
  Win32WindowSystem windows{::GetModuleHandleW(nullptr)};
  Win32Services sys{windows};
  test::ImportHook replace("kernel32.dll", "ReplaceFileW",
                           reinterpret_cast<void*>(&system_replace));
  test::ImportHook move("kernel32.dll", "MoveFileExW", reinterpret_cast<void*>(&system_move));
  test::ImportHook copy("kernel32.dll", "CopyFileW", reinterpret_cast<void*>(&system_copy));
  ASSERT_TRUE(replace.hooked() && move.hooked() && copy.hooked());
  g_system.replace_hook = &replace;
  g_system.move = &move;
  g_system.copy = &copy;

  struct Row {
    const char* what;
    Replace replace;
    int new_file_moves_refused;
    bool new_file_copies_refused, everything_held;
    bool saved;
    const char* stands;  // under the name afterwards
    int entries;         // in the folder afterwards
  };
  const Row rows[] = {
      {"the old file in use", Replace::refuses, 0, true, false, true, "new", 1},
      {"the old file backed up, the new not moved", Replace::backs_up_then_fails, 0, true, false,
       true, "new", 1},
      {"the old file deleted, the new not moved", Replace::deletes_then_fails, 0, true, false, true,
       "new", 1},
      {"a scanner holds the new file a moment", Replace::refuses, 3, true, false, true, "new", 1},
      {"a scanner holds the new file against renaming", Replace::backs_up_then_fails, -1, false,
       false, true, "new", 1},
      {"a scanner holds the new file whole, the old backed up", Replace::backs_up_then_fails, -1,
       true, false, false, "old", 1},
      {"nothing can be renamed or copied, the old backed up", Replace::backs_up_then_fails, -1,
       true, true, false, "<missing>", 2},
      {"nothing can be renamed or copied, the old in use", Replace::refuses, -1, true, true, false,
       "old", 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    test::ScratchFolder dir;
    const std::wstring target = dir / L"TorVan.ini";
    ASSERT_TRUE(test::write_bytes(target, "old"));
    g_system.replace = row.replace;
    g_system.new_file_moves_refused = row.new_file_moves_refused;
    g_system.new_file_copies_refused = row.new_file_copies_refused;
    g_system.everything_held = row.everything_held;
    EXPECT_EQ(sys.replace_file(win32::narrow(target), "new"), row.saved);
    g_system.replace = Replace::works;
    g_system.new_file_moves_refused = 0;
    g_system.new_file_copies_refused = g_system.everything_held = false;
    EXPECT_EQ(test::read_bytes(target), row.stands);
    EXPECT_EQ(test::entries_in(dir.path()), row.entries);
    if (row.entries == 2) {
      // Nothing was deleted: the next save that succeeds puts the new settings in place and
      // clears what this one left.
      ASSERT_TRUE(sys.replace_file(win32::narrow(target), "newer"));
      EXPECT_EQ(test::read_bytes(target), "newer");
      EXPECT_EQ(test::entries_in(dir.path()), 1);
    }
  }
}

TEST(Win32ReplaceFile, WhatAnEarlierFailedSaveLeftIsClearedByTheNextOne) {
  Win32WindowSystem windows{::GetModuleHandleW(nullptr)};
  Win32Services sys{windows};
  test::ScratchFolder dir;
  const std::wstring target = dir / L"TorVan.ini";
  // Left by a program that is no longer running (no process has an odd id on Windows).
  for (const wchar_t* leftover : {L"TorVan.ini.4095.tmp", L"torvan.INI.4093.bak"})
    ASSERT_TRUE(test::write_bytes(dir / leftover, "old"));
  // Not left by a save, or by one of a program still running (which may be saving now).
  wchar_t self[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  STARTUPINFOW start{sizeof start};
  PROCESS_INFORMATION running{};
  ASSERT_TRUE(::CreateProcessW(self, nullptr, nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                               nullptr, &start, &running));
  const std::wstring its = L"TorVan.ini." + std::to_wstring(running.dwProcessId) + L".tmp";
  for (const std::wstring other :
       {std::wstring(L"TorVan.ini.txt"), std::wstring(L"TorVan.ini.x.tmp"),
        std::wstring(L"TorVan.ini.bak"), its})
    ASSERT_TRUE(test::write_bytes(dir / other, "mine"));
  ASSERT_TRUE(sys.replace_file(win32::narrow(target), "new"));
  ::TerminateProcess(running.hProcess, 0);
  ::CloseHandle(running.hThread);
  ::CloseHandle(running.hProcess);
  EXPECT_EQ(test::read_bytes(target), "new");
  EXPECT_EQ(test::read_bytes(dir / its), "mine");
  EXPECT_EQ(test::entries_in(dir.path()), 5);
  EXPECT_EQ(test::read_bytes(dir / L"TorVan.ini.4095.tmp"), "<missing>");
  EXPECT_EQ(test::read_bytes(dir / L"torvan.INI.4093.bak"), "<missing>");
}

}  // namespace
}  // namespace torvane::platform
