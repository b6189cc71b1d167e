#include "picker/play_order.h"

#include <cmath>

#include "common/message_box.h"
#include "common/text_number.h"
#include "ui/file_controls.h"

namespace torvane::picker {
namespace {

// Whether two texts begin with the same drive letter ("d: [DATA]", "D:\Pics").
bool same_drive(std::string_view a, std::string_view b) {
  return !a.empty() && !b.empty() && ui::same_path(a.substr(0, 1), b.substr(0, 1));
}

}  // namespace

void cmdok_Click(Program& program) {
  auto& dialog = program.FrmSelectFiles();
  ProgramState& state = program.state();

  const double v = number_of_text(dialog.minute.text());
  // Written so that a NaN could never slip through as valid.
  if (!(v >= 1 && v <= 60)) {
    dialog.minute.set_text("");
    dialog.CmdOK.set_enabled(false);
    msg_box(program.sys(), messages::kIntervalInvalid, messages::kCautionTitle);
    return;
  }

  const int n = dialog.List1.count();
  state.PlayList.assign(n + 1, {});
  state.ShuffleList.assign(n + 1, {});
  if (dialog.ChkRandom.value() != 0) {
    MakeRandomList(program);
  } else {
    for (int i = 0; i < n; ++i) state.PlayList[i] = entry_or_empty(state.FileList, i);
  }
  program.FrmMain().show();
  dialog.hide();
}

void MakeRandomList(Program& program) {
  auto& dialog = program.FrmSelectFiles();
  ProgramState& state = program.state();
  const int n = dialog.List1.count();
  state.ShuffleList.resize(n + 1);
  state.PlayList.resize(n + 1);
  for (int i = 0; i < n; ++i) state.ShuffleList[i] = entry_or_empty(state.FileList, i);

  for (int j = 0; j < n; ++j) {
    const int m = n - j;
    const float r = program.sys().next_random();
    int k = static_cast<int>(std::floor(static_cast<double>(r) * m));
    // A generator that strays outside [0, 1) must not index outside the pool.
    if (k < 0) k = 0;
    if (k > m - 1) k = m - 1;
    state.PlayList[j] = std::move(state.ShuffleList[k]);
    state.ShuffleList[k].clear();
    // Close the gap: the paths behind the drawn one move forward and keep their order.
    for (int q = k + 1; q <= m - 1; ++q) {
      state.ShuffleList[q - 1] = std::move(state.ShuffleList[q]);
      state.ShuffleList[q].clear();
    }
  }
}

void CmdCancel_Click(Program& program) {
  auto& dialog = program.FrmSelectFiles();
  ProgramState& state = program.state();

  dialog.List1.clear();
  std::vector<std::string> names;
  for (int i = 0; i < state.SavedCount; ++i) {
    names.push_back(entry_or_empty(state.SavedListItems, i));
    if (state.FileList.size() <= static_cast<std::size_t>(i)) state.FileList.resize(i + 1);
    state.FileList[i] = entry_or_empty(state.SavedFileList, i);
  }
  dialog.List1.add_items(std::move(names));

  // Drive before folder: the change of drive moves the folder list to that drive's current
  // folder, and the folder set afterwards brings it back to the saved one. Each step runs
  // whatever the other did. A drive that is not ready is reported by the change of drive
  // itself; the box below says only that the lists could not be put back where they were.
  bool unreported_failure = false;
  if (!same_drive(dialog.Drive1.drive(), state.SavedDrive)) {
    try {
      dialog.Drive1.set_drive(state.SavedDrive);
    } catch (const std::exception&) {
      // The drive list no longer offers the drive. The folder step may still put the lists
      // where they were; only if there is no folder to restore does this failure stand.
      unreported_failure = state.SavedDirPath.empty();
    }
  }
  if (!state.SavedDirPath.empty()) {
    try {
      dialog.Dir1.set_path(state.SavedDirPath);
    } catch (const std::exception&) {
      unreported_failure = true;
    }
  }
  if (unreported_failure) msg_box(program.sys(), kSavedFolderGone, messages::kCautionTitle);

  dialog.ChkRandom.set_value(state.SavedRandom);
  dialog.minute.set_text(state.SavedMinute);
  program.FrmMain().cmdstart.set_enabled(dialog.List1.count() != 0);
  dialog.hide();
  program.FrmMain().show();
}

}  // namespace torvane::picker
