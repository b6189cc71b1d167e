#include "app/settings_file.h"

#include <stdexcept>

#include "common/message_box.h"
#include "common/text_number.h"
#include "common/utf8_text.h"

namespace torvane::app {

std::string settings_path(Program& program) {
  // No look at the folder's last character: a program in a drive root gets "C:\\TorVan.ini",
  // which the system reads as C:\TorVan.ini.
  return program.sys().program_folder() + "\\TorVan.ini";
}

std::string settings_text(std::string_view folder, int random_value, std::string_view minute) {
  std::string text(folder);
  if (text.empty() || text.back() != '\\') text += '\\';
  text += "\n\r\n";
  text += std::to_string(random_value);
  text += "\n\r\n";
  text += minute;
  text += "\r\n";
  return text;
}

std::vector<std::string> split_settings_lines(std::string_view bytes) {
  std::vector<std::string> lines;
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    const std::size_t cr = bytes.find('\r', pos);
    if (cr == std::string_view::npos) {
      lines.emplace_back(bytes.substr(pos));
      break;
    }
    lines.emplace_back(bytes.substr(pos, cr - pos));
    pos = cr + 1;
    if (pos < bytes.size() && bytes[pos] == '\n') ++pos;
  }
  return lines;
}

std::string storable_folder(platform::Services& sys, std::string folder) {
  // A name the code page cannot hold would come back as another folder ("¥" as "\") or as
  // none ("?"), and the next start would lose the interval and the random option with it.
  // The nearest folder above that can be held is on the user's way and real.
  while (!sys.to_ansi_exact(folder)) {
    const std::size_t cut = folder.find_last_of('\\');
    if (cut == std::string::npos || folder.size() <= 3) break;
    folder.resize(cut < 3 ? 3 : cut);
  }
  return folder;
}

void write_settings(Program& program) {
  auto& dialog = program.FrmSelectFiles();
  platform::Services& sys = program.sys();
  const std::string text = settings_text(storable_folder(sys, dialog.Dir1.path()),
                                         dialog.ChkRandom.value(), dialog.minute.text());
  // Converted as a whole: the CR and LF bytes are the same in every ANSI code page.
  if (!sys.replace_file(settings_path(program), sys.to_ansi(text)))
    msg_box(sys, kSettingsSaveFailed, messages::kErrorTitle);
}

void read_settings(Program& program) {
  platform::Services& sys = program.sys();
  // The whole file is read at once and released at once: the writer opens it again at exit.
  const auto bytes = sys.read_file(settings_path(program));
  if (!bytes) throw std::runtime_error("no settings file");
  const std::vector<std::string> lines = split_settings_lines(*bytes);
  if (lines.size() < 3) throw std::runtime_error("settings file has fewer than three lines");

  ProgramState& state = program.state();
  for (int i = 0; i < 3; ++i) state.IniLines[i] = sys.from_ansi(lines[i]);
  state.IniLines[3].clear();

  auto& dialog = program.FrmSelectFiles();
  const std::string& folder_line = state.IniLines[0];
  if (folder_line.empty()) throw std::runtime_error("empty folder line");
  // Drive before folder: a change of drive moves the folder list to that drive's current
  // folder, and the folder set afterwards brings it to the remembered one. The line is cut
  // by characters: a hand-written line without its LF may end in a Japanese one.
  dialog.Drive1.set_drive(first_characters(folder_line, 2));
  dialog.Dir1.set_path(without_last_character(folder_line));

  const auto random = whole_number_of_text(state.IniLines[1]);
  if (!random) throw std::runtime_error("random option out of range");
  dialog.ChkRandom.set_value(*random);

  dialog.minute.set_text(state.IniLines[2]);
}

void settings_fall_back(Program& program) {
  auto& dialog = program.FrmSelectFiles();
  // A machine without a C: falls back to the system's own drive.
  char drive = 'C';
  try {
    dialog.Drive1.set_drive("C:\\");
  } catch (const std::exception&) {
    drive = program.sys().system_drive();
    try {
      dialog.Drive1.set_drive(std::string{drive, ':'});
    } catch (const std::exception&) {
    }
  }
  try {
    dialog.Dir1.set_path(std::string{drive, ':', '\\'});
  } catch (const std::exception&) {
    // Nothing left to fall back to: the lists keep what they show.
  }
  dialog.minute.set_text("3");
}

}  // namespace torvane::app
