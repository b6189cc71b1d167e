// A folder with more bitmap files than a list with 16-bit indices can hold: the file list
// shows what fits, in order, and the dialog goes on working. A system that answers with
// 40000 names stands in for 40000 files on disk.

#include <gtest/gtest.h>

#include <cstdio>
#include <map>

#include "app/program.h"
#include "common/message_box.h"
#include "platform/headless/headless_services.h"
#include "support/program_fixture.h"
#include "ui/file_controls.h"

namespace torvane::test {
namespace {

using Names = std::vector<std::string>;
constexpr int kHuge = 40000;

std::string huge_name(int i) {
  char name[32];
  std::snprintf(name, sizeof name, "img%05d.bmp", i);
  return name;
}

// One drive C: with the program folder and C:\Huge, whose files are 40000 bitmaps and a
// few others, handed out backwards so that the list has to sort them.
class HugeFolderSystem final : public platform::Services {
 public:
  std::vector<std::string> messages;

  bool query_work_area(platform::WorkArea& area) override {
    area = {0, 0, 800, 600};
    return true;
  }
  std::uint32_t button_face_colour() override { return 0xF0F0F0; }
  std::string program_folder() override { return "C:\\Torvane"; }
  std::string current_folder() override { return "C:\\"; }
  std::vector<platform::DriveInfo> drives() override { return {{'C', ""}}; }
  char system_drive() override { return 'C'; }
  std::string drive_current_folder(char) override { return "C:\\"; }
  std::vector<std::string> list_subfolders(const std::string& folder) override {
    if (folder == "C:\\") return {"Huge", "Torvane"};
    return {};
  }
  std::vector<std::string> list_files(const std::string& folder) override {
    if (folder != "C:\\Huge") return {};
    std::vector<std::string> names;
    for (int i = kHuge - 1; i >= 0; --i) {
      names.push_back(huge_name(i));
      if (i % 1000 == 0) names.push_back("note" + std::to_string(i) + ".txt");
    }
    return names;
  }
  std::unique_ptr<platform::ByteSource> open_for_reading(const std::string&) override {
    return nullptr;
  }
  std::optional<std::string> read_file(const std::string&) override { return std::nullopt; }
  bool replace_file(const std::string&, std::string_view) override { return true; }
  std::string to_ansi(std::string_view s) override { return std::string(s); }
  std::string from_ansi(std::string_view s) override { return std::string(s); }
  std::uint32_t clock_seed() override { return 1; }
  void seed_random(std::uint32_t) override {}
  float next_random() override { return 0.0f; }
  std::int32_t open_document(const std::string&, const std::string&) override { return 42; }
  void keep_display_awake(bool) override {}
  void message_box(std::string_view text, std::string_view) override {
    messages.emplace_back(text);
  }
  void quit() override {}
};

TEST(HugeFolder, TheFileListTakesTheFirstNamesThatFitInOrder) {
  HugeFolderSystem sys;
  ui::FormDefinition definition;
  definition.name = "Form";
  ui::Form form(definition);
  ui::FileListBox files(form, sys, "File1", {}, 0);
  files.set_path("C:\\Huge");

  ASSERT_EQ(files.count(), ui::FileListBox::kMaxEntries);
  EXPECT_TRUE(files.truncated());
  EXPECT_EQ(files.entry(0), huge_name(0));
  EXPECT_EQ(files.entry(32766), huge_name(32766));
  EXPECT_EQ(files.entry(32767), "");
  files.click(32766);
  EXPECT_EQ(files.filename(), huge_name(32766));
  files.shift_click(0);
  EXPECT_EQ(files.selected_count(), ui::FileListBox::kMaxEntries);

  // A smaller folder afterwards is listed whole again.
  files.set_path("C:\\Torvane");
  EXPECT_EQ(files.count(), 0);
  EXPECT_FALSE(files.truncated());
}

TEST(HugeFolder, TheDialogKeepsWorking) {
  HugeFolderSystem sys;
  platform::HeadlessWindowSystem windows;
  Program program(sys, windows);
  program.start();
  program.FrmIniMes().OKButton.click();
  program.FrmMain().cmdsetting.click();
  auto& dialog = program.FrmSelectFiles();
  dialog.Dir1.set_path("C:\\Huge");
  ASSERT_EQ(dialog.File1.count(), ui::FileListBox::kMaxEntries);
  EXPECT_TRUE(dialog.cmdAddAll.enabled());

  dialog.cmdAddAll.click();
  EXPECT_EQ(sys.messages, Names{std::string(messages::kListFull)});
  EXPECT_EQ(dialog.List1.count(), 50);

  // Make room, then take the very last file the list shows.
  dialog.List1.click(0);
  dialog.CmdDelfromlist.click();
  dialog.File1.click(dialog.File1.count() - 1);
  dialog.CmdAddtoList.click();
  EXPECT_EQ(dialog.List1.entry(49), huge_name(32766));
  EXPECT_EQ(program.state().FileList[49], "C:\\Huge\\" + huge_name(32766));

  dialog.CmdOK.click();
  EXPECT_EQ(program.state().PlayList.size(), 51u);
  EXPECT_EQ(program.state().PlayList[49], "C:\\Huge\\" + huge_name(32766));
  EXPECT_TRUE(program.FrmMain().visible());
}

// However many names a change carries, a list tells its window once per change: a window
// that is told per entry shows them one by one, which on screen costs per entry.
TEST(HugeFolder, EachChangeOfAListReachesItsWindowOnce) {
  using Counts = std::map<std::string, int>;
  HugeFolderSystem sys;
  HookedWindowSystem windows;
  Counts told;  // entries and selection changes, by control
  windows.on_control_changed = [&](ui::Control& c, ui::Aspect what) {
    if (what == ui::Aspect::entries || what == ui::Aspect::selection) ++told[c.name()];
  };
  Program program(sys, windows);
  program.start();
  program.FrmIniMes().OKButton.click();
  program.FrmMain().cmdsetting.click();
  auto& dialog = program.FrmSelectFiles();

  told.clear();
  dialog.Dir1.set_path("C:\\Huge");
  dialog.File1.click(0);
  dialog.File1.shift_click(ui::FileListBox::kMaxEntries - 1);
  EXPECT_EQ(told, (Counts{{"Dir1", 1}, {"File1", 3}}));

  told.clear();
  dialog.cmdAddAll.click();
  ASSERT_EQ(dialog.List1.count(), 50);
  dialog.List1.shift_click(49);
  dialog.CmdDelfromlist.click();
  EXPECT_EQ(told, (Counts{{"List1", 4}}));

  told.clear();
  dialog.CmdCancel.click();
  EXPECT_EQ(told, (Counts{{"Dir1", 1}, {"File1", 1}, {"List1", 1}}));
}

}  // namespace
}  // namespace torvane::test
