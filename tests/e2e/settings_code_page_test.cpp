// Folder names through TorVan.ini of the real Torvane.exe, closed and started again: the code
// page in force holds a name as it is or the program stores the nearest folder above that it
// holds, so that the next start opens a real folder on the user's way with the random option
// and the interval kept. Under the UTF-8 code page every name is held, and the file is UTF-8.

#include <windows.h>

#include <string>

#include "e2e_support.h"

namespace torvane::e2e {
namespace {

class CodePageFolders : public TorvaneTest {
 protected:
  struct Row {
    const wchar_t* what;
    std::wstring chosen;
    std::wstring stored;  // and opened at the next start
  };
  // Each folder chosen in the dialog with the random option on and 7 minutes, the program
  // closed (TorVan.ini then holds `stored` in the code page in force) and started again.
  void check(const Row& row, UINT code_page) {
    SCOPED_TRACE(row.what);
    for (std::size_t at = row.chosen.find(L'\\', home().size() + 1); at != std::wstring::npos;
         at = row.chosen.find(L'\\', at + 1))
      ASSERT_TRUE(make_folder(row.chosen.substr(0, at)));
    ASSERT_TRUE(make_folder(row.chosen));
    ASSERT_TRUE(write_solid_bmp(row.chosen + L"\\a.bmp", 2, 2, rgb(0, 0, 255)));

    ASSERT_NE(launch(), 0u);
    HWND main = pass_intro();
    ASSERT_NE(main, nullptr);
    Dialog dialog = open_dialog(main);
    ASSERT_TRUE(dialog);
    ASSERT_TRUE(browse_to(dialog, row.chosen));
    ASSERT_TRUE(press(dialog.add_all));
    // The random option as the last start left it, then on.
    if (!is_checked(dialog.random)) {
      ASSERT_TRUE(press(dialog.random));
    }
    ASSERT_TRUE(set_text(dialog.minute, L"7"));
    ASSERT_TRUE(press(dialog.ok));
    ASSERT_TRUE(close_program(main));
    EXPECT_EQ(read_file_bytes(home_file(L"TorVan.ini")),
              in_code_page(row.stored + L"\\\n\r\n1\n\r\n7\r\n", code_page));

    ASSERT_NE(launch(), 0u);
    main = pass_intro();
    ASSERT_NE(main, nullptr);
    EXPECT_FALSE(has_message_box(pid()));
    dialog = open_dialog(main);
    ASSERT_TRUE(dialog);
    EXPECT_EQ(shown_folder(dialog.folders), row.stored);
    EXPECT_TRUE(is_checked(dialog.random));
    EXPECT_EQ(text_of(dialog.minute), L"7");
    ASSERT_TRUE(press(dialog.cancel));
    ASSERT_TRUE(close_program(main));
  }
};

TEST_F(CodePageFolders, ANameTheCodePageCannotHoldIsStoredAsTheNearestFolderAbove) {
  ASSERT_EQ(GetACP(), 932u) << "run under the ja_JP.UTF-8 locale";
  const Row rows[] = {
      {L"plain", home_file(L"Pics"), home_file(L"Pics")},
      {L"Japanese", home_file(L"写真ソフト"), home_file(L"写真ソフト")},
      // With best fit the line would read ...\\\Pics: the folder Pics beside, never chosen.
      {L"yen sign", home_file(L"¥\\Pics"), home()},
      {L"emoji", home_file(L"Pics\\\U0001F338"), home_file(L"Pics")},
      {L"Hangul", home_file(L"写真ソフト\\한국"), home_file(L"写真ソフト")},
  };
  for (const Row& row : rows) check(row, 932);
}

// Windows' "Use Unicode UTF-8 for worldwide language support": the ANSI code page is UTF-8,
// which holds every name as it is. This test runs under a locale that gives Wine that code
// page (see torvane_tests.cmake).
TEST_F(CodePageFolders, UnderTheUtf8CodePageEveryNameIsStoredAsItIs) {
  ASSERT_EQ(GetACP(), 65001u) << "run under a locale whose code page is UTF-8";
  const Row rows[] = {
      {L"Japanese and yen sign", home_file(L"写真ソフト\\¥"), home_file(L"写真ソフト\\¥")},
      {L"emoji and Hangul", home_file(L"\U0001F338\\한국"), home_file(L"\U0001F338\\한국")},
  };
  for (const Row& row : rows) check(row, CP_UTF8);
}

}  // namespace
}  // namespace torvane::e2e
