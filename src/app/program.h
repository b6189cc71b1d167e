#pragma once
// The program: the program-wide state and the four windows, each created on first use and
// living until the end. Creating a window builds its controls, gives it its native side
// (hidden), connects its event handlers and runs its load step.

#include <memory>

#include "common/program_state.h"
#include "forms/intro_and_main_windows.h"
#include "forms/picture_list_dialog_window.h"
#include "forms/screen_window.h"
#include "platform/services.h"
#include "ui/form.h"

namespace torvane {

class Program {
 public:
  Program(platform::Services& sys, ui::WindowSystem& windows);
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  // Program start: the intro window is the start-up window.
  void start();

  forms::FrmIniMes& FrmIniMes();
  forms::FrmMain& FrmMain();
  forms::FrmScrn& FrmScrn();
  forms::FrmSelectFiles& FrmSelectFiles();

  ProgramState& state() { return state_; }
  platform::Services& sys() { return sys_; }

  // Closes every window and ends the message loop.
  void end();
  bool ended() const { return ended_; }

 private:
  template <class F, class... Args>
  F& create(std::unique_ptr<F>& slot, Args&&... args);

  platform::Services& sys_;
  ui::WindowSystem& windows_;
  ProgramState state_;
  std::unique_ptr<forms::FrmIniMes> intro_;
  std::unique_ptr<forms::FrmMain> main_;
  std::unique_ptr<forms::FrmScrn> screen_;
  std::unique_ptr<forms::FrmSelectFiles> dialog_;
  bool ended_ = false;
};

}  // namespace torvane
