#include "driver.h"

#include <tlhelp32.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <utility>

namespace torvane::e2e {

namespace fs = std::filesystem;

namespace {

// Why a user could not reach `control` now; empty when they could.
Refusal unreachable(HWND control, const char* what) {
  if (!IsWindow(control)) return std::string(what) + " does not exist";
  if (!IsWindowVisible(control)) return std::string(what) + " is hidden";
  if (!IsWindowEnabled(control)) return std::string(what) + " is disabled";
  HWND root = GetAncestor(control, GA_ROOT);
  if (root && root != control) {
    if (!IsWindowVisible(root)) return std::string(what) + "'s window is hidden";
    // A modal box disables its owner: a user cannot click there until it is closed.
    if (!IsWindowEnabled(root)) return std::string(what) + "'s window is disabled";
  }
  return std::nullopt;
}

bool is_list_box(HWND window) {
  return same_text_ignoring_case(class_of(window), L"ListBox");
}
bool is_combo_box(HWND window) {
  return same_text_ignoring_case(class_of(window), L"ComboBox");
}

}  // namespace

// ---- text and paths -------------------------------------------------------------------

bool same_text_ignoring_case(std::wstring_view a, std::wstring_view b) {
  return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

std::string describe(const RECT& r) {
  return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" +
         std::to_string(r.right) + "," + std::to_string(r.bottom) + ")";
}

std::wstring widen(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int n =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
  return out;
}

std::string narrow(std::wstring_view text) {
  if (text.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                    0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                      nullptr, nullptr);
  return out;
}

std::wstring to_windows_path(std::string_view path) {
  std::wstring out = widen(path);
  // Wine maps the host's root to drive Z:.
  if (!out.empty() && out.front() == L'/') out.insert(0, L"Z:");
  std::replace(out.begin(), out.end(), L'/', L'\\');
  return out;
}

std::wstring file_name_of(std::wstring_view path) {
  const auto slash = path.find_last_of(L"\\/");
  return std::wstring(slash == std::wstring_view::npos ? path : path.substr(slash + 1));
}

bool file_exists(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<std::string> read_file_bytes(const std::wstring& path) {
  std::ifstream in(fs::path(path), std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool write_file_bytes(const std::wstring& path, std::string_view bytes) {
  std::ofstream out(fs::path(path), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

// ---- waiting --------------------------------------------------------------------------

bool wait_for(const std::function<bool()>& done, std::chrono::milliseconds timeout,
              std::chrono::milliseconds poll) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (done()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(poll);
  }
}

// ---- a program folder of its own ------------------------------------------------------

ScratchFolder::ScratchFolder(std::wstring_view tag) {
  static std::atomic<int> counter{0};
  wchar_t temp[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH, temp);
  std::wstring base = temp;
  if (!base.empty() && base.back() != L'\\') base += L'\\';
  std::wstring clean;
  for (wchar_t c : tag) clean += (iswalnum(c) || c == L'-' || c == L'_') ? c : L'_';
  for (;;) {
    path_ = base + L"torvane-e2e-" + clean + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(counter++);
    if (CreateDirectoryW(path_.c_str(), nullptr)) break;
    if (GetLastError() != ERROR_ALREADY_EXISTS) {
      path_.clear();
      break;
    }
  }
}

ScratchFolder::~ScratchFolder() {
  if (path_.empty() || GetEnvironmentVariableW(L"TORVANE_E2E_KEEP", nullptr, 0) != 0) return;
  std::error_code ignored;
  fs::remove_all(fs::path(path_), ignored);
}

std::wstring ScratchFolder::file(std::wstring_view name) const {
  return path_ + L"\\" + std::wstring(name);
}

std::wstring ScratchFolder::copy_in(const std::wstring& source, std::wstring_view name) const {
  const std::wstring target = file(name.empty() ? file_name_of(source) : std::wstring(name));
  if (!CopyFileW(source.c_str(), target.c_str(), FALSE)) return {};
  return target;
}

// ---- processes ------------------------------------------------------------------------

std::optional<Process> Process::launch(const std::wstring& exe, std::wstring_view arguments,
                                       std::wstring_view folder) {
  std::wstring command_line = L"\"" + exe + L"\"";
  if (!arguments.empty()) command_line += L" " + std::wstring(arguments);
  std::wstring directory(folder);
  if (directory.empty()) {
    const auto slash = exe.find_last_of(L"\\/");
    if (slash != std::wstring::npos) directory = exe.substr(0, slash);
  }
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(exe.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      directory.empty() ? nullptr : directory.c_str(), &startup, &info)) {
    return std::nullopt;
  }
  CloseHandle(info.hThread);
  // Ready for input: its first window can be looked for from here on.
  WaitForInputIdle(info.hProcess, static_cast<DWORD>(kDefaultTimeout.count()));
  return Process(info.hProcess, info.dwProcessId);
}

Process::Process(Process&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)), id_(std::exchange(other.id_, 0)) {}

Process& Process::operator=(Process&& other) noexcept {
  if (this != &other) {
    release();
    handle_ = std::exchange(other.handle_, nullptr);
    id_ = std::exchange(other.id_, 0);
  }
  return *this;
}

Process::~Process() {
  release();
}

void Process::release() {
  if (!handle_) return;
  if (running()) {
    terminate();
    WaitForSingleObject(handle_, 5000);
  }
  CloseHandle(handle_);
  handle_ = nullptr;
  id_ = 0;
}

bool Process::running() const {
  return handle_ && WaitForSingleObject(handle_, 0) == WAIT_TIMEOUT;
}

bool Process::wait_for_exit(std::chrono::milliseconds timeout) const {
  return handle_ &&
         WaitForSingleObject(handle_, static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0;
}

void Process::terminate() const {
  if (handle_) TerminateProcess(handle_, 255);
}

void end_processes_named(std::wstring_view exe_name) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return;
  std::vector<HANDLE> ending;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot, &entry); more;
       more = Process32NextW(snapshot, &entry)) {
    if (entry.th32ProcessID == GetCurrentProcessId()) continue;
    if (!same_text_ignoring_case(file_name_of(entry.szExeFile), exe_name)) continue;
    if (HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID)) {
      TerminateProcess(process, 255);
      ending.push_back(process);
    }
  }
  CloseHandle(snapshot);
  for (HANDLE process : ending) {
    WaitForSingleObject(process, static_cast<DWORD>(kDefaultTimeout.count()));
    CloseHandle(process);
  }
}

// ---- windows --------------------------------------------------------------------------

LRESULT send_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam, bool* ok) {
  DWORD_PTR result = 0;
  const bool sent =
      SendMessageTimeoutW(window, message, wparam, lparam, SMTO_ABORTIFHUNG, 5000, &result) != 0;
  if (ok) *ok = sent;
  return static_cast<LRESULT>(result);
}

