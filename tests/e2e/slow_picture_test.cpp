// A picture on a disk that has to wake up, under the real Torvane.exe: the first read of the
// files named in slow.txt waits several seconds (slow_reads.c, preloaded into Wine by this
// test's environment). While such a picture loads the program answers, the screen keeps the
// picture it showed before, a click stops the show at once, and the program can end.

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "e2e_support.h"

namespace torvane::e2e {
namespace {

class SlowPicture : public TorvaneTest {
 protected:
  // The folder the preloaded library reads its list from and logs to, as a Windows path.
  std::wstring slow_folder() const {
    wchar_t buffer[MAX_PATH] = {};
    const DWORD n = GetEnvironmentVariableW(L"TORVANE_SLOW_DIR", buffer, MAX_PATH);
    return n > 0 && n < MAX_PATH ? to_windows_path(narrow(buffer)) : std::wstring();
  }
  bool make_slow(std::string_view names) {
    return write_file_bytes(slow_folder() + L"\\slow.txt", names);
  }
  bool logged(std::string_view line) {
    const std::string log = read_file_bytes(slow_folder() + L"\\slow.log").value_or("");
    return log.find(std::string(line) + "\n") != std::string::npos;
  }
  // The program's one UI thread answers a message while the read of `name` is still stuck:
  // however long the answer takes on a busy machine, it came before the read ended.
  bool answers_during(HWND window, std::string_view name) {
    DWORD_PTR result = 0;
    const bool answered =
        SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 15000, &result) != 0;
    return answered && !logged("end " + std::string(name));
  }
  static bool answers(HWND window) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 15000, &result) != 0;
  }
  // The colour inside the picture area, where each test picture covers it.
  static std::uint32_t shown(HWND picture) {
    const RECT r = client_rect_on_screen(picture);
    return screen_pixel(r.left + 12, r.top + 12);
  }
  // Polls `count` times, 50 ms apart, while the read of `name` is stuck: the program answers
  // each time and shows `colour`.
  bool answers_showing(HWND main, HWND picture, std::uint32_t colour, int count,
                       std::string_view name) {
    bool ok = true;
    int polls = 0;
    wait_for([&] {
      ok = answers_during(main, name) && shown(picture) == colour && ok;
      return ++polls == count;
    });
    return ok;
  }
  // Starts the program on pictures 1.bmp (red) and 2.bmp (green) in a folder of their own,
  // one a minute, and the show with 1.bmp on the screen.
  void start_show(HWND& main, HWND& screen, HWND& picture) {
    const std::wstring slow = slow_folder();
    ASSERT_FALSE(slow.empty()) << "TORVANE_SLOW_DIR is not set: run this test through ctest";
    ASSERT_TRUE(make_folder(slow) && make_slow(""));
    DeleteFileW((slow + L"\\slow.log").c_str());
    const std::wstring pictures = home_file(L"pictures");
    ASSERT_TRUE(make_folder(pictures));
    ASSERT_TRUE(write_solid_bmp(pictures + L"\\1.bmp", 64, 48, kRed));
    ASSERT_TRUE(write_solid_bmp(pictures + L"\\2.bmp", 64, 48, kGreen));
    ASSERT_TRUE(write_file_bytes(home_file(L"TorVan.ini"),
                                 in_code_page(pictures + L"\\\n\r\n0\n\r\n1\r\n", CP_ACP)));
    ASSERT_NE(launch(), 0u);
    main = pass_intro();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(press(control(main, main_id::kStart)));
    screen = find_window_of_class(pid(), kScreenClass);
    picture = find_child(screen, kPictureClass, 0);
    ASSERT_TRUE(screen && picture && is_visible(screen));
    ASSERT_TRUE(wait_for([&] { return shown(picture) == kRed; })) << "1.bmp never showed";
  }
  const std::uint32_t kRed = rgb(200, 30, 30), kGreen = rgb(30, 160, 60),
                      kBlue = rgb(40, 60, 210);
};

