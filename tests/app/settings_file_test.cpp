// TorVan.ini beside the program: the bytes the close writes, what the next start makes of
// them, and every way the file can be missing, short, hand-edited or unwritable.

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "app/settings_file.h"
#include "common/message_box.h"
#include "user_session.h"

namespace torvane {
namespace {

using test::hex;
using test::UserSession;

// ---- What the close writes ---------------------------------------------------------------

struct WriteCase {
  const char* what;
  const char* program_folder;
  const char* folder;   // chosen in the dialog
  bool random;
  const char* minute;   // typed, then 設定 pressed
  std::string bytes;    // TorVan.ini afterwards
  const char* settings_file;  // where it lands, as a Windows path
};

class SettingsWritten : public ::testing::TestWithParam<WriteCase> {};

TEST_P(SettingsWritten, ByteForByteAndBackAgain) {
  const WriteCase& c = GetParam();
  UserSession s;
  s.add_drive('D');
  s.make_folder(c.program_folder);
  s.sys.set_program_folder(c.program_folder);
  s.put_picture(ui::join_path(c.folder, "a.bmp"), 0x123456);

  s.start_to_main();
  s.open_dialog();
  s.browse_to(c.folder);
  s.dialog().cmdAddAll.click();
  if (c.random) s.dialog().ChkRandom.click();
  s.dialog().minute.set_text(c.minute);
  s.dialog().CmdOK.click();
  ASSERT_TRUE(s.main().visible()) << "the interval was accepted";
  s.close_main();

  const auto bytes = s.file_bytes(c.settings_file);
  ASSERT_TRUE(bytes.has_value()) << c.settings_file;
  EXPECT_EQ(hex(*bytes), hex(c.bytes));

  // The next start puts everything back and lists the folder's picture again.
  s.restart_to_main();
  EXPECT_TRUE(s.sys.messages.empty());
  EXPECT_TRUE(ui::same_path(s.dialog().Dir1.path(), c.folder)) << s.dialog().Dir1.path();
  EXPECT_EQ(s.dialog().Drive1.drive().substr(0, 2), std::string(c.folder).substr(0, 2) == "D:" ? "d:" : "c:");
  EXPECT_EQ(s.dialog().ChkRandom.value(), c.random ? 1 : 0);
  EXPECT_EQ(s.dialog().minute.text(), c.minute);
  ASSERT_EQ(s.dialog().List1.count(), 1);
  EXPECT_EQ(s.state().PlayList[0], ui::join_path(c.folder, "a.bmp"));
}

INSTANTIATE_TEST_SUITE_P(
    Files, SettingsWritten,
    ::testing::Values(
        WriteCase{"Pics_random_5", "C:\\Torvane", "C:\\Pics", true, "5",
                  "\x43\x3A\x5C\x50\x69\x63\x73\x5C\x0A\x0D\x0A"
                  "\x31\x0A\x0D\x0A"
                  "\x35\x0D\x0A",
                  "C:\\Torvane\\TorVan.ini"},
        // A drive root already ends in "\": no second one.
        WriteCase{"D_root", "C:\\Torvane", "D:\\", false, "3",
                  "\x44\x3A\x5C\x0A\x0D\x0A"
                  "\x30\x0A\x0D\x0A"
                  "\x33\x0D\x0A",
                  "C:\\Torvane\\TorVan.ini"},
        // Japanese goes out in code page 932. 表 ends in 0x5C, the byte of "\": the
        // separator is still added, since the folder's last character is 表.
        WriteCase{"Japanese_folder_cp932", "C:\\Torvane", "C:\\図表", false, "10",
                  "\x43\x3A\x5C\x90\x7D\x95\x5C\x5C\x0A\x0D\x0A"
                  "\x30\x0A\x0D\x0A"
                  "\x31\x30\x0D\x0A",
                  "C:\\Torvane\\TorVan.ini"},
        // The interval text goes out as typed, kanji and all.
        WriteCase{"interval_as_typed", "C:\\Torvane", "C:\\Pics", false, "5分",
                  "C:\\Pics\\\n\r\n0\n\r\n5\x95\xAA\r\n", "C:\\Torvane\\TorVan.ini"},
        // A program kept in a drive root: "C:\" + "\TorVan.ini" is still C:\TorVan.ini.
        WriteCase{"program_in_root", "C:\\", "C:\\Pics", false, "60",
                  "C:\\Pics\\\n\r\n0\n\r\n60\r\n", "C:\\TorVan.ini"}),
    [](const auto& test_case) { return std::string(test_case.param.what); });

TEST(SettingsFile, AnEmptyIntervalIsWrittenAsABareLineEndAndComesBackEmpty) {
  UserSession s;
  s.put_picture("C:\\Pics\\a.bmp", 0xFF0000);
  s.start_to_main();
  s.open_dialog();
  s.browse_to("C:\\Pics");
  s.dialog().cmdAddAll.click();
  // An empty interval is refused by 設定; the field stays empty, and the system then
  // shuts down with the dialog still open.
  s.dialog().minute.set_text("");
  s.dialog().CmdOK.click();
  ASSERT_EQ(s.dialog().minute.text(), "");
  s.close_main();
  EXPECT_EQ(hex(*s.settings_bytes()), hex("C:\\Pics\\\n\r\n0\n\r\n\r\n"));

  // Empty after the restart too (the folder's picture is rejected by the same check again).
  s.restart_to_main();
  EXPECT_EQ(s.dialog().minute.text(), "");
}

TEST(SettingsFile, TheCloseWritesTheDialogAsItStandsEvenUncommitted) {
  UserSession s;
  s.put_picture("C:\\Pics\\a.bmp", 0xFF0000);
  s.make_folder("C:\\Other");
  s.write_settings("C:\\Pics\\\n\r\n0\n\r\n5\r\n");
  s.start_to_main();
  s.open_dialog();
  s.browse_to("C:\\Other");
  s.dialog().ChkRandom.click();
  s.dialog().minute.set_text("abc");
  // The system closes the main window while the dialog is open (a shutdown).
  s.close_main();
  EXPECT_EQ(hex(*s.settings_bytes()), hex("C:\\Other\\\n\r\n1\n\r\nabc\r\n"));
  EXPECT_TRUE(s.sys.quit_requested);
}

TEST(SettingsFile, AFailedWriteKeepsTheOldFileSaysSoOnceAndStillEnds) {
  UserSession s;
  s.put_picture("C:\\Pics\\a.bmp", 0xFF0000);
  const std::string old = "C:\\Pics\\\n\r\n0\n\r\n5\r\n";
  s.write_settings(old);
  s.start_to_main();
  s.open_dialog();
  s.dialog().minute.set_text("9");
  s.dialog().CmdOK.click();
  s.sys.fail_writes = true;  // a read-only program folder, a full disk

  s.close_main();
  EXPECT_EQ(s.settings_bytes(), old);
  ASSERT_EQ(s.sys.messages.size(), 1u);
  EXPECT_EQ(s.sys.messages[0].text, app::kSettingsSaveFailed);
  EXPECT_EQ(s.sys.messages[0].title, messages::kErrorTitle);
  EXPECT_TRUE(s.sys.quit_requested);
  EXPECT_TRUE(s.program().ended());
}

// ---- What the start makes of a file -----------------------------------------------------

struct ReadCase {
  const char* what;
  std::optional<std::string> file;  // nullopt: no settings file
  const char* folder;               // Dir1 after the start
  const char* drive;                // Drive1 after the start
  int random;
  const char* minute;
  int listed;                       // entries of List1
  bool drive_not_ready_message = false;
};

class SettingsRead : public ::testing::TestWithParam<ReadCase> {
 protected:
  void SetUp() override {
    s.put_picture("C:\\Pics\\a.bmp", 0xFF0000);
    s.put_picture("C:\\Pics\\b.bmp", 0x00FF00);
    s.put_file("C:\\Empty\\notes.txt", "no pictures here");
    s.add_drive('D', "DATA");
    s.put_picture("D:\\Photos\\c.bmp", 0x0000FF);
    s.make_folder("D:\\Other");
    s.sys.set_drive_current_folder('D', "D:\\Other");
    s.add_drive('E');
    s.sys.set_drive_ready('E', false);  // a card reader without its card
  }
  UserSession s;
};

TEST_P(SettingsRead, RestoresTheDialogOrFallsBack) {
  const ReadCase& c = GetParam();
  if (c.file) s.write_settings(*c.file);
  bool main_visible_at_message = true;
  s.sys.on_message = [&](const auto&) { main_visible_at_message = s.main().visible(); };

  s.start_to_main();
  auto& d = s.dialog();
  EXPECT_EQ(d.Dir1.path(), c.folder);
  EXPECT_EQ(d.File1.path(), c.folder);
  EXPECT_EQ(d.Drive1.drive(), c.drive);
  EXPECT_EQ(d.ChkRandom.value(), c.random);
  EXPECT_EQ(d.minute.text(), c.minute);
  EXPECT_EQ(d.List1.count(), c.listed);
  EXPECT_EQ(s.main().cmdstart.enabled(), c.listed > 0);
  EXPECT_TRUE(s.main().visible());
  if (c.drive_not_ready_message) {
    // The drive list's own report of the drive it was asked to move to; then the fall-back.
    ASSERT_EQ(s.sys.messages.size(), 1u);
    EXPECT_EQ(s.sys.messages[0].text, messages::kDriveNotReady);
    EXPECT_EQ(s.sys.messages[0].title, messages::kReadErrorTitle);
    EXPECT_FALSE(main_visible_at_message);
  } else {
    EXPECT_TRUE(s.sys.messages.empty()) << s.sys.messages[0].text;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Files, SettingsRead,
    ::testing::Values(
        ReadCase{"no_file", std::nullopt, "C:\\", "c:", 0, "3", 0},
        ReadCase{"two_lines", "C:\\Pics\\\n\r\n1\n\r\n", "C:\\", "c:", 0, "3", 0},
        ReadCase{"empty_file", "", "C:\\", "c:", 0, "3", 0},
        ReadCase{"empty_first_line", "\r\n0\n\r\n5\r\n", "C:\\", "c:", 0, "3", 0},
        // An editor that saved the file with bare line feeds leaves one long line.
        ReadCase{"line_feeds_only", "C:\\Pics\\\n0\n5\n", "C:\\", "c:", 0, "3", 0},
        ReadCase{"random_abc_is_off", "C:\\Empty\\\n\r\nabc\n\r\n7\r\n", "C:\\Empty", "c:", 0, "7", 0},
        ReadCase{"random_1_with_its_line_feed", "C:\\Empty\\\n\r\n1\n\r\n7\r\n", "C:\\Empty", "c:", 1, "7", 0},
        ReadCase{"random_2_greyed", "C:\\Empty\\\n\r\n2\n\r\n7\r\n", "C:\\Empty", "c:", 2, "7", 0},
        ReadCase{"random_3_refused", "C:\\Pics\\\n\r\n3\n\r\n7\r\n", "C:\\", "c:", 0, "3", 0},
        ReadCase{"random_beyond_16_bits", "C:\\Pics\\\n\r\n99999\n\r\n7\r\n", "C:\\", "c:", 0, "3", 0},
        ReadCase{"interval_abc_kept", "C:\\Empty\\\n\r\n0\n\r\nabc\r\n", "C:\\Empty", "c:", 0, "abc", 0},
        ReadCase{"interval_empty_kept", "C:\\Empty\\\n\r\n0\n\r\n\r\n", "C:\\Empty", "c:", 0, "", 0},
        ReadCase{"interval_at_end_of_file", "C:\\Empty\\\n\r\n0\n\r\n12", "C:\\Empty", "c:", 0, "12", 0},
        ReadCase{"lines_ended_by_cr_alone", "C:\\Empty\\\n\r0\n\r8", "C:\\Empty", "c:", 0, "8", 0},
        ReadCase{"restored_with_pictures", "C:\\Pics\\\n\r\n0\n\r\n5\r\n", "C:\\Pics", "c:", 0, "5", 2},
        // The drive list moves to D: (to its current folder D:\Other), then the folder list
        // to the remembered folder.
        ReadCase{"folder_on_another_drive", "D:\\Photos\\\n\r\n0\n\r\n5\r\n", "D:\\Photos", "d: [DATA]", 0, "5", 1},
        ReadCase{"folder_gone", "C:\\Gone\\\n\r\n0\n\r\n5\r\n", "C:\\", "c:", 0, "3", 0},
        ReadCase{"drive_not_ready", "E:\\Pics\\\n\r\n0\n\r\n5\r\n", "C:\\", "c:", 0, "3", 0, true},
        ReadCase{"drive_not_offered", "Q:\\Pics\\\n\r\n0\n\r\n5\r\n", "C:\\", "c:", 0, "3", 0},
        ReadCase{"not_a_drive_path", "\\\\server\\share\\\n\r\n0\n\r\n5\r\n", "C:\\", "c:", 0, "3", 0}),
    [](const auto& test_case) { return std::string(test_case.param.what); });

TEST(SettingsFile, AShortFileIsLetGoSoThatTheCloseCanReplaceIt) {
  UserSession s;
  s.write_settings("C:\\Pics\\\n\r\n1\n\r\n");
  s.start_to_main();
  s.close_main();
  EXPECT_EQ(hex(*s.settings_bytes()), hex("C:\\\n\r\n0\n\r\n3\r\n"));
}

TEST(SettingsFile, AFolderNameInJapaneseIsReadInCodePage932) {
  UserSession s;
  s.put_picture("C:\\写真\\夏.bmp", 0xFF8800);
  s.write_settings("C:\\\x8E\xCA\x90\x5E\\\n\r\n0\n\r\n5\r\n");  // C:\写真\ in CP932
  s.start_to_main();
  EXPECT_EQ(s.dialog().Dir1.path(), "C:\\写真");
  ASSERT_EQ(s.dialog().List1.count(), 1);
  EXPECT_EQ(s.dialog().List1.entry(0), "夏.bmp");
  EXPECT_EQ(s.state().PlayList[0], "C:\\写真\\夏.bmp");
}

// A hand-written first line without the LF before its line end: the last character dropped
// is then the folder's "\", and the paths still get exactly one "\" before the name.
TEST(SettingsFile, AHandWrittenFolderLineWithoutItsLineFeedStillGivesPathsThatLoad) {
  UserSession s;
  s.put_picture("C:\\Pics\\a.bmp", 0xFF0000);
  s.put_picture("C:\\Pics\\b.bmp", 0x00FF00);
  s.write_settings("C:\\Pics\\\r\n0\n\r\n5\r\n");
  s.start_to_main();
  EXPECT_EQ(s.dialog().Dir1.path(), "C:\\Pics");
  EXPECT_EQ(s.dialog().List1.entries(), (std::vector<std::string>{"a.bmp", "b.bmp"}));
  EXPECT_EQ(s.state().FileList[0], "C:\\Pics\\a.bmp");
  EXPECT_EQ(s.state().FileList[1], "C:\\Pics\\b.bmp");
  EXPECT_EQ(s.state().PlayList[0], "C:\\Pics\\a.bmp");
  s.main().cmdstart.click();
  const auto& shown = s.screen().Picture1.picture();
  ASSERT_GT(shown.width, 0) << "the first picture loads";
  EXPECT_EQ(shown.pixel(0, 0), 0xFF0000u);
}

// A hand-written first line without its LF loses its last character, not its last byte: a
// Japanese character goes whole, whether it takes one byte in the file or two.
struct CutCase {
  const char* what;
  std::string line;     // line 1 in CP932, CR LF follows
  const char* folder;   // Dir1 after the start
  const char* path;     // FileList entry 0
};
void PrintTo(const CutCase& c, std::ostream* os) { *os << c.what; }

class HandWrittenLineCut : public ::testing::TestWithParam<CutCase> {};

TEST_P(HandWrittenLineCut, DropsTheWholeLastCharacter) {
  const CutCase& c = GetParam();
  UserSession s;
  s.put_picture("C:\\写\\a.bmp", 0xFF0000);
  s.put_picture("C:\\ｱ\\b.bmp", 0x00FF00);
  s.write_settings(c.line + "\r\n0\n\r\n5\r\n");
  s.start_to_main();
  EXPECT_EQ(s.dialog().Dir1.path(), c.folder);
  ASSERT_EQ(s.dialog().List1.count(), 1);
  EXPECT_EQ(s.state().FileList[0], c.path);
  EXPECT_TRUE(s.sys.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Lines, HandWrittenLineCut,
    ::testing::Values(
        CutCase{"two_byte_kanji", "C:\\\x8E\xCA\x90\x5E", "C:\\写", "C:\\写\\a.bmp"},
        CutCase{"one_byte_katakana", "C:\\\xB1\xB2", "C:\\ｱ", "C:\\ｱ\\b.bmp"}),
    [](const auto& test_case) { return std::string(test_case.param.what); });

// "C:\" without its LF leaves only "C:", which the folder list reads as the drive's current
// folder: the paths name the files of the folder that is listed.
TEST(SettingsFile, AHandWrittenDriveRootWithoutItsLineFeedUsesTheListedFolder) {
  UserSession s;
  s.put_picture("C:\\Pics\\a.bmp", 0xFF0000);
  s.sys.set_drive_current_folder('C', "C:\\Pics");
  s.write_settings("C:\\\r\n0\n\r\n5\r\n");
  s.start_to_main();
  EXPECT_EQ(s.dialog().Dir1.path(), "C:\\Pics");
  ASSERT_EQ(s.dialog().List1.count(), 1);
  EXPECT_EQ(s.state().PlayList[0], "C:\\Pics\\a.bmp");
}

TEST(SettingsFile, WithoutADriveCTheFallBackUsesTheSystemsOwnDrive) {
  UserSession s;
  s.add_drive('D');
  s.make_folder("D:\\Torvane");
  s.make_folder("D:\\Work");
  s.sys.set_program_folder("D:\\Torvane");
  s.sys.set_current_folder("D:\\Work");
  s.sys.set_drive_current_folder('D', "D:\\Work");
  s.sys.unmap_drive('C');
  s.sys.system_drive_letter = 'D';

  s.start_to_main();
  EXPECT_EQ(s.dialog().Drive1.drive(), "d:");
  EXPECT_EQ(s.dialog().Dir1.path(), "D:\\");
  EXPECT_EQ(s.dialog().minute.text(), "3");
  EXPECT_TRUE(s.sys.messages.empty());
  EXPECT_TRUE(s.main().visible());

  s.close_main();
  EXPECT_EQ(s.file_bytes("D:\\Torvane\\TorVan.ini"), "D:\\\n\r\n0\n\r\n3\r\n");
}

}  // namespace
}  // namespace torvane