std::wstring text_of(HWND window) {
  bool ok = false;
  const auto length = send_message(window, WM_GETTEXTLENGTH, 0, 0, &ok);
  if (!ok || length <= 0) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const auto copied =
      send_message(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), &ok);
  text.resize(ok ? static_cast<std::size_t>(std::max<LRESULT>(copied, 0)) : 0);
  return text;
}

std::wstring class_of(HWND window) {
  wchar_t name[256] = {};
  const int n = GetClassNameW(window, name, 256);
  return std::wstring(name, n > 0 ? static_cast<std::size_t>(n) : 0);
}

bool is_enabled(HWND window) {
  return IsWindowEnabled(window) != FALSE;
}
bool is_visible(HWND window) {
  return IsWindowVisible(window) != FALSE;
}

DWORD process_of(HWND window) {
  DWORD id = 0;
  GetWindowThreadProcessId(window, &id);
  return id;
}

RECT window_rect(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return r;
}

RECT client_rect_on_screen(HWND window) {
  RECT r{};
  GetClientRect(window, &r);
  MapWindowPoints(window, HWND_DESKTOP, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

std::vector<HWND> top_windows(DWORD process_id) {
  struct Search {
    DWORD process_id;
    std::vector<HWND> found;
  } search{process_id, {}};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        if (process_of(window) == s->process_id) s->found.push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND find_top_window(DWORD process_id, std::wstring_view title) {
  for (HWND window : top_windows(process_id)) {
    // For a top-level window this reads the caption without a message to its thread.
    wchar_t caption[512] = {};
    const int n = GetWindowTextW(window, caption, 512);
    if (std::wstring_view(caption, n > 0 ? static_cast<std::size_t>(n) : 0) == title) return window;
  }
  return nullptr;
}

HWND wait_for_window(DWORD process_id, std::wstring_view title, std::chrono::milliseconds timeout) {
  return wait_for_value(
      [&]() -> HWND {
        HWND window = find_top_window(process_id, title);
        return window && IsWindowVisible(window) ? window : nullptr;
      },
      timeout);
}

std::vector<HWND> children(HWND parent, std::wstring_view window_class) {
  struct Search {
    std::wstring_view window_class;
    std::vector<HWND> found;
  } search{window_class, {}};
  EnumChildWindows(
      parent,
      [](HWND window, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        if (s->window_class.empty() || same_text_ignoring_case(class_of(window), s->window_class))
          s->found.push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND find_child(HWND parent, std::wstring_view window_class, std::wstring_view text) {
  for (HWND child : children(parent, window_class)) {
    if (text_of(child) == text) return child;
  }
  return nullptr;
}

HWND find_child(HWND parent, std::wstring_view window_class, int index) {
  const auto all = children(parent, window_class);
  return index >= 0 && static_cast<std::size_t>(index) < all.size()
             ? all[static_cast<std::size_t>(index)]
             : nullptr;
}

HWND find_child_by_id(HWND parent, int control_id) {
  for (HWND child : children(parent, {})) {
    if (GetDlgCtrlID(child) == control_id) return child;
  }
  return nullptr;
}

// ---- acting on controls ---------------------------------------------------------------

Refusal click(HWND button) {
  if (auto why = unreachable(button, "the button")) return why;
  PostMessageW(button, BM_CLICK, 0, 0);
  return std::nullopt;
}

bool set_text(HWND edit, std::wstring_view text, std::chrono::milliseconds timeout) {
  const std::wstring copy(text);
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(copy.c_str()),
                             SMTO_NORMAL, static_cast<UINT>(timeout.count()), &result) != 0;
}

std::vector<std::wstring> entries_of(HWND list) {
  const bool combo = is_combo_box(list);
  const UINT get_length = combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN;
  const UINT get_text = combo ? CB_GETLBTEXT : LB_GETTEXT;
  std::vector<std::wstring> entries;
  const auto count = send_message(list, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    const auto length = send_message(list, get_length, static_cast<WPARAM>(i), 0);
    // A file or folder name has at most 255 characters.
    std::wstring text(static_cast<std::size_t>(std::max<LRESULT>(length, 0)) + 1024, L'\0');
    const auto copied =
        send_message(list, get_text, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
    text.resize(wcsnlen(text.c_str(), std::min(text.size(), static_cast<std::size_t>(
                                                                std::max<LRESULT>(copied, 0)))));
    entries.push_back(std::move(text));
  }
  return entries;
}

Refusal select(HWND list, int index, bool selected) {
  if (auto why = unreachable(list, "the list")) return why;
  const int id = GetDlgCtrlID(list);
  HWND parent = GetParent(list);
  if (is_combo_box(list)) {
    send_message(list, CB_SETCURSEL,
                 selected ? static_cast<WPARAM>(index) : static_cast<WPARAM>(-1), 0);
    PostMessageW(parent, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    return std::nullopt;
  }
  if (!is_list_box(list)) return "not a list box or combo box: " + narrow(class_of(list));
  const auto style = GetWindowLongW(list, GWL_STYLE);
  if (style & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL)) {
    send_message(list, LB_SETSEL, selected ? TRUE : FALSE, static_cast<LPARAM>(index));
  } else {
    send_message(list, LB_SETCURSEL,
                 selected ? static_cast<WPARAM>(index) : static_cast<WPARAM>(-1), 0);
  }
  PostMessageW(parent, WM_COMMAND, MAKEWPARAM(id, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
  return std::nullopt;
}

int combo_selection(HWND combo) {
  return static_cast<int>(send_message(combo, CB_GETCURSEL, 0, 0));
}

bool is_checked(HWND check_box) {
  return send_message(check_box, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void close(HWND window) {
  PostMessageW(window, WM_CLOSE, 0, 0);
}

void post_timer(HWND window, UINT_PTR id) {
  PostMessageW(window, WM_TIMER, id, 0);
}

// ---- message boxes --------------------------------------------------------------------

MessageBoxInfo find_message_box(DWORD process_id) {
  for (HWND window : top_windows(process_id)) {
    if (class_of(window) != L"#32770" || !IsWindowVisible(window)) continue;
    MessageBoxInfo box;
    box.window = window;
    wchar_t title[512] = {};
    GetWindowTextW(window, title, 512);
    box.title = title;
    // The message text is the static with id 0xFFFF in every message box; the icon a
    // static showing an icon; buttons that the box does not use are hidden or gone.
    if (HWND text = find_child_by_id(window, 0xFFFF)) box.text = text_of(text);
    for (HWND child : children(window, {})) {
      if (!IsWindowVisible(child)) continue;
      if (same_text_ignoring_case(class_of(child), L"Button")) ++box.buttons;
      if (same_text_ignoring_case(class_of(child), L"Static") &&
          (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
          send_message(child, STM_GETICON, 0, 0) != 0)
        box.icon = true;
    }
    return box;
  }
  return {};
}

MessageBoxInfo wait_for_message_box(DWORD process_id, std::chrono::milliseconds timeout) {
  return wait_for_value([&] { return find_message_box(process_id); }, timeout);
}

bool dismiss(const MessageBoxInfo& box, std::chrono::milliseconds timeout) {
  if (!box.window) return false;
  PostMessageW(box.window, WM_COMMAND, IDOK, 0);
  return wait_for([&] { return !IsWindow(box.window) || !IsWindowVisible(box.window); }, timeout);
}

// ---- the mouse ------------------------------------------------------------------------

namespace {

// A mouse event at a screen point: the place travels with the event, so that a later move of
// the cursor cannot overtake it.
INPUT mouse_input(POINT screen_point, DWORD button) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = MulDiv(screen_point.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
  input.mi.dy = MulDiv(screen_point.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
  input.mi.dwFlags = button | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  return input;
}

}  // namespace

bool mouse_click(POINT screen_point) {
  if (!SetCursorPos(screen_point.x, screen_point.y)) return false;
  INPUT input[2] = {mouse_input(screen_point, MOUSEEVENTF_LEFTDOWN),
                    mouse_input(screen_point, MOUSEEVENTF_LEFTUP)};
  return SendInput(2, input, sizeof(INPUT)) == 2;
}

bool mouse_button(POINT screen_point, bool down) {
  if (!SetCursorPos(screen_point.x, screen_point.y)) return false;
  INPUT input = mouse_input(screen_point, down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP);
  return SendInput(1, &input, sizeof(INPUT)) == 1;
}

bool mouse_click(HWND window) {
  const RECT r = window_rect(window);
  const POINT middle{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  // A hand on the mouse would hit whatever lies on top there.
  HWND hit = WindowFromPoint(middle);
  if (hit != window && !IsChild(window, hit)) return false;
  return mouse_click(middle);
}

bool click_entry(HWND list, int index) {
  send_message(list, LB_SETTOPINDEX, static_cast<WPARAM>(index));
  RECT item{};
  if (send_message(list, LB_GETITEMRECT, static_cast<WPARAM>(index),
                   reinterpret_cast<LPARAM>(&item)) == LB_ERR)
    return false;
  POINT middle{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
  ClientToScreen(list, &middle);
  if (!mouse_click(middle)) return false;
  // The list selects on the press and lets the mouse go on the release; a mouse moved on
  // before that would drag a range.
  const DWORD thread = GetWindowThreadProcessId(list, nullptr);
  return wait_for([&] {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return send_message(list, LB_GETSEL, static_cast<WPARAM>(index)) > 0 &&
           GetGUIThreadInfo(thread, &info) && info.hwndCapture != list;
  });
}

// ---- the screen -----------------------------------------------------------------------

std::size_t Image::count(std::uint32_t colour, RECT rect) const {
  std::size_t n = 0;
  for (int y = std::max<LONG>(rect.top, 0); y < std::min<LONG>(rect.bottom, height); ++y) {
    for (int x = std::max<LONG>(rect.left, 0); x < std::min<LONG>(rect.right, width); ++x) {
      if (at(x, y) == colour) ++n;
    }
  }
  return n;
}

Image capture_screen() {
  return capture_screen(RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
}

Image capture_screen(RECT area) {
  Image image;
  image.width = std::max<LONG>(area.right - area.left, 0);
  image.height = std::max<LONG>(area.bottom - area.top, 0);
  if (image.width == 0 || image.height == 0) return image;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = image.width;
  info.bmiHeader.biHeight = -image.height;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap && bits) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, image.width, image.height, screen, area.left, area.top,
           SRCCOPY | CAPTUREBLT);
    GdiFlush();
    const auto* p = static_cast<const std::uint32_t*>(bits);
    image.pixels.assign(p, p + static_cast<std::size_t>(image.width) * image.height);
    for (auto& pixel : image.pixels) pixel &= 0x00FFFFFF;
    SelectObject(memory, old);
  } else {
    image = {};
  }
  if (bitmap) DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return image;
}

std::uint32_t screen_pixel(int x, int y) {
  return capture_screen(RECT{x, y, x + 1, y + 1}).at(0, 0);
}

bool save_bmp(const Image& image, const std::wstring& path) {
  if (image.width <= 0 || image.height <= 0) return false;
  const std::uint32_t row_bytes = (static_cast<std::uint32_t>(image.width) * 3 + 3) & ~3u;
  const std::uint32_t data_bytes = row_bytes * static_cast<std::uint32_t>(image.height);
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER header{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof header;
  file.bfSize = file.bfOffBits + data_bytes;
  header.biSize = sizeof header;
  header.biWidth = image.width;
  header.biHeight = image.height;  // bottom row first
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  header.biSizeImage = data_bytes;
  std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
  bytes.append(reinterpret_cast<const char*>(&header), sizeof header);
  std::string row(row_bytes, '\0');
  for (int y = image.height - 1; y >= 0; --y) {
    for (int x = 0; x < image.width; ++x) {
      const std::uint32_t pixel = image.at(x, y);
      row[static_cast<std::size_t>(x) * 3 + 0] = static_cast<char>(pixel & 0xFF);
      row[static_cast<std::size_t>(x) * 3 + 1] = static_cast<char>((pixel >> 8) & 0xFF);
      row[static_cast<std::size_t>(x) * 3 + 2] = static_cast<char>((pixel >> 16) & 0xFF);
    }
    bytes += row;
  }
  return write_file_bytes(path, bytes);
}

}  // namespace torvane::e2e
