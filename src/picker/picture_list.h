#pragma once
// Editing the picture list: Add, Add all and Delete keep List1 (the names the user sees) and
// FileList (the full paths) parallel, at most MaxFiles entries.

#include "app/program.h"

namespace torvane::picker {

void CmdAddtoList_Click(Program& program);
void cmdAddAll_Click(Program& program);
void CmdDelfromlist_Click(Program& program);

}  // namespace torvane::picker
