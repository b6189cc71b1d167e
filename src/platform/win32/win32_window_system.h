#pragma once
// The Win32 side of the control model: one native top-level window per form, native child
// controls mirroring the model's controls, and the one message loop of the program.
//
// Implemented features
//  - Native controls only (BUTTON, STATIC, EDIT, LISTBOX, COMBOBOX, one small picture class),
//    created in tab order with stable control ids (see win32_form_view.cpp).
//  - Layout in twips converted with each window's real DPI; the screen window in pixels.
//  - "ＭＳ ゴシック" 9 pt, or a fixed-pitch Japanese font where it is missing.
//  - Tab and Shift+Tab in tab order; Space and Enter press only the focused button; no
//    default and no cancel button.
//  - Native input becomes the very model calls a headless test makes.
//
// Kept free of <windows.h>: handles are passed as void*.

#include <functional>
#include <memory>
#include <vector>

#include "platform/win32/win32_background.h"
#include "ui/form.h"

namespace torvane::platform {

class Win32FormView;

class Win32WindowSystem final : public ui::WindowSystem {
 public:
  // `instance` is the HINSTANCE of the executable (resources, window classes).
  explicit Win32WindowSystem(void* instance);
  ~Win32WindowSystem() override;
  Win32WindowSystem(const Win32WindowSystem&) = delete;
  Win32WindowSystem& operator=(const Win32WindowSystem&) = delete;

  std::unique_ptr<ui::FormView> create_view(ui::Form& form) override;

  // Runs the message loop until WM_QUIT and returns its exit code.
  int run_message_loop();

  // The window a message box should belong to: ours that is active, else the visible one
  // nearest the top; nullptr when none of ours is on the screen.
  void* popup_owner() const;
  // Someone is to hear when the system says drives came or went (WM_DEVICECHANGE, which
  // only top-level windows get); nullptr stops it. What it runs runs from the message loop.
  void set_devices_changed(std::function<void()> changed) {
    devices_changed_ = std::move(changed);
  }

  // Where work done beside the UI thread posts its results (see win32_background.h).
  void* mailbox() const { return mailbox_.handle(); }

  // -- For the views ------------------------------------------------------------------------
  void* instance() const { return instance_; }
  // The dialog font at a DPI (an HFONT), created on first use and kept until the end.
  void* font_for_dpi(unsigned dpi);
  void register_view(Win32FormView* view);
  void unregister_view(Win32FormView* view);
  // A form window got WM_DEVICECHANGE: an arrival or a removal. Every top-level window gets
  // the same broadcast; it is passed on once.
  void devices_changed();

 private:
  // Lets the focused form handle its keyboard message; true when it did.
  bool pre_translate(void* msg);

  void* instance_;
  win32::UiMailbox mailbox_;
  std::vector<Win32FormView*> views_;
  std::function<void()> devices_changed_;
  bool device_change_pending_ = false;
  struct Font {
    unsigned dpi;
    void* handle;
  };
  std::vector<Font> fonts_;
};

}  // namespace torvane::platform
