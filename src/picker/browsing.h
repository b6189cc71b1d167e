#pragma once
// Browsing in the picture list dialog: its load, the change of drive and of folder, clicks in
// the two lists and the change of the interval text, each keeping the buttons in step.

#include <string_view>

#include "app/program.h"

namespace torvane::picker {

// A folder that was there a moment ago can no longer be listed (removed, renamed, its
// network share gone). Titled "エラー".
inline constexpr std::string_view kFolderGone =
    "フォルダを表示できません。削除されたか、ドライブが使えなくなっている可能性があります。";

// Connects every handler of the dialog and runs its load step.
void dialog_created(Program& program, forms::FrmSelectFiles& dialog);

void Form_Load(Program& program);
void Drive1_Change(Program& program);
void Dir1_Change(Program& program);
void File1_Click(Program& program);
void List1_Click(Program& program);
void minute_Change(Program& program);

}  // namespace torvane::picker
