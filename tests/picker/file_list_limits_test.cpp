// A folder with more pictures than a list with 16-bit indices can hold: the file list shows
// the first 32767 in order, and the dialog goes on working. Names the system hands out for
// C:\Huge stand in for 40000 files on disk.

#include <cstdio>

#include "support/program_fixture.h"

namespace torvane::test {
namespace {

std::string huge_name(int i) {
  char name[32];
  std::snprintf(name, sizeof name, "img%05d.bmp", i);
  return name;
}

class HugeFolder : public ProgramFixture {};

TEST_F(HugeFolder, TheFileListTakesTheFirstNamesThatFitAndTheDialogKeepsWorking) {
  make_folder("C:\\Huge");
  sys.on_list_files = [](const std::string& folder, Names& extra) {
    if (folder != "C:\\Huge") return;
    // Backwards, and with other files among them, so that the list has to sort and filter.
    for (int i = 40000 - 1; i >= 0; --i) {
      extra.push_back(huge_name(i));
      if (i % 1000 == 0) extra.push_back("note" + std::to_string(i) + ".txt");
    }
  };
  open_dialog();
  go_to_folder("C:\\Huge");
  ASSERT_EQ(dialog().File1.count(), 32767);
  EXPECT_EQ(dialog().File1.entry(0), huge_name(0));
  EXPECT_EQ(dialog().File1.entry(32766), huge_name(32766));
  select_file_range(32766, 0);
  EXPECT_EQ(dialog().File1.selected_count(), 32767);

  add_all();
  EXPECT_EQ(messages(), std::vector<Message>{kListFull});
  EXPECT_EQ(dialog().List1.count(), 50);
  // Make room, then take the very last file the list shows.
  select_list_entries({0});
  delete_selected();
  dialog().File1.click(32766);
  add();
  EXPECT_EQ(dialog().List1.entry(49), huge_name(32766));
  commit();
  ASSERT_EQ(play_list().size(), 51u);
  EXPECT_EQ(play_list()[49], "C:\\Huge\\" + huge_name(32766));

  // A smaller folder afterwards is listed whole again.
  open_dialog();
  go_to_folder("C:\\Torvane");
  EXPECT_EQ(dialog().File1.count(), 0);
}

}  // namespace
}  // namespace torvane::test
