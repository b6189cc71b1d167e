#include "display/picture_rotation.h"

#include <exception>
#include <memory>

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
  // A picture still on its way belongs to the show that just ended.
  program.FrmScrn().Picture1.stop_awaiting();
}

void show_picture(Program& program, std::int16_t k) {
  auto& box = program.FrmScrn().Picture1;
  const std::string& path = entry_or_empty(program.state().PlayList, k);
  if (path.empty()) {
    box.clear_picture();
    return;
  }
  // The file is read beside the UI thread, so that a picture on a disk that has to wake up
  // neither freezes the windows nor holds up a click that stops the show. The shown picture
  // stays until this one is decoded.
  ui::PictureBox::AwaitedPicture awaited = box.await_picture();
  auto decoded = std::make_shared<bool>(false);
  program.sys().load_picture(
      path,
      [decoded, picture = awaited.buffer, width = box.inner_width(),
       height = box.inner_height(),
       background = program.sys().button_face_colour()](platform::ByteSource* file) {
        // A picture that is missing, damaged or refused clears the area; the show carries
        // on and the next change comes as usual. Pixels an RLE picture skips show the
        // area's own background, the button face. Nothing may escape from here: a picture
        // too big for the memory left, or a read the system broke off, is one more picture
        // that cannot be shown.
        if (!file) return;
        try {
          *decoded = image::decode_bmp(*file, width, height, background, *picture).ok;
        } catch (const std::exception&) {
          *decoded = false;
        }
      },
      [decoded, arrived = std::move(awaited.arrived)] { arrived(*decoded); });
}

}  // namespace torvane::display
