#pragma once
// A small driver for end-to-end tests: starts a real Win32 program in a folder of its own
// and works its windows from this second process, the way a user would, through window
// messages, real mouse input and the pixels on the screen.
//
// Everything here is measured to work under Wine 8 inside Xvfb:
// - Anything that may open a modal box is posted, never sent: a sent message does not
//   return while the box is open.
// - BM_CLICK clicks a disabled button under Wine, so click() checks first that the button
//   and its top-level window are enabled, as a user's click would need.
// - LB_SETSEL and LB_SETCURSEL notify nobody; select() posts the LBN_SELCHANGE a user's
//   click would have sent.
// - Waiting is always polling with a generous limit, never a fixed pause.

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace torvane::e2e {

using namespace std::chrono_literals;

// Long enough for a slow, busy CI machine; a passing test never waits this long.
inline constexpr std::chrono::milliseconds kDefaultTimeout = 20s;
inline constexpr std::chrono::milliseconds kPollInterval = 50ms;

// ---- text and paths -------------------------------------------------------------------

bool same_text_ignoring_case(std::wstring_view a, std::wstring_view b);
// "(left,top)-(right,bottom)", for messages.
std::string describe(const RECT& r);

std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view text);
// "/work/x/Torvane.exe" (a host path, as CMake passes it) becomes "Z:\work\x\Torvane.exe";
// a Windows path is returned unchanged.
std::wstring to_windows_path(std::string_view path);
std::wstring file_name_of(std::wstring_view path);
bool file_exists(const std::wstring& path);
std::optional<std::string> read_file_bytes(const std::wstring& path);
bool write_file_bytes(const std::wstring& path, std::string_view bytes);

// ---- waiting --------------------------------------------------------------------------

// Polls `done` every `poll` until it returns true or `timeout` passes.
bool wait_for(const std::function<bool()>& done,
              std::chrono::milliseconds timeout = kDefaultTimeout,
              std::chrono::milliseconds poll = kPollInterval);

// Polls `find` until it yields something (a non-null handle, an engaged optional).
template <class Find>
auto wait_for_value(Find find, std::chrono::milliseconds timeout = kDefaultTimeout)
    -> decltype(find()) {
  decltype(find()) found{};
  wait_for([&] { return static_cast<bool>(found = find()); }, timeout);
  return found;
}

// ---- a program folder of its own ------------------------------------------------------

// A fresh, empty folder under the Windows temp folder (inside the Wine prefix). The program
// under test is copied in, so its settings file beside the exe starts from nothing and no
// test sees another's. Removed again at the end unless TORVANE_E2E_KEEP is set.
class ScratchFolder {
 public:
  explicit ScratchFolder(std::wstring_view tag);
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::wstring& path() const { return path_; }
  std::wstring file(std::wstring_view name) const;
  // Copies `source` in under `name` (default: its own name); returns the new path.
  std::wstring copy_in(const std::wstring& source, std::wstring_view name = {}) const;

 private:
  std::wstring path_;
};

// ---- processes ------------------------------------------------------------------------

class Process {
 public:
  // Starts `exe` with `arguments`, in `folder` (default: the exe's folder). Empty on failure.
  static std::optional<Process> launch(const std::wstring& exe, std::wstring_view arguments = {},
                                       std::wstring_view folder = {});
  Process(Process&& other) noexcept;
  Process& operator=(Process&& other) noexcept;
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;
  // Ends a program that is still running, so a failed test leaves nothing behind.
  ~Process();

  DWORD id() const { return id_; }
  bool running() const;
  // True when the program ended within `timeout`.
  bool wait_for_exit(std::chrono::milliseconds timeout = kDefaultTimeout) const;
  void terminate() const;

 private:
  Process(HANDLE process, DWORD id) : handle_(process), id_(id) {}
  void release();
  HANDLE handle_ = nullptr;
  DWORD id_ = 0;
};

// Ends every process whose exe file is named `exe_name` (case-insensitive) and waits until
// they are gone: a window left by an earlier, crashed run would be found first.
void end_processes_named(std::wstring_view exe_name);

// ---- windows --------------------------------------------------------------------------

// A message to another process's window, through SendMessageTimeout: a hung program fails
// the test instead of hanging it. `ok` tells whether it was answered.
LRESULT send_message(HWND window, UINT message, WPARAM wparam = 0, LPARAM lparam = 0,
                     bool* ok = nullptr);

