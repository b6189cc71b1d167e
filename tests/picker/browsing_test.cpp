// Walking drives and folders in the dialog: what the file list shows, how the buttons follow,
// and what the user is told when a drive or a folder cannot be shown.

#include <functional>

#include "support/program_fixture.h"

namespace torvane::test {
namespace {

class Browsing : public ProgramFixture {
 public:
  void make_tree() {
    make_bitmaps("C:\\Pics", {"a.bmp", "b.bmp"});
    make_bitmaps("C:\\Empty", {"readme.txt"});
    make_numbered_bitmaps("C:\\Many", 60);
  }
  void add_all_of(const std::string& folder) {
    go_to_folder(folder);
    add_all();
  }
};

// ---- The button rules of browsing, one row per reaction --------------------------------

struct BrowseRow {
  const char* name;
  std::function<void(Browsing&)> arrange;
  std::function<void(Browsing&)> act;
  const char* expect;  // 追加, 全て追加, 削除, 設定: '1' on, '0' off
};
void PrintTo(const BrowseRow& row, std::ostream* os) { *os << row.name; }

class BrowsingButtons : public Browsing, public ::testing::WithParamInterface<BrowseRow> {};

TEST_P(BrowsingButtons, FollowTheReaction) {
  make_tree();
  open_dialog();
  GetParam().arrange(*this);
  sys.messages.clear();
  GetParam().act(*this);
  const DialogLook d = dialog_look();
  EXPECT_EQ(std::string({d.add ? '1' : '0', d.add_all ? '1' : '0', d.del ? '1' : '0', d.ok ? '1' : '0'}),
            GetParam().expect);
  EXPECT_TRUE(messages().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, BrowsingButtons,
    ::testing::Values(
        // A full list (both add buttons went off at the stop), a file and an entry clicked.
        BrowseRow{"FolderWithBitmaps",
                  [](Browsing& fx) {
                    fx.add_all_of("C:\\Many");
                    fx.dialog().File1.click(3);
                    fx.select_list_entries({0});
                  },
                  [](Browsing& fx) { fx.go_to_folder("C:\\Pics"); }, "0101"},
        BrowseRow{"FolderWithoutBitmaps",
                  [](Browsing& fx) {
                    fx.add_all_of("C:\\Pics");
                    fx.dialog().File1.click(0);
                    fx.select_list_entries({0});
                  },
                  [](Browsing& fx) { fx.go_to_folder("C:\\Empty"); }, "0001"},
        BrowseRow{"ClickOnAFile", [](Browsing& fx) { fx.go_to_folder("C:\\Pics"); },
                  [](Browsing& fx) { fx.dialog().File1.click(1); }, "1100"},
        // A click beside the entries leaves no current file: nothing changes either way.
        BrowseRow{"ClickInFilesWithoutCurrentEntry", [](Browsing& fx) { fx.go_to_folder("C:\\Pics"); },
                  [](Browsing& fx) { fx.dialog().File1.user_selected({}, -1); }, "0100"},
        BrowseRow{"ClickInFilesNeverSwitchesAddOff",
                  [](Browsing& fx) {
                    fx.go_to_folder("C:\\Pics");
                    fx.dialog().File1.click(0);
                  },
                  [](Browsing& fx) { fx.dialog().File1.user_selected({}, -1); }, "1100"},
        BrowseRow{"ClickOnAListEntry", [](Browsing& fx) { fx.add_all_of("C:\\Pics"); },
                  [](Browsing& fx) { fx.select_list_entries({1}); }, "0111"},
        BrowseRow{"ClickInListWithoutCurrentEntry", [](Browsing& fx) { fx.add_all_of("C:\\Pics"); },
                  [](Browsing& fx) { fx.dialog().List1.user_selected({}, -1); }, "0101"},
        BrowseRow{"ClickInListNeverSwitchesDeleteOff",
                  [](Browsing& fx) {
                    fx.add_all_of("C:\\Pics");
                    fx.select_list_entries({0});
                  },
                  [](Browsing& fx) { fx.dialog().List1.user_selected({}, -1); }, "0111"},
        BrowseRow{"IntervalTypedWithEmptyList", [](Browsing&) {},
                  [](Browsing& fx) { fx.type_interval("10"); }, "0100"},
        // 設定 stayed on when the list was emptied; an edit with an empty list leaves it so.
        BrowseRow{"IntervalTypedNeverSwitchesOkOff",
                  [](Browsing& fx) {
                    fx.add_all_of("C:\\Pics");
                    fx.select_list_entries({0, 1});
                    fx.delete_selected();
                  },
                  [](Browsing& fx) { fx.type_interval("abc"); }, "0101"},
        // A rejected commit switched 設定 off; any edit with entries switches it on, even
        // one that leaves no valid interval.
        BrowseRow{"IntervalTypedWithEntries",
                  [](Browsing& fx) {
                    fx.add_all_of("C:\\Pics");
                    fx.type_interval("0");
                    fx.commit();
                  },
                  [](Browsing& fx) { fx.type_interval("abc"); }, "0101"},
        BrowseRow{"IntervalEmptiedWithEntries",
                  [](Browsing& fx) {
                    fx.add_all_of("C:\\Pics");
                    fx.dialog().CmdOK.set_enabled(false);
                  },
                  [](Browsing& fx) { fx.type_interval(""); }, "0101"}),
    [](const auto& row_info) { return std::string(row_info.param.name); });

TEST_F(Browsing, AFolderListsItsBitmapsInAnyCaseOrderedWithoutRegardToCase) {
  make_bitmaps("C:\\Mixed", {"b.BMP", "C.bmp", "a.Bmp", "D.bMp", "notes.txt", "x.bmp.txt", "bmp",
                             "y.bmpx", "ab.bmp"});
  make_folder("C:\\Mixed\\folder.bmp");
  open_dialog();
  go_to_folder("C:\\Mixed");
  EXPECT_EQ(dialog().File1.path(), "C:\\Mixed");
  EXPECT_EQ(file_entries(), (Names{"a.Bmp", "ab.bmp", "b.BMP", "C.bmp", "D.bMp"}));
  EXPECT_EQ(dialog().Drive1.drive(), "c:") << "a change of folder leaves the drive list alone";
}

TEST_F(Browsing, ADriveGoesToTheFolderTheSystemKeepsForIt) {
  make_bitmaps("D:\\Kept", {"k.bmp"});
  sys.set_drive_current_folder('D', "D:\\Kept");
  open_dialog();
  choose_drive("d: [DATA]");
  EXPECT_EQ(dialog().Dir1.path(), "D:\\Kept");
  EXPECT_EQ(file_entries(), Names{"k.bmp"});
  EXPECT_TRUE(dialog().cmdAddAll.enabled());
}

TEST_F(Browsing, DriveNotReadyIsReportedOnceAndChangesNothingButTheDriveList) {
  make_tree();
  make_bitmaps("D:\\", {"x.bmp"});
  open_dialog();
  go_to_folder("C:\\Pics");
  select_files({"a.bmp"});
  add();
  select_list_entries({0});
  sys.set_drive_ready('D', false);
  DialogLook expected = dialog_look();
  expected.drive = "d: [DATA]";
  choose_drive("D:");
  EXPECT_EQ(messages(), std::vector<Message>{kDriveNotReady});
  EXPECT_EQ(dialog_look(), expected);

  // The dialog stays usable: a readable drive works as ever.
  sys.set_drive_ready('D', true);
  choose_drive("C:");
  choose_drive("D:");
  EXPECT_EQ(dialog().Dir1.path(), "D:\\");
  EXPECT_EQ(file_entries(), Names{"x.bmp"});
  EXPECT_EQ(messages().size(), 1u);
}

TEST_F(Browsing, OpeningARemovedFolderIsReportedAndTheListsStay) {
  make_tree();
  make_folder("C:\\Pics\\Sub");
  open_dialog();
  go_to_folder("C:\\Pics");
  dialog().File1.click(0);
  const DialogLook before = dialog_look();
  remove("C:\\Pics");
  open_folder_entry("Sub");
  open_folder_entry("Pics");
  EXPECT_EQ(messages(), (std::vector<Message>{kFolderGone, kFolderGone}));
  EXPECT_EQ(dialog_look(), before);
  // What is still listed can be added (it fails only when shown), and the user walks on.
  add();
  EXPECT_EQ(file_list(), Names{"C:\\Pics\\a.bmp"});
  open_folder_entry("C:\\");
  EXPECT_EQ(dialog().Dir1.path(), "C:\\");
  EXPECT_EQ(messages().size(), 2u);
}

TEST_F(Browsing, AFolderGoneBeforeItsFilesAreListedKeepsTheFileList) {
  make_tree();
  make_bitmaps("C:\\Going", {"g.bmp"});
  open_dialog();
  go_to_folder("C:\\Pics");
  // The folder disappears right after the folder list has shown it.
  sys.on_list_files = [&](const std::string& folder, Names&) {
    if (folder == "C:\\Going") remove("C:\\Going");
  };
  go_to_folder("C:\\Going");
  EXPECT_EQ(messages(), std::vector<Message>{kFolderGone});
  EXPECT_EQ(dialog().Dir1.path(), "C:\\Going");
  EXPECT_EQ(dialog().File1.path(), "C:\\Pics");
  EXPECT_EQ(file_entries(), (Names{"a.bmp", "b.bmp"}));
  // Adding takes the folder of the file list, so the paths stay right.
  add_all();
  EXPECT_EQ(file_list(), (Names{"C:\\Pics\\a.bmp", "C:\\Pics\\b.bmp"}));
}

}  // namespace
}  // namespace torvane::test
