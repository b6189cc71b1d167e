#pragma once
// The dialog's help button: help.htm from the program folder, handed to the system's
// associated viewer, which then runs on its own.

#include "app/program.h"

namespace torvane::picker {

void cmdhlp_Click(Program& program);

}  // namespace torvane::picker
