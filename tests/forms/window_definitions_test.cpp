// The four windows as they are created, before any behaviour touches them: title, frame,
// client size, and per control its text, place and size in twips (pixels in the screen
// window), tab place and enabled state, written out as the window definitions give them.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "forms/intro_and_main_windows.h"
#include "forms/picture_list_dialog_window.h"
#include "forms/screen_window.h"
#include "platform/headless/headless_services.h"

namespace torvane {
namespace {

using Lines = std::vector<std::string>;

// "title | frame | unit | width x height", then one line per control in tab order:
// "name | text | left top width height | tab | on/off".
Lines describe(const ui::Form& form) {
  const auto& d = form.definition();
  const char* frames[] = {"fixed, no buttons", "fixed, close box only", "none, maximised"};
  Lines out{d.caption + " | " + frames[static_cast<int>(d.frame)] + " | " +
            (d.unit == ui::ScaleUnit::twips ? "twips" : "pixels") + " | " +
            std::to_string(d.client_width) + " x " + std::to_string(d.client_height) +
            (d.has_program_icon ? " | icon" : "")};
  for (const ui::Control* c : form.controls()) {
    const ui::Rect& r = c->rect();
    out.push_back(c->name() + " | " + c->text() + " | " + std::to_string(r.left) + " " +
                  std::to_string(r.top) + " " + std::to_string(r.width) + " " +
                  std::to_string(r.height) + " | " + std::to_string(c->tab_index()) + " | " +
                  (c->enabled() ? "on" : "off"));
  }
  return out;
}

TEST(WindowDefinitions, IntroWindow) {
  forms::FrmIniMes intro;
  EXPECT_EQ(describe(intro),
            (Lines{"Torvane | fixed, no buttons | twips | 4245 x 1155",
                   "OKButton | OK | 2760 720 1215 375 | 0 | on",
                   "Label1 | スクリーンセーバが有効になっている場合は、あらかじめコントロールパネルで"
                   "無効に設定してください。 | 240 120 3855 735 | 1 | on"}));
}

TEST(WindowDefinitions, MainWindow) {
  forms::FrmMain main;
  const Lines lines = describe(main);
  EXPECT_EQ(Lines(lines.begin(), lines.begin() + 3),
            (Lines{"  Torvane's | fixed, close box only | twips | 2415 x 600 | icon",
                   "cmdstart | スタート | 120 120 975 375 | 0 | off",
                   "cmdsetting | 設定 | 1320 120 975 375 | 1 | on"}));
  EXPECT_FALSE(main.Timer1.running());
  EXPECT_EQ(main.Timer1.interval(), 0);
  EXPECT_EQ(main.CurPicNum, 0);
  EXPECT_EQ(main.Intval, 0);
  EXPECT_EQ(main.Curmin, 0);
}

TEST(WindowDefinitions, ScreenWindow) {
  forms::FrmScrn screen;
  EXPECT_EQ(describe(screen), (Lines{"Form2 | none, maximised | pixels | 312 x 213",
                                     "Picture1 |  | 64 32 193 137 | 0 | on"}));
  EXPECT_EQ(screen.Picture1.picture().width, 0);
}

TEST(WindowDefinitions, PictureListDialog) {
  platform::HeadlessServices sys;
  forms::FrmSelectFiles dialog(sys);
  EXPECT_EQ(describe(dialog),
            (Lines{"スクリーンファイル（.bmp）を右のリストに追加してください。 | fixed, no buttons | "
                   "twips | 7560 x 3375",
                   "File1 |  | 2400 120 1935 2610 | 0 | on",
                   "Drive1 |  | 120 120 2175 300 | 1 | on",
                   "Dir1 |  | 120 600 2175 2115 | 2 | on",
                   "CmdOK | 設定 | 5760 2880 1695 375 | 3 | off",
                   "CmdCancel | キャンセル | 3960 2880 1695 375 | 4 | on",
                   "minute | 1 | 2400 2930 495 270 | 5 | on",
                   "Label1 | 時間間隔=       分 | 1560 2970 1695 255 | 6 | on",
                   "ChkRandom | Check2 | 120 2975 255 195 | 7 | on",
                   "Label3 | ランダム | 360 2975 855 255 | 8 | on",
                   "CmdAddtoList | 追加 | 4440 720 975 495 | 9 | off",
                   "List1 |  | 5520 120 1935 2580 | 10 | on",
                   "CmdDelfromlist | 削除 | 4440 1320 975 495 | 11 | off",
                   "cmdAddAll | 全て追加 | 4440 120 975 495 | 12 | on",
                   "cmdhlp | スクリーンファイルとは？ | 4440 1920 975 735 | 13 | on"}));
  EXPECT_EQ(dialog.ChkRandom.value(), 0);
  EXPECT_EQ(dialog.List1.count(), 0);
}

}  // namespace
}  // namespace torvane
