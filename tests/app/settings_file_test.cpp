// TorVan.ini beside the program: the bytes the close writes, what the next start makes of
// them, and every way the file can be missing, short, hand-edited or unwritable.

#include <optional>
#include <string>

#include "support/program_fixture.h"

namespace torvane::test {
namespace {

// ---- What the close writes ---------------------------------------------------------------

struct WriteCase {
  const char* what;
  const char* program_folder;
  const char* folder;   // chosen in the dialog
  bool random;
  const char* minute;   // typed, then 設定 pressed
  std::string bytes;    // TorVan.ini afterwards
  const char* settings_file;  // where it lands
  const char* drive;    // the drive list after the next start
  const char* picture;  // the folder's one picture, as the next start plays it
};

class SettingsWritten : public ProgramFixture, public ::testing::WithParamInterface<WriteCase> {};

TEST_P(SettingsWritten, ByteForByteAndBackAgain) {
  const WriteCase& c = GetParam();
  make_folder(c.program_folder);
  sys.set_program_folder(c.program_folder);
  make_bitmaps(c.folder, {"a.bmp"});
  open_dialog();
  go_to_folder(c.folder);
  add_all();
  if (c.random) click_random();
  type_interval(c.minute);
  commit();
  ASSERT_TRUE(main_window().visible()) << "the interval was accepted";
  close();
  const auto bytes = file_bytes(c.settings_file);
  ASSERT_TRUE(bytes.has_value()) << c.settings_file;
  EXPECT_EQ(hex(*bytes), hex(c.bytes));

  // The next start puts everything back and lists the folder's picture again.
  restart();
  EXPECT_TRUE(messages().empty());
  EXPECT_EQ(dialog().Dir1.path(), c.folder);
  EXPECT_EQ(dialog().Drive1.drive(), c.drive);
  EXPECT_EQ(dialog().ChkRandom.value(), c.random ? 1 : 0);
  EXPECT_EQ(dialog().minute.text(), c.minute);
  EXPECT_EQ(play_list(), (Names{c.picture, ""}));
}

INSTANTIATE_TEST_SUITE_P(
    Files, SettingsWritten,
    ::testing::Values(
        WriteCase{"Pics_random_5", "C:\\Torvane", "C:\\Pics", true, "5",
                  "\x43\x3A\x5C\x50\x69\x63\x73\x5C\x0A\x0D\x0A\x31\x0A\x0D\x0A\x35\x0D\x0A",
                  "C:\\Torvane\\TorVan.ini", "c:", "C:\\Pics\\a.bmp"},
        // A drive root already ends in "\": no second one.
        WriteCase{"D_root", "C:\\Torvane", "D:\\", false, "3",
                  "\x44\x3A\x5C\x0A\x0D\x0A\x30\x0A\x0D\x0A\x33\x0D\x0A", "C:\\Torvane\\TorVan.ini",
                  "d: [DATA]", "D:\\a.bmp"},
        // Japanese goes out in code page 932. 表 ends in 0x5C, the byte of "\": the
        // separator is still added, since the folder's last character is 表.
        WriteCase{"Japanese_folder_cp932", "C:\\Torvane", "C:\\図表", false, "10",
                  "\x43\x3A\x5C\x90\x7D\x95\x5C\x5C\x0A\x0D\x0A\x30\x0A\x0D\x0A\x31\x30\x0D\x0A",
                  "C:\\Torvane\\TorVan.ini", "c:", "C:\\図表\\a.bmp"},
        WriteCase{"interval_as_typed", "C:\\Torvane", "C:\\Pics", false, "5分",
                  "C:\\Pics\\\n\r\n0\n\r\n5\x95\xAA\r\n", "C:\\Torvane\\TorVan.ini", "c:",
                  "C:\\Pics\\a.bmp"},
        // A program kept in a drive root: "C:\" + "\TorVan.ini" is still C:\TorVan.ini.
        WriteCase{"program_in_root", "C:\\", "C:\\Pics", false, "60",
                  "C:\\Pics\\\n\r\n0\n\r\n60\r\n", "C:\\TorVan.ini", "c:",
                  "C:\\Pics\\a.bmp"}),
    [](const auto& test_case) { return std::string(test_case.param.what); });

class SettingsFile : public ProgramFixture {};

TEST_F(SettingsFile, AnEmptyIntervalIsWrittenAsABareLineEndAndComesBackEmpty) {
  make_bitmaps("C:\\Pics", {"a.bmp"});
  open_dialog();
  go_to_folder("C:\\Pics");
  add_all();
  type_interval("");
  commit();  // refused; the field stays empty and the system shuts down with the dialog open
  close();
  EXPECT_EQ(hex(*settings_file()), hex("C:\\Pics\\\n\r\n0\n\r\n\r\n"));
  restart();
  EXPECT_EQ(dialog().minute.text(), "");
}

TEST_F(SettingsFile, TheCloseWritesTheDialogAsItStandsEvenUncommitted) {
  make_bitmaps("C:\\Pics", {"a.bmp"});
  make_folder("C:\\Other");
  write_settings(settings_bytes("C:\\Pics\\", "0", "5"));
  open_dialog();
  go_to_folder("C:\\Other");
  click_random();
  type_interval("abc");
  close();
  EXPECT_EQ(hex(*settings_file()), hex(settings_bytes("C:\\Other\\", "1", "abc")));
}

// A greyed check box (2) can only come from the file: it counts as on, Cancel puts it back
// and the close writes it back as it was.
TEST_F(SettingsFile, RandomTwoCountsAsOnAndSurvivesCancelAndTheClose) {
  make_bitmaps("C:\\Pics", {"a.bmp", "b.bmp", "c.bmp"});
  write_settings(settings_bytes("C:\\Pics\\", "2", "5"));
  sys.script_fractions({0.9f, 0.0f, 0.5f});
  start();
  EXPECT_EQ(play_list(), (Names{"C:\\Pics\\c.bmp", "C:\\Pics\\a.bmp", "C:\\Pics\\b.bmp", ""}));
  EXPECT_EQ(dialog().ChkRandom.value(), 2);
  open_dialog();
  click_random();
  ASSERT_NE(dialog().ChkRandom.value(), 2);
  cancel();
  EXPECT_EQ(dialog().ChkRandom.value(), 2);
  close();
  EXPECT_EQ(hex(*settings_file()), hex(settings_bytes("C:\\Pics\\", "2", "5")));
}

TEST_F(SettingsFile, AFailedWriteKeepsTheOldFileSaysSoOnceAndStillEnds) {
  make_bitmaps("C:\\Pics", {"a.bmp"});
  const std::string old = settings_bytes("C:\\Pics\\", "0", "5");
  write_settings(old);
  open_dialog();
  type_interval("9");
  commit();
  sys.fail_writes = true;  // a read-only program folder, a full disk
  close();
  EXPECT_EQ(settings_file(), old);
  EXPECT_EQ(messages(), std::vector<Message>{kSettingsNotSaved});
  EXPECT_TRUE(sys.quit_requested);
}

// However far the read got before the file turned out unusable, the file is let go: the
// close replaces it with the fall-back's settings.
TEST_F(SettingsFile, AnUnusableFileIsLetGoSoThatTheCloseCanReplaceIt) {
  make_folder("C:\\Pics");
  for (const char* file : {"C:\\Pics\\\n\r\n1\n\r\n", "", "\r\n0\n\r\n5\r\n",
                           "C:\\Pics\\\n\r\n3\n\r\n5\r\n", "C:\\Gone\\\n\r\n0\n\r\n5\r\n"}) {
    SCOPED_TRACE(hex(file));
    write_settings(file);
    start();
    EXPECT_FALSE(sys.holds_open(settings_path()));
    close();
    EXPECT_EQ(hex(*settings_file()), hex("C:\\\n\r\n0\n\r\n3\r\n"));
    EXPECT_TRUE(messages().empty());
  }
}

TEST_F(SettingsFile, WithoutADriveCTheFallBackUsesTheSystemsOwnDrive) {
  make_folder("D:\\Torvane");
  make_folder("D:\\Work");
  sys.set_program_folder("D:\\Torvane");
  sys.set_current_folder("D:\\Work");
  sys.set_drive_current_folder('D', "D:\\Work");
  sys.unmap_drive('C');
  sys.system_drive_letter = 'D';
  start();
  EXPECT_EQ(dialog().Drive1.drive(), "d: [DATA]");
  EXPECT_EQ(dialog().Dir1.path(), "D:\\");
  EXPECT_EQ(dialog().minute.text(), "3");
  EXPECT_TRUE(messages().empty());
  close();
  EXPECT_EQ(file_bytes("D:\\Torvane\\TorVan.ini"), settings_bytes("D:\\", "0", "3"));
}

// ---- What the start makes of a file -----------------------------------------------------

struct ReadCase {
  const char* what;
  std::optional<std::string> file;  // nullopt: no settings file
  const char* folder;               // Dir1 and File1 after the start
  const char* drive;                // Drive1 after the start
  int random;
  const char* minute;
  int listed;                       // entries of List1
  std::vector<Message> messages = {};
};

class SettingsRead : public ProgramFixture, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(SettingsRead, RestoresTheDialogOrFallsBack) {
  const ReadCase& c = GetParam();
  make_bitmaps("C:\\Pics", {"a.bmp", "b.bmp"});
  write_file("C:\\Empty\\notes.txt", "no pictures here");
  make_bitmaps("D:\\Photos", {"c.bmp"});
  make_folder("D:\\Other");
  sys.set_drive_current_folder('D', "D:\\Other");
  add_drive('E');
  sys.set_drive_ready('E', false);  // a card reader without its card
  if (c.file) write_settings(*c.file);
  bool main_visible_at_message = false;
  sys.on_message = [&](const Message&) { main_visible_at_message = main_window().visible(); };

