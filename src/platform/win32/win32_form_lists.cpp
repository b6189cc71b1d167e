// The Win32 form view's lists: the file list and the picture list (LISTBOX with extended
// selection), the drive list (drop-down COMBOBOX) and the owner-drawn folder list.

#include <algorithm>

#include "platform/win32/win32_form_view.h"
#include "platform/win32/win32_form_view_internal.h"
#include "ui/file_controls.h"

namespace torvane::platform {

using win32::widen;

void Win32FormView::push_list_entries(Native& n, const std::vector<std::string>& entries) {
  // What the list shows is known only while nobody else has changed it.
  const bool in_step =
      ::SendMessageW(n.hwnd, LB_GETCOUNT, 0, 0) == static_cast<LRESULT>(n.shown.size());
  const bool same = in_step && entries == n.shown;
  // Add and Add all append to what is there; so does a folder's files filling an empty list.
  const bool appended = in_step && !same && entries.size() > n.shown.size() &&
                        std::equal(n.shown.begin(), n.shown.end(), entries.begin());
  if (!same) {
    const std::size_t from = appended ? n.shown.size() : 0;
    // Each line added to a visible list redraws its scroll bar, which the theme draws slowly
    // (a few milliseconds each under Wine): more than one line goes in with the list frozen,
    // and it repaints once at the end.
    const bool frozen = entries.size() - from > 1;
    if (frozen) ::SendMessageW(n.hwnd, WM_SETREDRAW, FALSE, 0);
    if (!appended) ::SendMessageW(n.hwnd, LB_RESETCONTENT, 0, 0);
    if (frozen) {
      std::size_t chars = 0;
      for (std::size_t i = from; i < entries.size(); ++i) chars += entries[i].size() + 1;
      ::SendMessageW(n.hwnd, LB_INITSTORAGE, entries.size() - from, chars * sizeof(wchar_t));
    }
    for (std::size_t i = from; i < entries.size(); ++i)
      ::SendMessageW(n.hwnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(widen(entries[i]).c_str()));
    if (frozen) {
      ::SendMessageW(n.hwnd, WM_SETREDRAW, TRUE, 0);
      ::InvalidateRect(n.hwnd, nullptr, TRUE);
    }
  }
  n.shown = entries;
  push_list_selection(n);
}

void Win32FormView::push_list_selection(Native& n) {
  const auto& list = static_cast<const ui::SelectableList&>(*n.control);
  ::SendMessageW(n.hwnd, LB_SETSEL, FALSE, -1);
  // One message per run of selected entries, not one per entry: a Shift+click range over a
  // whole folder is a single run.
  const int count = list.count();
  for (int first = 0; first < count; ++first) {
    if (!list.selected(first)) continue;
    int last = first;
    while (last + 1 < count && list.selected(last + 1)) ++last;
    ::SendMessageW(n.hwnd, LB_SELITEMRANGEEX, static_cast<WPARAM>(first), last);
    first = last;
  }
  if (list.list_index() >= 0) ::SendMessageW(n.hwnd, LB_SETCARETINDEX, list.list_index(), FALSE);
}

void Win32FormView::push_drive_entries(Native& n) {
  const auto& drives = static_cast<const ui::DriveListBox&>(*n.control);
  const std::vector<std::string>& entries = drives.entries();
  const bool in_step =
      ::SendMessageW(n.hwnd, CB_GETCOUNT, 0, 0) == static_cast<LRESULT>(n.shown.size());
  if (in_step && entries.size() == n.shown.size()) {
    // The same drives, a label learnt meanwhile: only that entry changes, so a list the user
    // holds open stays open.
    for (std::size_t i = 0; i < entries.size(); ++i) {
      if (entries[i] == n.shown[i]) continue;
      ::SendMessageW(n.hwnd, CB_DELETESTRING, i, 0);
      ::SendMessageW(n.hwnd, CB_INSERTSTRING, i,
                     reinterpret_cast<LPARAM>(widen(entries[i]).c_str()));
    }
  } else {
    ::SendMessageW(n.hwnd, CB_RESETCONTENT, 0, 0);
    for (const auto& e : entries)
      ::SendMessageW(n.hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(widen(e).c_str()));
  }
  n.shown = entries;
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
}  // namespace torvane::platform
