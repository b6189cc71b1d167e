#pragma once
// The full-screen surface the pictures are shown on. Its unit is the pixel, so a place in
// the window is a place on the screen.

#include "ui/controls.h"

namespace torvane::forms {

class FrmScrn : public ui::Form {
 public:
  FrmScrn();
  ui::PictureBox Picture1;
};

}  // namespace torvane::forms
