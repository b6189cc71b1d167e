// The end-to-end driver's own test, against the small fixture program: each helper the
// Torvane tests rely on must cause or see what a user would. Keeping it green proves the
// Wine set-up (display, desktop, code page) before any Torvane test can fail for it.

#include <windows.h>

#include "e2e_test.h"

namespace torvane::e2e {
namespace {

constexpr wchar_t kTitle[] = L"試験用ウィンドウ";
constexpr int kStatusId = 104;
constexpr int kEchoId = 105;
constexpr int kPatchId = 107;

class Harness : public DesktopTest {
 protected:
  void SetUp() override {
    const auto fixture = path_option("fixture");
    ASSERT_TRUE(fixture) << "run with --fixture=<path of e2e_fixture.exe>";
    pid_ = start(*fixture);
    ASSERT_NE(pid_, 0u);
    window_ = wait_for_window(pid_, kTitle);
    ASSERT_NE(window_, nullptr) << "the fixture's window did not appear";
  }

  std::wstring status() const { return text_of(find_child_by_id(window_, kStatusId)); }
  bool status_becomes(std::wstring_view expected) const {
    return wait_for([&] { return status() == expected; });
  }

  DWORD pid_ = 0;
  HWND window_ = nullptr;
};

TEST(Environment, WineUsesTheJapaneseCodePage) {
  // TorVan.ini is written in the ANSI code page; the tests only mean something under 932.
  EXPECT_EQ(GetACP(), 932u) << "run under LANG=ja_JP.UTF-8 (scripts/wine-env.sh)";
}

TEST(Environment, PathsFromTheHostBecomeDriveZ) {
  EXPECT_EQ(to_windows_path("/work/build/Torvane.exe"), L"Z:\\work\\build\\Torvane.exe");
  EXPECT_EQ(to_windows_path("C:\\x\\y.exe"), L"C:\\x\\y.exe");
  EXPECT_EQ(narrow(widen("スタート")), "スタート");
}

TEST_F(Harness, FindsControlsByClassTextAndIndex) {
  EXPECT_EQ(top_windows(pid_).front(), window_);
  EXPECT_EQ(find_top_window(pid_, L"試験用"), nullptr) << "titles match exactly, not by prefix";

  HWND message = find_child(window_, L"BUTTON", L"メッセージ");
  HWND disabled = find_child(window_, L"Button", L"押せない");
  ASSERT_NE(message, nullptr);
  ASSERT_NE(disabled, nullptr);
  // Index order is creation order.
  EXPECT_EQ(find_child(window_, L"button", 0), message);
  EXPECT_EQ(find_child(window_, L"button", 1), disabled);
  EXPECT_EQ(find_child(window_, L"button", 9), nullptr);
  EXPECT_EQ(class_of(find_child(window_, L"Edit", 0)), L"Edit");
  EXPECT_EQ(children(window_, L"ListBox").size(), 1u);

  EXPECT_TRUE(is_enabled(message));
  EXPECT_FALSE(is_enabled(disabled));
  EXPECT_TRUE(is_visible(message));
  EXPECT_EQ(status(), L"待機中");
}

TEST_F(Harness, ClickedButtonOpensAMessageBoxThatIsReadAndDismissed) {
  HWND button = find_child(window_, L"BUTTON", L"メッセージ");
  ASSERT_FALSE(click(button));

  const MessageBoxInfo box = wait_for_message_box(pid_);
  ASSERT_TRUE(box) << "no message box appeared";
  EXPECT_EQ(box.title, L"お知らせ");
  EXPECT_EQ(box.text, L"ボタンが押されました。");
  // The box disables its owner: a user cannot click the window behind it.
  EXPECT_TRUE(click(button).has_value());

  ASSERT_TRUE(dismiss(box));
  EXPECT_TRUE(status_becomes(L"閉じた回数: 1"));
  EXPECT_FALSE(find_message_box(pid_));
}

TEST_F(Harness, RefusesToClickADisabledButton) {
  // Under Wine BM_CLICK would click it anyway, so the refusal is all that protects a test.
  const Refusal refusal = click(find_child(window_, L"BUTTON", L"押せない"));
  ASSERT_TRUE(refusal.has_value());
  EXPECT_NE(refusal->find("disabled"), std::string::npos) << *refusal;
  EXPECT_TRUE(click(nullptr).has_value());
}

TEST_F(Harness, TypingRaisesTheChangeHandler) {
  HWND edit = find_child(window_, L"EDIT", 0);
  ASSERT_TRUE(set_text(edit, L"テスト"));
  EXPECT_EQ(text_of(edit), L"テスト");
  EXPECT_EQ(text_of(find_child_by_id(window_, kEchoId)), L"テスト");
}

TEST_F(Harness, TypingThatOpensAMessageBoxDoesNotBlockTheTest) {
  HWND edit = find_child(window_, L"EDIT", 0);
  std::jthread typing = set_text_async(edit, L"箱");
  const MessageBoxInfo box = wait_for_message_box(pid_);
  ASSERT_TRUE(box);
  EXPECT_EQ(box.title, L"入力");
  EXPECT_EQ(box.text, L"箱と入力されました。");
  EXPECT_TRUE(dismiss(box));
}

TEST_F(Harness, ListSelectionNotifiesTheWindow) {
  HWND list = find_child(window_, L"LISTBOX", 0);
  EXPECT_EQ(list_items(list), (std::vector<std::wstring>{L"赤", L"緑", L"青"}));
  ASSERT_FALSE(select(list, 0));
  ASSERT_FALSE(select(list, 2));
  EXPECT_TRUE(status_becomes(L"選択: 赤,青"));
  ASSERT_FALSE(select(list, 0, false));
  EXPECT_TRUE(status_becomes(L"選択: 青"));
  EXPECT_EQ(list_selection(list), std::vector<int>{2});
}

TEST_F(Harness, ComboSelectionNotifiesTheWindow) {
  HWND combo = find_child(window_, L"COMBOBOX", 0);
  EXPECT_EQ(list_items(combo), (std::vector<std::wstring>{L"c:", L"d: [写真]", L"z:"}));
  EXPECT_EQ(combo_selection(combo), 0);
  ASSERT_FALSE(select(combo, 1));
  EXPECT_TRUE(status_becomes(L"ドライブ: d: [写真]"));
  EXPECT_EQ(list_selection(combo), std::vector<int>{1});
}

TEST_F(Harness, ClickingACheckBoxTogglesIt) {
  HWND check = find_child(window_, L"BUTTON", L"確認する");
  EXPECT_FALSE(is_checked(check));
  ASSERT_FALSE(click(check));
  EXPECT_TRUE(status_becomes(L"チェック: 1"));
  EXPECT_TRUE(is_checked(check));
}

TEST_F(Harness, PostedTimerMessagesRunTheTimerHandler) {
  post_timer(window_, 7);
  post_timer(window_, 7);
  EXPECT_TRUE(status_becomes(L"時計: 2"));
}

TEST_F(Harness, ScreenShowsThePatchAndARealClickReachesIt) {
  HWND patch = find_child_by_id(window_, kPatchId);
  ASSERT_NE(patch, nullptr);
  const RECT area = client_rect_on_screen(patch);
  const RECT whole{0, 0, area.right - area.left, area.bottom - area.top};
  const auto all = static_cast<std::size_t>(whole.right * whole.bottom);
  ASSERT_EQ(all, 100u * 60u) << "the fixture is not DPI-aware or was resized";
  ASSERT_TRUE(wait_for([&] { return capture_screen(area).count(rgb(255, 0, 0), whole) == all; }))
      << "the red patch is not on the screen";

  // The whole screen, saved and read back as a .bmp.
  const std::wstring saved = screenshot(L"patch");
  ASSERT_FALSE(saved.empty());
  const auto bytes = read_file_bytes(saved);
  ASSERT_TRUE(bytes);
  ASSERT_GE(bytes->size(), 54u);
  EXPECT_EQ(bytes->substr(0, 2), "BM");
  const Image screen = capture_screen();
  EXPECT_EQ(bytes->size(),
            54u + static_cast<std::size_t>((screen.width * 3 + 3) / 4 * 4) * screen.height);
  EXPECT_EQ(screen_pixel(area.left + 1, area.top + 1), rgb(255, 0, 0));

  ASSERT_TRUE(mouse_click(patch)) << "the patch is covered or the input was refused";
  EXPECT_TRUE(wait_for([&] { return capture_screen(area).count(rgb(0, 0, 255), whole) == all; }))
      << "the click did not reach the patch";
  // The click landed in the middle of the patch.
  EXPECT_TRUE(status_becomes(L"マウス 50,30"));
}

TEST_F(Harness, ClosingEndsTheProgramWhichWroteItsFileInTheAnsiCodePage) {
  ASSERT_TRUE(set_text(find_child(window_, L"EDIT", 0), L"テスト"));
  close(window_);
  ASSERT_TRUE(app().wait_for_exit());
  EXPECT_EQ(app().exit_code(), 0u);
  const auto bytes = read_file_bytes(folder().file(L"fixture.ini"));
  ASSERT_TRUE(bytes) << "no fixture.ini beside the exe";
  EXPECT_EQ(*bytes, "[\x8e\x8e\x8c\xb1]\r\n\x95\xb6\x8e\x9a=\x83\x65\x83\x58\x83\x67\r\n");
}

TEST_F(Harness, StartingAgainEndsTheEarlierRun) {
  const DWORD first = pid_;
  const auto fixture = path_option("fixture");
  const DWORD second = start(*fixture);
  ASSERT_NE(second, 0u);
  ASSERT_NE(wait_for_window(second, kTitle), nullptr);
  EXPECT_TRUE(top_windows(first).empty()) << "the first run's window is still there";
}

}  // namespace
}  // namespace torvane::e2e
