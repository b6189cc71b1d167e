// Walking drives and folders in the dialog: what the file list shows, how the buttons follow,
// and what the user is told when a drive or a folder cannot be shown.

#include <functional>

#include "common/message_box.h"
#include "picker/browsing.h"
#include "support/program_fixture.h"

namespace torvane::test {
namespace {

const Message kDriveNotReady{std::string(messages::kDriveNotReady),
                             std::string(messages::kReadErrorTitle)};
const Message kFolderGone{std::string(picker::kFolderGone), std::string(messages::kErrorTitle)};

class Browsing : public ProgramFixture {
 public:
  // The folders every row walks through.
  void make_tree() {
    make_bitmaps("C:\\Pics", {"a.bmp", "b.bmp"});
    make_folder("C:\\Empty");
    make_bitmaps("C:\\Empty", {"readme.txt"});
    make_numbered_bitmaps("C:\\Many", 60);
  }
  using ProgramFixture::dialog;
  using ProgramFixture::go_to_folder;
  using ProgramFixture::open_dialog;
  using ProgramFixture::select_files;
  using ProgramFixture::type_interval;
  using ProgramFixture::sys;
};

// ---- The button table of browsing, one row per reaction --------------------------------

struct BrowseRow {
  const char* name;
  std::function<void(Browsing&)> arrange;
  std::function<void(Browsing&)> act;
  // 追加, 全て追加, 削除, 設定: '1' on, '0' off, '-' as before.
  const char* expect;
};
void PrintTo(const BrowseRow& row, std::ostream* os) { *os << row.name; }

class BrowsingButtons : public Browsing, public ::testing::WithParamInterface<BrowseRow> {};

TEST_P(BrowsingButtons, FollowTheReaction) {
  const BrowseRow& row = GetParam();
  make_tree();
  open_dialog();
  row.arrange(*this);
  auto& d = dialog();
  ui::Control* buttons[] = {&d.CmdAddtoList, &d.cmdAddAll, &d.CmdDelfromlist, &d.CmdOK};
  bool before[4];
  for (int i = 0; i < 4; ++i) before[i] = buttons[i]->enabled();

  row.act(*this);

  for (int i = 0; i < 4; ++i) {
    const char want = row.expect[i];
    const bool expected = want == '-' ? before[i] : want == '1';
    EXPECT_EQ(buttons[i]->enabled(), expected) << buttons[i]->text();
  }
  EXPECT_TRUE(messages().empty());
}

void add_all_of_pics(Browsing& fx) {
  fx.go_to_folder("C:\\Pics");
  fx.dialog().cmdAddAll.click();
}

INSTANTIATE_TEST_SUITE_P(
    Rows, BrowsingButtons,
    ::testing::Values(
        BrowseRow{"FolderWithBitmaps",
                  [](Browsing& fx) {
                    // A full list: both add buttons went off at the stop.
                    fx.go_to_folder("C:\\Many");
                    fx.dialog().cmdAddAll.click();
                    fx.sys.messages.clear();
                    fx.dialog().File1.click(3);
                    fx.dialog().List1.click(0);
                  },
                  [](Browsing& fx) { fx.go_to_folder("C:\\Pics"); }, "010-"},
        BrowseRow{"FolderWithoutBitmaps",
                  [](Browsing& fx) {
                    add_all_of_pics(fx);
                    fx.dialog().File1.click(0);
                    fx.dialog().List1.click(0);
                  },
                  [](Browsing& fx) { fx.go_to_folder("C:\\Empty"); }, "000-"},
        BrowseRow{"ClickOnAFile", [](Browsing& fx) { fx.go_to_folder("C:\\Pics"); },
                  [](Browsing& fx) { fx.dialog().File1.click(1); }, "1---"},
        // A click beside the entries leaves no current file: nothing changes either way.
        BrowseRow{"ClickInFilesWithoutCurrentEntry", [](Browsing& fx) { fx.go_to_folder("C:\\Pics"); },
                  [](Browsing& fx) { fx.dialog().File1.user_selected({}, -1); }, "----"},
        BrowseRow{"ClickInFilesNeverSwitchesAddOff",
                  [](Browsing& fx) {
                    fx.go_to_folder("C:\\Pics");
                    fx.dialog().File1.click(0);
                  },
                  [](Browsing& fx) { fx.dialog().File1.user_selected({}, -1); }, "1---"},
        BrowseRow{"ClickOnAListEntry", add_all_of_pics,
                  [](Browsing& fx) { fx.dialog().List1.click(1); }, "--1-"},
        BrowseRow{"ClickInListWithoutCurrentEntry", add_all_of_pics,
                  [](Browsing& fx) { fx.dialog().List1.user_selected({}, -1); }, "----"},
        BrowseRow{"IntervalTypedWithEmptyList", [](Browsing&) {},
                  [](Browsing& fx) { fx.type_interval("10"); }, "---0"},
        BrowseRow{"IntervalTypedWithEntries",
                  [](Browsing& fx) {
                    add_all_of_pics(fx);
                    fx.dialog().CmdOK.set_enabled(false);
                  },
                  [](Browsing& fx) { fx.type_interval("abc"); }, "---1"},
        BrowseRow{"IntervalEmptiedWithEntries",
                  [](Browsing& fx) {
                    add_all_of_pics(fx);
                    fx.dialog().CmdOK.set_enabled(false);
                  },
                  [](Browsing& fx) { fx.type_interval(""); }, "---1"}),
    [](const auto& row_info) { return std::string(row_info.param.name); });

TEST_F(Browsing, AFolderChangeListsItsBitmapsAndKeepsTheDrive) {
  make_tree();
  open_dialog();
  go_to_folder("C:\\Pics");
  EXPECT_EQ(dialog().Dir1.path(), "C:\\Pics");
  EXPECT_EQ(dialog().File1.path(), "C:\\Pics");
  EXPECT_EQ(file_entries(), (Names{"a.bmp", "b.bmp"}));
  EXPECT_EQ(dialog().Drive1.drive(), "c:");
  go_to_folder("C:\\Empty");
  EXPECT_TRUE(file_entries().empty());
}

TEST_F(Browsing, UpperCaseExtensionsAreListedAndTheOrderIgnoresCase) {
  make_bitmaps("C:\\Mixed", {"b.BMP", "C.bmp", "a.Bmp", "D.bMp", "notes.txt", "x.bmp.txt",
                             "bmp", "y.bmpx", "ab.bmp"});
  make_folder("C:\\Mixed\\folder.bmp");
  open_dialog();
  go_to_folder("C:\\Mixed");
  EXPECT_EQ(file_entries(), (Names{"a.Bmp", "ab.bmp", "b.BMP", "C.bmp", "D.bMp"}));
}

TEST_F(Browsing, LoadSeedsTheGeneratorFromTheClock) {
  sys.clock = 123456;
  open_dialog();
  EXPECT_EQ(sys.seeded_with, 123456u);
}

// ---- A drive that is not ready ----------------------------------------------------------

TEST_F(Browsing, DriveNotReadyIsReportedOnceAndChangesNothingButTheDriveList) {
  make_tree();
  make_bitmaps("D:\\", {"x.bmp"});
  open_dialog();
  go_to_folder("C:\\Pics");
  select_files({"a.bmp"});
  dialog().CmdAddtoList.click();
  dialog().List1.click(0);
  sys.set_drive_ready('D', false);
  DialogLook expected = dialog_look();
  expected.drive = "d: [DATA]";

  choose_drive("D:");

  EXPECT_EQ(messages(), std::vector<Message>{kDriveNotReady});
  EXPECT_EQ(dialog_look(), expected);

  // The dialog stays usable: a readable drive works as ever.
  sys.messages.clear();
  choose_drive("C:");
  EXPECT_TRUE(messages().empty());
  EXPECT_EQ(dialog().Dir1.path(), "C:\\");
  sys.set_drive_ready('D', true);
  choose_drive("D:");
  EXPECT_EQ(dialog().Dir1.path(), "D:\\");
  EXPECT_EQ(file_entries(), (Names{"x.bmp"}));
  EXPECT_TRUE(messages().empty());
}

TEST_F(Browsing, ADriveGoesToTheFolderTheSystemKeepsForIt) {
  make_bitmaps("D:\\Kept", {"k.bmp"});
  sys.set_drive_current_folder('D', "D:\\Kept");
  open_dialog();
  choose_drive("d: [DATA]");
  EXPECT_EQ(dialog().Dir1.path(), "D:\\Kept");
  EXPECT_EQ(file_entries(), (Names{"k.bmp"}));
  EXPECT_TRUE(dialog().cmdAddAll.enabled());
}

// ---- A folder that goes away while it is shown ------------------------------------------

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
  dialog().CmdAddtoList.click();
  EXPECT_EQ(file_list(), (Names{"C:\\Pics\\a.bmp"}));
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
  windows.on_control_changed = [&](ui::Control& c, ui::Aspect what) {
    if (&c == &dialog().Dir1 && what == ui::Aspect::entries && dialog().Dir1.path() == "C:\\Going")
      remove("C:\\Going");
  };

  go_to_folder("C:\\Going");

  EXPECT_EQ(messages(), std::vector<Message>{kFolderGone});
  EXPECT_EQ(dialog().Dir1.path(), "C:\\Going");
  EXPECT_EQ(dialog().File1.path(), "C:\\Pics");
  EXPECT_EQ(file_entries(), (Names{"a.bmp", "b.bmp"}));
  EXPECT_TRUE(dialog().cmdAddAll.enabled());
  EXPECT_FALSE(dialog().CmdAddtoList.enabled());
  EXPECT_FALSE(dialog().CmdDelfromlist.enabled());
  // Adding takes the folder of the file list, so the paths stay right.
  dialog().cmdAddAll.click();
  EXPECT_EQ(file_list(), (Names{"C:\\Pics\\a.bmp", "C:\\Pics\\b.bmp"}));
}

}  // namespace
}  // namespace torvane::test
