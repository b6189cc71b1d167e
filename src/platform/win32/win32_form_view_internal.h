#pragma once
// Helpers that the files of the Win32 form view share (win32_form_view.cpp, the list pushes,
// the native input, the picture box). Internal to the backend: it includes <windows.h>.

#include <utility>

#include "platform/win32/win32_api.h"
#include "ui/controls.h"

namespace torvane::platform::form_view_detail {

// The window's DPI, and the frame around a client area at a DPI, through the per-monitor
// calls where the system has them.
UINT dpi_of(HWND hwnd);
void adjust_window_rect(RECT& rect, DWORD style, DWORD ex_style, UINT dpi);

inline bool is_list(ui::Kind kind) {
  return kind == ui::Kind::list_box || kind == ui::Kind::file_list;
}

// Counts the view's own pushes into native controls.
class PushGuard {
 public:
  explicit PushGuard(int& depth) : depth_(depth) { ++depth_; }
  ~PushGuard() { --depth_; }
  PushGuard(const PushGuard&) = delete;
  PushGuard& operator=(const PushGuard&) = delete;

 private:
  int& depth_;
};

// Runs a model call from a window procedure.
template <class F>
void run_model(F&& call) {
  win32::run_guarded(std::forward<F>(call));
}

// The picture box's painting: its sunken edge, the picture 1:1 from the inner top-left, the
// button face where the picture does not reach.
void paint_picture(HWND hwnd, const ui::PictureBox* box);

}  // namespace torvane::platform::form_view_detail
