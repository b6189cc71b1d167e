// The native side of a form: a top-level window whose child controls mirror the model.
//
// Window classes and titles (what outside tools look for):
//   TorvaneForm    FrmIniMes "Torvane", FrmMain "  Torvane's",
//                  FrmSelectFiles "スクリーンファイル（.bmp）を右のリストに追加してください。"
//   TorvaneScreen  FrmScrn "Form2" (borderless; covers the primary monitor while shown)
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
// CommandButton::click() / CheckBox::click(), EN_CHANGE -> TextBox::set_text(),
// LBN_SELCHANGE -> SelectableList::user_selected(), CBN_SELCHANGE -> DriveListBox::set_drive(),
// LBN_DBLCLK or Enter on Dir1 -> DirListBox::open_entry(), WM_TIMER -> Timer::tick(),
// WM_LBUTTONDOWN on the picture -> PictureBox::click(), WM_CLOSE -> Form::request_close().

#include "platform/win32/win32_form_view.h"

#include <commctrl.h>

#include <algorithm>
#include <exception>

#include "platform/win32/win32_window_system.h"
#include "ui/file_controls.h"

namespace torvane::platform {
namespace {

using win32::narrow;
using win32::widen;

// -- DPI, looked up at run time so that the program also starts where these are missing ----

template <class Fn>
Fn user32_function(const char* name) {
  const HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
  if (!user32) return nullptr;
  // The detour through a plain function pointer type keeps compilers from warning about
  // the cast between unrelated function types.
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(::GetProcAddress(user32, name)));
}

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
      // SS_LEFT breaks the text into lines and cuts off what does not fit.
      return {L"STATIC", kChild | SS_LEFT, 0};
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

bool is_list(ui::Kind kind) { return kind == ui::Kind::list_box || kind == ui::Kind::file_list; }

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

// Runs a model call from a window procedure. An exception must not unwind through the
// system's code that called the procedure; the model reports what the user must know itself.
template <class F>
void run_model(F&& call) {
  try {
    call();
  } catch (const std::exception& e) {
    ::OutputDebugStringA("Torvane: unexpected error in an event handler: ");
    ::OutputDebugStringA(e.what());
    ::OutputDebugStringA("\n");
  } catch (...) {
    ::OutputDebugStringA("Torvane: unexpected error in an event handler\n");
  }
}

// -- The picture box --------------------------------------------------------------------------

// Draws a picture one picture pixel to one device pixel with its top-left at (x, y), as a
// DIB in whichever form and row order it has; the caller's clip cuts off what does not fit
// at the right and bottom. False if there is nothing whole to draw.
bool draw_picture(HDC dc, int x, int y, const image::Picture& picture) {
  if (picture.width <= 0 || picture.height <= 0) return false;
  const auto w = static_cast<std::size_t>(picture.width);
  const auto h = static_cast<std::size_t>(picture.height);
  struct {
    BITMAPINFOHEADER header;
    RGBQUAD colours[256];
  } info{};
  info.header.biSize = sizeof(info.header);
  info.header.biWidth = picture.width;
  // A negative height says the rows are stored top row first.
  info.header.biHeight = picture.bottom_up ? picture.height : -picture.height;
  info.header.biPlanes = 1;
  info.header.biCompression = BI_RGB;
  const void* bits = nullptr;
  if (picture.bits_per_pixel == 8) {
    // The rows must be laid out exactly as an 8-bit DIB's: one byte a pixel, each row
    // padded to a multiple of four bytes.
    if (picture.stride != ((w + 3) & ~std::size_t{3}) ||
        picture.indices.size() < picture.stride * h)
      return false;
    info.header.biBitCount = 8;
    info.header.biClrUsed = 256;
    for (std::size_t i = 0; i < 256; ++i) {
      const std::uint32_t c = picture.palette[i];  // 0x00RRGGBB
      info.colours[i] = {static_cast<BYTE>(c), static_cast<BYTE>(c >> 8),
                         static_cast<BYTE>(c >> 16), 0};
    }
    bits = picture.indices.data();
  } else {
    if (picture.pixels.size() < w * h) return false;
    info.header.biBitCount = 32;
    bits = picture.pixels.data();
  }
  ::SetDIBitsToDevice(dc, x, y, static_cast<DWORD>(picture.width),
                      static_cast<DWORD>(picture.height), 0, 0, 0,
                      static_cast<UINT>(picture.height), bits,
                      reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS);
  return true;
}

void paint_picture(HWND hwnd, const ui::PictureBox* box) {
  PAINTSTRUCT ps;
  HDC dc = ::BeginPaint(hwnd, &ps);
  RECT client;
  ::GetClientRect(hwnd, &client);
  // The sunken edge is two pixels at every DPI: the model's inner area counts on it.
  RECT edge = client;
  ::DrawEdge(dc, &edge, EDGE_SUNKEN, BF_RECT);
  RECT inner{client.left + 2, client.top + 2, client.right - 2, client.bottom - 2};
  if (inner.right > inner.left && inner.bottom > inner.top) {
    const int saved = ::SaveDC(dc);
    ::IntersectClipRect(dc, inner.left, inner.top, inner.right, inner.bottom);
    if (box) {
      const image::Picture& picture = box->picture();
      if (draw_picture(dc, inner.left, inner.top, picture)) {
        ::ExcludeClipRect(dc, inner.left, inner.top, inner.left + picture.width,
                          inner.top + picture.height);
      }
    }
    // Where no picture covers the box, its button-face background shows.
    ::FillRect(dc, &inner, ::GetSysColorBrush(COLOR_BTNFACE));
    ::RestoreDC(dc, saved);
  }
  ::EndPaint(hwnd, &ps);
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
  if (hwnd_ && ::IsWindow(hwnd_)) ::DestroyWindow(hwnd_);
}

bool Win32FormView::is_screen() const {
  return form_.definition().frame == ui::FrameStyle::borderless_maximised;
}

void Win32FormView::create() {
  const ui::FormDefinition& def = form_.definition();
  const DWORD style = form_style(def.frame);
  const HINSTANCE instance = static_cast<HINSTANCE>(system_.instance());

  // Born on the primary monitor, so that its DPI is the one the layout starts from.
  RECT work{0, 0, 1024, 768};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int x = is_screen() ? 0 : (work.left + work.right) / 2;
  const int y = is_screen() ? 0 : (work.top + work.bottom) / 2;

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
  n.id = win32::kFirstControlId + control.tab_index();
  const ControlClass cls = control_class(control.kind());
  if (cls.class_name) {
    const RECT r = control_rect(control);
    int height = r.bottom - r.top;
    // A drop-down list's window height includes its list; the closed height is set below.
    if (control.kind() == ui::Kind::drive_list) height += line_height() * 8 + 2;
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
    int height = r.bottom - r.top;
    if (n.control->kind() == ui::Kind::drive_list) height += line_height() * 8 + 2;
    ::MoveWindow(n.hwnd, r.left, r.top, r.right - r.left, height, TRUE);
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
  if (is_screen()) {
    cover_monitor();
    ::ShowWindow(hwnd_, SW_SHOWMAXIMIZED);
  } else {
    ::ShowWindow(hwnd_, SW_SHOW);
  }
  ::UpdateWindow(hwnd_);
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
      int height = r.bottom - r.top;
      if (c.kind() == ui::Kind::drive_list) height += line_height() * 8 + 2;
      ::MoveWindow(n.hwnd, r.left, r.top, r.right - r.left, height, TRUE);
      if (c.kind() == ui::Kind::drive_list) fit_combo_height(n);
      ::InvalidateRect(n.hwnd, nullptr, FALSE);
      break;
    }
    case ui::Aspect::timer:
      break;
  }
}

