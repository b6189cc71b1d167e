// The native side of a form: a top-level window whose child controls mirror the model.
//
// Window classes and titles (what outside tools look for):
//   TorvaneForm    FrmIniMes "Torvane", FrmMain "  Torvane's",
//                  FrmSelectFiles "スクリーンファイル（.bmp）を右のリストに追加してください。"
//   TorvaneScreen  FrmScrn "Form2" (the screen role; borderless, it covers the primary
//                  monitor while shown)
//   TorvanePicture FrmScrn's Picture1
//
// Control ids: 100 + the control's tab index; children are created in tab order, so the
// z-order (and with it GetNextDlgTabItem, EnumChildWindows) follows the tab order too.
//   FrmIniMes       100 OKButton (BUTTON "OK")          101 Label1 (STATIC)
//   FrmMain         100 cmdstart (BUTTON "スタート")     101 cmdsetting (BUTTON "設定")
//                   Timer1: SetTimer(main window, id 1); WM_TIMER with id 1 is one tick
//   FrmScrn         100 Picture1 (TorvanePicture)
//   FrmSelectFiles  100 File1 (LISTBOX, extended selection)
//                   101 Drive1 (COMBOBOX, drop-down list)
//                   102 Dir1 (LISTBOX, owner-drawn with strings; double-click or Enter opens)
//                   103 CmdOK (BUTTON "設定")           104 CmdCancel (BUTTON "キャンセル")
//                   105 minute (EDIT)                   106 Label1 (STATIC "時間間隔=       分")
//                   107 ChkRandom (BUTTON "Check2", check box)
//                   108 Label3 (STATIC "ランダム")       109 CmdAddtoList (BUTTON "追加")
//                   110 List1 (LISTBOX, extended selection)
//                   111 CmdDelfromlist (BUTTON "削除")   112 cmdAddAll (BUTTON "全て追加")
//                   113 cmdhlp (BUTTON "スクリーンファイルとは？")
//
// Native input becomes the same model call a headless test makes: BN_CLICKED ->
// CommandButton::click() / CheckBox::click(), STN_CLICKED -> Label::click(),
// EN_CHANGE -> TextBox::set_text(),
// LBN_SELCHANGE -> SelectableList::user_selected(), CBN_SELCHANGE -> DriveListBox::set_drive(),
// LBN_DBLCLK or Enter on Dir1 -> DirListBox::open_entry(), WM_TIMER -> Timer::tick(),
// a press and a release of the left button on the picture -> PictureBox::click(),
// WM_CLOSE -> Form::request_close().
//
// This file creates the windows, lays them out and pushes model state into them; the lists'
// pushes are in win32_form_lists.cpp, native input and the window procedure in
// win32_form_input.cpp, the picture box in win32_picture_box.cpp.

#include "platform/win32/win32_form_view.h"

#include <commctrl.h>

#include <algorithm>

#include "platform/win32/win32_form_view_internal.h"
#include "platform/win32/win32_system_dlls.h"
#include "platform/win32/win32_window_system.h"
#include "ui/file_controls.h"

