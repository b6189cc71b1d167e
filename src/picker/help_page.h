#pragma once
// The dialog's help button: help.htm from the program folder, opened by the system's
// associated viewer without waiting.

#include "app/program.h"

namespace torvane::picker {

void cmdhlp_Click(Program& program);

}  // namespace torvane::picker
