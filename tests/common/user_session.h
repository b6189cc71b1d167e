#pragma once
// A scratch machine for one test: drive C: in a fresh host folder, the program in
// C:\Torvane, more drives and files on request, and the program itself, driven the way a
// user drives it (start, OK on the intro, clicks, typing, the close box).

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>

#include "app/program.h"
#include "platform/headless/headless_services.h"

namespace torvane::test {

namespace fs = std::filesystem;

// A valid 24-bit bitmap of one colour (0xRRGGBB), bottom-up, as paint programs save it.
inline std::string solid_bmp(std::uint32_t rgb, int width = 2, int height = 2) {
  const int stride = (width * 3 + 3) / 4 * 4;
  const int data = stride * height;
  std::string b(54 + data, '\0');
  auto put = [&](int at, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) b[at + i] = static_cast<char>(v >> (8 * i));
  };
  b[0] = 'B';
  b[1] = 'M';
  put(2, static_cast<std::uint32_t>(b.size()), 4);
  put(10, 54, 4);
  put(14, 40, 4);
  put(18, static_cast<std::uint32_t>(width), 4);
  put(22, static_cast<std::uint32_t>(height), 4);
  put(26, 1, 2);
  put(28, 24, 2);
  put(34, static_cast<std::uint32_t>(data), 4);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) put(54 + y * stride + x * 3, rgb, 3);
  return b;
}

// Bytes as a test reads them in a failure message: "43 3A 5C 0A".
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

class UserSession {
 public:
  UserSession() {
    std::string pattern = (fs::path(::testing::TempDir()) / "torvane-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("no scratch folder");
    root_ = pattern;
    add_drive('C');
    make_folder("C:\\Torvane");
    sys.set_program_folder("C:\\Torvane");
    sys.set_current_folder("C:\\");
  }
  ~UserSession() {
    program_.reset();
    std::error_code ec;
    fs::remove_all(root_, ec);
  }
  UserSession(const UserSession&) = delete;
  UserSession& operator=(const UserSession&) = delete;

  platform::HeadlessServices sys;
  platform::HeadlessWindowSystem windows;

  // -- The machine ------------------------------------------------------------------------
  void add_drive(char letter, std::string label = {}) {
    const fs::path host = root_ / std::string(1, letter);
    fs::create_directories(host);
    sys.map_drive(letter, host, std::move(label));
  }
  void make_folder(const std::string& path) { fs::create_directories(sys.host_path(path)); }
  void put_file(const std::string& path, std::string_view bytes) {
    const fs::path host = sys.host_path(path);
    fs::create_directories(host.parent_path());
    std::ofstream(host, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  void put_picture(const std::string& path, std::uint32_t rgb, int width = 2, int height = 2) {
    put_file(path, solid_bmp(rgb, width, height));
  }
  void remove_file(const std::string& path) { fs::remove(sys.host_path(path)); }
  std::optional<std::string> file_bytes(const std::string& path) {
    std::ifstream in(sys.host_path(path), std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
  }

  // -- The settings file beside the program -----------------------------------------------
  std::string settings_path() { return sys.program_folder() + "\\TorVan.ini"; }
  void write_settings(std::string_view bytes) { put_file(settings_path(), bytes); }
  std::optional<std::string> settings_bytes() { return file_bytes(settings_path()); }

  // -- Running the program ----------------------------------------------------------------
  // Program start: the intro window comes up.
  Program& start() {
    program_.reset();
    sys.quit_requested = false;
    sys.messages.clear();
    program_ = std::make_unique<Program>(sys, windows);
    program_->start();
    return *program_;
  }
  // Start and press OK on the intro: the main window loads and shows.
  Program& start_to_main() {
    start();
    program_->FrmIniMes().OKButton.click();
    return *program_;
  }
  // The user closes the main window with its close box.
  void close_main() { program().FrmMain().request_close(); }
  // A new run on the same machine: the running one is closed first, as the user would.
  Program& restart_to_main() {
    if (program_ && !program_->ended()) close_main();
    return start_to_main();
  }

  Program& program() { return *program_; }
  forms::FrmMain& main() { return program_->FrmMain(); }
  forms::FrmSelectFiles& dialog() { return program_->FrmSelectFiles(); }
  forms::FrmScrn& screen() { return program_->FrmScrn(); }
  ProgramState& state() { return program_->state(); }

  // Opens the dialog with 設定 on the main window, picks a folder as the user does (drive
  // first, then the folder), and presses 全て追加.
  void open_dialog() { main().cmdsetting.click(); }
  void browse_to(const std::string& folder) {
    dialog().Drive1.set_drive(folder.substr(0, 2));
    dialog().Dir1.set_path(folder);
  }

 private:
  fs::path root_;
  std::unique_ptr<Program> program_;
};

}  // namespace torvane::test