TEST_F(SlowPicture, TheProgramAnswersKeepsThePictureAndStopsAtOnceWhileAPictureLoads) {
  HWND main = nullptr, screen = nullptr, picture = nullptr;
  ASSERT_NO_FATAL_FAILURE(start_show(main, screen, picture));
  const std::wstring slow = slow_folder();
  const std::uint32_t red = kRed;

  // A minute: 2.bmp, whose first read now hangs.
  ASSERT_TRUE(make_slow("2.bmp"));
  post_timer(main, kTimerId);
  ASSERT_TRUE(wait_for([&] { return logged("begin 2.bmp"); })) << "the read was not held up";
  EXPECT_TRUE(answers_showing(main, picture, red, 20, "2.bmp"))
      << "while 2.bmp loads, the program stopped answering or 1.bmp left the screen";

  // A click stops the show while the read is still stuck.
  ASSERT_TRUE(mouse_click(picture));
  EXPECT_TRUE(wait_for([&] { return !is_visible(screen); })) << "the click did not stop the show";
  EXPECT_FALSE(logged("end 2.bmp")) << "the stop waited for the read";
  bool answered = true;
  ASSERT_TRUE(wait_for([&] { return (answered = answers(main) && answered), logged("end 2.bmp"); },
                       std::chrono::seconds(60)));
  EXPECT_TRUE(answered) << "the program stopped answering while 2.bmp loaded";

  // Started again with 1.bmp slow this time: the screen shows what the area held when the
  // show stopped, 1.bmp, never 2.bmp that finished loading after the stop.
  ASSERT_TRUE(settle());
  ASSERT_TRUE(make_slow("1.bmp"));
  ASSERT_TRUE(press(control(main, main_id::kStart)));
  ASSERT_TRUE(is_visible(screen));
  ASSERT_TRUE(wait_for([&] { return logged("begin 1.bmp"); }));
  // The screen window, shown again, paints when the program gets to it on a busy machine.
  ASSERT_TRUE(wait_for([&] { return shown(picture) == red; }));
  EXPECT_TRUE(answers_showing(main, picture, red, 20, "1.bmp"))
      << "2.bmp, loaded after the stop, came on the screen";
  ASSERT_TRUE(wait_for([&] { return logged("end 1.bmp"); }, std::chrono::seconds(60)));

  // The program ends while a read is stuck, without waiting for it.
  DeleteFileW((slow + L"\\slow.log").c_str());
  ASSERT_TRUE(make_slow("2.bmp"));
  post_timer(main, kTimerId);
  ASSERT_TRUE(wait_for([&] { return logged("begin 2.bmp"); }));
  ASSERT_TRUE(mouse_click(picture));
  ASSERT_TRUE(wait_for([&] { return !is_visible(screen); }));
  EXPECT_TRUE(close_program(main));
  EXPECT_FALSE(logged("end 2.bmp")) << "the program's end waited for the read";
}

// Stopped while a picture's read hangs on a disk that went away, and started again at once:
// the new show's first picture comes while the old read is still stuck, and the picture of
// that read never shows when it finally ends.
TEST_F(SlowPicture, AShowStartedAgainDoesNotWaitForAReadOfTheShowBefore) {
  HWND main = nullptr, screen = nullptr, picture = nullptr;
  ASSERT_NO_FATAL_FAILURE(start_show(main, screen, picture));
  ASSERT_TRUE(make_slow("2.bmp"));
  post_timer(main, kTimerId);
  ASSERT_TRUE(wait_for([&] { return logged("begin 2.bmp"); })) << "the read was not held up";
  ASSERT_TRUE(mouse_click(picture));
  ASSERT_TRUE(wait_for([&] { return !is_visible(screen); }));

  // The user put another picture under 1.bmp's name meanwhile: the new show's first.
  ASSERT_TRUE(write_solid_bmp(home_file(L"pictures\\1.bmp"), 64, 48, kBlue));
  const ULONGLONG pressed = GetTickCount64();
  ASSERT_TRUE(press(control(main, main_id::kStart)));
  ASSERT_TRUE(wait_for([&] { return shown(picture) == kBlue || logged("end 2.bmp"); },
                       std::chrono::seconds(60)));
  const ULONGLONG took = GetTickCount64() - pressed;
  EXPECT_FALSE(logged("end 2.bmp")) << "the new show waited for the read of the show before";
  EXPECT_EQ(shown(picture), kBlue);
  RecordProperty("first_picture_ms", static_cast<int>(took));
  std::printf("the new show's first picture came %llu ms after Start\n", took);

  ASSERT_TRUE(wait_for([&] { return logged("end 2.bmp"); }, std::chrono::seconds(60)));
  EXPECT_TRUE(answers_showing(main, picture, kBlue, 20, "none"))
      << "2.bmp, read for the show before, came on the screen";
  EXPECT_TRUE(close_program(main));
}

}  // namespace
}  // namespace torvane::e2e
