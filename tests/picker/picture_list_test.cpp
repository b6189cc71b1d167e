// Building the picture list: 追加, 全て追加 and 削除, up to 50 entries, with the full paths
// kept beside the names and the buttons switched as the user goes.

#include <functional>

#include "support/program_fixture.h"

namespace torvane::test {
namespace {

class PictureList : public ProgramFixture {
 public:
  // The dialog open on C:\Pics with a.bmp, b.bmp and c.bmp; the list empty.
  void open_on_pics() {
    make_bitmaps("C:\\Pics", {"a.bmp", "b.bmp", "c.bmp"});
    open_dialog();
    go_to_folder("C:\\Pics");
  }
  // The list filled with the first `n` files of C:\Many (60 pictures), then the file list
  // back on that folder with nothing selected.
  Names fill_list_from_many(int n) {
    const Names many = make_numbered_bitmaps("C:\\Many", 60);
    open_dialog();
    go_to_folder("C:\\Many");
    select_file_range(0, n - 1);
    add();
    go_to_folder("C:\\");
    go_to_folder("C:\\Many");
    return many;
  }
  static Names in(const std::string& folder, const Names& names) {
    Names out;
    for (const auto& n : names) out.push_back(folder + "\\" + n);
    return out;
  }
};

// Each file appended switches on 設定 (when the interval is not empty) and スタート, and
// nothing else: not the other buttons, not the selections.
TEST_F(PictureList, AddingAppendsAndSwitchesOnlyOkAndStart) {
  const struct {
    bool add_all;
    const char* minute;
    bool ok_after;
  } rows[] = {{false, "3", true}, {false, "", false}, {true, "3", true}, {true, "", false},
              {false, "abc", true}};  // the text is not checked here; the commit does that
  open_on_pics();
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.add_all ? "全て追加" : "追加") + " '" + row.minute + "'");
    // One entry already there and clicked, so that 削除 is on and must stay on.
    if (dialog().List1.count() > 0) {
      dialog().List1.click(0);
      dialog().List1.shift_click(dialog().List1.count() - 1);
      delete_selected();
    }
    select_files({"a.bmp"});
    add();
    select_list_entries({0});
    type_interval(row.minute);
    dialog().CmdOK.set_enabled(false);
    main_window().cmdstart.set_enabled(false);
    select_files({"b.bmp", "c.bmp"});
    DialogLook expected = dialog_look();

    row.add_all ? add_all() : add();

    expected.list = row.add_all ? Names{"a.bmp", "a.bmp", "b.bmp", "c.bmp"} : Names{"a.bmp", "b.bmp", "c.bmp"};
    expected.list_selected.resize(expected.list.size(), false);
    expected.ok = row.ok_after;
    EXPECT_EQ(dialog_look(), expected);
    EXPECT_EQ(file_list(), in("C:\\Pics", expected.list));
    EXPECT_TRUE(main_window().cmdstart.enabled());
    EXPECT_TRUE(messages().empty());
  }
}

TEST_F(PictureList, TheSameFileTwiceGivesTwoEntriesAndPathsGetOneBackslash) {
  const char* folders[] = {"C:\\", "D:\\", "D:\\Deep\\Er"};
  for (const char* folder : folders) make_bitmaps(folder, {"a.bmp"});
  open_dialog();
  for (const char* folder : folders) {
    go_to_folder(folder);
    add_all();
  }
  select_files({"a.bmp"});
  add();
  EXPECT_EQ(list_entries(), Names(4, "a.bmp"));
  EXPECT_EQ(file_list(), (Names{"C:\\a.bmp", "D:\\a.bmp", "D:\\Deep\\Er\\a.bmp", "D:\\Deep\\Er\\a.bmp"}));
}

// Nothing to add, or nothing chosen: no entry, no message, no button changes.
TEST_F(PictureList, NothingToAddChangesNothing) {
  const struct {
    const char* name;
    std::function<void(PictureList&)> arrange, act;
  } rows[] = {
      // A click makes a file current and switches 追加 on; Ctrl+click unselects it again.
      {"nothing selected", [](PictureList& t) { t.open_on_pics(); t.dialog().File1.click(1); t.dialog().File1.ctrl_click(1); },
       [](PictureList& t) { t.add(); }},
      // A new dialog on C:\, which holds no picture: 全て追加 is on all the same.
      {"empty file list", [](PictureList& t) { t.open_dialog(); }, [](PictureList& t) { t.add_all(); }},
      {"full list, nothing selected",
       [](PictureList& t) { t.fill_list_from_many(50); t.dialog().File1.click(55); t.dialog().File1.ctrl_click(55); },
       [](PictureList& t) { t.add(); }},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    restart(true);
    row.arrange(*this);
    const DialogLook before = dialog_look();
    const bool start_before = main_window().cmdstart.enabled();
    row.act(*this);
    EXPECT_EQ(dialog_look(), before);
    EXPECT_EQ(main_window().cmdstart.enabled(), start_before);
    EXPECT_TRUE(messages().empty());
  }
}

