#include "app/main_window.h"

#include <algorithm>
#include <cstdint>

#include "app/settings_file.h"
#include "app/startup_restore.h"
#include "display/picture_rotation.h"

namespace torvane::app {
namespace {

// The picture area is kept in 16-bit integers; a work area beyond their reach is clamped
// rather than wrapped, so the area never ends up somewhere absurd.
std::int16_t to16(std::int64_t v) {
  return static_cast<std::int16_t>(std::clamp<std::int64_t>(v, INT16_MIN, INT16_MAX));
}

}  // namespace

void intro_window_created(Program& program, forms::FrmIniMes& intro) {
  intro.OKButton.on_click = [&program] { OKButton_Click(program); };
  // It has no close box; if the system closes it anyway, nothing else is there to go on.
  intro.on_close_request = [&program] { program.end(); };
}

void OKButton_Click(Program& program) {
  program.FrmIniMes().hide();
  program.FrmMain().show();
}

void main_window_created(Program& program, forms::FrmMain& main) {
  main.cmdsetting.on_click = [&program] { Cmdsetting_Click(program); };
  main.on_close_request = [&program] { main_window_close(program); };
  display::bind_main_window(program, main);

  main.begin_load();
  ProgramState& state = program.state();
  state.MaxFiles = 50;
  state.FileList.assign(state.MaxFiles + 1, {});
  state.PlayList.assign(state.MaxFiles + 1, {});
  place_picture_area(program);
  restore_at_startup(program);
  main.end_load();
}

void place_picture_area(Program& program) {
  platform::WorkArea area;  // stays all zeros when the query fails
  program.sys().query_work_area(area);
  // One pixel left of and above the work area, two beyond its right edge and 29 below its
  // bottom, into the strip where a bottom taskbar lies.
  const std::int16_t x1 = to16(std::int64_t{area.left} - 1);
  const std::int16_t x2 = to16(std::int64_t{area.right} + 2);
  const std::int16_t y1 = to16(std::int64_t{area.top} - 1);
  const std::int16_t y2 = to16(std::int64_t{area.bottom} + 29);
  const std::int16_t width = std::max<std::int16_t>(0, to16(x2 - x1));
  const std::int16_t height = std::max<std::int16_t>(0, to16(y2 - y1));
  program.FrmScrn().Picture1.set_rect({x1, y1, width, height});
}

void Cmdsetting_Click(Program& program) {
  auto& dialog = program.FrmSelectFiles();
  dialog.show();
  program.FrmMain().hide();

  // The snapshot is complete before the user can touch the dialog.
  ProgramState& s = program.state();
  s.SavedCount = static_cast<std::int16_t>(dialog.List1.count());
  s.SavedListItems.assign(s.SavedCount + 1, {});
  s.SavedFileList.assign(s.SavedCount + 1, {});
  for (int i = 0; i < s.SavedCount; ++i) {
    s.SavedListItems[i] = dialog.List1.entry(i);
    s.SavedFileList[i] = entry_or_empty(s.FileList, i);
  }
  s.SavedMinute = dialog.minute.text();
  s.SavedDirPath = dialog.Dir1.path();
  s.SavedDrive = dialog.Drive1.drive();
  s.SavedRandom = static_cast<std::int16_t>(dialog.ChkRandom.value());
}

void main_window_close(Program& program) {
  write_settings(program);
  program.end();
}

}  // namespace torvane::app
