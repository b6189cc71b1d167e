// TorVan.ini of the real Torvane.exe: written from the dialog when the main window closes,
// read back at the next start, which rebuilds and commits the picture list from the
// remembered folder before the main window shows.

#include <windows.h>

#include <string>
#include <vector>

#include "e2e_support.h"

namespace torvane::e2e {
namespace {

using Names = std::vector<std::wstring>;

using SettingsFile = TorvaneTest;

TEST_F(SettingsFile, ClosingWritesTheDialogsStateAndTheNextStartRestoresIt) {
  ASSERT_EQ(GetACP(), 932u) << "the settings file is in the system's code page, which must be "
                               "932 here: run under the ja_JP.UTF-8 locale";
  // A Japanese folder name; the second byte of ソ in code page 932 is that of "\".
  const std::wstring pictures = home_file(L"写真ソフト");
  const Names names{L"1春.bmp", L"2夏.bmp"};
  ASSERT_TRUE(write_pictures(pictures, names));

  // First start: the user picks the folder's pictures, random order, every 12 minutes.
  ASSERT_NE(launch(), 0u);
  HWND main = pass_intro();
  ASSERT_NE(main, nullptr);
  const Dialog dialog = open_dialog(main);
  ASSERT_TRUE(dialog);
  ASSERT_TRUE(browse_to(dialog, pictures));
  ASSERT_EQ(entries_of(dialog.files), names);
  ASSERT_TRUE(press(dialog.add_all));
  ASSERT_EQ(entries_of(dialog.list), names);
  ASSERT_TRUE(press(dialog.random));
  ASSERT_TRUE(is_checked(dialog.random));
  ASSERT_TRUE(set_text(dialog.minute, L"12"));
  ASSERT_TRUE(press(dialog.ok));
  ASSERT_TRUE(is_visible(main));
  ASSERT_TRUE(close_program(main));

  // Folder with "\" and LF before CR LF, the random option with LF before CR LF, the
  // interval as typed; in code page 932.
  const std::string expected = in_code_page(pictures + L"\\\n\r\n" + L"1\n\r\n" + L"12\r\n", 932);
  ASSERT_EQ(read_file_bytes(home_file(L"TorVan.ini")), expected);

  // Second start: everything is back, and スタート works at once.
  ASSERT_NE(launch(), 0u);
  main = pass_intro();
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(is_enabled(control(main, main_id::kStart)))
      << "the remembered pictures were not committed at start-up";
  EXPECT_FALSE(has_message_box(pid()));
  const Dialog again = open_dialog(main);
  ASSERT_TRUE(again);
  EXPECT_EQ(shown_folder(again.folders), pictures);
  const Names drives = entries_of(again.drives);
  const int drive = combo_selection(again.drives);
  ASSERT_TRUE(drive >= 0 && static_cast<std::size_t>(drive) < drives.size());
  EXPECT_EQ(towupper(drives[static_cast<std::size_t>(drive)][0]), towupper(pictures[0]));
  EXPECT_EQ(entries_of(again.files), names);
  EXPECT_EQ(entries_of(again.list), names);
  EXPECT_TRUE(is_checked(again.random));
  EXPECT_EQ(text_of(again.minute), L"12");
  ASSERT_TRUE(press(again.cancel));
  ASSERT_TRUE(is_visible(main));

  // Closed again unchanged, the file is written the same.
  ASSERT_TRUE(close_program(main));
  EXPECT_EQ(read_file_bytes(home_file(L"TorVan.ini")), expected);
}

TEST_F(SettingsFile, FiftyOneBitmapsInTheRememberedFolderBringTheLimitMessages) {
  const std::wstring pictures = home_file(L"many");
  ASSERT_TRUE(make_folder(pictures));
  Names first_fifty;
  for (int i = 0; i <= 50; ++i) {
    const std::wstring name = (i < 10 ? L"0" : L"") + std::to_wstring(i) + L".bmp";
    ASSERT_TRUE(write_solid_bmp(pictures + L"\\" + name, 1, 1, rgb(0, 0, 0)));
    if (i < 50) first_fifty.push_back(name);
  }
  ASSERT_TRUE(write_file_bytes(home_file(L"TorVan.ini"), settings_bytes(pictures, 0, L"3")));

  ASSERT_NE(launch(), 0u);
  ASSERT_TRUE(press_intro_ok());
  MessageBoxInfo box;
  ASSERT_TRUE(shows_box(says::kCaution, says::kFiftyRead, &box));
  HWND main = find_top_window(pid(), kMainTitle);
  EXPECT_FALSE(main && is_visible(main)) << "the main window showed before the message";
  ASSERT_TRUE(dismiss(box));

  main = wait_for_main();
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(is_enabled(control(main, main_id::kStart)));
  const Dialog dialog = open_dialog(main);
  ASSERT_TRUE(dialog);
  EXPECT_EQ(entries_of(dialog.list), first_fifty);
  // The list is full: 全て追加 says so under the program's own title and adds nothing.
  ASSERT_TRUE(press(dialog.add_all));
  ASSERT_TRUE(shows_box(says::kProgramTitle, says::kListFull, &box));
  ASSERT_TRUE(dismiss(box));
  ASSERT_TRUE(settle());
  EXPECT_EQ(entries_of(dialog.list), first_fifty);
  EXPECT_FALSE(is_enabled(dialog.add_all));
  ASSERT_TRUE(press(dialog.cancel));
  ASSERT_TRUE(is_visible(main));
  EXPECT_TRUE(close_program(main));
}

// Windows ending the session is a close of the main window: the settings are saved. A shutdown
// that another program called off (WM_ENDSESSION with FALSE) saves nothing.
TEST_F(SettingsFile, TheEndOfTheWindowsSessionSavesTheSettings) {
  const std::wstring pictures = home_file(L"pictures");
  ASSERT_TRUE(write_pictures(pictures, {L"a.bmp"}));
  const std::string settings = settings_bytes(pictures, 2, L"7分");
  const std::wstring file = home_file(L"TorVan.ini");
  ASSERT_TRUE(write_file_bytes(file, settings));
  ASSERT_NE(launch(), 0u);
  HWND main = pass_intro();
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(DeleteFileW(file.c_str()));

  DWORD_PTR may_end = 0;
  ASSERT_TRUE(SendMessageTimeoutW(main, WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL, 5000, &may_end));
  EXPECT_TRUE(may_end) << "the program held up the end of the session";
  PostMessageW(main, WM_ENDSESSION, FALSE, 0);
  ASSERT_TRUE(settle());
  EXPECT_FALSE(file_exists(file)) << "saved although the session goes on";
  PostMessageW(main, WM_ENDSESSION, TRUE, 0);
  EXPECT_TRUE(wait_for([&] { return read_file_bytes(file) == settings; }))
      << "what was saved: " << read_file_bytes(file).value_or("(nothing)");
}

}  // namespace
}  // namespace torvane::e2e
