// The picture list rebuilt at start-up from the remembered folder: up to 50 files, listed,
// committed at once, and the warnings that can come up before the main window shows.

#include <string>
#include <vector>

#include "support/program_fixture.h"

namespace torvane::test {
namespace {

class StartupRestore : public ProgramFixture {
 protected:
  // Starts with this interval line and notes, at each message, whether a window was up.
  void start_with_interval(const std::string& minute, const std::string& random = "0") {
    if (running()) close();
    window_up_at_message = false;
    write_settings(settings_bytes("C:\\Pics\\", random, minute));
    sys.on_message = [this](const Message&) {
      window_up_at_message = window_up_at_message || main_window().visible() || intro().visible();
    };
    start();
  }
  static Names paths(const Names& names, std::size_t n) {
    Names out;
    for (std::size_t i = 0; i < n; ++i) out.push_back("C:\\Pics\\" + names[i]);
    return out;
  }
  bool window_up_at_message = false;
};

TEST_F(StartupRestore, UpToFiftyFilesAreListedAndCommittedAtOnce) {
  for (int count : {1, 50, 51, 80}) {
    SCOPED_TRACE(count);
    remove("C:\\Pics");
    const Names names = make_numbered_bitmaps("C:\\Pics", count);
    start_with_interval("5");
    const std::size_t n = count > 50 ? 50 : count;
    EXPECT_EQ(messages(), count > 50 ? std::vector<Message>{kTooManyFiles} : std::vector<Message>{});
    EXPECT_FALSE(window_up_at_message) << "the warning comes before the main window shows";
    EXPECT_EQ(list_entries(), Names(names.begin(), names.begin() + n));
    EXPECT_EQ(file_list(), paths(names, n));
    Names play = paths(names, n);
    play.push_back("");
    EXPECT_EQ(play_list(), play);
    EXPECT_TRUE(main_window().visible());
    EXPECT_FALSE(dialog().visible());
    EXPECT_TRUE(main_window().cmdstart.enabled());
    EXPECT_TRUE(dialog().CmdOK.enabled());
    EXPECT_EQ(main_window().focused(), &main_window().cmdstart);
  }
}

TEST_F(StartupRestore, AFolderWithoutBitmapsCommitsNothing) {
  write_file("C:\\Pics\\readme.txt", "text");
  write_file("C:\\Pics\\photo.jpg", "jpeg");
  start_with_interval("5");
  EXPECT_TRUE(messages().empty());
  EXPECT_EQ(dialog().Dir1.path(), "C:\\Pics") << "the folder itself is restored";
  EXPECT_EQ(dialog().List1.count(), 0);
  EXPECT_EQ(play_list(), Names(51, ""));
  EXPECT_FALSE(main_window().cmdstart.enabled());
  EXPECT_FALSE(dialog().CmdOK.enabled());
  EXPECT_EQ(main_window().focused(), &main_window().cmdsetting);
}

// The commit refuses the interval, yet start-up enables スタート and 設定 all the same; Start
// then shows an empty area and says nothing about it.
TEST_F(StartupRestore, AnInvalidIntervalWarnsCommitsNothingYetEnablesStart) {
  // "\x82\x54" is the full-width ５ in code page 932.
  for (const char* minute : {"0", "abc", "", "61", "\x82\x54", "1e400"}) {
    SCOPED_TRACE(minute);
    make_numbered_bitmaps("C:\\Pics", 3);
    start_with_interval(minute);
    EXPECT_EQ(messages(), std::vector<Message>{kIntervalInvalid});
    EXPECT_FALSE(window_up_at_message);
    EXPECT_EQ(dialog().minute.text(), "");
    EXPECT_EQ(play_list(), Names(51, ""));
    EXPECT_EQ(dialog().List1.count(), 3);
    EXPECT_TRUE(main_window().cmdstart.enabled());
    EXPECT_TRUE(dialog().CmdOK.enabled());
    EXPECT_TRUE(main_window().visible());
    EXPECT_FALSE(dialog().visible());
    start_show();
    EXPECT_TRUE(screen().visible());
    EXPECT_EQ(shown(), "");
    EXPECT_EQ(messages().size(), 1u);
  }
}

TEST_F(StartupRestore, WithRandomOnTheStartDrawsAnOrder) {
  make_bitmaps("C:\\Pics", {"a.bmp", "b.bmp", "c.bmp"});
  sys.script_fractions({0.9f, 0.0f, 0.5f});
  start_with_interval("5", "1");
  EXPECT_EQ(list_entries(), (Names{"a.bmp", "b.bmp", "c.bmp"}));
  EXPECT_EQ(play_list(), (Names{"C:\\Pics\\c.bmp", "C:\\Pics\\a.bmp", "C:\\Pics\\b.bmp", ""}));
}

TEST_F(StartupRestore, TheListRestoredInTheRootOfADrive) {
  make_bitmaps("C:\\", {"z.bmp"});
  write_settings(settings_bytes("C:\\", "0", "5"));
  start();
  EXPECT_EQ(list_entries(), Names{"z.bmp"});
  EXPECT_EQ(play_list(), (Names{"C:\\z.bmp", ""}));
}

}  // namespace
}  // namespace torvane::test
