// The picture list rebuilt at start-up from the remembered folder: up to 50 files, listed,
// committed at once, and the warnings that can come up before the main window shows.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "common/message_box.h"
#include "user_session.h"

namespace torvane {
namespace {

using test::UserSession;
using Names = std::vector<std::string>;

// Names in an order that differs from creation order and mixes letter cases, so that the
// file list's own order (by name, without regard to case) is what the list must follow.
Names make_pictures(UserSession& s, const std::string& folder, int count) {
  Names names;
  for (int i = count - 1; i >= 0; --i) {
    char name[32];
    std::snprintf(name, sizeof name, i % 3 == 0 ? "PIC%03d.BMP" : "pic%03d.bmp", i);
    s.put_picture(folder + "\\" + name, 0x010101u * static_cast<unsigned>(i));
    names.insert(names.begin(), name);
  }
  return names;
}

struct Seen {
  bool main_visible = false;
  bool intro_visible = false;
};

class StartupRestore : public ::testing::Test {
 protected:
  // Starts with the given settings and notes what was on the screen at each message.
  void start(const std::string& settings) {
    s.write_settings(settings);
    s.sys.on_message = [this](const auto&) {
      seen.push_back({s.main().visible(), s.program().FrmIniMes().visible()});
    };
    s.start_to_main();
  }
  Names paths(const Names& names, int n) {
    Names out;
    for (int i = 0; i < n; ++i) out.push_back("C:\\Pics\\" + names[i]);
    return out;
  }
  Names file_list(int n) {
    return Names(s.state().FileList.begin(), s.state().FileList.begin() + n);
  }