// ---- The capacity of 50 ---------------------------------------------------------------

TEST_F(PictureList, FortyEightPlusThreeSelectedAddsTwoThenSaysFull) {
  const Names many = fill_list_from_many(48);
  select_list_entries({0});
  dialog().CmdOK.set_enabled(false);
  select_files({many[50], many[52], many[55]});
  DialogLook at_message;
  sys.on_message = [&](const Message&) { at_message = dialog_look(); };

  add();

  EXPECT_EQ(messages(), std::vector<Message>{kListFull});
  // The box comes while the two are in and before the buttons go off.
  EXPECT_EQ(at_message.list.size(), 50u);
  EXPECT_TRUE(at_message.add && at_message.add_all);
  Names expected(many.begin(), many.begin() + 48);
  expected.push_back(many[50]);
  expected.push_back(many[52]);
  EXPECT_EQ(list_entries(), expected);
  EXPECT_EQ(file_list(), in("C:\\Many", expected));
  EXPECT_FALSE(dialog().CmdAddtoList.enabled());
  EXPECT_FALSE(dialog().cmdAddAll.enabled());
  // Unchanged by the stop: 削除 stays on; 設定 was switched on by the two additions.
  EXPECT_TRUE(dialog().CmdDelfromlist.enabled());
  EXPECT_TRUE(dialog().CmdOK.enabled());
}

TEST_F(PictureList, AddAllInAFolderOfSixtyTakesTheFirstFiftyThenStopsForGood) {
  const Names many = make_numbered_bitmaps("C:\\Many", 60);
  open_dialog();
  go_to_folder("C:\\Many");
  add_all();
  EXPECT_EQ(messages(), std::vector<Message>{kListFull});
  EXPECT_EQ(list_entries(), Names(many.begin(), many.begin() + 50));
  EXPECT_EQ(file_list(), in("C:\\Many", Names(many.begin(), many.begin() + 50)));
  EXPECT_FALSE(dialog().CmdAddtoList.enabled());
  EXPECT_FALSE(dialog().cmdAddAll.enabled());

  // Deleting frees places but brings neither back; a click in the file list and a change
  // of folder do.
  select_list_entries({0});
  delete_selected();
  EXPECT_FALSE(dialog().CmdAddtoList.enabled());
  EXPECT_FALSE(dialog().cmdAddAll.enabled());
  dialog().File1.click(0);
  EXPECT_TRUE(dialog().CmdAddtoList.enabled());
  go_to_folder("C:\\");
  go_to_folder("C:\\Many");
  EXPECT_TRUE(dialog().cmdAddAll.enabled());
}

// ---- Deleting -------------------------------------------------------------------------

TEST_F(PictureList, DeleteRemovesTheSelectedEntriesAndTheirPaths) {
  const Names five{"p0.bmp", "p1.bmp", "p2.bmp", "p3.bmp", "p4.bmp"};
  const struct {
    std::function<void(PictureList&)> select;
    Names kept;
  } rows[] = {
      {[](PictureList& t) { t.select_list_entries({1, 3}); }, {"p0.bmp", "p2.bmp", "p4.bmp"}},
      {[](PictureList& t) { t.select_list_entries({2, 2}); }, five},  // clicked, then unselected
      {[](PictureList& t) { t.dialog().List1.click(0); t.dialog().List1.shift_click(4); }, {}},
  };
  make_bitmaps("C:\\Five", five);
  for (const auto& row : rows) {
    restart(true);
    open_dialog();
    go_to_folder("C:\\Five");
    add_all();
    row.select(*this);
    DialogLook expected = dialog_look();
    ASSERT_TRUE(expected.ok && expected.del);
    delete_selected();
    expected.list = row.kept;
    expected.list_selected.assign(row.kept.size(), false);
    expected.del = false;
    EXPECT_EQ(dialog_look(), expected);
    // The paths follow their names; the slots behind them are emptied.
    Names paths = in("C:\\Five", row.kept);
    paths.resize(5);
    EXPECT_EQ(file_list(5), paths);
    EXPECT_EQ(main_window().cmdstart.enabled(), !row.kept.empty());
    EXPECT_TRUE(messages().empty());
  }
}

}  // namespace
}  // namespace torvane::test
