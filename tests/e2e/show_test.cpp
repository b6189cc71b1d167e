// The show of the real Torvane.exe: スタート covers the whole screen with the first picture,
// the minute timer changes it after the interval (the ticks are posted, not waited for), and
// a real click on the picture ends the show.

#include <windows.h>

#include <cstdint>
#include <initializer_list>
#include <string>

#include "e2e_support.h"

namespace torvane::e2e {
namespace {

constexpr int kPictureWidth = 64;
constexpr int kPictureHeight = 48;

class Show : public TorvaneTest {
 protected:
  // What the picture area shows at its inner top-left: the colour of a picture drawn there
  // at its own size, 0xFFFFFFFF where the picture does not fill kPictureWidth x
  // kPictureHeight pixels or is drawn larger.
  std::uint32_t shown_picture() const {
    const Image area = capture_screen(
        RECT{inner_.x, inner_.y, inner_.x + kPictureWidth + 1, inner_.y + kPictureHeight});
    if (area.width != kPictureWidth + 1 || area.height != kPictureHeight) return 0xFFFFFFFF;
    const std::uint32_t colour = area.at(0, 0);
    const RECT picture{0, 0, kPictureWidth, kPictureHeight};
    const bool whole =
        area.count(colour, picture) == static_cast<std::size_t>(kPictureWidth) * kPictureHeight;
    const bool own_size = area.at(kPictureWidth, 0) != colour;
    return whole && own_size ? colour : 0xFFFFFFFF;
  }
  bool shows(std::uint32_t colour) const {
    return wait_for([&] { return shown_picture() == colour; });
  }
  // Pictures of one colour each, 1.bmp, 2.bmp, ..., remembered with the interval 2 in list
  // order; the program started and past its intro. The main window, or null.
  HWND start_with_pictures(std::initializer_list<std::uint32_t> colours) {
    const std::wstring pictures = home_file(L"pictures");
    if (!make_folder(pictures)) return nullptr;
    int number = 0;
    for (std::uint32_t colour : colours) {
      const std::wstring name = pictures + L"\\" + std::to_wstring(++number) + L".bmp";
      if (!write_solid_bmp(name, kPictureWidth, kPictureHeight, colour)) return nullptr;
    }
    if (!write_file_bytes(home_file(L"TorVan.ini"), settings_bytes(pictures, 0, L"2")) ||
        launch() == 0)
      return nullptr;
    return pass_intro();
  }

