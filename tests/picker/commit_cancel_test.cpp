// Leaving the dialog: 設定 checks the interval and builds the play order; キャンセル puts the
// dialog back as the main window's 設定 button found it.

#include <functional>

#include "common/message_box.h"
#include "picker/play_order.h"
#include "support/program_fixture.h"

namespace torvane::test {
namespace {

const Message kIntervalInvalid{std::string(messages::kIntervalInvalid),
                               std::string(messages::kCautionTitle)};
const Message kDriveNotReady{std::string(messages::kDriveNotReady),
                             std::string(messages::kReadErrorTitle)};
const Message kSavedFolderGone{std::string(picker::kSavedFolderGone),
                               std::string(messages::kCautionTitle)};

const Names kPics{"p0.bmp", "p1.bmp", "p2.bmp"};
const Names kPicPaths{"C:\\Pics\\p0.bmp", "C:\\Pics\\p1.bmp", "C:\\Pics\\p2.bmp"};

class Leaving : public ProgramFixture {
 protected:
  // The dialog open on C:\Pics, its three files in the list, interval "3".
  void three_entries() {
    make_bitmaps("C:\\Pics", kPics);
    open_dialog();
    go_to_folder("C:\\Pics");
    dialog().cmdAddAll.click();
    ASSERT_EQ(list_entries(), kPics);
  }
  // TorVan.ini as the program writes it: folder with "\", random option, interval.
  void write_settings(std::string_view folder, std::string_view minute) {
    write_file(std::string(sys.program_folder()) + "\\TorVan.ini",
               std::string(folder) + "\n\r\n0\n\r\n" + std::string(minute) + "\r\n");
  }
  bool main_visible() { return main_window().visible(); }
};

// ---- The interval check ---------------------------------------------------------------

class AcceptedInterval : public Leaving, public ::testing::WithParamInterface<const char*> {};

TEST_P(AcceptedInterval, CommitsTheListInOrderAndReturnsToTheMainWindow) {
  three_entries();
  type_interval(GetParam());
  ASSERT_TRUE(dialog().CmdOK.enabled());
  dialog().CmdOK.click();

  EXPECT_TRUE(messages().empty());
  Names expected = kPicPaths;
  expected.push_back("");
  EXPECT_EQ(play_list(), expected);
  EXPECT_EQ(state().ShuffleList, Names(4, ""));
  EXPECT_TRUE(main_visible());
  EXPECT_FALSE(dialog().visible());
  // The text stays as typed; nothing else in the dialog moves.
  EXPECT_EQ(dialog().minute.text(), GetParam());
  EXPECT_EQ(list_entries(), kPics);
  EXPECT_TRUE(dialog().CmdOK.enabled());
  EXPECT_TRUE(main_window().cmdstart.enabled());
}

INSTANTIATE_TEST_SUITE_P(Texts, AcceptedInterval,
                         ::testing::Values("1", "60", "30", " 7", "5分", "1.5", "1e1", "&H3C",
                                           "6 0"));

class RejectedInterval : public Leaving, public ::testing::WithParamInterface<const char*> {};

TEST_P(RejectedInterval, EmptiesTheFieldAndKeepsTheDialogOpen) {
  three_entries();
  const Names play_before = play_list();
  type_interval(GetParam());
  ASSERT_TRUE(dialog().CmdOK.enabled());
  DialogLook at_message;
  sys.on_message = [&](const Message&) { at_message = dialog_look(); };

  dialog().CmdOK.click();

  EXPECT_EQ(messages(), std::vector<Message>{kIntervalInvalid});
  // The field is emptied and 設定 is off before the box comes up.
  EXPECT_EQ(at_message.minute, "");
  EXPECT_FALSE(at_message.ok);
  EXPECT_EQ(dialog().minute.text(), "");
  EXPECT_FALSE(dialog().CmdOK.enabled());
  EXPECT_TRUE(dialog().visible());
  EXPECT_FALSE(main_visible());
  EXPECT_EQ(play_list(), play_before);
  EXPECT_EQ(list_entries(), kPics);
  // Typing again is what brings 設定 back.
  type_interval("5");
  EXPECT_TRUE(dialog().CmdOK.enabled());
}

INSTANTIATE_TEST_SUITE_P(Texts, RejectedInterval,
                         ::testing::Values("", "   ", "0", "61", "60.5", "0.5", "-3", "abc", "５",
                                           "1e400", "&H", "0.99999"));

TEST_F(Leaving, AnEmptyListWithAValidIntervalCommitsJustTheEndMarker) {
  three_entries();
  dialog().List1.click(0);
  dialog().List1.shift_click(2);
  dialog().CmdDelfromlist.click();
  ASSERT_TRUE(dialog().CmdOK.enabled());
  dialog().CmdOK.click();
  EXPECT_EQ(play_list(), Names{""});
  EXPECT_TRUE(main_visible());
  EXPECT_FALSE(dialog().visible());
  EXPECT_FALSE(main_window().cmdstart.enabled());
}

// ---- Cancel -----------------------------------------------------------------------------

TEST_F(Leaving, CancelAfterAdditionsPutsBackTheListOfTheLastOpening) {
  make_bitmaps("C:\\Pics", kPics);
  open_dialog();
  go_to_folder("C:\\Pics");
  select_files({"p0.bmp", "p1.bmp"});
  dialog().CmdAddtoList.click();
  dialog().CmdOK.click();
  const Names committed = play_list();

  open_dialog();
  select_files({"p2.bmp", "p0.bmp"});
  dialog().CmdAddtoList.click();
  ASSERT_EQ(dialog().List1.count(), 4);
  dialog().CmdCancel.click();

  EXPECT_EQ(list_entries(), (Names{"p0.bmp", "p1.bmp"}));
  EXPECT_EQ(file_list(), (Names{"C:\\Pics\\p0.bmp", "C:\\Pics\\p1.bmp"}));
  EXPECT_EQ(play_list(), committed);
  EXPECT_FALSE(dialog().visible());
  EXPECT_TRUE(main_visible());
  EXPECT_TRUE(main_window().cmdstart.enabled());
  EXPECT_TRUE(messages().empty());

  // Committing now plays exactly the restored entries.
  open_dialog();
  dialog().CmdOK.click();
  EXPECT_EQ(play_list(), (Names{"C:\\Pics\\p0.bmp", "C:\\Pics\\p1.bmp", ""}));
}

TEST_F(Leaving, OpeningAndCancellingChangesNothing) {
  three_entries();
  select_list_entries({1});
  dialog().CmdOK.click();
  open_dialog();
  DialogLook before = dialog_look();
  dialog().CmdCancel.click();
  DialogLook after = dialog_look();
  EXPECT_FALSE(after.visible);
  after.visible = true;
  // The lists are filled anew, so nothing is selected any more.
  before.list_selected.assign(before.list.size(), false);
  EXPECT_EQ(after, before);
}

TEST_F(Leaving, CancelAfterDeletingEverythingRestoresAllAndStart) {
  three_entries();
  dialog().CmdOK.click();
  open_dialog();
  dialog().List1.click(0);
  dialog().List1.shift_click(2);
  dialog().CmdDelfromlist.click();
  ASSERT_FALSE(main_window().cmdstart.enabled());
  dialog().CmdCancel.click();
  EXPECT_EQ(list_entries(), kPics);
  EXPECT_EQ(file_list(), kPicPaths);
  EXPECT_TRUE(main_window().cmdstart.enabled());
}

TEST_F(Leaving, CancelOfAdditionsToAnEmptyListSwitchesStartOff) {
  make_bitmaps("C:\\Pics", kPics);
  open_dialog();
  go_to_folder("C:\\Pics");
  dialog().cmdAddAll.click();
  ASSERT_TRUE(main_window().cmdstart.enabled());
  dialog().CmdCancel.click();
  EXPECT_TRUE(list_entries().empty());
  EXPECT_FALSE(main_window().cmdstart.enabled());
  // The folder too goes back to where the dialog was opened.
  EXPECT_EQ(dialog().Dir1.path(), "C:\\");
}

TEST_F(Leaving, EachOpeningTakesANewSnapshot) {
  make_bitmaps("C:\\Pics", kPics);
  make_bitmaps("D:\\Elsewhere", {"e.bmp"});
  open_dialog();
  go_to_folder("D:\\Elsewhere");
  dialog().cmdAddAll.click();
  type_interval("12");
  dialog().ChkRandom.click();
  dialog().CmdOK.click();

  open_dialog();
  go_to_folder("C:\\Pics");
  dialog().cmdAddAll.click();
  type_interval("20");
  dialog().ChkRandom.click();
  dialog().CmdCancel.click();

  EXPECT_EQ(list_entries(), Names{"e.bmp"});
  EXPECT_EQ(file_list(), Names{"D:\\Elsewhere\\e.bmp"});
  EXPECT_EQ(dialog().Dir1.path(), "D:\\Elsewhere");
  EXPECT_EQ(dialog().minute.text(), "12");
  EXPECT_EQ(dialog().ChkRandom.value(), 1);
}

// The interval of a settings file comes back into the snapshot as it stands, valid or not.
struct SavedIntervalRow {
  const char* name;
  const char* settings_minute;
  const char* folder;          // the folder line of the settings file
  const char* minute_at_open;  // what start-up left in the field
};
void PrintTo(const SavedIntervalRow& row, std::ostream* os) { *os << row.name; }

class CancelRestoresInterval : public Leaving,
                               public ::testing::WithParamInterface<SavedIntervalRow> {};

TEST_P(CancelRestoresInterval, ExactlyAsItWas) {
  const SavedIntervalRow& row = GetParam();
  make_bitmaps("C:\\Pics", kPics);
  make_folder("C:\\Empty");
  write_settings(row.folder, row.settings_minute);
  start();
  sys.messages.clear();  // start-up's own warning about the interval, if any
  const Names play_before = play_list();
  open_dialog();
  ASSERT_EQ(dialog().minute.text(), row.minute_at_open);
  const bool has_entries = dialog().List1.count() != 0;
  type_interval("12");
  dialog().CmdOK.set_enabled(false);

  dialog().CmdCancel.click();

  EXPECT_EQ(dialog().minute.text(), row.minute_at_open);
  EXPECT_EQ(play_list(), play_before);
  // Setting the text back ran its change reaction.
  EXPECT_EQ(dialog().CmdOK.enabled(), has_entries);
  EXPECT_TRUE(messages().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CancelRestoresInterval,
    ::testing::Values(SavedIntervalRow{"NotANumber", "abc", "C:\\Empty\\", "abc"},
                      SavedIntervalRow{"Empty", "", "C:\\Empty\\", ""},
                      SavedIntervalRow{"TooLarge", "99", "C:\\Empty\\", "99"},
                      // Start-up's commit refused "0" and emptied the field.
                      SavedIntervalRow{"RefusedAtStartUp", "0", "C:\\Pics\\", ""}),
    [](const auto& row_info) { return std::string(row_info.param.name); });

TEST_F(Leaving, CancelSetsTheDriveBeforeTheFolder) {
  make_bitmaps("D:\\Pics", {"d1.bmp", "d2.bmp"});
  make_bitmaps("D:\\Other", {"o.bmp"});
  make_bitmaps("C:\\Stuff", {"s.bmp"});
  // The system's own idea of D:'s folder differs from the one the dialog was left on.
  sys.set_drive_current_folder('D', "D:\\Other");
  open_dialog();
  go_to_folder("D:\\Pics");
  dialog().cmdAddAll.click();
  dialog().CmdOK.click();

  open_dialog();
  go_to_folder("C:\\Stuff");
  dialog().File1.click(0);
  dialog().CmdCancel.click();

  EXPECT_EQ(dialog().Drive1.drive(), "d: [DATA]");
  EXPECT_EQ(dialog().Dir1.path(), "D:\\Pics");
  EXPECT_EQ(dialog().File1.path(), "D:\\Pics");
  EXPECT_EQ(file_entries(), (Names{"d1.bmp", "d2.bmp"}));
  EXPECT_TRUE(dialog().cmdAddAll.enabled());
  EXPECT_FALSE(dialog().CmdAddtoList.enabled());
  EXPECT_FALSE(dialog().CmdDelfromlist.enabled());
  EXPECT_TRUE(messages().empty());
}

// ---- Cancel when the saved place cannot be shown any more -------------------------------
// The drive step and the folder step each run and are judged on their own: a drive that is
// not ready tells so itself; the box comes only when the lists could not be put back.

class CancelWithSavedPlaceGone;

struct GoneRow {
  const char* name;
  const char* saved_folder;
  const char* saved_drive;  // chosen after the folder, or nullptr for the folder's own
  const char* lists_on;     // where the user left the lists before Cancel
  std::function<void(CancelWithSavedPlaceGone&)> take_away;
  std::vector<Message> messages;
  const char* drive_after;
  const char* folder_after;
};
void PrintTo(const GoneRow& row, std::ostream* os) { *os << row.name; }

class CancelWithSavedPlaceGone : public Leaving, public ::testing::WithParamInterface<GoneRow> {
 public:
  using ProgramFixture::dialog;
  using ProgramFixture::remove;
  using ProgramFixture::sys;
};

TEST_P(CancelWithSavedPlaceGone, EachStepIsJudgedOnItsOwnAndTheRestIsRestored) {
  const GoneRow& row = GetParam();
  sys.map_drive('E', scratch_root() / "E");
  sys.set_drive_ready('E', false);  // a card reader without its card
  make_bitmaps(row.saved_folder, kPics);
  make_bitmaps("C:\\Other", {"p0.bmp"});
  make_bitmaps("D:\\Other", {"p0.bmp"});
  open_dialog();
  go_to_folder(row.saved_folder);
  select_files({"p1.bmp"});
  dialog().CmdAddtoList.click();
  if (row.saved_drive) choose_drive(row.saved_drive);
  type_interval("7");
  dialog().CmdOK.click();
  const Names committed = play_list();

  open_dialog();
  go_to_folder(row.lists_on);
  select_files({"p0.bmp"});
  dialog().CmdAddtoList.click();
  type_interval("45");
  dialog().ChkRandom.click();
  if (row.take_away) row.take_away(*this);
  sys.messages.clear();

  dialog().CmdCancel.click();

  EXPECT_EQ(messages(), row.messages);
  EXPECT_EQ(dialog().Drive1.drive(), row.drive_after);
  EXPECT_EQ(dialog().Dir1.path(), row.folder_after);
  EXPECT_EQ(dialog().File1.path(), row.folder_after);
  // The rest of Cancel went on.
  EXPECT_EQ(list_entries(), Names{"p1.bmp"});
  EXPECT_EQ(file_list(), Names{ui::join_path(row.saved_folder, "p1.bmp")});
  EXPECT_EQ(dialog().minute.text(), "7");
  EXPECT_EQ(dialog().ChkRandom.value(), 0);
  EXPECT_TRUE(main_window().cmdstart.enabled());
  EXPECT_FALSE(dialog().visible());
  EXPECT_TRUE(main_visible());
  EXPECT_EQ(play_list(), committed);
}

void unmap_d(CancelWithSavedPlaceGone& fx) { fx.sys.unmap_drive('D'); }

INSTANTIATE_TEST_SUITE_P(
    Rows, CancelWithSavedPlaceGone,
    ::testing::Values(
        GoneRow{"BothWork", "D:\\Pics", nullptr, "C:\\Other", nullptr, {}, "d: [DATA]",
                "D:\\Pics"},
        // The saved drive was left on one that is not ready: the change of drive says so,
        // and the folder, on another drive, comes back all the same.
        GoneRow{"DriveNotReadyFolderWorks", "D:\\Pics", "E:", "D:\\Other", nullptr,
                {kDriveNotReady}, "e:", "D:\\Pics"},
        // That drive is not even offered any more; the folder alone puts the lists back.
        GoneRow{"DriveGoneFolderWorks", "D:\\Pics", "E:", "D:\\Other",
                [](CancelWithSavedPlaceGone& fx) {
                  fx.sys.unmap_drive('E');
                  fx.dialog().Drive1.refresh();
                },
                {}, "d: [DATA]", "D:\\Pics"},
        // The drive is there, so the lists move to its current folder before the saved
        // folder turns out to be gone.
        GoneRow{"DriveWorksFolderRemoved", "D:\\Pics", nullptr, "C:\\Other",
                [](CancelWithSavedPlaceGone& fx) { fx.remove("D:\\Pics"); },
                {kSavedFolderGone}, "d: [DATA]", "D:\\"},
        GoneRow{"SameDriveFolderRemoved", "C:\\Pics", nullptr, "C:\\Other",
                [](CancelWithSavedPlaceGone& fx) { fx.remove("C:\\Pics"); },
                {kSavedFolderGone}, "c:", "C:\\Other"},
        // Still shown when it went: the lists keep showing it.
        GoneRow{"FolderRemovedWhileShown", "C:\\Pics", nullptr, "C:\\Pics",
                [](CancelWithSavedPlaceGone& fx) { fx.remove("C:\\Pics"); },
                {kSavedFolderGone}, "c:", "C:\\Pics"},
        // The folder lies on the drive that failed, so both steps fail, each told once.
        GoneRow{"BothFailDriveNotReady", "D:\\Pics", nullptr, "C:\\Other",
                [](CancelWithSavedPlaceGone& fx) { fx.sys.set_drive_ready('D', false); },
                {kDriveNotReady, kSavedFolderGone}, "d: [DATA]", "C:\\Other"},
        // Still offered by a list read before it went: choosing it fails like a drive that
        // is not ready.
        GoneRow{"BothFailDriveGoneStillOffered", "D:\\Pics", nullptr, "C:\\Other", unmap_d,
                {kDriveNotReady, kSavedFolderGone}, "d: [DATA]", "C:\\Other"},
        // The drive list, opened since, no longer offers the drive: no word of its own.
        GoneRow{"BothFailDriveGone", "D:\\Pics", nullptr, "C:\\Other",
                [](CancelWithSavedPlaceGone& fx) {
                  unmap_d(fx);
                  fx.dialog().Drive1.refresh();
                },
                {kSavedFolderGone}, "c:", "C:\\Other"}),
    [](const auto& row_info) { return std::string(row_info.param.name); });

}  // namespace
}  // namespace torvane::test