std::wstring text_of(HWND window);
std::wstring class_of(HWND window);
bool is_enabled(HWND window);
bool is_visible(HWND window);
DWORD process_of(HWND window);
// The window's place on the screen, in screen coordinates.
RECT window_rect(HWND window);
RECT client_rect_on_screen(HWND window);

// Top-level windows of the process, in Z order.
std::vector<HWND> top_windows(DWORD process_id);
// The process's top-level window with exactly this title, visible or not.
HWND find_top_window(DWORD process_id, std::wstring_view title);
// Waits for the window to exist and be visible.
HWND wait_for_window(DWORD process_id, std::wstring_view title,
                     std::chrono::milliseconds timeout = kDefaultTimeout);

// Direct and indirect children with this window class (case-insensitive), in Z order.
std::vector<HWND> children(HWND parent, std::wstring_view window_class);
// The child of this class with exactly this text.
HWND find_child(HWND parent, std::wstring_view window_class, std::wstring_view text);
// The index-th child of this class (0-based, Z order, which is creation order).
HWND find_child(HWND parent, std::wstring_view window_class, int index);
HWND find_child_by_id(HWND parent, int control_id);

// ---- acting on controls ---------------------------------------------------------------

// Why an action could not be taken; empty when it was.
using Refusal = std::optional<std::string>;

// Clicks a button as a user could: only when it and its top-level window are enabled and
// visible. Posted, so a handler that opens a message box does not block the test.
Refusal click(HWND button);

// Sets an edit's text (the control raises EN_CHANGE to its parent). Sent, because the text
// must travel to the other process; if the change handler opens a message box the call
// returns once `timeout` passes, with the text set.
bool set_text(HWND edit, std::wstring_view text,
              std::chrono::milliseconds timeout = kDefaultTimeout);

// The entries of a LISTBOX or COMBOBOX. Each is read into a buffer with room to spare: the
// text is copied whole across processes, and an entry that the program replaced by a longer
// one between the length query and the read must not overrun it.
std::vector<std::wstring> entries_of(HWND list);
// Selects (or, for a multiple-selection list, also deselects) an entry and posts the
// LBN_SELCHANGE / CBN_SELCHANGE notification that a user's click would have caused.
Refusal select(HWND list, int index, bool selected = true);
int combo_selection(HWND combo);
bool is_checked(HWND check_box);

// Posts WM_CLOSE, as the close box does.
void close(HWND window);
// Runs a window's timer handler now: what a tick of the timer `id` would do.
void post_timer(HWND window, UINT_PTR id);

// ---- message boxes --------------------------------------------------------------------

struct MessageBoxInfo {
  HWND window = nullptr;
  std::wstring title;
  std::wstring text;
  int buttons = 0;    // buttons shown
  bool icon = false;  // an icon shown beside the text
  explicit operator bool() const { return window != nullptr; }
};

// An open message box (#32770) of the process, if any.
MessageBoxInfo find_message_box(DWORD process_id);
MessageBoxInfo wait_for_message_box(DWORD process_id,
                                    std::chrono::milliseconds timeout = kDefaultTimeout);
// Presses OK and waits until the box is gone.
bool dismiss(const MessageBoxInfo& box, std::chrono::milliseconds timeout = kDefaultTimeout);

// ---- the mouse ------------------------------------------------------------------------

// A real left click at a screen point: SetCursorPos, then button down and up by SendInput,
// so the program sees the same messages a hand on the mouse would cause.
bool mouse_click(POINT screen_point);
// A real click in the middle of a window.
bool mouse_click(HWND window);
// A real click in the middle of entry `index` of a list box, scrolled into view first;
// true once the list has selected the entry and let go of the mouse.
bool click_entry(HWND list, int index);
// Only one half of a click at a screen point, the left button pressed or released.
bool mouse_button(POINT screen_point, bool down);

// ---- the screen -----------------------------------------------------------------------

struct Image {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;  // 0x00RRGGBB, top row first
  std::uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
  // How many pixels of `rect` (image coordinates, clipped) have exactly this colour.
  std::size_t count(std::uint32_t rgb, RECT rect) const;
};

inline constexpr std::uint32_t rgb(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return (std::uint32_t{r} << 16) | (std::uint32_t{g} << 8) | b;
}

// What the screen shows now, whole or in part (screen coordinates).
Image capture_screen();
Image capture_screen(RECT area);
std::uint32_t screen_pixel(int x, int y);
// A 24-bit .bmp file, which every image tool reads.
bool save_bmp(const Image& image, const std::wstring& path);

}  // namespace torvane::e2e