namespace torvane::platform {
namespace form_view_detail {
namespace {

// DPI, looked up at run time so that the program also starts where these are missing.
template <class Fn>
Fn user32_function(const char* name) {
  return win32::module_function<Fn>(::GetModuleHandleW(L"user32.dll"), name);
}

}  // namespace

UINT dpi_of(HWND hwnd) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto get_dpi_for_window = user32_function<GetDpiForWindowFn>("GetDpiForWindow");
  if (get_dpi_for_window && hwnd) {
    const UINT dpi = get_dpi_for_window(hwnd);
    if (dpi) return dpi;
  }
  HDC dc = ::GetDC(hwnd);
  const int dpi = dc ? ::GetDeviceCaps(dc, LOGPIXELSX) : 0;
  if (dc) ::ReleaseDC(hwnd, dc);
  return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

void adjust_window_rect(RECT& rect, DWORD style, DWORD ex_style, UINT dpi) {
  using AdjustForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
  static const auto adjust_for_dpi = user32_function<AdjustForDpiFn>("AdjustWindowRectExForDpi");
  if (!(adjust_for_dpi && adjust_for_dpi(&rect, style, FALSE, ex_style, dpi)))
    ::AdjustWindowRectEx(&rect, style, FALSE, ex_style);
}

}  // namespace form_view_detail

namespace {

using form_view_detail::adjust_window_rect;
using form_view_detail::dpi_of;
using form_view_detail::is_list;
using form_view_detail::PushGuard;
using win32::widen;

// -- Styles ---------------------------------------------------------------------------------

DWORD form_style(ui::FrameStyle frame) {
  switch (frame) {
    case ui::FrameStyle::fixed_no_buttons:
      // A title bar without a system menu: no icon, no close box, nothing to maximise.
      return WS_OVERLAPPED | WS_CAPTION | WS_CLIPCHILDREN;
    case ui::FrameStyle::fixed_close_only:
      return WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    case ui::FrameStyle::borderless_maximised:
      return WS_POPUP | WS_CLIPCHILDREN;
  }
  return WS_OVERLAPPED | WS_CAPTION | WS_CLIPCHILDREN;
}

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;

struct ControlClass {
  const wchar_t* class_name;
  DWORD style;
  DWORD ex_style;
};

ControlClass control_class(ui::Kind kind) {
  switch (kind) {
    case ui::Kind::command_button:
      // Never BS_DEFPUSHBUTTON: no button is pressed by Enter from elsewhere in the window.
      // Long captions break into lines within the button.
      return {L"BUTTON", kChild | WS_TABSTOP | BS_PUSHBUTTON | BS_MULTILINE, 0};
    case ui::Kind::label:
      // SS_LEFT breaks the text into lines and cuts off what does not fit. SS_NOTIFY: a
      // click on a label reaches the model as one, as it does in a headless test.
      return {L"STATIC", kChild | SS_LEFT | SS_NOTIFY, 0};
    case ui::Kind::text_box:
      return {L"EDIT", kChild | WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
    case ui::Kind::check_box:
      // The model decides what a click does (off <-> on) and can show the greyed value 2,
      // so the native box never changes its state on its own.
      return {L"BUTTON", kChild | WS_TABSTOP | BS_3STATE, 0};
    case ui::Kind::list_box:
    case ui::Kind::file_list:
      // Unsorted: the model keeps the order. No integral height: the list has the size
      // the window definition gives it.
      return {L"LISTBOX",
              kChild | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_EXTENDEDSEL |
                  LBS_NOINTEGRALHEIGHT,
              WS_EX_CLIENTEDGE};
    case ui::Kind::drive_list:
      return {L"COMBOBOX", kChild | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_HASSTRINGS,
              0};
    case ui::Kind::dir_list:
      // Owner-drawn for the indentation of each level; the strings stay in the list, so
      // LB_GETTEXT and screen readers see the plain folder names.
      return {L"LISTBOX",
              kChild | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT |
                  LBS_OWNERDRAWFIXED | LBS_HASSTRINGS,
              WS_EX_CLIENTEDGE};
    case ui::Kind::picture_box:
      return {win32::kPictureClass, kChild, 0};
    case ui::Kind::timer:
      break;
  }
  return {nullptr, 0, 0};
}

}  // namespace

void Win32FormView::register_classes(HINSTANCE instance) {
  WNDCLASSEXW form{};
  form.cbSize = sizeof(form);
  form.lpfnWndProc = &Win32FormView::form_proc;
  form.hInstance = instance;
  form.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  form.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  form.lpszClassName = win32::kFormClass;
  ::RegisterClassExW(&form);

  // The screen's own surface shows the button face where the picture area leaves a strip.
  WNDCLASSEXW screen = form;
  screen.lpszClassName = win32::kScreenClass;
  ::RegisterClassExW(&screen);

  WNDCLASSEXW picture = form;
  picture.lpfnWndProc = &Win32FormView::picture_proc;
  picture.hbrBackground = nullptr;  // painted whole in WM_PAINT
  picture.lpszClassName = win32::kPictureClass;
  ::RegisterClassExW(&picture);
}

// ---- Creation and destruction ---------------------------------------------------------------

Win32FormView::Win32FormView(Win32WindowSystem& system, ui::Form& form)
    : system_(system), form_(form) {
  system_.register_view(this);
}

Win32FormView::~Win32FormView() {
  system_.unregister_view(this);
  // A form's controls are its own members and die before the form's view: unless the program
  // closed the form first (an exception leaving start-up, a message loop that failed), the
  // window still stands, and destroying it moves the focus and sends messages that would
  // reach controls no longer there.
  detach();
  if (hwnd_ && ::IsWindow(hwnd_)) ::DestroyWindow(hwnd_);
}

void Win32FormView::detach() {
  for (Native& n : natives_) {
    // The picture box's procedure holds its PictureBox itself.
    if (n.hwnd && n.kind == ui::Kind::picture_box) ::SetWindowLongPtrW(n.hwnd, GWLP_USERDATA, 0);
    n.control = nullptr;
  }
  // The window procedure then finds no view and leaves every message to the system.
  if (hwnd_) ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
}

bool Win32FormView::covers_monitor() const {
  return form_.definition().frame == ui::FrameStyle::borderless_maximised;
}

int Win32FormView::window_height(const ui::Control& control, const RECT& r) const {
  const int height = r.bottom - r.top;
  if (control.kind() != ui::Kind::drive_list) return height;
  // Room for eight drives below the closed list; its closed height is fitted afterwards.
  return height + line_height() * 8 + 2;
}

void Win32FormView::create() {
  const ui::FormDefinition& def = form_.definition();
  const DWORD style = form_style(def.frame);
  const HINSTANCE instance = static_cast<HINSTANCE>(system_.instance());

  // Born on the primary monitor, so that its DPI is the one the layout starts from.
  RECT work{0, 0, 1024, 768};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int x = covers_monitor() ? 0 : (work.left + work.right) / 2;
  const int y = covers_monitor() ? 0 : (work.top + work.bottom) / 2;

  // CreateWindowExW hands `this` to WM_NCCREATE, where the procedure keeps it.
  HWND hwnd = ::CreateWindowExW(0, is_screen() ? win32::kScreenClass : win32::kFormClass,
                                widen(def.caption).c_str(), style, x, y, 1, 1, nullptr, nullptr,
                                instance, this);
  if (!hwnd) return;
  dpi_ = dpi_of(hwnd);

  if (def.frame == ui::FrameStyle::fixed_close_only) {
    // A fixed window with a close box only: the system menu offers Move and Close.
    if (HMENU menu = ::GetSystemMenu(hwnd_, FALSE)) {
      ::DeleteMenu(menu, SC_RESTORE, MF_BYCOMMAND);
      ::DeleteMenu(menu, SC_SIZE, MF_BYCOMMAND);
      ::DeleteMenu(menu, SC_MINIMIZE, MF_BYCOMMAND);
      ::DeleteMenu(menu, SC_MAXIMIZE, MF_BYCOMMAND);
    }
  }
  if (def.has_program_icon) {
    // Icon id 1 of the executable, in the sizes the title bar and Alt+Tab want.
    auto load = [&](int metric_x, int metric_y) {
      return static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                             ::GetSystemMetrics(metric_x),
                                             ::GetSystemMetrics(metric_y), LR_SHARED));
    };
    if (HICON big_icon = load(SM_CXICON, SM_CYICON))
      ::SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big_icon));
    if (HICON small_icon = load(SM_CXSMICON, SM_CYSMICON))
      ::SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small_icon));
  }

  // Children in tab order: each new child goes below the ones before it, so the z-order is
  // the tab order, and a control drawn over another (the intro's OK over its label, the
  // interval field over its label) is the one earlier in tab order.
  natives_.reserve(form_.controls().size());
  for (ui::Control* control : form_.controls()) create_control(*control);
  place_on_screen();
  for (Native& n : natives_) push_all(n);
}

