#pragma once
// Start-up and the main window: the intro window's OK, the main window's load and close, and
// its Settings button.

#include "app/program.h"

namespace torvane::app {

void intro_window_created(Program& program, forms::FrmIniMes& intro);
void main_window_created(Program& program, forms::FrmMain& main);

// The intro window's OK: hides it for good and shows the main window, which loads first.
void OKButton_Click(Program& program);
// Places the screen window's picture area over the desktop work area.
void place_picture_area(Program& program);
// Settings: shows the picture list dialog, hides the main window and takes the snapshot.
void Cmdsetting_Click(Program& program);
// The close: saves the settings, then ends the program; asks nothing.
void main_window_close(Program& program);

}  // namespace torvane::app
