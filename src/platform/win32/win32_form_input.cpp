// Native input of the Win32 form view: the window procedure of the forms, and the
// notifications of the native controls turned into the same model calls a headless test
// makes.

#include <algorithm>

#include "platform/win32/win32_form_view.h"
#include "platform/win32/win32_form_view_internal.h"
#include "platform/win32/win32_window_system.h"
#include "ui/file_controls.h"

#include <dbt.h>

namespace torvane::platform {

using form_view_detail::adjust_window_rect;
using form_view_detail::PushGuard;
using form_view_detail::run_model;
using win32::narrow;

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
    case ui::Kind::label:
      if (code == STN_CLICKED) run_model([&] { static_cast<ui::Label&>(c).click(); });
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
      if (wp && form_.definition().role == ui::FormRole::main)
        run_model([&] { form_.request_close(); });
      return 0;

    case WM_SYSCOMMAND:
      // While the show covers the screen, neither the screen saver nor the monitor's power
      // saving may cover it; the system asks the foreground window first. Otherwise, as
      // usual.
      if (is_screen() && form_.visible() &&
          ((wp & 0xFFF0) == SC_SCREENSAVE || (wp & 0xFFF0) == SC_MONITORPOWER))
        return 0;
      break;

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

    case WM_DEVICECHANGE:
      // A disk, a stick or a network drive came or went: the drive list reads again.
      if (wp == DBT_DEVICEARRIVAL || wp == DBT_DEVICEREMOVECOMPLETE) system_.devices_changed();
      return TRUE;

    case WM_GETMINMAXINFO:
      if (covers_monitor()) {
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
      if (!covers_monitor()) {
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
        if (n.control) n.control->native = nullptr;
      }
      break;

    default:
      break;
  }
  return ::DefWindowProcW(hwnd, msg, wp, lp);
}
}  // namespace torvane::platform