void Win32FormView::create_control(ui::Control& control) {
  Native n;
  n.control = &control;
  n.kind = control.kind();
  n.id = win32::kFirstControlId + control.tab_index();
  const ControlClass cls = control_class(control.kind());
  if (cls.class_name) {
    const RECT r = control_rect(control);
    const int height = window_height(control, r);
    const bool captioned = control.kind() == ui::Kind::command_button ||
                           control.kind() == ui::Kind::label ||
                           control.kind() == ui::Kind::check_box;
    n.hwnd = ::CreateWindowExW(
        cls.ex_style, cls.class_name, captioned ? widen(control.text()).c_str() : L"", cls.style,
        r.left, r.top, r.right - r.left, height, hwnd_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(n.id)),
        static_cast<HINSTANCE>(system_.instance()),
        control.kind() == ui::Kind::picture_box
            ? static_cast<void*>(static_cast<ui::PictureBox*>(&control))
            : nullptr);
    if (n.hwnd) {
      ::SendMessageW(n.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font()), FALSE);
      if (control.kind() == ui::Kind::text_box)
        ::SendMessageW(n.hwnd, EM_SETLIMITTEXT, 0, 0);  // as long as the system allows
      if (control.kind() == ui::Kind::drive_list) {
        ::SendMessageW(n.hwnd, CB_SETMINVISIBLE, 8, 0);
        fit_combo_height(n);
      }
    }
  }
  control.native = n.hwnd;
  natives_.push_back(std::move(n));
}

