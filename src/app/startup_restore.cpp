#include "app/startup_restore.h"

#include <exception>
#include <string>
#include <vector>

#include "app/settings_file.h"
#include "common/message_box.h"
#include "common/utf8_text.h"
#include "picker/play_order.h"
#include "ui/file_controls.h"

namespace torvane::app {

void restore_at_startup(Program& program) {
  ProgramState& state = program.state();
  try {
    read_settings(program);
    auto& dialog = program.FrmSelectFiles();

    int n = dialog.File1.count();
    if (n > state.MaxFiles) {
      msg_box(program.sys(), messages::too_many_files(state.MaxFiles), messages::kCautionTitle);
      n = state.MaxFiles;
    }

    // The folder line without the LF the writer put there; in a hand-written line without
    // it, the whole last character, however many bytes it takes.
    std::string& prefix = state.IniLines[0];
    prefix.resize(without_last_character(prefix).size());
    if (n == 0) return;

    // A hand-written "C:\" without its LF leaves the bare drive "C:", which the folder list
    // took as that drive's current folder: the names listed are that folder's.
    const bool bare_drive = prefix.size() == 2 && prefix[1] == ':';
    const std::string& folder = bare_drive ? dialog.File1.path() : prefix;
    std::vector<std::string> names;
    for (int i = 0; i < n; ++i) {
      const std::string& name = dialog.File1.entry(i);
      names.push_back(name);
      // One "\" between folder and name whatever the line ended in, so a hand-written file
      // without the LF still gives paths that load.
      state.FileList[i] = ui::join_path(folder, name);
    }
    dialog.List1.add_items(std::move(names));
    picker::cmdok_Click(program);
    dialog.CmdOK.set_enabled(true);
    program.FrmMain().cmdstart.set_enabled(true);
  } catch (const std::exception&) {
    settings_fall_back(program);
  }
}

}  // namespace torvane::app
