#include "forms/screen_window.h"

namespace torvane::forms {

FrmScrn::FrmScrn()
    : ui::Form({.name = "FrmScrn",
                .caption = "Form2",
                .frame = ui::FrameStyle::borderless_maximised,
                .unit = ui::ScaleUnit::pixels,
                .client_width = 312,
                .client_height = 213,
                .role = ui::FormRole::screen}),
      // Design-time place only: the main window's load puts it over the work area.
      Picture1(*this, "Picture1", {64, 32, 193, 137}, 0) {}

}  // namespace torvane::forms