  start();
  EXPECT_EQ(dialog().Dir1.path(), c.folder);
  EXPECT_EQ(dialog().File1.path(), c.folder);
  EXPECT_EQ(dialog().Drive1.drive(), c.drive);
  EXPECT_EQ(dialog().ChkRandom.value(), c.random);
  EXPECT_EQ(dialog().minute.text(), c.minute);
  EXPECT_EQ(dialog().List1.count(), c.listed);
  EXPECT_EQ(main_window().cmdstart.enabled(), c.listed > 0);
  EXPECT_TRUE(main_window().visible());
  EXPECT_EQ(messages(), c.messages);
  EXPECT_FALSE(main_visible_at_message);
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
        ReadCase{"random_1_5_rounds_to_2", "C:\\Empty\\\n\r\n1.5\n\r\n7\r\n", "C:\\Empty", "c:", 2, "7", 0},
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
        // The drive list's own report of the drive it was asked to move to; then the fall-back.
        ReadCase{"drive_not_ready", "E:\\Pics\\\n\r\n0\n\r\n5\r\n", "C:\\", "c:", 0, "3", 0, {kDriveNotReady}},
        ReadCase{"drive_not_offered", "Q:\\Pics\\\n\r\n0\n\r\n5\r\n", "C:\\", "c:", 0, "3", 0},
        ReadCase{"not_a_drive_path", "\\\\server\\share\\\n\r\n0\n\r\n5\r\n", "C:\\", "c:", 0, "3", 0}),
    [](const auto& test_case) { return std::string(test_case.param.what); });

// The folder line is read in code page 932 and loses its last character, the LF the writer
// put there; in a hand-written line without it, the whole last character goes, however many
// bytes it takes, and the paths still get exactly one "\" before the name.
TEST_F(SettingsFile, FolderLinesAsWrittenAndAsHandWritten) {
  make_bitmaps("C:\\写真", {"夏.bmp"});
  make_bitmaps("C:\\写", {"k.bmp"});
  make_bitmaps("C:\\ｱ", {"h.bmp"});
  make_bitmaps("C:\\Pics", {"a.bmp"});
  sys.set_drive_current_folder('C', "C:\\Pics");
  const struct {
    std::string line;  // line 1 before its CR LF, in code page 932
    const char* folder;
    const char* first_path;
  } rows[] = {
      {"C:\\\x8E\xCA\x90\x5E\\\n", "C:\\写真", "C:\\写真\\夏.bmp"},
      {"C:\\Pics\\", "C:\\Pics", "C:\\Pics\\a.bmp"},
      {"C:\\\x8E\xCA\x90\x5E", "C:\\写", "C:\\写\\k.bmp"},  // a two-byte kanji
      {"C:\\\xB1\xB2", "C:\\ｱ", "C:\\ｱ\\h.bmp"},           // one-byte katakana
      // "C:" alone is the drive's current folder: the paths name the files listed there.
      {"C:\\", "C:\\Pics", "C:\\Pics\\a.bmp"},
  };
  for (const auto& row : rows) {
    if (&row != &rows[0]) close();
    write_settings(row.line + "\r\n0\n\r\n5\r\n");
    restart();
    EXPECT_EQ(dialog().Dir1.path(), row.folder);
    EXPECT_EQ(file_list(), Names{row.first_path});
    EXPECT_EQ(play_list(), (Names{row.first_path, ""}));
    start_show();
    EXPECT_EQ(shown(), std::string(row.first_path).substr(std::string(row.folder).size() + 1));
    EXPECT_TRUE(messages().empty());
  }
}

}  // namespace
}  // namespace torvane::test