void Win32FormView::destroy() {
  if (hwnd_) ::DestroyWindow(hwnd_);
}

// ---- Layout -----------------------------------------------------------------------------------

int Win32FormView::px(int twips) const {
  if (form_.definition().unit == ui::ScaleUnit::pixels) return twips;
  return ::MulDiv(twips, static_cast<int>(dpi_), 1440);
}

RECT Win32FormView::control_rect(const ui::Control& control) const {
  const ui::Rect& r = control.rect();
  // Right and bottom from the converted far edges, so that neighbours never gap or overlap
  // by rounding.
  return RECT{px(r.left), px(r.top), px(r.left + r.width), px(r.top + r.height)};
}

HFONT Win32FormView::font() const { return static_cast<HFONT>(system_.font_for_dpi(dpi_)); }

int Win32FormView::line_height() const {
  HDC dc = ::GetDC(hwnd_);
  HGDIOBJ old = ::SelectObject(dc, font());
  TEXTMETRICW tm{};
  ::GetTextMetricsW(dc, &tm);
  ::SelectObject(dc, old);
  ::ReleaseDC(hwnd_, dc);
  return tm.tmHeight > 0 ? static_cast<int>(tm.tmHeight) : px(195);
}

void Win32FormView::fit_combo_height(Native& n) {
  // The closed drop-down list takes its height from its item height: make it the height the
  // window definition gives the control. The item height read back is not always the one set
  // (Wine adds two), so each round corrects the value set last by what the window still
  // lacks.
  const RECT want = control_rect(*n.control);
  LRESULT item = ::SendMessageW(n.hwnd, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
  if (item == CB_ERR) return;
  for (int round = 0; round < 3; ++round) {
    RECT now;
    if (!::GetWindowRect(n.hwnd, &now)) return;
    const int off = (want.bottom - want.top) - (now.bottom - now.top);
    if (off == 0 || item + off <= 0) return;
    item += off;
    ::SendMessageW(n.hwnd, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), item);
  }
}

