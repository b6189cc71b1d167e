// From the program's start to its end: which windows the user sees at every step, where the
// picture area lies, and what the close leaves behind.

#include <climits>
#include <functional>

#include "support/program_fixture.h"

namespace torvane::test {
namespace {

class Lifecycle : public ProgramFixture {
 protected:
  // The windows on the screen, in the order intro, main, dialog, screen: "1" shown.
  std::string visible() {
    return std::string(intro().visible() ? "1" : "0") + (main_window().visible() ? "1" : "0") +
           (dialog().visible() ? "1" : "0") + (screen().visible() ? "1" : "0");
  }
};

TEST_F(Lifecycle, WhichWindowsShowAtEachStep) {
  make_bitmaps("C:\\Pics", {"a.bmp"});
  const struct {
    const char* step;
    std::function<void(Lifecycle&)> act;
    const char* visible;
  } steps[] = {
      {"launch", [](Lifecycle& t) { t.launch(); }, "1000"},
      {"intro OK", [](Lifecycle& t) { t.press_intro_ok(); }, "0100"},
      {"設定", [](Lifecycle& t) { t.open_dialog(); }, "0010"},
      {"キャンセル", [](Lifecycle& t) { t.cancel(); }, "0100"},
      {"設定 again", [](Lifecycle& t) { t.open_dialog(); }, "0010"},
      {"commit", [](Lifecycle& t) {
         t.go_to_folder("C:\\Pics");
         t.add_all();
         t.commit();
       }, "0100"},
      // The main window is not hidden by Start: the screen lies over it.
      {"スタート", [](Lifecycle& t) { t.start_show(); }, "0101"},
      {"設定 during the show", [](Lifecycle& t) { t.open_dialog(); }, "0011"},
      {"commit during the show", [](Lifecycle& t) { t.commit(); }, "0101"},
      {"click on the picture", [](Lifecycle& t) { t.click_picture(); }, "0100"},
  };
  for (const auto& s : steps) {
    s.act(*this);
    EXPECT_EQ(visible(), s.visible) << s.step;
  }
  EXPECT_FALSE(intro().closed()) << "hidden for good, but loaded until the end";
  close();
  EXPECT_EQ(visible(), "0000");
  EXPECT_TRUE(program().ended());
  EXPECT_TRUE(sys.quit_requested);
  for (ui::Form* f : {static_cast<ui::Form*>(&intro()), static_cast<ui::Form*>(&main_window()),
                      static_cast<ui::Form*>(&dialog()), static_cast<ui::Form*>(&screen())})
    EXPECT_TRUE(f->closed()) << f->name();
}

TEST_F(Lifecycle, FirstStartWithoutSettingsLeadsOnlyToTheDialog) {
  launch();
  EXPECT_EQ(intro().focused(), &intro().OKButton);
  press_intro_ok();
  EXPECT_FALSE(main_window().cmdstart.enabled());
  EXPECT_TRUE(main_window().cmdsetting.enabled());
  EXPECT_EQ(main_window().focused(), &main_window().cmdsetting);
  EXPECT_FALSE(main_window().Timer1.running());
  EXPECT_TRUE(messages().empty());
  open_dialog();
  EXPECT_EQ(dialog().focused(), &dialog().File1);
}

TEST_F(Lifecycle, TheCloseWritesTheSettingsAndTheNextStartRestoresTheList) {
  make_bitmaps("C:\\Pics", {"a.bmp"});
  open_dialog();
  go_to_folder("C:\\Pics");
  add_all();
  type_interval("4");
  commit();
  close();
  EXPECT_EQ(settings_file(), settings_bytes("C:\\Pics\\", "0", "4"));

  restart();
  EXPECT_TRUE(main_window().cmdstart.enabled());
  EXPECT_EQ(main_window().focused(), &main_window().cmdstart);
  EXPECT_EQ(list_entries(), Names{"a.bmp"});
}

TEST_F(Lifecycle, ClosingWhileTheShowRunsWritesTheSettingsAndEndsIt) {
  make_bitmaps("C:\\Pics", {"a.bmp", "b.bmp"});
  write_settings(settings_bytes("C:\\Pics\\", "0", "1"));
  start();
  start_show();
  ASSERT_TRUE(sys.display_awake);
  close();
  EXPECT_TRUE(sys.quit_requested);
  EXPECT_FALSE(sys.display_awake) << "the display may sleep again once the program is gone";
  EXPECT_TRUE(screen().closed());
  EXPECT_FALSE(main_window().Timer1.running());
  EXPECT_EQ(settings_file(), settings_bytes("C:\\Pics\\", "0", "1"));
  // A close box clicked twice, a tick already on its way: nothing happens.
  remove(settings_path());
  close();
  let_minutes_pass(1);
  main_window().cmdsetting.click();
  EXPECT_FALSE(settings_file().has_value());
  EXPECT_TRUE(messages().empty());
}

TEST_F(Lifecycle, ClosingTheIntroByOtherMeansEndsTheProgramWithoutSettings) {
  launch();
  intro().request_close();
  EXPECT_TRUE(sys.quit_requested);
  EXPECT_TRUE(intro().closed());
  EXPECT_FALSE(settings_file().has_value()) << "nothing was loaded, so nothing is written";
}

// The picture area: one pixel left of and above the work area, two beyond its right edge,
// 29 below its bottom edge; x1 = left - 1, width = right + 2 - x1 and so on.
TEST_F(Lifecycle, ThePictureAreaIsPlacedFromTheWorkArea) {
  const struct {
    std::optional<platform::WorkArea> work_area;  // nullopt: the query fails
    ui::Rect expected;
  } rows[] = {
      {std::nullopt, {-1, -1, 3, 30}},
      {platform::WorkArea{0, 0, 1024, 740}, {-1, -1, 1027, 770}},
      {platform::WorkArea{0, 30, 1280, 1024}, {-1, 29, 1283, 1024}},   // taskbar on top
      {platform::WorkArea{60, 0, 1920, 1080}, {59, -1, 1863, 1110}},   // taskbar on the left
      // Beyond 16 bits the place is held at the edge of the range instead of wrapping.
      {platform::WorkArea{0, 0, 40000, 40000}, {-1, -1, 32767, 32767}},
      {platform::WorkArea{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, {-32768, -32768, 32767, 32767}},
  };
  for (const auto& row : rows) {
    sys.set_work_area(row.work_area);
    restart();
    const ui::Rect r = screen().Picture1.rect();
    EXPECT_EQ((std::vector<int>{r.left, r.top, r.width, r.height}),
              (std::vector<int>{row.expected.left, row.expected.top, row.expected.width,
                                row.expected.height}));
    EXPECT_FALSE(screen().visible());
  }
}

}  // namespace
}  // namespace torvane::test
