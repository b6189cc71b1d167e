#pragma once
// A whole program on the headless backend, over a scratch folder tree mapped as drives C:
// and D: (the way Wine maps drive letters to host folders). Tests act through it as a user
// would — start the program, open the picture list dialog, walk to a folder, pick files,
// click buttons — and read back what the user sees: texts, enabled states, which window is
// visible, the messages and their titles.
//
//   class MyTest : public torvane::test::ProgramFixture {};
//   TEST_F(MyTest, AddsAFile) {
//     make_bitmaps("C:\\Pics", {"a.bmp"});
//     auto& dialog = open_dialog();
//     go_to_folder("C:\\Pics");
//     select_files({"a.bmp"});
//     dialog.CmdAddtoList.click();
//     EXPECT_EQ(list_entries(), (Names{"a.bmp"}));
//   }

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <memory>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "app/program.h"
#include "platform/headless/headless_services.h"
#include "ui/file_controls.h"

namespace torvane::test {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

// A valid 24-bit bitmap of one white pixel: file header, BITMAPINFOHEADER, one padded row.
inline std::string tiny_bmp() {
  const unsigned char bytes[] = {
      'B', 'M', 58, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,         // file header
      40, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 24, 0,       // size, 1x1, 1 plane, 24 bits
      0, 0, 0, 0, 4, 0, 0, 0, 0x13, 0x0B, 0, 0, 0x13, 0x0B, 0, 0,  // BI_RGB, image size, dpi
      0, 0, 0, 0, 0, 0, 0, 0,                                  // palette counts
      0xFF, 0xFF, 0xFF, 0,                                     // the pixel and its padding
  };
  return std::string(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

// A fresh folder under the system's temporary folder, removed with all it holds at the end.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::string pattern = (fs::temp_directory_path() / "torvane-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot create a scratch folder");
    root_ = pattern;
  }
  ~ScratchFolder() {
    std::error_code ec;
    fs::remove_all(root_, ec);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const fs::path& root() const { return root_; }

 private:
  fs::path root_;
};

// Views that draw nothing but let a test step in at the moment a control tells its window it
// changed, e.g. to take a folder away between listing its sub-folders and its files.
class HookedWindowSystem final : public ui::WindowSystem {
 public:
  std::function<void(ui::Control&, ui::Aspect)> on_control_changed;

  std::unique_ptr<ui::FormView> create_view(ui::Form&) override {
    return std::make_unique<View>(*this);
  }

 private:
  class View final : public ui::FormView {
   public:
    explicit View(HookedWindowSystem& owner) : owner_(owner) {}
    void create() override {}
    void form_changed() override {}
    void bring_to_front() override {}
    void control_changed(ui::Control& control, ui::Aspect what) override {
      if (owner_.on_control_changed) owner_.on_control_changed(control, what);
    }
    void set_focus(ui::Control&) override {}
    void destroy() override {}

   private:
    HookedWindowSystem& owner_;
  };
};

// What the picture list dialog shows, for "nothing changed" checks and readable failures.
struct DialogLook {
  std::string drive, folder, file_folder, minute;
  Names files, list;
  std::vector<bool> files_selected, list_selected;
  int random = 0;
  bool visible = false;
  bool ok = false, cancel = false, add = false, add_all = false, del = false, help = false;
  bool operator==(const DialogLook&) const = default;
};

inline void PrintTo(const DialogLook& d, std::ostream* os) {
  auto names = [&](const Names& v) {
    *os << "{";
    for (const auto& n : v) *os << n << ",";
    *os << "}";
  };
  *os << "drive=" << d.drive << " folder=" << d.folder << " files_of=" << d.file_folder
      << " minute='" << d.minute << "' random=" << d.random << " visible=" << d.visible
      << " ok/cancel/add/all/del/help=" << d.ok << d.cancel << d.add << d.add_all << d.del
      << d.help << " files=";
  names(d.files);
  *os << " list=";
  names(d.list);
}

class ProgramFixture : public ::testing::Test {
 protected:
  ProgramFixture() {
    fs::create_directories(scratch_.root() / "C");
    fs::create_directories(scratch_.root() / "D");
    sys.map_drive('C', scratch_.root() / "C");
    sys.map_drive('D', scratch_.root() / "D", "DATA");
    make_folder(sys.program_folder());
  }

  // -- The folder tree ------------------------------------------------------------------
  // Where a path of a mapped drive lies on the host, whether it exists or not.
  fs::path host(std::string_view windows_path) const {
    if (windows_path.size() < 2 || windows_path[1] != ':')
      throw std::invalid_argument("not a full path: " + std::string(windows_path));
    fs::path p = scratch_.root() / std::string(1, static_cast<char>(std::toupper(windows_path[0])));
    std::string rest(windows_path.substr(2));
    std::replace(rest.begin(), rest.end(), '\\', '/');
    while (!rest.empty() && rest.front() == '/') rest.erase(rest.begin());
    return rest.empty() ? p : p / rest;
  }
  // The scratch folder. A further drive goes under it by the same rule, so that host() finds
  // it too: sys.map_drive('E', scratch_root() / "E").
  fs::path scratch_root() const { return scratch_.root(); }

  void make_folder(std::string_view windows_folder) { fs::create_directories(host(windows_folder)); }

  void write_file(std::string_view windows_path, std::string_view bytes) {
    const fs::path p = host(windows_path);
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }

  // A tiny valid bitmap under each name (any file name works: "notes.txt" too).
  void make_bitmaps(std::string_view windows_folder, const Names& names) {
    make_folder(windows_folder);
    for (const auto& n : names) write_file(ui::join_path(windows_folder, n), tiny_bmp());
  }
  void make_bitmaps(std::string_view windows_folder, std::initializer_list<const char*> names) {
    make_bitmaps(windows_folder, Names(names.begin(), names.end()));
  }
  // `count` bitmaps named prefix00.bmp, prefix01.bmp, ...; returns their names in the order
  // the file list shows them.
  Names make_numbered_bitmaps(std::string_view windows_folder, int count,
                              std::string_view prefix = "pic") {
    // Numbers of one width, so that the names sort as the numbers do.
    const int width = std::max(2, static_cast<int>(std::to_string(std::max(count - 1, 0)).size()));
    Names names;
    for (int i = 0; i < count; ++i) {
      std::string number = std::to_string(i);
      number.insert(0, static_cast<std::size_t>(width) - number.size(), '0');
      names.push_back(std::string(prefix) + number + ".bmp");
    }
    make_bitmaps(windows_folder, names);
    return names;
  }

  void remove(std::string_view windows_path) { fs::remove_all(host(windows_path)); }

  // -- The user ---------------------------------------------------------------------------
  // Starts the program and presses OK on the intro window; the main window loads and shows.
  void start() {
    if (started_) return;
    started_ = true;
    program.start();
    program.FrmIniMes().OKButton.click();
  }

  // Clicks 設定 on the main window (starting the program first if need be).
  forms::FrmSelectFiles& open_dialog() {
    start();
    main_window().cmdsetting.click();
    return dialog();
  }

  // Picks a drive in the drive list ("D:", "d: [DATA]").
  void choose_drive(std::string_view drive) { dialog().Drive1.set_drive(drive); }

  // Walks to a folder: its drive in the drive list first, then the folder in the folder list.
  void go_to_folder(std::string_view windows_folder) {
    auto& d = dialog();
    if (std::toupper(d.Drive1.drive()[0]) != std::toupper(windows_folder[0]))
      choose_drive(windows_folder.substr(0, 2));
    d.Dir1.set_path(windows_folder);
  }

  // Double-clicks the entry of the folder list whose text is `name` ("Pics", "C:\").
  void open_folder_entry(std::string_view name) {
    auto& dir = dialog().Dir1;
    for (int i = 0; i < static_cast<int>(dir.entries().size()); ++i) {
      if (ui::same_path(dir.entries()[i].text, name)) {
        dir.open_entry(i);
        return;
      }
    }
    ADD_FAILURE() << "no folder entry " << name;
  }

  // Clicks the first name and Ctrl+clicks the others in the file list.
  void select_files(const Names& names) { select_by_name(dialog().File1, names); }
  void select_files(std::initializer_list<const char*> names) {
    select_files(Names(names.begin(), names.end()));
  }
  // Click on entry `first`, Shift+click on entry `last` of the file list.
  void select_file_range(int first, int last) {
    dialog().File1.click(first);
    dialog().File1.shift_click(last);
  }
  // Clicks the first index and Ctrl+clicks the others in the picture list.
  void select_list_entries(std::initializer_list<int> indices) {
    auto& list = dialog().List1;
    bool first = true;
    for (int i : indices) {
      if (first) list.click(i);
      else list.ctrl_click(i);
      first = false;
    }
  }

  void type_interval(std::string_view text) { dialog().minute.set_text(text); }

  // -- What the user sees -----------------------------------------------------------------
  forms::FrmMain& main_window() { return program.FrmMain(); }
  forms::FrmSelectFiles& dialog() { return program.FrmSelectFiles(); }
  ProgramState& state() { return program.state(); }

  Names list_entries() { return dialog().List1.entries(); }
  Names file_entries() { return dialog().File1.entries(); }
  // FileList slots 0 to n - 1.
  Names file_list(int n) {
    Names out;
    for (int i = 0; i < n; ++i) out.push_back(entry_or_empty(state().FileList, i));
    return out;
  }
  // FileList slots for every entry of the picture list.
  Names file_list() { return file_list(dialog().List1.count()); }
  Names play_list() { return state().PlayList; }

  DialogLook dialog_look() {
    auto& d = dialog();
    DialogLook look;
    look.drive = d.Drive1.drive();
    look.folder = d.Dir1.path();
    look.file_folder = d.File1.path();
    look.minute = d.minute.text();
    look.files = d.File1.entries();
    look.list = d.List1.entries();
    for (int i = 0; i < d.File1.count(); ++i) look.files_selected.push_back(d.File1.selected(i));
    for (int i = 0; i < d.List1.count(); ++i) look.list_selected.push_back(d.List1.selected(i));
    look.random = d.ChkRandom.value();
    look.visible = d.visible();
    look.ok = d.CmdOK.enabled();
    look.cancel = d.CmdCancel.enabled();
    look.add = d.CmdAddtoList.enabled();
    look.add_all = d.cmdAddAll.enabled();
    look.del = d.CmdDelfromlist.enabled();
    look.help = d.cmdhlp.enabled();
    return look;
  }

  const std::vector<platform::HeadlessServices::Message>& messages() const { return sys.messages; }

 private:
  template <class List>
  void select_by_name(List& list, const Names& names) {
    bool first = true;
    for (const auto& name : names) {
      const auto& e = list.entries();
      const auto it = std::find(e.begin(), e.end(), name);
      if (it == e.end()) {
        ADD_FAILURE() << "no entry " << name;
        continue;
      }
      const int i = static_cast<int>(it - e.begin());
      if (first) list.click(i);
      else list.ctrl_click(i);
      first = false;
    }
  }

  ScratchFolder scratch_;  // first in, last out: the program may still read it while it ends
  bool started_ = false;

 protected:
  platform::HeadlessServices sys;
  HookedWindowSystem windows;
  Program program{sys, windows};
};

using Message = platform::HeadlessServices::Message;

}  // namespace torvane::test

// So that EXPECT_EQ compares and prints recorded message boxes.
namespace torvane::platform {
inline bool operator==(const HeadlessServices::Message& a, const HeadlessServices::Message& b) {
  return a.text == b.text && a.title == b.title;
}
inline void PrintTo(const HeadlessServices::Message& m, std::ostream* os) {
  *os << "[" << m.title << "] " << m.text;
}
}  // namespace torvane::platform
