#include "forms/intro_and_main_windows.h"

namespace torvane::forms {

FrmIniMes::FrmIniMes()
    : ui::Form({.name = "FrmIniMes",
                .caption = "Torvane",
                .frame = ui::FrameStyle::fixed_no_buttons,
                .unit = ui::ScaleUnit::twips,
                .client_width = 4245,
                .client_height = 1155}),
      // The button overlaps the label's lower right corner and is drawn over it.
      OKButton(*this, "OKButton", "OK", {2760, 720, 1215, 375}, 0),
      Label1(*this, "Label1",
             "スクリーンセーバが有効になっている場合は、あらかじめコントロールパネルで無効に設定して"
             "ください。",
             {240, 120, 3855, 735}, 1) {}

FrmMain::FrmMain()
    : ui::Form({.name = "FrmMain",
                .caption = "  Torvane's",
                .frame = ui::FrameStyle::fixed_close_only,
                .unit = ui::ScaleUnit::twips,
                .client_width = 2415,
                .client_height = 600,
                .has_program_icon = true,
                .role = ui::FormRole::main}),
      cmdstart(*this, "cmdstart", "スタート", {120, 120, 975, 375}, 0, /*enabled=*/false),
      cmdsetting(*this, "cmdsetting", "設定", {1320, 120, 975, 375}, 1),
      Timer1(*this, "Timer1") {}

}  // namespace torvane::forms