void Win32FormView::push_list_entries(Native& n, const std::vector<std::string>& entries) {
  // What the list shows is known only while nobody else has changed it.
  const bool in_step =
      ::SendMessageW(n.hwnd, LB_GETCOUNT, 0, 0) == static_cast<LRESULT>(n.shown.size());
  const bool same = in_step && entries == n.shown;
  const bool appended = in_step && !same && entries.size() > n.shown.size() &&
                        std::equal(n.shown.begin(), n.shown.end(), entries.begin());
  if (appended) {
    // Add, Add all: one line each, no refill.
    for (std::size_t i = n.shown.size(); i < entries.size(); ++i)
      ::SendMessageW(n.hwnd, LB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(widen(entries[i]).c_str()));
  } else if (!same) {
    // A whole folder's files at once: no repaint per line.
    ::SendMessageW(n.hwnd, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(n.hwnd, LB_RESETCONTENT, 0, 0);
    std::size_t chars = 0;
    for (const auto& e : entries) chars += e.size() + 1;
    ::SendMessageW(n.hwnd, LB_INITSTORAGE, entries.size(), chars * sizeof(wchar_t));
    for (const auto& e : entries)
      ::SendMessageW(n.hwnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(widen(e).c_str()));
    ::SendMessageW(n.hwnd, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(n.hwnd, nullptr, TRUE);
  }
  n.shown = entries;
  push_list_selection(n);
}

void Win32FormView::push_list_selection(Native& n) {
  const auto& list = static_cast<const ui::SelectableList&>(*n.control);
  ::SendMessageW(n.hwnd, LB_SETSEL, FALSE, -1);
  for (int i = 0; i < list.count(); ++i)
    if (list.selected(i)) ::SendMessageW(n.hwnd, LB_SETSEL, TRUE, i);
  if (list.list_index() >= 0) ::SendMessageW(n.hwnd, LB_SETCARETINDEX, list.list_index(), FALSE);
}

void Win32FormView::push_drive_entries(Native& n) {
  const auto& drives = static_cast<const ui::DriveListBox&>(*n.control);
  if (drives.entries() != n.shown ||
      ::SendMessageW(n.hwnd, CB_GETCOUNT, 0, 0) != static_cast<LRESULT>(n.shown.size())) {
    ::SendMessageW(n.hwnd, CB_RESETCONTENT, 0, 0);
    for (const auto& e : drives.entries())
      ::SendMessageW(n.hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(widen(e).c_str()));
    n.shown = drives.entries();
  }
  push_drive_selection(n);
}

void Win32FormView::push_drive_selection(Native& n) {
  const auto& drives = static_cast<const ui::DriveListBox&>(*n.control);
  const std::string& drive = drives.drive();
  int index = -1;
  for (std::size_t i = 0; i < drives.entries().size(); ++i) {
    const std::string& e = drives.entries()[i];
    if (!drive.empty() && !e.empty() && ui::same_path(e.substr(0, 1), drive.substr(0, 1))) {
      index = static_cast<int>(i);
      break;
    }
  }
  if (::SendMessageW(n.hwnd, CB_GETCURSEL, 0, 0) != index)
    ::SendMessageW(n.hwnd, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void Win32FormView::push_folders(Native& n) {
  const auto& dirs = static_cast<const ui::DirListBox&>(*n.control);
  ::SendMessageW(n.hwnd, WM_SETREDRAW, FALSE, 0);
  ::SendMessageW(n.hwnd, LB_RESETCONTENT, 0, 0);
  for (const ui::FolderEntry& e : dirs.entries()) {
    const LRESULT at =
        ::SendMessageW(n.hwnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(widen(e.text).c_str()));
    if (at >= 0) ::SendMessageW(n.hwnd, LB_SETITEMDATA, static_cast<WPARAM>(at), e.level);
  }
  ::SendMessageW(n.hwnd, WM_SETREDRAW, TRUE, 0);
  // The current folder is the highlighted entry, scrolled into view.
  ::SendMessageW(n.hwnd, LB_SETCURSEL, static_cast<WPARAM>(dirs.current_index()), 0);
  ::InvalidateRect(n.hwnd, nullptr, TRUE);
}

void Win32FormView::push_timer() {
  if (!hwnd_) return;
  for (const Native& n : natives_) {
    if (n.control->kind() != ui::Kind::timer) continue;
    const auto& timer = static_cast<const ui::Timer&>(*n.control);
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

// ---- Native -> model --------------------------------------------------------------------------

bool Win32FormView::pre_translate(MSG& msg) {
  if (!hwnd_ || is_screen()) return false;  // the screen window ignores every key
  if (msg.message == WM_KEYDOWN && msg.wParam == VK_RETURN) {
    // Enter presses the focused button and opens the focused folder entry; there is no
    // default button for it to press elsewhere.
    if (Native* n = find(::GetFocus())) {
      if (n->control->kind() == ui::Kind::command_button) {
        run_model([&] { static_cast<ui::CommandButton&>(*n->control).click(); });
        return true;
      }
      if (n->control->kind() == ui::Kind::dir_list) {
        const int at = static_cast<int>(::SendMessageW(n->hwnd, LB_GETCURSEL, 0, 0));
        run_model([&] { static_cast<ui::DirListBox&>(*n->control).open_entry(at); });
        return true;
      }
    }
  }
  if (!::IsDialogMessageW(hwnd_, &msg)) return false;
  // The dialog manager dresses the button that Tab reaches as the default one; here there
  // is none, and a button left looking like one after the focus moved on by mouse would
  // promise what Enter does not do.
  for (const Native& n : natives_) {
    if (n.hwnd && n.control->kind() == ui::Kind::command_button &&
        (::GetWindowLongPtrW(n.hwnd, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
      ::SendMessageW(n.hwnd, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
  }
  return true;
}

void Win32FormView::on_command(int id, int code, HWND from) {
  if (pushing_) return;
  Native* n = find(id);
  // The dialog keys send IDOK and IDCANCEL with the focused control as sender; only a
  // control's own notification (its id and its window) counts.
  if (!n || n->hwnd != from) return;
  ui::Control& c = *n->control;
  switch (c.kind()) {
    case ui::Kind::command_button:
      if (code == BN_CLICKED) run_model([&] { static_cast<ui::CommandButton&>(c).click(); });
      break;
    case ui::Kind::check_box:
      if (code == BN_CLICKED) run_model([&] { static_cast<ui::CheckBox&>(c).click(); });
      break;
    case ui::Kind::text_box:
      if (code == EN_CHANGE) {
        const std::string text = narrow(win32::window_text(n->hwnd));
        run_model([&] { static_cast<ui::TextBox&>(c).set_text(text); });
      }
      break;
    case ui::Kind::list_box:
    case ui::Kind::file_list:
      if (code == LBN_SELCHANGE) {
        const int count = static_cast<int>(::SendMessageW(n->hwnd, LB_GETCOUNT, 0, 0));
        std::vector<bool> selected(static_cast<std::size_t>(std::max(0, count)), false);
        const int picked = static_cast<int>(::SendMessageW(n->hwnd, LB_GETSELCOUNT, 0, 0));
        if (picked > 0) {
          std::vector<int> items(static_cast<std::size_t>(picked));
          const int got = static_cast<int>(::SendMessageW(
              n->hwnd, LB_GETSELITEMS, static_cast<WPARAM>(picked),
              reinterpret_cast<LPARAM>(items.data())));
          for (int k = 0; k < got; ++k)
            if (items[k] >= 0 && items[k] < count) selected[static_cast<std::size_t>(items[k])] = true;
        }
        const int caret = static_cast<int>(::SendMessageW(n->hwnd, LB_GETCARETINDEX, 0, 0));
        run_model([&] { static_cast<ui::SelectableList&>(c).user_selected(selected, caret); });
      }
      break;
    case ui::Kind::drive_list: {
      auto& drives = static_cast<ui::DriveListBox&>(c);
      if (code == CBN_DROPDOWN) {
        // Drives come and go: read them again each time the user opens the list.
        run_model([&] { drives.refresh(); });
      } else if (code == CBN_SELCHANGE) {
        const LRESULT at = ::SendMessageW(n->hwnd, CB_GETCURSEL, 0, 0);
        if (at < 0) break;
        const LRESULT length = ::SendMessageW(n->hwnd, CB_GETLBTEXTLEN, static_cast<WPARAM>(at), 0);
        if (length < 0) break;
        std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
        ::SendMessageW(n->hwnd, CB_GETLBTEXT, static_cast<WPARAM>(at),
                       reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<std::size_t>(length));
        bool refused = false;
        run_model([&] {
          try {
            drives.set_drive(narrow(text));
          } catch (const std::exception&) {
            refused = true;  // a drive that went away after the list was read
          }
        });
        // A refused pick goes back to the drive the model holds; an accepted one is that
        // drive already.
        if (refused) {
          PushGuard guard(pushing_);
          push_drive_selection(*n);
        }
      }
      break;
    }
    case ui::Kind::dir_list:
      if (code == LBN_DBLCLK) {
        const int at = static_cast<int>(::SendMessageW(n->hwnd, LB_GETCURSEL, 0, 0));
        run_model([&] { static_cast<ui::DirListBox&>(c).open_entry(at); });
      }
      break;
    default:
      break;
  }
}

void Win32FormView::on_activate(bool active) {
  if (!active) {
    // Remember where the focus was, to give it back when the window is active again.
    HWND focus = ::GetFocus();
    if (focus && ::IsChild(hwnd_, focus)) saved_focus_ = focus;
    return;
  }
  HWND target = saved_focus_;
  if (!(target && ::IsWindow(target) && ::IsChild(hwnd_, target) && ::IsWindowEnabled(target) &&
        ::IsWindowVisible(target)))
    target = ::GetNextDlgTabItem(hwnd_, nullptr, FALSE);
  ::SetFocus(target ? target : hwnd_);
}

LRESULT Win32FormView::on_draw_folder(const DRAWITEMSTRUCT& item) {
  HDC dc = item.hDC;
  RECT r = item.rcItem;
  if (item.itemID == static_cast<UINT>(-1)) {
    if (item.itemState & ODS_FOCUS) ::DrawFocusRect(dc, &r);
    return TRUE;
  }
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  const bool disabled = (item.itemState & ODS_DISABLED) != 0;
  ::FillRect(dc, &r, ::GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));

  const LRESULT length = ::SendMessageW(item.hwndItem, LB_GETTEXTLEN, item.itemID, 0);
  std::wstring text(static_cast<std::size_t>(std::max<LRESULT>(0, length)) + 1, L'\0');
  if (length > 0)
    ::SendMessageW(item.hwndItem, LB_GETTEXT, item.itemID, reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(std::max<LRESULT>(0, length)));
  const int level = static_cast<int>(item.itemData);

  // Each level one step further in: the ancestors, the folder itself, then its sub-folders.
  RECT text_rect = r;
  text_rect.left += ::MulDiv(2 + 8 * std::clamp(level, 0, 64), static_cast<int>(dpi_), 96);
  const int mode = ::SetBkMode(dc, TRANSPARENT);
  const COLORREF colour = ::SetTextColor(
      dc, ::GetSysColor(disabled ? COLOR_GRAYTEXT
                                 : selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  HGDIOBJ old = ::SelectObject(dc, font());
  ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &text_rect,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
  ::SelectObject(dc, old);
  ::SetTextColor(dc, colour);
  ::SetBkMode(dc, mode);
  if (item.itemState & ODS_FOCUS) ::DrawFocusRect(dc, &r);
  return TRUE;
}

// ---- Window procedures ------------------------------------------------------------------------

LRESULT CALLBACK Win32FormView::form_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  Win32FormView* self = nullptr;
  if (msg == WM_NCCREATE) {
    self = static_cast<Win32FormView*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    if (self) self->hwnd_ = hwnd;
  } else {
    self = reinterpret_cast<Win32FormView*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  }
  if (!self) return ::DefWindowProcW(hwnd, msg, wp, lp);
  return self->handle(msg, wp, lp);
}

LRESULT Win32FormView::handle(UINT msg, WPARAM wp, LPARAM lp) {
  HWND hwnd = hwnd_;
  switch (msg) {
    case WM_COMMAND:
      if (lp) on_command(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp));
      return 0;

    case WM_TIMER:
      if (wp == win32::kTimerId) {
        for (Native& n : natives_)
          if (n.control->kind() == ui::Kind::timer)
            run_model([&] { static_cast<ui::Timer&>(*n.control).tick(); });
        return 0;
      }
      break;

    case WM_CLOSE:
      // Never the default (which destroys the window): the model decides what a close means.
      run_model([&] { form_.request_close(); });
      return 0;

    case WM_ENDSESSION:
      // Windows is shutting down: the window whose close ends the program saves the settings
      // as if the user had closed it.
      if (wp && form_.definition().frame == ui::FrameStyle::fixed_close_only)
        run_model([&] { form_.request_close(); });
      return 0;

    case WM_ACTIVATE:
      if (is_screen()) break;
      on_activate(LOWORD(wp) != WA_INACTIVE);
      return 0;

    case WM_NEXTDLGCTL: {
      // The dialog manager's request to move the focus, for windows that are not dialogs.
      HWND target = LOWORD(lp) ? reinterpret_cast<HWND>(wp)
                               : ::GetNextDlgTabItem(hwnd, ::GetFocus(), wp != 0);
      if (target) ::SetFocus(target);
      return 0;
    }

    case WM_MEASUREITEM: {
      auto* m = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
      if (m->CtlType == ODT_LISTBOX) {
        m->itemHeight = static_cast<UINT>(line_height());
        return TRUE;
      }
      break;
    }

    case WM_DRAWITEM: {
      const auto* d = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
      if (d->CtlType == ODT_LISTBOX) return on_draw_folder(*d);
      break;
    }

    case WM_GETMINMAXINFO:
      if (is_screen()) {
        // Maximised means the whole primary monitor, taskbar included.
        auto* info = reinterpret_cast<MINMAXINFO*>(lp);
        MONITORINFO mi{};
        mi.cbSize = sizeof(mi);
        ::GetMonitorInfoW(::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &mi);
        const LONG w = mi.rcMonitor.right - mi.rcMonitor.left;
        const LONG h = mi.rcMonitor.bottom - mi.rcMonitor.top;
        info->ptMaxPosition = POINT{0, 0};
        info->ptMaxSize = POINT{w, h};
        info->ptMaxTrackSize.x = std::max(info->ptMaxTrackSize.x, w);
        info->ptMaxTrackSize.y = std::max(info->ptMaxTrackSize.y, h);
        return 0;
      }
      break;

    case WM_DPICHANGED:
      if (!is_screen()) {
        dpi_ = HIWORD(wp);
        const auto* suggested = reinterpret_cast<const RECT*>(lp);
        const ui::FormDefinition& def = form_.definition();
        RECT frame{0, 0, px(def.client_width), px(def.client_height)};
        adjust_window_rect(frame, static_cast<DWORD>(::GetWindowLongPtrW(hwnd, GWL_STYLE)),
                           static_cast<DWORD>(::GetWindowLongPtrW(hwnd, GWL_EXSTYLE)), dpi_);
        ::SetWindowPos(hwnd, nullptr, suggested->left, suggested->top, frame.right - frame.left,
                       frame.bottom - frame.top, SWP_NOZORDER | SWP_NOACTIVATE);
        apply_layout();
      }
      return 0;

    case WM_NCDESTROY:
      // The window is gone; later model changes have nothing to show on.
      ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      hwnd_ = nullptr;
      saved_focus_ = nullptr;
      for (Native& n : natives_) {
        n.hwnd = nullptr;
        n.control->native = nullptr;
      }
      break;

    default:
      break;
  }
  return ::DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT CALLBACK Win32FormView::picture_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(
                            reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
  }
  auto* box = static_cast<ui::PictureBox*>(
      reinterpret_cast<void*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA)));
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT covers every pixel
    case WM_PAINT:
      paint_picture(hwnd, box);
      return 0;
    case WM_LBUTTONDOWN:
      // A click on the picture stops the show.
      if (box) run_model([&] { box->click(); });
      return 0;
    case WM_NCDESTROY:
      ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      break;
    default:
      break;
  }
  return ::DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace torvane::platform
