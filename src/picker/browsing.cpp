#include "picker/browsing.h"

#include "common/message_box.h"
#include "picker/help_page.h"
#include "picker/picture_list.h"
#include "picker/play_order.h"

namespace torvane::picker {

void dialog_created(Program& program, forms::FrmSelectFiles& dialog) {
  // The lists start on the program's current folder, as a new dialog's lists do; this is no
  // change of folder and raises nothing.
  try {
    dialog.Dir1.set_path(program.sys().current_folder());
    dialog.File1.set_path(dialog.Dir1.path());
  } catch (const std::exception&) {
    // An unreadable start folder leaves the lists empty until the user picks another.
  }

  Program* p = &program;
  dialog.Drive1.on_change = [p] { Drive1_Change(*p); };
  dialog.Dir1.on_change = [p] { Dir1_Change(*p); };
  dialog.Dir1.on_user_error = [p](const std::string&) {
    msg_box(p->sys(), kFolderGone, messages::kErrorTitle);
  };
  dialog.File1.on_click = [p] { File1_Click(*p); };
  dialog.List1.on_click = [p] { List1_Click(*p); };
  dialog.minute.on_change = [p] { minute_Change(*p); };
  dialog.CmdAddtoList.on_click = [p] { CmdAddtoList_Click(*p); };
  dialog.cmdAddAll.on_click = [p] { cmdAddAll_Click(*p); };
  dialog.CmdDelfromlist.on_click = [p] { CmdDelfromlist_Click(*p); };
  dialog.CmdOK.on_click = [p] { cmdok_Click(*p); };
  dialog.CmdCancel.on_click = [p] { CmdCancel_Click(*p); };
  dialog.cmdhlp.on_click = [p] { cmdhlp_Click(*p); };

  dialog.begin_load();
  Form_Load(program);
  dialog.end_load();
}

void Form_Load(Program& program) {
  // Seeded once per run, from the time of day, before any random order is drawn.
  program.sys().seed_random(program.sys().clock_seed());
}

void Drive1_Change(Program& program) {
  auto& dialog = program.FrmSelectFiles();
  try {
    dialog.Dir1.set_path(dialog.Drive1.drive());
  } catch (const std::exception&) {
    // The drive list keeps the new drive; folder list, file list and buttons keep what they
    // had.
    msg_box(program.sys(), messages::kDriveNotReady, messages::kReadErrorTitle);
  }
}

void Dir1_Change(Program& program) {
  auto& dialog = program.FrmSelectFiles();
  try {
    dialog.File1.set_path(dialog.Dir1.path());
  } catch (const std::exception&) {
    // The folder vanished between showing it and listing it: say so and carry on. The file
    // list keeps its own folder, so what it adds still has the right paths.
    msg_box(program.sys(), kFolderGone, messages::kErrorTitle);
  }
  dialog.cmdAddAll.set_enabled(!dialog.File1.entry(0).empty());
  dialog.CmdAddtoList.set_enabled(false);
  dialog.CmdDelfromlist.set_enabled(false);
}

void File1_Click(Program& program) {
  auto& dialog = program.FrmSelectFiles();
  if (!dialog.File1.filename().empty()) dialog.CmdAddtoList.set_enabled(true);
}

void List1_Click(Program& program) {
  auto& dialog = program.FrmSelectFiles();
  if (!dialog.List1.entry(dialog.List1.list_index()).empty())
    dialog.CmdDelfromlist.set_enabled(true);
}

void minute_Change(Program& program) {
  auto& dialog = program.FrmSelectFiles();
  if (dialog.List1.count() != 0) dialog.CmdOK.set_enabled(true);
}

}  // namespace torvane::picker