  UserSession s;
  std::vector<Seen> seen;
};

TEST_F(StartupRestore, ExactlyFiftyFilesAreListedAndCommittedWithoutAWord) {
  const Names names = make_pictures(s, "C:\\Pics", 50);
  start("C:\\Pics\\\n\r\n0\n\r\n5\r\n");
  EXPECT_TRUE(s.sys.messages.empty());
  EXPECT_EQ(s.dialog().List1.entries(), names);
  EXPECT_EQ(file_list(50), paths(names, 50));
  Names play = paths(names, 50);
  play.push_back("");
  EXPECT_EQ(s.state().PlayList, play);
  EXPECT_TRUE(s.main().cmdstart.enabled());
  EXPECT_TRUE(s.dialog().CmdOK.enabled());
  EXPECT_FALSE(s.dialog().visible());
}

class TooManyFiles : public StartupRestore, public ::testing::WithParamInterface<int> {};

TEST_P(TooManyFiles, TheFirstFiftyAreTakenAfterAWarningBeforeTheMainWindowShows) {
  const Names names = make_pictures(s, "C:\\Pics", GetParam());
  start("C:\\Pics\\\n\r\n0\n\r\n5\r\n");
  ASSERT_EQ(s.sys.messages.size(), 1u);
  EXPECT_EQ(s.sys.messages[0].text, "最大の 50 ファイルまで読みこみました。");
  EXPECT_EQ(s.sys.messages[0].title, "注意");
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_FALSE(seen[0].main_visible);
  EXPECT_FALSE(seen[0].intro_visible);

  EXPECT_EQ(s.dialog().List1.entries(), Names(names.begin(), names.begin() + 50));
  EXPECT_EQ(file_list(50), paths(names, 50));
  ASSERT_EQ(s.state().PlayList.size(), 51u);
  EXPECT_EQ(s.state().PlayList[49], "C:\\Pics\\" + names[49]);
  EXPECT_EQ(s.state().PlayList[50], "");
  EXPECT_TRUE(s.main().visible());
  EXPECT_TRUE(s.main().cmdstart.enabled());
}

INSTANTIATE_TEST_SUITE_P(Counts, TooManyFiles, ::testing::Values(51, 80));

TEST_F(StartupRestore, AFolderWithoutBitmapsCommitsNothing) {
  s.put_file("C:\\Pics\\readme.txt", "text");
  s.put_file("C:\\Pics\\photo.jpg", "jpeg");
  start("C:\\Pics\\\n\r\n0\n\r\n5\r\n");
  EXPECT_TRUE(s.sys.messages.empty());
  EXPECT_EQ(s.dialog().List1.count(), 0);
  EXPECT_EQ(s.state().PlayList, Names(51, ""));
  EXPECT_FALSE(s.main().cmdstart.enabled());
  EXPECT_FALSE(s.dialog().CmdOK.enabled());
  EXPECT_EQ(s.main().focused(), &s.main().cmdsetting);
  EXPECT_EQ(s.dialog().Dir1.path(), "C:\\Pics") << "the folder itself is restored";
}

class InvalidInterval : public StartupRestore, public ::testing::WithParamInterface<const char*> {};

TEST_P(InvalidInterval, WarnsEmptiesTheFieldCommitsNothingYetEnablesStart) {
  make_pictures(s, "C:\\Pics", 3);
  start(std::string("C:\\Pics\\\n\r\n0\n\r\n") + GetParam() + "\r\n");
  ASSERT_EQ(s.sys.messages.size(), 1u);
  EXPECT_EQ(s.sys.messages[0].text, messages::kIntervalInvalid);
  EXPECT_EQ(s.sys.messages[0].title, messages::kCautionTitle);
  EXPECT_FALSE(seen[0].main_visible);
  EXPECT_EQ(s.dialog().minute.text(), "");
  EXPECT_EQ(s.state().PlayList, Names(51, ""));
  EXPECT_EQ(s.dialog().List1.count(), 3);
  EXPECT_TRUE(s.main().cmdstart.enabled());
  EXPECT_TRUE(s.dialog().CmdOK.enabled());
  EXPECT_TRUE(s.main().visible());
  EXPECT_FALSE(s.dialog().visible());
  EXPECT_EQ(s.main().focused(), &s.main().cmdstart);

  // Start then shows an empty area, and says nothing about it.
  s.main().cmdstart.click();
  EXPECT_TRUE(s.screen().visible());
  EXPECT_EQ(s.screen().Picture1.picture().width, 0);
  EXPECT_EQ(s.sys.messages.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Texts, InvalidInterval,
                         // "\x82\x54" is the full-width ５ in code page 932.
                         ::testing::Values("0", "abc", "", "61", "\x82\x54", "1e400"));

TEST_F(StartupRestore, TwoPicturesInPicsInListOrder) {
  s.put_picture("C:\\Pics\\a.bmp", 0xFF0000);
  s.put_picture("C:\\Pics\\b.bmp", 0x00FF00);
  start("C:\\Pics\\\n\r\n0\n\r\n5\r\n");
  EXPECT_EQ(s.dialog().List1.entries(), (Names{"a.bmp", "b.bmp"}));
  EXPECT_EQ(file_list(2), (Names{"C:\\Pics\\a.bmp", "C:\\Pics\\b.bmp"}));
  EXPECT_EQ(s.state().PlayList, (Names{"C:\\Pics\\a.bmp", "C:\\Pics\\b.bmp", ""}));
}

TEST_F(StartupRestore, WithRandomOnTheStartDrawsAnOrder) {
  s.put_picture("C:\\Pics\\a.bmp", 0xFF0000);
  s.put_picture("C:\\Pics\\b.bmp", 0x00FF00);
  s.put_picture("C:\\Pics\\c.bmp", 0x0000FF);
  s.sys.script_fractions({0.9f, 0.0f, 0.5f});
  start("C:\\Pics\\\n\r\n1\n\r\n5\r\n");
  EXPECT_TRUE(s.sys.seeded_with.has_value()) << "seeded before the order is drawn";
  EXPECT_EQ(s.dialog().List1.entries(), (Names{"a.bmp", "b.bmp", "c.bmp"}));
  EXPECT_EQ(s.state().PlayList,
            (Names{"C:\\Pics\\c.bmp", "C:\\Pics\\a.bmp", "C:\\Pics\\b.bmp", ""}));
}

TEST_F(StartupRestore, TheListRestoredInTheRootOfADrive) {
  s.put_picture("C:\\z.bmp", 0xFF0000);
  start("C:\\\n\r\n0\n\r\n5\r\n");
  EXPECT_EQ(s.dialog().List1.entries(), (Names{"z.bmp"}));
  EXPECT_EQ(s.state().PlayList, (Names{"C:\\z.bmp", ""}));
}

}  // namespace
}  // namespace torvane
