#include "picker/picture_list.h"

#include <algorithm>

#include "common/message_box.h"
#include "ui/file_controls.h"

namespace torvane::picker {
namespace {

// Appends the entries of File1 that `take` picks, in File1's order, until the list is full;
// a pick beyond that says the list is full. The picks go into the list in one batch.
template <class Pick>
void add_files(Program& program, Pick take) {
  auto& dialog = program.FrmSelectFiles();
  ProgramState& state = program.state();
  const int n = dialog.File1.count();
  const int room = std::max(0, state.MaxFiles - dialog.List1.count());
  std::vector<std::string> names;
  bool full = false;
  for (int i = 0; i < n && !full; ++i) {
    if (!take(i)) continue;
    if (static_cast<int>(names.size()) == room)
      full = true;
    else
      names.push_back(dialog.File1.entry(i));
  }
  if (!names.empty()) {
    const std::size_t first = static_cast<std::size_t>(dialog.List1.count());
    if (state.FileList.size() < first + names.size()) state.FileList.resize(first + names.size());
    for (std::size_t j = 0; j < names.size(); ++j)
      state.FileList[first + j] = ui::join_path(dialog.File1.path(), names[j]);
    dialog.List1.add_items(std::move(names));
    if (!dialog.minute.text().empty()) dialog.CmdOK.set_enabled(true);
    program.FrmMain().cmdstart.set_enabled(true);
  }
  if (full) {
    msg_box(program.sys(), messages::kListFull);
    dialog.CmdAddtoList.set_enabled(false);
    dialog.cmdAddAll.set_enabled(false);
  }
}

}  // namespace

void CmdAddtoList_Click(Program& program) {
  auto& file1 = program.FrmSelectFiles().File1;
  add_files(program, [&](int i) { return file1.selected(i); });
}

void cmdAddAll_Click(Program& program) {
  add_files(program, [](int) { return true; });
}

void CmdDelfromlist_Click(Program& program) {
  auto& dialog = program.FrmSelectFiles();
  ProgramState& state = program.state();
  const int count = dialog.List1.count();

  std::vector<std::string> kept_names, kept_paths;
  kept_names.reserve(count);
  kept_paths.reserve(count);
  for (int i = 0; i < count; ++i) {
    if (dialog.List1.selected(i)) continue;
    kept_names.push_back(dialog.List1.entry(i));
    kept_paths.push_back(entry_or_empty(state.FileList, i));
  }

  // Both stores are rebuilt from the same kept pairs, so they stay parallel.
  dialog.List1.clear();
  state.FileList.assign(std::max<std::size_t>(state.MaxFiles + 1, kept_names.size()), {});
  for (std::size_t j = 0; j < kept_paths.size(); ++j) state.FileList[j] = std::move(kept_paths[j]);
  dialog.List1.add_items(std::move(kept_names));

  if (dialog.List1.count() == 0) program.FrmMain().cmdstart.set_enabled(false);
  dialog.CmdDelfromlist.set_enabled(false);
}

}  // namespace torvane::picker
