// From the program's start to its end: the intro window, its OK, the main window's first
// showing and its close, with what is on the screen at every step.

#include <gtest/gtest.h>

#include "common/message_box.h"
#include "user_session.h"

namespace torvane {
namespace {

using test::UserSession;

TEST(Lifecycle, IntroThenMainThenClose) {
  UserSession s;
  s.put_picture("C:\\Pics\\a.bmp", 0x00FF00);

  Program& p = s.start();
  auto& intro = p.FrmIniMes();
  EXPECT_TRUE(intro.visible());
  EXPECT_EQ(intro.caption(), "Torvane");
  EXPECT_EQ(intro.focused(), &intro.OKButton);
  EXPECT_FALSE(s.sys.seeded_with.has_value()) << "nothing but the intro is loaded yet";

  intro.OKButton.click();
  auto& main = p.FrmMain();
  EXPECT_FALSE(intro.visible());
  EXPECT_FALSE(intro.closed()) << "hidden for good, but loaded until the end";
  EXPECT_TRUE(main.visible());
  EXPECT_EQ(main.caption(), "  Torvane's");
  EXPECT_EQ(main.cmdstart.text(), "スタート");
  EXPECT_EQ(main.cmdsetting.text(), "設定");
  // No settings file yet: nothing restored, so only 設定 leads on.
  EXPECT_FALSE(main.cmdstart.enabled());
  EXPECT_TRUE(main.cmdsetting.enabled());
  EXPECT_EQ(main.focused(), &main.cmdsetting);
  EXPECT_FALSE(main.Timer1.running());
  EXPECT_EQ(main.Timer1.interval(), 0);
  // The load created the dialog (seeding the generator) and the screen window, both hidden.
  EXPECT_TRUE(s.sys.seeded_with.has_value());
  EXPECT_FALSE(p.FrmSelectFiles().visible());
  EXPECT_FALSE(p.FrmScrn().visible());
  EXPECT_TRUE(s.sys.messages.empty());

  // The user sets up a list so that the next start restores it.
  s.open_dialog();
  EXPECT_FALSE(main.visible());
  s.browse_to("C:\\Pics");
  s.dialog().cmdAddAll.click();
  s.dialog().minute.set_text("4");
  s.dialog().CmdOK.click();
  EXPECT_TRUE(main.visible());
  EXPECT_FALSE(s.dialog().visible());

  s.close_main();
  EXPECT_TRUE(p.ended());
  EXPECT_TRUE(s.sys.quit_requested);
  EXPECT_TRUE(main.closed());
  EXPECT_TRUE(p.FrmScrn().closed());
  EXPECT_TRUE(p.FrmSelectFiles().closed());
  EXPECT_TRUE(intro.closed());
  EXPECT_EQ(s.settings_bytes(), "C:\\Pics\\\n\r\n0\n\r\n4\r\n");

  // Next start: the list comes back and スタート has the focus.
  Program& again = s.start_to_main();
  EXPECT_TRUE(again.FrmMain().visible());
  EXPECT_TRUE(again.FrmMain().cmdstart.enabled());
  EXPECT_EQ(again.FrmMain().focused(), &again.FrmMain().cmdstart);
  EXPECT_EQ(again.FrmSelectFiles().minute.text(), "4");
}

TEST(Lifecycle, ClosingWhileTheShowRunsEndsItToo) {
  UserSession s;
  s.put_picture("C:\\Pics\\a.bmp", 0x00FF00);
  s.put_picture("C:\\Pics\\b.bmp", 0x0000FF);
  s.write_settings("C:\\Pics\\\n\r\n0\n\r\n1\r\n");
  Program& p = s.start_to_main();
  p.FrmMain().cmdstart.click();
  ASSERT_TRUE(p.FrmScrn().visible());
  ASSERT_TRUE(s.sys.display_awake);

  s.close_main();
  EXPECT_TRUE(s.sys.quit_requested);
  EXPECT_FALSE(s.sys.display_awake) << "the display may sleep again once the program is gone";
  EXPECT_FALSE(p.FrmScrn().visible());
  EXPECT_TRUE(p.FrmScrn().closed());
  EXPECT_FALSE(p.FrmMain().Timer1.running());
  EXPECT_EQ(s.settings_bytes(), "C:\\Pics\\\n\r\n0\n\r\n1\r\n");
}

TEST(Lifecycle, ClosingTheIntroByOtherMeansEndsTheProgramWithoutSettings) {
  UserSession s;
  Program& p = s.start();
  p.FrmIniMes().request_close();
  EXPECT_TRUE(s.sys.quit_requested);
  EXPECT_TRUE(p.FrmIniMes().closed());
  EXPECT_FALSE(s.settings_bytes().has_value()) << "nothing was loaded, so nothing is written";
}

TEST(Lifecycle, AClosedProgramIgnoresLateClicksAndTicks) {
  UserSession s;
  s.put_picture("C:\\Pics\\a.bmp", 0x00FF00);
  s.write_settings("C:\\Pics\\\n\r\n0\n\r\n1\r\n");
  Program& p = s.start_to_main();
  p.FrmMain().cmdstart.click();
  s.close_main();
  const auto written = s.settings_bytes();

  // A close box clicked twice, a tick that was already on its way: nothing happens.
  p.FrmMain().request_close();
  p.FrmMain().Timer1.tick();
  p.FrmMain().cmdsetting.click();
  EXPECT_EQ(s.settings_bytes(), written);
  EXPECT_TRUE(s.sys.messages.empty());
  EXPECT_FALSE(s.sys.display_awake);
}

}  // namespace
}  // namespace torvane
