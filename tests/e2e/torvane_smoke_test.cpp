// The real Torvane.exe from its first window to its end: the wiring of the Win32 backend,
// with a user's clicks. The behaviour behind each window is covered by the headless tests.

#include <windows.h>

#include "e2e_test.h"

namespace torvane::e2e {
namespace {

constexpr wchar_t kIntroTitle[] = L"Torvane";
constexpr wchar_t kMainTitle[] = L"  Torvane's";
constexpr wchar_t kIntroText[] =
    L"スクリーンセーバが有効になっている場合は、あらかじめコントロールパネルで無効に設定してくださ"
    L"い。";

class TorvaneStart : public DesktopTest {
 protected:
  void SetUp() override {
    const auto exe = path_option("exe");
    ASSERT_TRUE(exe) << "run with --exe=<path of Torvane.exe>";
    std::vector<std::wstring> companions;
    const std::wstring help = exe->substr(0, exe->find_last_of(L'\\') + 1) + L"help.htm";
    if (file_exists(help)) companions.push_back(help);
    pid_ = start(*exe, companions);
    ASSERT_NE(pid_, 0u);
  }

  DWORD pid_ = 0;
};

TEST_F(TorvaneStart, IntroLeadsToTheMainWindowAndClosingItEndsTheProgram) {
  HWND intro = wait_for_window(pid_, kIntroTitle);
  ASSERT_NE(intro, nullptr) << "the intro window did not appear";
  EXPECT_NE(find_child(intro, L"", kIntroText), nullptr) << "the intro's notice is missing";
  // Kept for a person to look at: what the user sees of each window.
  screenshot(L"intro");
  HWND ok = find_child(intro, L"BUTTON", L"OK");
  ASSERT_NE(ok, nullptr);
  ASSERT_FALSE(click(ok));

  HWND main = wait_for_window(pid_, kMainTitle);
  ASSERT_NE(main, nullptr) << "OK did not lead to the main window";
  EXPECT_TRUE(wait_for([&] { return !is_visible(intro); })) << "the intro window stayed";
  HWND start_button = find_child(main, L"BUTTON", L"スタート");
  HWND settings_button = find_child(main, L"BUTTON", L"設定");
  ASSERT_NE(start_button, nullptr);
  ASSERT_NE(settings_button, nullptr);
  // Nothing to show yet: no picture list has been set up in this fresh folder.
  EXPECT_FALSE(is_enabled(start_button));
  EXPECT_TRUE(is_enabled(settings_button));
  screenshot(L"main");

  close(main);
  EXPECT_TRUE(app().wait_for_exit()) << "the program kept running after its main window closed";
}

}  // namespace
}  // namespace torvane::e2e
