#include "display/picture_rotation.h"

#include <exception>

#include "common/text_number.h"
#include "image/bmp_decoder.h"

namespace torvane::display {
void bind_main_window(Program& program, forms::FrmMain& main) {
  main.cmdstart.on_click = [&program] { cmdstart_Click(program); };
  main.Timer1.on_timer = [&program] { Timer1_Timer(program); };
}

void screen_window_created(Program& program, forms::FrmScrn& screen) {
  screen.Picture1.on_click = [&program] { Picture1_Click(program); };
}

void cmdstart_Click(Program& program) {
  auto& main = program.FrmMain();
  main.Timer1.set_interval(kMinuteMs);
  // A text beyond 16 bits has no interval to give; the picture then changes every minute,
  // as it does for any interval below 1.
  main.Intval = whole_number_of_text(program.FrmSelectFiles().minute.text()).value_or(0);
  main.Timer1.set_enabled(true);
  program.sys().keep_display_awake(true);
  program.FrmScrn().show();
  main.CurPicNum = 0;
  show_picture(program, main.CurPicNum);
  main.Curmin = 1;
  main.CurPicNum += 1;
}

void Timer1_Timer(Program& program) {
  auto& main = program.FrmMain();
  if (main.Curmin < main.Intval) {
    main.Curmin += 1;
    return;
  }
  const ProgramState& state = program.state();
  // A list committed anew while the show runs may be shorter than where the show stands:
  // past its end counts as the end marker, so the show goes on from entry 0.
  if (main.CurPicNum >= 0 && !entry_or_empty(state.PlayList, main.CurPicNum).empty()) {
    show_picture(program, main.CurPicNum);
    main.CurPicNum += 1;
  } else {
    main.CurPicNum = 0;
    show_picture(program, 0);
    main.CurPicNum = 1;
  }
  main.Curmin = 1;
}

void Picture1_Click(Program& program) {
  program.FrmMain().Timer1.set_enabled(false);
  program.FrmScrn().hide();
  program.sys().keep_display_awake(false);
}

void show_picture(Program& program, std::int16_t k) {
  auto& box = program.FrmScrn().Picture1;
  const std::string& path = entry_or_empty(program.state().PlayList, k);
  if (path.empty()) {
    box.clear_picture();
    return;
  }
  // A picture that is missing, damaged or refused clears the area; the show carries on and
  // the next change comes as usual.
  auto file = program.sys().open_for_reading(path);
  if (!file) {
    box.clear_picture();
    return;
  }
  // Pixels an RLE picture skips show the area's own background, the button face. A tick
  // runs straight from the message loop, so nothing may escape from here: a picture too big
  // for the memory left, or a read the system broke off, is one more picture that cannot be
  // shown.
  bool ok = false;
  try {
    ok = image::decode_bmp(*file, box.inner_width(), box.inner_height(),
                           program.sys().button_face_colour(), box.picture_buffer())
             .ok;
  } catch (const std::exception&) {
    ok = false;
  }
  if (!ok) {
    box.clear_picture();
    return;
  }
  box.picture_changed();
}

}  // namespace torvane::display
