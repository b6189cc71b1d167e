#pragma once
// The second half of the main window's load: the dialog is filled from the settings file,
// its list gets the first bitmap files of the remembered folder, and the list is committed
// at once so that Start works right away.

#include "app/program.h"

namespace torvane::app {

void restore_at_startup(Program& program);

}  // namespace torvane::app