  POINT inner_{};
};

TEST_F(Show, CoversTheScreenChangesThePictureAfterTheIntervalAndStopsOnAClick) {
  // Three pictures of one colour each, remembered with the interval 2, in list order.
  const std::uint32_t colours[] = {rgb(200, 30, 30), rgb(30, 160, 60), rgb(40, 60, 200)};
  auto same = [](RECT a, RECT b) { return EqualRect(&a, &b) != FALSE; };
  HWND main = start_with_pictures({colours[0], colours[1], colours[2]});
  ASSERT_NE(main, nullptr);
  HWND start = control(main, main_id::kStart);
  ASSERT_TRUE(is_enabled(start)) << "the remembered pictures did not enable スタート";

  RECT work{};
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
  const RECT whole{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  inner_ = POINT{work.left - 1 + 2, work.top - 1 + 2};

  // スタート: the screen window covers everything, the taskbar included.
  ASSERT_TRUE(press(start));
  HWND screen = find_window_of_class(pid(), kScreenClass);
  ASSERT_TRUE(screen && is_visible(screen)) << "スタート did not show the screen window";
  EXPECT_TRUE(same(window_rect(screen), whole))
      << "screen window at " << describe(window_rect(screen)) << ", the screen is "
      << describe(whole) << ", its work area " << describe(work);
  HWND picture = find_child(screen, kPictureClass, 0);
  ASSERT_NE(picture, nullptr);
  const RECT area{work.left - 1, work.top - 1, work.right + 2, work.bottom + 29};
  EXPECT_TRUE(same(window_rect(picture), area))
      << "picture area at " << describe(window_rect(picture)) << ", expected " << describe(area);
  EXPECT_TRUE(shows(colours[0])) << "the first picture is not shown at (" << inner_.x << ","
                                 << inner_.y << ") at its own size";
  const RECT main_rect = window_rect(main);
  const POINT main_middle{(main_rect.left + main_rect.right) / 2,
                          (main_rect.top + main_rect.bottom) / 2};
  EXPECT_EQ(WindowFromPoint(main_middle), picture) << "the main window is not covered";

  // Interval 2: every second tick brings the next picture, after the last the first again;
  // the show is left at the second picture.
  for (int tick = 1; tick <= 8; ++tick) {
    const std::uint32_t expected = colours[(tick / 2) % 3];
    post_timer(main, kTimerId);
    if (tick % 2 == 1) {
      // Nothing may change: once the tick is handled and any repaint it asked for is done,
      // the picture is still the same.
      ASSERT_TRUE(settle());
      RedrawWindow(picture, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
      EXPECT_EQ(shown_picture(), expected) << "tick " << tick << " changed the picture";
    } else {
      EXPECT_TRUE(shows(expected))
          << "tick " << tick << " did not bring picture " << (tick / 2) % 3 + 1;
    }
  }

  // A real click on the picture ends the show and uncovers the main window.
  ASSERT_TRUE(mouse_click(picture)) << "the picture is not what lies under the mouse";
  ASSERT_TRUE(wait_for([&] { return !is_visible(screen); })) << "the click did not stop the show";
  ASSERT_TRUE(settle());
  EXPECT_TRUE(is_visible(main));
  EXPECT_TRUE(wait_for([&] {
    HWND hit = WindowFromPoint(main_middle);
    return hit == main || IsChild(main, hit);
  })) << "the main window stayed covered";

  // Started again, the show begins with the first picture.
  ASSERT_TRUE(press(start));
  ASSERT_TRUE(is_visible(screen));
  EXPECT_TRUE(shows(colours[0])) << "a new start did not begin with the first picture";
  // The interval is taken at スタート only: one committed while the show runs waits for the
  // next start, so the first tick still changes nothing.
  const Dialog dialog = open_dialog(main);
  ASSERT_TRUE(dialog);
  ASSERT_TRUE(set_text(dialog.minute, L"1"));
  ASSERT_TRUE(press(dialog.ok));
  post_timer(main, kTimerId);
  ASSERT_TRUE(settle());
  RedrawWindow(picture, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  EXPECT_EQ(shown_picture(), colours[0]) << "the new interval counted before the next start";
  // The main window lies over the middle of the picture now.
  ASSERT_TRUE(mouse_click(POINT{inner_.x + 4, inner_.y + 4}));
  ASSERT_TRUE(wait_for([&] { return !is_visible(screen); }));

  EXPECT_TRUE(close_program(main));
}

// The main window brought over the show (設定, then the dialog's 設定): スタート there puts
// the screen back on top and active. The show stops on the release of a click on the
// picture, not on its press.
TEST_F(Show, StartOverTheMainWindowRaisesTheScreenAndAClickStopsOnItsRelease) {
  const std::uint32_t colour = rgb(200, 30, 30);
  HWND main = start_with_pictures({colour});
  ASSERT_NE(main, nullptr);
  HWND start = control(main, main_id::kStart);
  ASSERT_TRUE(press(start));
  HWND screen = find_window_of_class(pid(), kScreenClass);
  ASSERT_TRUE(screen && is_visible(screen));
  HWND picture = find_child(screen, kPictureClass, 0);
  const RECT main_rect = window_rect(main);
  const POINT main_middle{(main_rect.left + main_rect.right) / 2,
                          (main_rect.top + main_rect.bottom) / 2};
  auto main_on_top = [&] {
    HWND hit = WindowFromPoint(main_middle);
    return hit == main || IsChild(main, hit);
  };

  const Dialog dialog = open_dialog(main);
  ASSERT_TRUE(dialog);
  ASSERT_TRUE(press(dialog.ok));
  ASSERT_TRUE(wait_for(main_on_top)) << "the dialog's 設定 did not bring the main window back";

  ASSERT_TRUE(press(start));
  EXPECT_TRUE(wait_for([&] { return WindowFromPoint(main_middle) == picture; }))
      << "the main window still lies over the show";
  EXPECT_TRUE(wait_for([&] { return GetForegroundWindow() == screen; }))
      << "the screen window is not the active one";

  const RECT r = window_rect(picture);
  const POINT middle{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  ASSERT_TRUE(mouse_button(middle, true));
  // The press has arrived once the picture holds the mouse for the release.
  const DWORD thread = GetWindowThreadProcessId(screen, nullptr);
  EXPECT_TRUE(wait_for([&] {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    return GetGUIThreadInfo(thread, &info) && info.hwndCapture == picture;
  })) << "the press did not take the mouse";
  ASSERT_TRUE(settle());
  EXPECT_TRUE(is_visible(screen)) << "the press alone stopped the show";
  ASSERT_TRUE(mouse_button(middle, false));
  EXPECT_TRUE(wait_for([&] { return !is_visible(screen); })) << "the release did not stop it";
  EXPECT_TRUE(wait_for(main_on_top));

  EXPECT_TRUE(close_program(main));
}

}  // namespace
}  // namespace torvane::e2e
