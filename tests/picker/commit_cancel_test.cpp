// Leaving the dialog: 設定 checks the interval and builds the play order; キャンセル puts the
// dialog back as the main window's 設定 button found it.

#include <functional>

#include "support/program_fixture.h"

namespace torvane::test {
namespace {

const Names kPics{"p0.bmp", "p1.bmp", "p2.bmp"};
const Names kPicPaths{"C:\\Pics\\p0.bmp", "C:\\Pics\\p1.bmp", "C:\\Pics\\p2.bmp"};

class Leaving : public ProgramFixture {
 public:
  // The dialog open on C:\Pics, its three files in the list.
  void three_entries() {
    make_bitmaps("C:\\Pics", kPics);
    open_dialog();
    go_to_folder("C:\\Pics");
    add_all();
    ASSERT_EQ(list_entries(), kPics);
  }
};

// ---- The interval check ---------------------------------------------------------------

TEST_F(Leaving, AnAcceptedIntervalCommitsTheListInOrderAndReturnsToTheMainWindow) {
  three_entries();
  for (const char* text : {"1", "60", "30", " 7", "5分", "1.5", "1e1", "&H3C", "6 0", "1.0",
                           "60.0", "6e1", "&O74", "1５"}) {
    SCOPED_TRACE(text);
    open_dialog();
    type_interval(text);
    select_list_entries({0});
    dialog().File1.click(0);
    DialogLook expected = dialog_look();
    ASSERT_TRUE(expected.ok && expected.add && expected.add_all && expected.del);
    commit();
    expected.visible = false;
    EXPECT_EQ(dialog_look(), expected) << "the text stays as typed; no button changes";
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(play_list(), (Names{kPicPaths[0], kPicPaths[1], kPicPaths[2], ""}));
    EXPECT_TRUE(main_window().visible());
    EXPECT_FALSE(dialog().visible());
    EXPECT_TRUE(main_window().cmdstart.enabled());
  }
}

TEST_F(Leaving, ARejectedIntervalEmptiesTheFieldAndKeepsTheDialogOpen) {
  three_entries();
  const std::string beyond_double = "&H" + std::string(300, 'F');
  for (const std::string text : {"", "   ", "0", "61", "60.5", "0.5", "-3", "abc", "５", "1e400",
                                 "-1e400", "1e-400", "&H", "0.99999", beyond_double.c_str(),
                                 "0.99999999", "60.0000001", "6.00000001e1", "&H3D"}) {
    SCOPED_TRACE(text);
    sys.messages.clear();
    const Names play_before = play_list();
    type_interval(text);
    dialog().CmdOK.set_enabled(true);
    DialogLook at_message;
    sys.on_message = [&](const Message&) { at_message = dialog_look(); };
    commit();
    sys.on_message = nullptr;
    EXPECT_EQ(messages(), std::vector<Message>{kIntervalInvalid});
    // The field is emptied and 設定 is off before the box comes up.
    EXPECT_EQ(at_message.minute, "");
    EXPECT_FALSE(at_message.ok);
    EXPECT_EQ(dialog().minute.text(), "");
    EXPECT_FALSE(dialog().CmdOK.enabled());
    EXPECT_TRUE(dialog().visible());
    EXPECT_FALSE(main_window().visible());
    EXPECT_EQ(play_list(), play_before);
    EXPECT_EQ(list_entries(), kPics);
  }
  // Typing again is what brings 設定 back.
  type_interval("5");
  EXPECT_TRUE(dialog().CmdOK.enabled());
}

TEST_F(Leaving, AnEmptyListWithAValidIntervalCommitsJustTheEndMarker) {
  three_entries();
  select_list_entries({0, 1, 2});
  delete_selected();
  ASSERT_FALSE(main_window().cmdstart.enabled());
  commit();
  EXPECT_EQ(play_list(), Names{""});
  EXPECT_TRUE(main_window().visible());
  EXPECT_FALSE(dialog().visible());
  EXPECT_FALSE(main_window().cmdstart.enabled()) << "a commit leaves スタート alone";
}

// ---- Cancel -----------------------------------------------------------------------------

TEST_F(Leaving, CancelPutsBackTheListOfTheLastOpeningAndLeavesThePlayOrder) {
  make_bitmaps("C:\\Pics", kPics);
  open_dialog();
  go_to_folder("C:\\Pics");
  select_files({"p0.bmp", "p1.bmp"});
  add();
  commit();
  const Names committed = play_list();

  open_dialog();
  select_files({"p2.bmp", "p0.bmp"});
  add();
  ASSERT_EQ(dialog().List1.count(), 4);
  cancel();
  EXPECT_EQ(list_entries(), (Names{"p0.bmp", "p1.bmp"}));
  EXPECT_EQ(file_list(), (Names{"C:\\Pics\\p0.bmp", "C:\\Pics\\p1.bmp"}));
  EXPECT_EQ(play_list(), committed);
  EXPECT_FALSE(dialog().visible());
  EXPECT_TRUE(main_window().visible());
  EXPECT_TRUE(main_window().cmdstart.enabled());
  EXPECT_TRUE(messages().empty());

  // The second opening's snapshot holds the restored state: committing plays exactly it.
  open_dialog();
  select_list_entries({0, 1});
  delete_selected();
  cancel();
  open_dialog();
  commit();
  EXPECT_EQ(play_list(), (Names{"C:\\Pics\\p0.bmp", "C:\\Pics\\p1.bmp", ""}));
}

TEST_F(Leaving, OpeningAndCancellingChangesNothing) {
  three_entries();
  click_random();
  commit();
  open_dialog();
  select_list_entries({1});
  DialogLook before = dialog_look();
  cancel();
  DialogLook after = dialog_look();
  EXPECT_FALSE(after.visible);
  after.visible = true;
  // The lists are filled anew, so nothing is selected any more.
  before.list_selected.assign(before.list.size(), false);
  EXPECT_EQ(after, before);
}

TEST_F(Leaving, CancelSetsStartByWhetherTheListIsEmpty) {
  three_entries();
  commit();
  open_dialog();
  select_list_entries({0, 1, 2});
  delete_selected();
  ASSERT_FALSE(main_window().cmdstart.enabled());
  cancel();
  EXPECT_EQ(list_entries(), kPics);
  EXPECT_EQ(file_list(), kPicPaths);
  EXPECT_TRUE(main_window().cmdstart.enabled());

  restart(true);
  open_dialog();
  go_to_folder("C:\\Pics");
  add_all();
  ASSERT_TRUE(main_window().cmdstart.enabled());
  cancel();
  EXPECT_TRUE(list_entries().empty());
  EXPECT_FALSE(main_window().cmdstart.enabled());
  EXPECT_EQ(dialog().Dir1.path(), "C:\\") << "the folder goes back to where the dialog opened";
}

TEST_F(Leaving, EachOpeningTakesANewSnapshot) {
  make_bitmaps("C:\\Pics", kPics);
  make_bitmaps("D:\\Elsewhere", {"e.bmp"});
  open_dialog();
  go_to_folder("D:\\Elsewhere");
  add_all();
  type_interval("12");
  click_random();
  commit();

  open_dialog();
  go_to_folder("C:\\Pics");
  add_all();
  type_interval("20");
  click_random();
  cancel();
  EXPECT_EQ(list_entries(), Names{"e.bmp"});
  EXPECT_EQ(file_list(), Names{"D:\\Elsewhere\\e.bmp"});
  EXPECT_EQ(dialog().Drive1.drive(), "d: [DATA]");
  EXPECT_EQ(dialog().Dir1.path(), "D:\\Elsewhere");
  EXPECT_EQ(dialog().minute.text(), "12");
  EXPECT_EQ(dialog().ChkRandom.value(), 1);
}

// The interval comes back exactly as it was, valid or not, and setting it back runs its
// change reaction (設定 on when the list has entries); the play order stays.
TEST_F(Leaving, CancelRestoresTheIntervalExactly) {
  const struct {
    const char* settings_minute;
    const char* folder;          // the folder line of the settings file
    const char* minute_at_open;  // what start-up left in the field
  } rows[] = {{"abc", "C:\\Empty\\", "abc"}, {"", "C:\\Empty\\", ""}, {"99", "C:\\Empty\\", "99"},
              {"0", "C:\\Pics\\", ""}};  // start-up's commit refused "0" and emptied the field
  make_bitmaps("C:\\Pics", kPics);
  make_folder("C:\\Empty");
  for (const auto& row : rows) {
    SCOPED_TRACE(row.settings_minute);
    if (running()) close();
    write_settings(settings_bytes(row.folder, "0", row.settings_minute));
    start();
    sys.messages.clear();
    const Names play_before = play_list();
    open_dialog();
    ASSERT_EQ(dialog().minute.text(), row.minute_at_open);
    type_interval("12");
    dialog().CmdOK.set_enabled(false);
    cancel();
    EXPECT_EQ(dialog().minute.text(), row.minute_at_open);
    EXPECT_EQ(play_list(), play_before);
    EXPECT_EQ(dialog().CmdOK.enabled(), dialog().List1.count() != 0);
    EXPECT_TRUE(messages().empty());
  }
}

// Setting the interval back to the text it already holds is no change and raises nothing:
// 設定, switched off by a refused commit, stays off.
TEST_F(Leaving, CancelLeavesOkAloneWhenTheIntervalIsTheSame) {
  make_bitmaps("C:\\Pics", kPics);
  write_settings(settings_bytes("C:\\Pics\\", "0", "0"));
  start();  // start-up refuses "0": the field is empty, 設定 on
  open_dialog();
  commit();  // refused again; the field was empty already
  ASSERT_FALSE(dialog().CmdOK.enabled());
  cancel();
  EXPECT_FALSE(dialog().CmdOK.enabled());
}

TEST_F(Leaving, CancelSetsTheDriveBeforeTheFolder) {
  make_bitmaps("D:\\Pics", {"d1.bmp", "d2.bmp"});
  make_bitmaps("D:\\Other", {"o.bmp"});
  make_bitmaps("C:\\Stuff", {"s.bmp"});
  // The system's own idea of D:'s folder differs from the one the dialog was left on.
  sys.set_drive_current_folder('D', "D:\\Other");
  open_dialog();
  go_to_folder("D:\\Pics");
  add_all();
  commit();
  open_dialog();
  go_to_folder("C:\\Stuff");
  dialog().File1.click(0);
  cancel();
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

struct GoneRow {
  const char* name;
  const char* saved_folder;
  const char* saved_drive;  // chosen after the folder, or nullptr for the folder's own
  const char* lists_on;     // where the user left the lists before Cancel
  std::function<void(ProgramFixture&)> take_away;
  std::vector<Message> messages;
  const char* drive_after;
  const char* folder_after;
};
void PrintTo(const GoneRow& row, std::ostream* os) { *os << row.name; }

class CancelWithSavedPlaceGone : public Leaving, public ::testing::WithParamInterface<GoneRow> {};

TEST_P(CancelWithSavedPlaceGone, EachStepIsJudgedOnItsOwnAndTheRestIsRestored) {
  const GoneRow& row = GetParam();
  add_drive('E');
  sys.set_drive_ready('E', false);  // a card reader without its card
  make_bitmaps(row.saved_folder, kPics);
  make_bitmaps("C:\\Other", {"p0.bmp"});
  make_bitmaps("D:\\Other", {"p0.bmp"});
  open_dialog();
  go_to_folder(row.saved_folder);
  select_files({"p1.bmp"});
  add();
  if (row.saved_drive) choose_drive(row.saved_drive);
  type_interval("7");
  commit();
  const Names committed = play_list();

  open_dialog();
  go_to_folder(row.lists_on);
  select_files({"p0.bmp"});
  add();
  type_interval("45");
  click_random();
  if (row.take_away) row.take_away(*this);
  sys.messages.clear();
  cancel();

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
  EXPECT_TRUE(main_window().visible());
  EXPECT_EQ(play_list(), committed);
}

void unmap_d(ProgramFixture& t) { t.sys.unmap_drive('D'); }
void unmap_and_reopen(ProgramFixture& t, char letter) {
  t.sys.unmap_drive(letter);
  t.dialog().Drive1.refresh();
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CancelWithSavedPlaceGone,
    ::testing::Values(
        GoneRow{"BothWork", "D:\\Pics", nullptr, "C:\\Other", nullptr, {}, "d: [DATA]", "D:\\Pics"},
        // The saved drive was left on one that is not ready: the change of drive says so,
        // and the folder, on another drive, comes back all the same.
        GoneRow{"DriveNotReadyFolderWorks", "D:\\Pics", "E:", "D:\\Other", nullptr,
                {kDriveNotReady}, "e:", "D:\\Pics"},
        // That drive is not even offered any more; the folder alone puts the lists back.
        GoneRow{"DriveGoneFolderWorks", "D:\\Pics", "E:", "D:\\Other",
                [](ProgramFixture& fx) { unmap_and_reopen(fx, 'E'); }, {}, "d: [DATA]", "D:\\Pics"},
        // The drive is there, so the lists move to its current folder before the saved
        // folder turns out to be gone.
        GoneRow{"DriveWorksFolderRemoved", "D:\\Pics", nullptr, "C:\\Other",
                [](ProgramFixture& fx) { fx.remove("D:\\Pics"); }, {kSavedFolderGone}, "d: [DATA]", "D:\\"},
        GoneRow{"SameDriveFolderRemoved", "C:\\Pics", nullptr, "C:\\Other",
                [](ProgramFixture& fx) { fx.remove("C:\\Pics"); }, {kSavedFolderGone}, "c:", "C:\\Other"},
        // Still shown when it went: the lists keep showing it.
        GoneRow{"FolderRemovedWhileShown", "C:\\Pics", nullptr, "C:\\Pics",
                [](ProgramFixture& fx) { fx.remove("C:\\Pics"); }, {kSavedFolderGone}, "c:", "C:\\Pics"},
        // The folder lies on the drive that failed, so both steps fail, each told once.
        GoneRow{"BothFailDriveNotReady", "D:\\Pics", nullptr, "C:\\Other",
                [](ProgramFixture& fx) { fx.sys.set_drive_ready('D', false); },
                {kDriveNotReady, kSavedFolderGone}, "d: [DATA]", "C:\\Other"},
        // Still offered by a list read before it went: choosing it fails like a drive that
        // is not ready.
        GoneRow{"BothFailDriveGoneStillOffered", "D:\\Pics", nullptr, "C:\\Other", unmap_d,
                {kDriveNotReady, kSavedFolderGone}, "d: [DATA]", "C:\\Other"},
        // The drive list, opened since, no longer offers the drive: no word of its own.
        GoneRow{"BothFailDriveGone", "D:\\Pics", nullptr, "C:\\Other",
                [](ProgramFixture& fx) { unmap_and_reopen(fx, 'D'); }, {kSavedFolderGone}, "c:", "C:\\Other"}),
    [](const auto& row_info) { return std::string(row_info.param.name); });

}  // namespace
}  // namespace torvane::test