void Win32FormView::place_on_screen() {
  const ui::FormDefinition& def = form_.definition();
  const DWORD style = static_cast<DWORD>(::GetWindowLongPtrW(hwnd_, GWL_STYLE));
  const DWORD ex_style = static_cast<DWORD>(::GetWindowLongPtrW(hwnd_, GWL_EXSTYLE));
  RECT frame{0, 0, px(def.client_width), px(def.client_height)};
  adjust_window_rect(frame, style, ex_style, dpi_);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;

  MONITORINFO mi{};
  mi.cbSize = sizeof(mi);
  ::GetMonitorInfoW(::MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY), &mi);
  const RECT& work = mi.rcWork;
  // Centred on the screen's work area; a window larger than it keeps its title bar reachable.
  const int x = std::max<int>(work.left, work.left + (work.right - work.left - width) / 2);
  const int y = std::max<int>(work.top, work.top + (work.bottom - work.top - height) / 2);
  ::SetWindowPos(hwnd_, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32FormView::cover_monitor() {
  // The picture area is placed in the primary monitor's coordinates (the work area the
  // program measured at start), and the window's client area must coincide with the screen.
  MONITORINFO mi{};
  mi.cbSize = sizeof(mi);
  ::GetMonitorInfoW(::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &mi);
  const RECT& m = mi.rcMonitor;
  ::SetWindowPos(hwnd_, nullptr, m.left, m.top, m.right - m.left, m.bottom - m.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32FormView::apply_layout() {
  PushGuard guard(pushing_);
  for (Native& n : natives_) {
    if (!n.hwnd) continue;
    ::SendMessageW(n.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font()), FALSE);
    const RECT r = control_rect(*n.control);
    ::MoveWindow(n.hwnd, r.left, r.top, r.right - r.left, window_height(*n.control, r), TRUE);
    if (n.control->kind() == ui::Kind::drive_list) fit_combo_height(n);
    if (n.control->kind() == ui::Kind::dir_list)
      ::SendMessageW(n.hwnd, LB_SETITEMHEIGHT, 0, line_height());
  }
  ::InvalidateRect(hwnd_, nullptr, TRUE);
}

// ---- Model -> native --------------------------------------------------------------------------

void Win32FormView::form_changed() {
  if (!hwnd_) return;
  if (!form_.visible()) {
    ::ShowWindow(hwnd_, SW_HIDE);
    return;
  }
  if (covers_monitor()) {
    cover_monitor();
    ::ShowWindow(hwnd_, SW_SHOWMAXIMIZED);
  } else {
    ::ShowWindow(hwnd_, SW_SHOW);
  }
  ::UpdateWindow(hwnd_);
}

void Win32FormView::bring_to_front() {
  if (!hwnd_ || !form_.visible()) return;
  // Shown already, but another window of the program may lie over it (the main window over
  // the screen): on top of them and active, as a window just shown is.
  ::SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
  ::SetForegroundWindow(hwnd_);
  ::SetActiveWindow(hwnd_);
}

void Win32FormView::control_changed(ui::Control& control, ui::Aspect what) {
  if (!hwnd_) return;
  if (Native* n = find(control)) push(*n, what);
}

void Win32FormView::set_focus(ui::Control& control) {
  Native* n = find(control);
  if (!n || !n->hwnd) return;
  saved_focus_ = n->hwnd;
  if (::IsWindowVisible(hwnd_)) ::SetFocus(n->hwnd);
}

void Win32FormView::push_all(Native& n) {
  using ui::Aspect;
  switch (n.control->kind()) {
    case ui::Kind::timer:
      push(n, Aspect::timer);
      return;
    case ui::Kind::list_box:
    case ui::Kind::file_list:
    case ui::Kind::drive_list:
    case ui::Kind::dir_list:
      push(n, Aspect::entries);
      break;
    case ui::Kind::check_box:
      push(n, Aspect::value);
      break;
    case ui::Kind::text_box:
      push(n, Aspect::text);
      break;
    default:
      break;
  }
  push(n, Aspect::enabled);
}

void Win32FormView::push(Native& n, ui::Aspect what) {
  ui::Control& c = *n.control;
  if (c.kind() == ui::Kind::timer) {
    if (what == ui::Aspect::enabled || what == ui::Aspect::timer) push_timer();
    return;
  }
  if (!n.hwnd) return;
  PushGuard guard(pushing_);
  switch (what) {
    case ui::Aspect::text: {
      const std::wstring text = widen(c.text());
      // Only a real change: rewriting the field the user is typing in would move the caret.
      if (win32::window_text(n.hwnd) != text) ::SetWindowTextW(n.hwnd, text.c_str());
      break;
    }
    case ui::Aspect::enabled:
      if (!c.enabled() && ::GetFocus() == n.hwnd) move_focus_from(n.hwnd);
      ::EnableWindow(n.hwnd, c.enabled() ? TRUE : FALSE);
      break;
    case ui::Aspect::entries:
      if (is_list(c.kind()))
        push_list_entries(n, static_cast<ui::SelectableList&>(c).entries());
      else if (c.kind() == ui::Kind::drive_list)
        push_drive_entries(n);
      else if (c.kind() == ui::Kind::dir_list)
        push_folders(n);
      break;
    case ui::Aspect::selection:
      if (is_list(c.kind())) push_list_selection(n);
      break;
    case ui::Aspect::value:
      if (c.kind() == ui::Kind::check_box) {
        const int value = static_cast<ui::CheckBox&>(c).value();
        const WPARAM state = value == 1   ? BST_CHECKED
                             : value == 2 ? BST_INDETERMINATE
                                          : BST_UNCHECKED;
        ::SendMessageW(n.hwnd, BM_SETCHECK, state, 0);
      } else if (c.kind() == ui::Kind::drive_list) {
        push_drive_selection(n);
      }
      break;
    case ui::Aspect::picture:
      ::InvalidateRect(n.hwnd, nullptr, FALSE);
      break;
    case ui::Aspect::geometry: {
      const RECT r = control_rect(c);
      ::MoveWindow(n.hwnd, r.left, r.top, r.right - r.left, window_height(c, r), TRUE);
      if (c.kind() == ui::Kind::drive_list) fit_combo_height(n);
      ::InvalidateRect(n.hwnd, nullptr, FALSE);
      break;
    }
    case ui::Aspect::timer:
      break;
  }
}
void Win32FormView::push_timer() {
  if (!hwnd_) return;
  for (const Native& n : natives_) {
    if (n.control->kind() != ui::Kind::timer) continue;
    const auto& timer = static_cast<const ui::Timer&>(*n.control);
    // SetTimer on a running timer starts its count again: a new interval, even the same one,
    // runs whole from now.
    if (timer.running())
      ::SetTimer(hwnd_, win32::kTimerId, static_cast<UINT>(timer.interval()), nullptr);
    else
      ::KillTimer(hwnd_, win32::kTimerId);
  }
}

void Win32FormView::move_focus_from(HWND hwnd) {
  // A control switched off while it holds the focus hands it on in tab order, as the user
  // would with Tab; nothing left to take it leaves it with the window.
  HWND next = ::GetNextDlgTabItem(hwnd_, hwnd, FALSE);
  if (next == hwnd) next = nullptr;
  if (saved_focus_ == hwnd) saved_focus_ = next;
  ::SetFocus(next ? next : hwnd_);
}

// ---- Lookup -----------------------------------------------------------------------------------

Win32FormView::Native* Win32FormView::find(int id) {
  for (Native& n : natives_)
    if (n.id == id && n.hwnd) return &n;
  return nullptr;
}

Win32FormView::Native* Win32FormView::find(HWND hwnd) {
  if (!hwnd) return nullptr;
  for (Native& n : natives_)
    if (n.hwnd == hwnd) return &n;
  return nullptr;
}

Win32FormView::Native* Win32FormView::find(const ui::Control& control) {
  for (Native& n : natives_)
    if (n.control == &control) return &n;
  return nullptr;
}
}  // namespace torvane::platform
