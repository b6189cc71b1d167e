#pragma once
// The native side of one form: its top-level window and one native child control per model
// control. Internal to the Win32 backend (it includes <windows.h>); see win32_form_view.cpp
// for the window classes and control ids that outside tools rely on.

#include <string>
#include <vector>

#include "platform/win32/win32_api.h"
#include "ui/controls.h"

namespace torvane::platform {

class Win32WindowSystem;

namespace win32 {
// Window classes, found by the end-to-end tests and by UI automation.
inline constexpr wchar_t kFormClass[] = L"TorvaneForm";        // intro, main window, dialog
inline constexpr wchar_t kScreenClass[] = L"TorvaneScreen";    // the full-screen window
inline constexpr wchar_t kPictureClass[] = L"TorvanePicture";  // the picture box
// A control's id is this plus its tab index.
inline constexpr int kFirstControlId = 100;
// The id of the main window's minute timer (SetTimer on the main window).
inline constexpr UINT_PTR kTimerId = 1;
}  // namespace win32

class Win32FormView final : public ui::FormView {
 public:
  Win32FormView(Win32WindowSystem& system, ui::Form& form);
  ~Win32FormView() override;
  Win32FormView(const Win32FormView&) = delete;
  Win32FormView& operator=(const Win32FormView&) = delete;

  // The three window classes, once per process.
  static void register_classes(HINSTANCE instance);

  // -- ui::FormView -------------------------------------------------------------------------
  void create() override;
  void form_changed() override;
  void bring_to_front() override;
  void control_changed(ui::Control& control, ui::Aspect what) override;
  void set_focus(ui::Control& control) override;
  void destroy() override;

  HWND hwnd() const { return hwnd_; }
  void* native_window() const override { return hwnd_; }
  ui::Form& form() const { return form_; }
  // The show's window, by the role the model gives it.
  bool is_screen() const { return form_.definition().role == ui::FormRole::screen; }
  // A keyboard message for this window or one of its controls: the keys a dialog knows (Tab,
  // Space and Enter on the focused button). True when it was handled here.
  bool pre_translate(MSG& msg);

 private:
  struct Native {
    ui::Control* control = nullptr;  // nullptr once the view let go of its controls
    ui::Kind kind = ui::Kind::label;
    HWND hwnd = nullptr;
    int id = 0;
    // What the native list shows, so that an append adds one line instead of refilling.
    std::vector<std::string> shown;
  };

  static LRESULT CALLBACK form_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  static LRESULT CALLBACK picture_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT handle(UINT msg, WPARAM wp, LPARAM lp);
  void on_command(int id, int code, HWND from);
  void on_activate(bool active);
  LRESULT on_draw_folder(const DRAWITEMSTRUCT& item);

  void create_control(ui::Control& control);
  // Lets go of the controls: no message reaches them through this view any more.
  void detach();
  // A window that covers the whole monitor while shown.
  bool covers_monitor() const;
  // The height of a control's native window: a drop-down list's includes its open list.
  int window_height(const ui::Control& control, const RECT& r) const;
  void apply_layout();
  void place_on_screen();
  void cover_monitor();
  RECT control_rect(const ui::Control& control) const;
  int px(int twips) const;
  HFONT font() const;
  int line_height() const;

  void push_all(Native& n);
  void push(Native& n, ui::Aspect what);
  void push_list_entries(Native& n, const std::vector<std::string>& entries);
  void push_list_selection(Native& n);
  void push_drive_entries(Native& n);
  void push_drive_selection(Native& n);
  void push_folders(Native& n);
  void push_timer();
  void fit_combo_height(Native& n);

  Native* find(int id);
  Native* find(HWND hwnd);
  Native* find(const ui::Control& control);
  // Where the focus goes when the control holding it is switched off.
  void move_focus_from(HWND hwnd);

  Win32WindowSystem& system_;
  ui::Form& form_;
  HWND hwnd_ = nullptr;
  UINT dpi_ = 96;
  std::vector<Native> natives_;
  // Set while the view pushes model state into native controls: the notifications those
  // pushes cause are the view's own doing, not the user's.
  int pushing_ = 0;
  HWND saved_focus_ = nullptr;
};

}  // namespace torvane::platform
