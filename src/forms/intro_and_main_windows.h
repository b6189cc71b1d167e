#pragma once
// The intro window with its screen-saver notice, and the main window with Start and
// Settings. Places and sizes are in twips.

#include <cstdint>

#include "ui/controls.h"

namespace torvane::forms {

class FrmIniMes : public ui::Form {
 public:
  FrmIniMes();
  ui::CommandButton OKButton;
  ui::Label Label1;
};

class FrmMain : public ui::Form {
 public:
  FrmMain();
  ui::CommandButton cmdstart;
  ui::CommandButton cmdsetting;
  ui::Timer Timer1;

  // The show's counters.
  std::int16_t CurPicNum = 0;  // the PlayList entry to show at the next change
  std::int16_t Intval = 0;     // the interval in whole minutes, taken at Start
  std::int16_t Curmin = 0;     // minutes the shown picture has been up
};

}  // namespace torvane::forms
