// Building the picture list: 追加, 全て追加 and 削除, up to 50 entries, with the full paths
// kept beside the names and the buttons switched as the user goes.

#include "common/message_box.h"
#include "support/program_fixture.h"

namespace torvane::test {
namespace {

const Message kListFull{std::string(messages::kListFull), std::string(kAppTitle)};

class PictureList : public ProgramFixture {
 protected:
  // The dialog open on C:\Pics with a.bmp, b.bmp and c.bmp; the list empty.
  void open_on_pics() {
    make_bitmaps("C:\\Pics", {"a.bmp", "b.bmp", "c.bmp"});
    open_dialog();
    go_to_folder("C:\\Pics");
  }
  // The list filled with the first `n` files of C:\Many (60 bitmaps), then the file list back
  // on that folder with nothing selected.
  Names fill_list_from_many(int n) {
    const Names many = make_numbered_bitmaps("C:\\Many", 60);
    open_dialog();
    go_to_folder("C:\\Many");
    if (n > 0) {
      select_file_range(0, n - 1);
      dialog().CmdAddtoList.click();
    }
    go_to_folder("C:\\");
    go_to_folder("C:\\Many");
    return many;
  }
};

// ---- Adding, one row per way of adding a file ----------------------------------------

struct AddRow {
  const char* name;
  bool add_all;
  const char* minute;
  bool ok_after;
};
void PrintTo(const AddRow& row, std::ostream* os) { *os << row.name; }

class AddEachFile : public PictureList, public ::testing::WithParamInterface<AddRow> {};

TEST_P(AddEachFile, AppendsAndSwitchesOnlyOkAndStart) {
  const AddRow& row = GetParam();
  open_on_pics();
  auto& d = dialog();
  // One entry already there and clicked, so that 削除 is on and must stay on.
  select_files({"a.bmp"});
  d.CmdAddtoList.click();
  select_list_entries({0});
  type_interval(row.minute);
  d.CmdOK.set_enabled(false);
  main_window().cmdstart.set_enabled(false);
  if (!row.add_all) select_files({"b.bmp", "c.bmp"});
  const DialogLook before = dialog_look();

  (row.add_all ? d.cmdAddAll : d.CmdAddtoList).click();

  const Names expected = row.add_all ? Names{"a.bmp", "a.bmp", "b.bmp", "c.bmp"}
                                     : Names{"a.bmp", "b.bmp", "c.bmp"};
  EXPECT_EQ(list_entries(), expected);
  Names paths;
  for (const auto& n : expected) paths.push_back("C:\\Pics\\" + n);
  EXPECT_EQ(file_list(), paths);
  EXPECT_EQ(d.CmdOK.enabled(), row.ok_after);
  EXPECT_TRUE(main_window().cmdstart.enabled());
  EXPECT_EQ(d.CmdAddtoList.enabled(), before.add);
  EXPECT_EQ(d.cmdAddAll.enabled(), before.add_all);
  EXPECT_TRUE(d.CmdDelfromlist.enabled());
  EXPECT_TRUE(messages().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, AddEachFile,
    ::testing::Values(AddRow{"Add_WithInterval", false, "3", true},
                      AddRow{"Add_EmptyInterval", false, "", false},
                      AddRow{"AddAll_WithInterval", true, "3", true},
                      AddRow{"AddAll_EmptyInterval", true, "", false},
                      // The text is not checked here; the commit does that.
                      AddRow{"Add_NonsenseInterval", false, "abc", true}),
    [](const auto& row_info) { return std::string(row_info.param.name); });

TEST_F(PictureList, AddingTheSameFileTwiceGivesTwoEntries) {
  open_on_pics();
  select_files({"b.bmp"});
  dialog().CmdAddtoList.click();
  dialog().CmdAddtoList.click();
  EXPECT_EQ(list_entries(), (Names{"b.bmp", "b.bmp"}));
  EXPECT_EQ(file_list(), (Names{"C:\\Pics\\b.bmp", "C:\\Pics\\b.bmp"}));
}

TEST_F(PictureList, PathsGetOneBackslashAtADriveRootAndInAFolder) {
  const char* folders[] = {"C:\\", "D:\\", "D:\\Deep\\Er"};
  for (const char* folder : folders) make_bitmaps(folder, {"a.bmp"});
  open_dialog();
  for (const char* folder : folders) {
    go_to_folder(folder);
    dialog().cmdAddAll.click();
  }
  EXPECT_EQ(file_list(), (Names{"C:\\a.bmp", "D:\\a.bmp", "D:\\Deep\\Er\\a.bmp"}));
}

TEST_F(PictureList, WithNothingSelectedAddChangesNothing) {
  open_on_pics();
  // A click makes a file current and switches 追加 on; Ctrl+click unselects it again.
  dialog().File1.click(1);
  dialog().File1.ctrl_click(1);
  ASSERT_TRUE(dialog().CmdAddtoList.enabled());
  const DialogLook before = dialog_look();
  dialog().CmdAddtoList.click();
  EXPECT_EQ(dialog_look(), before);
  EXPECT_FALSE(main_window().cmdstart.enabled());
  EXPECT_TRUE(messages().empty());
}

TEST_F(PictureList, AddAllWithAnEmptyFileListDoesNothing) {
  // A new dialog on C:\, which holds no bitmap: 全て追加 is on all the same.
  open_dialog();
  ASSERT_TRUE(file_entries().empty());
  ASSERT_TRUE(dialog().cmdAddAll.enabled());
  const DialogLook before = dialog_look();
  dialog().cmdAddAll.click();
  EXPECT_EQ(dialog_look(), before);
  EXPECT_FALSE(main_window().cmdstart.enabled());
  EXPECT_TRUE(messages().empty());
}

// ---- The capacity of 50 ---------------------------------------------------------------

TEST_F(PictureList, FortyEightPlusThreeSelectedAddsTwoThenSaysFull) {
  const Names many = fill_list_from_many(48);
  ASSERT_EQ(dialog().List1.count(), 48);
  dialog().CmdDelfromlist.set_enabled(true);
  dialog().CmdOK.set_enabled(false);
  select_files({many[50], many[52], many[55]});
  DialogLook at_message;
  sys.on_message = [&](const Message&) { at_message = dialog_look(); };

  dialog().CmdAddtoList.click();

  EXPECT_EQ(messages(), std::vector<Message>{kListFull});
  // The box comes while the two are in and before the buttons go off.
  EXPECT_EQ(at_message.list.size(), 50u);
  EXPECT_TRUE(at_message.add);
  EXPECT_TRUE(at_message.add_all);
  EXPECT_EQ(dialog().List1.count(), 50);
  EXPECT_EQ(dialog().List1.entry(48), many[50]);
  EXPECT_EQ(dialog().List1.entry(49), many[52]);
  EXPECT_EQ(file_list(50)[49], "C:\\Many\\" + many[52]);
  EXPECT_FALSE(dialog().CmdAddtoList.enabled());
  EXPECT_FALSE(dialog().cmdAddAll.enabled());
  // Unchanged by the stop: 削除 stays on; 設定 was switched on by the two additions only.
  EXPECT_TRUE(dialog().CmdDelfromlist.enabled());
  EXPECT_TRUE(dialog().CmdOK.enabled());
  EXPECT_TRUE(main_window().cmdstart.enabled());
}

TEST_F(PictureList, AddAllInAFolderOfSixtyTakesTheFirstFifty) {
  const Names many = make_numbered_bitmaps("C:\\Many", 60);
  open_dialog();
  go_to_folder("C:\\Many");
  dialog().cmdAddAll.click();

  EXPECT_EQ(messages(), std::vector<Message>{kListFull});
  EXPECT_EQ(list_entries(), Names(many.begin(), many.begin() + 50));
  Names paths;
  for (int i = 0; i < 50; ++i) paths.push_back("C:\\Many\\" + many[i]);
  EXPECT_EQ(file_list(), paths);
  EXPECT_FALSE(dialog().CmdAddtoList.enabled());
  EXPECT_FALSE(dialog().cmdAddAll.enabled());
}

TEST_F(PictureList, FullListAddWithNothingSelectedShowsNoMessage) {
  fill_list_from_many(50);
  dialog().File1.click(55);
  dialog().File1.ctrl_click(55);
  const DialogLook before = dialog_look();
  dialog().CmdAddtoList.click();
  EXPECT_TRUE(messages().empty());
  EXPECT_EQ(dialog_look(), before);
}

TEST_F(PictureList, AfterTheStopOnlyBrowsingBringsTheAddButtonsBack) {
  fill_list_from_many(50);
  dialog().cmdAddAll.click();
  ASSERT_EQ(messages().size(), 1u);
  select_list_entries({0});
  dialog().CmdDelfromlist.click();
  EXPECT_FALSE(dialog().CmdAddtoList.enabled());
  EXPECT_FALSE(dialog().cmdAddAll.enabled());

  dialog().File1.click(0);
  EXPECT_TRUE(dialog().CmdAddtoList.enabled());
  go_to_folder("C:\\");
  go_to_folder("C:\\Many");
  EXPECT_TRUE(dialog().cmdAddAll.enabled());
}

// ---- Deleting -------------------------------------------------------------------------

class Deleting : public PictureList {
 protected:
  // Five entries p0..p4 from C:\Five, 設定 and スタート on.
  void five_entries() {
    make_bitmaps("C:\\Five", {"p0.bmp", "p1.bmp", "p2.bmp", "p3.bmp", "p4.bmp"});
    open_dialog();
    go_to_folder("C:\\Five");
    dialog().cmdAddAll.click();
    ASSERT_EQ(dialog().List1.count(), 5);
    ASSERT_TRUE(dialog().CmdOK.enabled());
    ASSERT_TRUE(main_window().cmdstart.enabled());
  }
};

TEST_F(Deleting, EntriesOneAndThreeOfFive) {
  five_entries();
  select_list_entries({1, 3});
  const DialogLook before = dialog_look();
  dialog().CmdDelfromlist.click();

  EXPECT_EQ(list_entries(), (Names{"p0.bmp", "p2.bmp", "p4.bmp"}));
  EXPECT_EQ(file_list(), (Names{"C:\\Five\\p0.bmp", "C:\\Five\\p2.bmp", "C:\\Five\\p4.bmp"}));
  // The slots behind the kept ones are emptied.
  EXPECT_EQ(file_list(5)[3], "");
  EXPECT_EQ(file_list(5)[4], "");
  EXPECT_EQ(dialog().List1.selected_count(), 0);
  EXPECT_FALSE(dialog().CmdDelfromlist.enabled());
  EXPECT_EQ(dialog().CmdAddtoList.enabled(), before.add);
  EXPECT_EQ(dialog().cmdAddAll.enabled(), before.add_all);
  EXPECT_TRUE(dialog().CmdOK.enabled());
  EXPECT_TRUE(main_window().cmdstart.enabled());
}

TEST_F(Deleting, NothingSelectedKeepsTheListAndSwitchesDeleteOff) {
  five_entries();
  dialog().List1.click(2);
  dialog().List1.ctrl_click(2);
  ASSERT_TRUE(dialog().CmdDelfromlist.enabled());
  const Names entries = list_entries(), paths = file_list();
  dialog().CmdDelfromlist.click();
  EXPECT_EQ(list_entries(), entries);
  EXPECT_EQ(file_list(), paths);
  EXPECT_FALSE(dialog().CmdDelfromlist.enabled());
  EXPECT_TRUE(main_window().cmdstart.enabled());
}

TEST_F(Deleting, EverythingSwitchesStartOffButLeavesOk) {
  five_entries();
  dialog().List1.click(0);
  dialog().List1.shift_click(4);
  dialog().CmdDelfromlist.click();
  EXPECT_TRUE(list_entries().empty());
  EXPECT_EQ(file_list(5), Names(5, ""));
  EXPECT_FALSE(dialog().CmdDelfromlist.enabled());
  EXPECT_FALSE(main_window().cmdstart.enabled());
  EXPECT_TRUE(dialog().CmdOK.enabled());
  EXPECT_TRUE(messages().empty());
}

}  // namespace
}  // namespace torvane::test
