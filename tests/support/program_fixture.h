#pragma once
// A scratch machine and the program on the headless backend, driven as a user drives it.
// Drives C: and D: [DATA] are fresh host folders (the way Wine maps drive letters), the
// program lives in C:\Torvane and its current folder is C:\. Tests act through the verbs
// below and read back what the user sees: texts, enabled states, which window is visible,
// the picture on the screen, the messages and the bytes of TorVan.ini.
//
//   class MyTest : public torvane::test::ProgramFixture {};
//   TEST_F(MyTest, AddsAFile) {
//     make_bitmaps("C:\\Pics", {"a.bmp"});
//     open_dialog();
//     go_to_folder("C:\\Pics");
//     select_files({"a.bmp"});
//     add();
//     EXPECT_EQ(list_entries(), (Names{"a.bmp"}));
//   }

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "app/program.h"
#include "platform/headless/headless_services.h"
#include "support/bmp_writer.h"
#include "support/expected_texts.h"

namespace torvane::test {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

// TorVan.ini as the close writes it: the folder line (ending in "\"), the random option and
// the interval, the first two with a LF before their CR LF.
inline std::string settings_bytes(std::string_view folder, std::string_view random,
                                  std::string_view minute) {
  return std::string(folder) + "\n\r\n" + std::string(random) + "\n\r\n" + std::string(minute) +
         "\r\n";
}

// Bytes as a failure message shows them: "43 3A 5C 0A".
inline std::string hex(std::string_view bytes) {
  static const char* digits = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : bytes) {
    if (!out.empty()) out += ' ';
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

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

// Its verbs are public, so that the rows of a table can act through them.
class ProgramFixture : public ::testing::Test {
 public:
  ProgramFixture() {
    std::string pattern = (fs::path(::testing::TempDir()) / "torvane-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot create a scratch folder");
    root_ = pattern;
    add_drive('C');
    add_drive('D', "DATA");
    make_folder("C:\\Torvane");
  }
  ~ProgramFixture() override {
    program_.reset();  // the program may still read the scratch folder while it ends
    std::error_code ec;
    fs::remove_all(root_, ec);
  }

  // -- The machine ------------------------------------------------------------------------
  // A further drive in the scratch folder ('E', a card reader...).
  void add_drive(char letter, std::string label = {}) {
    fs::create_directories(root_ / std::string(1, letter));
    sys.map_drive(letter, root_ / std::string(1, letter), std::move(label));
  }
  fs::path scratch_root() const { return root_; }
  fs::path host(std::string_view windows_path) const { return sys.host_path(std::string(windows_path)); }
  void make_folder(std::string_view folder) { fs::create_directories(host(folder)); }
  void write_file(std::string_view path, std::string_view bytes) {
    const fs::path p = host(path);
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  std::optional<std::string> file_bytes(std::string_view path) const {
    std::ifstream in(host(path), std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
  }
  void remove(std::string_view path) { fs::remove_all(host(path)); }

  // A picture of a colour of its own under each name, so that the screen tells which one it
  // shows. Any name works ("notes.txt" too).
  void make_bitmaps(std::string_view folder, const Names& names) {
    make_folder(folder);
    for (const auto& n : names) make_bitmap(ui::join_path(folder, n));
  }
  void make_bitmaps(std::string_view folder, std::initializer_list<const char*> names) {
    make_bitmaps(folder, Names(names.begin(), names.end()));
  }
  // Returns the picture's colour, 0xRRGGBB.
  std::uint32_t make_bitmap(std::string_view path, int width = 2, int height = 2, int bpp = 24) {
    const std::uint32_t rgb =
        (0x102030u + 0x030507u * static_cast<std::uint32_t>(colours_.size())) & 0xFFFFFFu;
    colours_[rgb] = std::string(path.substr(path.rfind('\\') + 1));
    write_file(path, solid_bmp(rgb, width, height, bpp));
    return rgb;
  }
  // `count` pictures prefix00.bmp, prefix01.bmp...; their names in the file list's order.
  Names make_numbered_bitmaps(std::string_view folder, int count, std::string_view prefix = "pic") {
    // Numbers of one width, so that the names sort as the numbers do.
    const std::size_t width = std::max<std::size_t>(2, std::to_string(std::max(count - 1, 0)).size());
    Names names;
    for (int i = 0; i < count; ++i) {
      const std::string number = std::to_string(i);
      names.push_back(std::string(prefix) + std::string(width - number.size(), '0') + number + ".bmp");
    }
    make_bitmaps(folder, names);
    return names;
  }

  std::string settings_path() { return sys.program_folder() + "\\TorVan.ini"; }
  void write_settings(std::string_view bytes) { write_file(settings_path(), bytes); }
  std::optional<std::string> settings_file() { return file_bytes(settings_path()); }

  // -- The user ---------------------------------------------------------------------------
  // Program start: the intro window comes up.
  void launch() {
    program_.reset();
    sys.messages.clear();
    sys.quit_requested = false;
    program_ = std::make_unique<Program>(sys, windows);
    program_->start();
  }
  void press_intro_ok() { intro().OKButton.click(); }
  // Launches and presses OK on the intro, unless a run is going on: the main window loads
  // and shows.
  void start() {
    if (running()) return;
    launch();
    press_intro_ok();
  }
  bool running() const { return program_ && !program_->ended(); }
  // A new run on the same machine; the running one is closed first, as the user would.
  // `forgetting` then removes the settings the close wrote, as before a first start.
  void restart(bool forgetting = false) {
    if (running()) close();
    if (forgetting) remove(settings_path());
    program_.reset();
    start();
  }
  // 設定 on the main window (starting the program first if need be).
  forms::FrmSelectFiles& open_dialog() {
    start();
    main_window().cmdsetting.click();
    return dialog();
  }
  // Picks a drive in the drive list ("D:", "d: [DATA]").
  void choose_drive(std::string_view drive) { dialog().Drive1.set_drive(drive); }
  // Walks to a folder: its drive in the drive list first, then the folder in the folder list.
  void go_to_folder(std::string_view folder) {
    if (!ui::same_path(std::string_view(dialog().Drive1.drive()).substr(0, 1), folder.substr(0, 1)))
      choose_drive(folder.substr(0, 2));
    dialog().Dir1.set_path(folder);
  }
  // Double-clicks the entry of the folder list whose text is `name` ("Pics", "C:\").
  void open_folder_entry(std::string_view name) {
    auto& dir = dialog().Dir1;
    for (int i = 0; i < static_cast<int>(dir.entries().size()); ++i)
      if (ui::same_path(dir.entries()[i].text, name)) return dir.open_entry(i);
    ADD_FAILURE() << "no folder entry " << name;
  }
  // Clicks the first name and Ctrl+clicks the others in the file list.
  void select_files(const Names& names) {
    auto& files = dialog().File1;
    for (std::size_t k = 0; k < names.size(); ++k) {
      const auto it = std::find(files.entries().begin(), files.entries().end(), names[k]);
      if (it == files.entries().end()) {
        ADD_FAILURE() << "no file " << names[k];
        continue;
      }
      const int i = static_cast<int>(it - files.entries().begin());
      k == 0 ? files.click(i) : files.ctrl_click(i);
    }
  }
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
    bool first = true;
    for (int i : indices) {
      first ? dialog().List1.click(i) : dialog().List1.ctrl_click(i);
      first = false;
    }
  }
  void type_interval(std::string_view text) { dialog().minute.set_text(text); }
  void click_random() { dialog().ChkRandom.click(); }
  // ランダム, the label beside the box.
  void click_random_label() { dialog().Label3.click(); }
  void add() { dialog().CmdAddtoList.click(); }
  void add_all() { dialog().cmdAddAll.click(); }
  void delete_selected() { dialog().CmdDelfromlist.click(); }
  void commit() { dialog().CmdOK.click(); }
  void cancel() { dialog().CmdCancel.click(); }
  void ask_for_help() { dialog().cmdhlp.click(); }
  void start_show() { main_window().cmdstart.click(); }
  void let_minutes_pass(int minutes) {
    for (int i = 0; i < minutes; ++i) main_window().Timer1.tick();
  }
  // Time as the system's timers see it, for what happens within a minute.
  void let_seconds_pass(int seconds) { windows.let_time_pass(seconds * 1000); }
  void click_picture() { screen().Picture1.click(); }
  // The main window's close box (or the system closing it).
  void close() { main_window().request_close(); }

  // -- What the user sees -----------------------------------------------------------------
  Program& program() { return *program_; }
  forms::FrmIniMes& intro() { return program_->FrmIniMes(); }
  forms::FrmMain& main_window() { return program_->FrmMain(); }
  forms::FrmSelectFiles& dialog() { return program_->FrmSelectFiles(); }
  forms::FrmScrn& screen() { return program_->FrmScrn(); }
  ProgramState& state() { return program_->state(); }
  const std::vector<Message>& messages() const { return sys.messages; }

  Names list_entries() { return dialog().List1.entries(); }
  Names file_entries() { return dialog().File1.entries(); }
  // FileList slots 0 to n - 1; without n, one per entry of the picture list.
  Names file_list(int n = -1) {
    if (n < 0) n = dialog().List1.count();
    Names out;
    for (int i = 0; i < n; ++i) out.push_back(entry_or_empty(state().FileList, i));
    return out;
  }
  Names play_list() { return state().PlayList; }

  // The name of the picture on the screen ("a.bmp"), "" for an empty area.
  std::string shown() {
    const auto& p = screen().Picture1.picture();
    if (p.width == 0) return "";
    const std::uint32_t first = p.pixel(0, 0);
    for (int y = 0; y < p.height; ++y)
      for (int x = 0; x < p.width; ++x)
        if (p.pixel(x, y) != first) return "(mixed)";
    const auto it = colours_.find(first);
    return it == colours_.end() ? "(unknown)" : it->second;
  }

  DialogLook dialog_look() {
    auto& d = dialog();
    DialogLook look;
    look.drive = d.Drive1.drive(), look.folder = d.Dir1.path(), look.file_folder = d.File1.path();
    look.minute = d.minute.text(), look.files = d.File1.entries(), look.list = d.List1.entries();
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

  fs::path root_;  // first in, last out
  platform::HeadlessServices sys;
  platform::HeadlessWindowSystem windows;

 private:
  std::unique_ptr<Program> program_;
  std::map<std::uint32_t, std::string> colours_;
};

}  // namespace torvane::test
