#include "app/program.h"

#include "app/main_window.h"
#include "display/picture_rotation.h"
#include "picker/browsing.h"

namespace torvane {

Program::Program(platform::Services& sys, ui::WindowSystem& windows)
    : sys_(sys), windows_(windows) {}

Program::~Program() = default;

template <class F, class... Args>
F& Program::create(std::unique_ptr<F>& slot, Args&&... args) {
  // The slot is filled before the load step runs, so a load that reaches back to its own
  // window finds it instead of creating a second one.
  slot = std::make_unique<F>(std::forward<Args>(args)...);
  slot->attach_view(windows_.create_view(*slot));
  return *slot;
}

forms::FrmIniMes& Program::FrmIniMes() {
  if (!intro_) app::intro_window_created(*this, create(intro_));
  return *intro_;
}

forms::FrmMain& Program::FrmMain() {
  if (!main_) app::main_window_created(*this, create(main_));
  return *main_;
}

forms::FrmScrn& Program::FrmScrn() {
  if (!screen_) display::screen_window_created(*this, create(screen_));
  return *screen_;
}

forms::FrmSelectFiles& Program::FrmSelectFiles() {
  if (!dialog_) picker::dialog_created(*this, create(dialog_, sys_));
  return *dialog_;
}

void Program::start() { FrmIniMes().show(); }

void Program::end() {
  if (ended_) return;
  ended_ = true;
  // The show ends with the program: no tick may reach a window that is gone.
  if (main_) main_->Timer1.set_enabled(false);
  if (main_) main_->close();
  if (screen_) screen_->close();
  if (dialog_) dialog_->close();
  if (intro_) intro_->close();
  // A show still running must not keep the display awake after the program is gone.
  sys_.keep_display_awake(false);
  sys_.quit();
}

}  // namespace torvane
