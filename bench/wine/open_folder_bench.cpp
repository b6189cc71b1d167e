// The file list of the real Torvane.exe under Wine: how long opening a big folder in the
// picture list dialog takes, against the bare program (bare_list.exe) doing the same job on
// the same folder in the same run.
//
//   open_folder_bench.exe --exe=Torvane.exe --bare=bare_list.exe --root=Z:\...\folders
//                         NAME [NAME...]
//
// ROOT holds the folders NAME, each opened in turn the way a user's double-click in the
// folder list does it. An opening counts as done once the file list holds the folder's
// entries and the program has handled every message posted before it (it answers again).
// For each folder it also times opening it a second time (coming back from ROOT), selecting
// all its entries as Shift+click from the first to the last does, and then 全て追加 up to
// the full list and its message. Prints one line per folder and a table of ratios.

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cwctype>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "driver.h"
#include "e2e_support.h"

using namespace torvane::e2e;

namespace {

using Clock = std::chrono::steady_clock;

double ms_since(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

LRESULT send(HWND window, UINT message, WPARAM wparam = 0, LPARAM lparam = 0) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(window, message, wparam, lparam, SMTO_NORMAL, 600000, &result);
  return static_cast<LRESULT>(result);
}

// Until the program has handled everything posted to it before this call, polled every
// millisecond: the work timed here takes tens of milliseconds.
bool wait_for_posted(HWND edit) {
  return wait_until_posted_messages_handled(edit, std::chrono::minutes(10),
                                            std::chrono::milliseconds(1));
}

bool ends_with_bmp(const std::wstring& name) {
  if (name.size() < 4) return false;
  const wchar_t* s = name.c_str() + name.size() - 4;
  return s[0] == L'.' && towlower(s[1]) == L'b' && towlower(s[2]) == L'm' &&
         towlower(s[3]) == L'p';
}

// What the file list should hold: the folder's bitmaps, at most 32,767.
int expected_entries(const std::wstring& folder) {
  int n = 0;
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return 0;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && ends_with_bmp(found.cFileName)) ++n;
  } while (FindNextFileW(find, &found));
  FindClose(find);
  return std::min(n, 32767);
}

struct Bare {
  int listed = -1;
  double fill_ms = 0, select_ms = 0;
};

// Runs the bare program on the folder and reads its one line of output.
Bare run_bare(const std::wstring& exe, const std::wstring& folder) {
  Bare bare;
  SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
  HANDLE read_end = nullptr, write_end = nullptr;
  if (!CreatePipe(&read_end, &write_end, &inherit, 0)) return bare;
  SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = write_end;
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  std::wstring command = L"\"" + exe + L"\" \"" + folder + L"\"";
  PROCESS_INFORMATION process{};
  if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                     &startup, &process)) {
    CloseHandle(write_end);
    std::string output;
    char buffer[256];
    DWORD got = 0;
    while (ReadFile(read_end, buffer, sizeof(buffer), &got, nullptr) && got > 0)
      output.append(buffer, got);
    WaitForSingleObject(process.hProcess, 60000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    std::sscanf(output.c_str(), "listed %d fill_ms %lf select_all_ms %lf", &bare.listed,
                &bare.fill_ms, &bare.select_ms);
  } else {
    CloseHandle(write_end);
  }
  CloseHandle(read_end);
  return bare;
}

int find_entry(HWND list, int after, const std::wstring& name) {
  const std::vector<std::wstring> entries = entries_of(list);
  for (std::size_t i = static_cast<std::size_t>(after + 1); i < entries.size(); ++i)
    if (_wcsicmp(entries[i].c_str(), name.c_str()) == 0) return static_cast<int>(i);
  return -1;
}

// Double-clicks entry `index` of the folder list; the time until the program answers again.
std::optional<double> open_entry(const Dialog& d, int index) {
  const auto start = Clock::now();
  send(d.folders, LB_SETCURSEL, static_cast<WPARAM>(index));
  PostMessageW(d.window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(d.folders), LBN_DBLCLK),
               reinterpret_cast<LPARAM>(d.folders));
  if (!wait_for_posted(d.minute)) return std::nullopt;
  return ms_since(start);
}

// From the drive's root down to `folder`, one double-click per level.
bool browse_to(const Dialog& d, const std::wstring& folder) {
  HWND drives = d.drives;
  const std::vector<std::wstring> drive_entries = entries_of(drives);
  for (std::size_t i = 0; i < drive_entries.size(); ++i) {
    if (!drive_entries[i].empty() && towupper(drive_entries[i][0]) == towupper(folder[0])) {
      select(drives, static_cast<int>(i));
      wait_for_posted(d.minute);
    }
  }
  if (!open_entry(d, 0)) return false;  // the root
  std::size_t at = 3;
  while (at < folder.size()) {
    std::size_t end = folder.find(L'\\', at);
    if (end == std::wstring::npos) end = folder.size();
    const int current = static_cast<int>(send(d.folders, LB_GETCURSEL));
    const int index = find_entry(d.folders, current, folder.substr(at, end - at));
    if (index < 0 || !open_entry(d, index)) return false;
    at = end + 1;
  }
  return _wcsicmp(shown_folder(d.folders).c_str(), folder.c_str()) == 0;
}

// A real mouse click (Shift held down when `shift`) on entry `index` of the file list,
// scrolled into view first; the time until `selected` entries are selected and the program
// answers again. The input goes to the program after its posted messages, so the selection
// count tells when the click was handled.
double real_click(const Dialog& d, int index, bool shift, int selected) {
  send(d.files, LB_SETTOPINDEX, static_cast<WPARAM>(index));
  RECT item{};
  send(d.files, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
  // The last entry may show only in part: click inside the list's visible area.
  RECT client{};
  GetClientRect(d.files, &client);
  POINT at{(item.left + item.right) / 2,
           (std::max(item.top, client.top) + std::min(item.bottom, client.bottom)) / 2};
  ClientToScreen(d.files, &at);
  wait_for_posted(d.minute);
  SetForegroundWindow(d.window);
  if (!SetCursorPos(at.x, at.y)) return -1;
  INPUT input[4] = {};
  int n = 0;
  if (shift) {
    input[n].type = INPUT_KEYBOARD;
    input[n++].ki.wVk = VK_SHIFT;
  }
  input[n].type = INPUT_MOUSE;
  input[n++].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  input[n].type = INPUT_MOUSE;
  input[n++].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  if (shift) {
    input[n].type = INPUT_KEYBOARD;
    input[n].ki.wVk = VK_SHIFT;
    input[n++].ki.dwFlags = KEYEVENTF_KEYUP;
  }
  const auto start = Clock::now();
  if (SendInput(static_cast<UINT>(n), input, sizeof(INPUT)) != static_cast<UINT>(n)) return -1;
  // A click that missed shows as -1 rather than holding up the run.
  const auto limit = start + std::chrono::seconds(60);
  while (send(d.files, LB_GETSELCOUNT) != selected) {
    if (Clock::now() > limit) return -1;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  if (!wait_for_posted(d.minute)) return -1;
  return ms_since(start);
}

struct Figures {
  std::wstring name;
  int expected = 0, listed = 0, listed_again = 0;
  double open_ms = -1, again_ms = -1, click_ms = -1, select_ms = -1, add_all_ms = -1;
  Bare bare;
};

void print_row(const Figures& f) {
  const double ratio = f.bare.fill_ms > 0 ? f.open_ms / f.bare.fill_ms : 0;
  const double select_ratio = f.bare.select_ms > 0 ? f.select_ms / f.bare.select_ms : 0;
  std::printf("| %-6s | %6d | %7.0f | %7.0f | %5.1f | %8.0f | %8.0f | %8.0f | %8.0f | %5.1f | %8.0f |\n",
              narrow(f.name).c_str(), f.listed, f.open_ms, f.bare.fill_ms, ratio, f.again_ms,
              f.click_ms, f.select_ms, f.bare.select_ms, select_ratio, f.add_all_ms);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::wstring exe, bare_exe, root;
  std::vector<std::wstring> names;
  for (int i = 1; i < argc; ++i) {
    const std::wstring arg = argv[i];
    if (arg.rfind(L"--exe=", 0) == 0) exe = to_windows_path(narrow(arg.substr(6)));
    else if (arg.rfind(L"--bare=", 0) == 0) bare_exe = to_windows_path(narrow(arg.substr(7)));
    else if (arg.rfind(L"--root=", 0) == 0) root = to_windows_path(narrow(arg.substr(7)));
    else names.push_back(arg);
  }
  if (exe.empty() || bare_exe.empty() || root.size() < 3 || names.empty()) {
    std::fprintf(stderr, "usage: open_folder_bench --exe=E --bare=B --root=DIR NAME...\n");
    return 2;
  }
  while (root.size() > 3 && root.back() == L'\\') root.pop_back();

  end_processes_named(file_name_of(exe));
  ScratchFolder home(L"open-folder-bench");
  const std::wstring program_exe = home.copy_in(exe);
  std::optional<Process> program = Process::launch(program_exe, {}, home.path());
  if (!program) {
    std::fprintf(stderr, "cannot start %s\n", narrow(exe).c_str());
    return 1;
  }
  const DWORD pid = program->id();
  HWND intro = wait_for_window(pid, kIntroTitle);
  if (!intro || click(find_child(intro, L"BUTTON", L"OK"))) return 1;
  HWND main = wait_for_window(pid, kMainTitle);
  if (!main) return 1;
  const Dialog d(find_top_window(pid, kDialogTitle));
  if (!d) return 1;
  wait_for_posted(d.minute);
  if (click(find_child_by_id(main, main_id::kSettings))) return 1;
  if (!wait_for_window(pid, kDialogTitle)) return 1;
  if (!browse_to(d, root)) {
    std::fprintf(stderr, "cannot browse to %s\n", narrow(root).c_str());
    return 1;
  }

  std::vector<Figures> rows;
  for (const std::wstring& name : names) {
    Figures f;
    f.name = name;
    const std::wstring folder = root + L"\\" + name;
    f.expected = expected_entries(folder);
    f.bare = run_bare(bare_exe, folder);

    int index = find_entry(d.folders, static_cast<int>(send(d.folders, LB_GETCURSEL)), name);
    if (index < 0) {
      std::fprintf(stderr, "no folder %s in %s\n", narrow(name).c_str(), narrow(root).c_str());
      return 1;
    }
    f.open_ms = open_entry(d, index).value_or(-1);
    f.listed = static_cast<int>(send(d.files, LB_GETCOUNT));

    // A real click on the first entry, then a real Shift+click on the last one: the list
    // selects the range itself and tells the dialog once.
    f.click_ms = real_click(d, 0, false, 1);
    f.select_ms = real_click(d, f.listed - 1, true, f.listed);

    // Back up to ROOT and into the folder again.
    const int current = static_cast<int>(send(d.folders, LB_GETCURSEL));
    open_entry(d, current - 1);
    index = find_entry(d.folders, static_cast<int>(send(d.folders, LB_GETCURSEL)), name);
    if (index >= 0) f.again_ms = open_entry(d, index).value_or(-1);
    f.listed_again = static_cast<int>(send(d.files, LB_GETCOUNT));

    // 全て追加 in a folder with more pictures than the list has room for: the list fills up
    // to its 50 and says so in a message box.
    const int room = 50 - static_cast<int>(send(d.list, LB_GETCOUNT));
    if (f.listed > room && is_enabled(d.add_all) && !click(d.add_all)) {
      const auto start = Clock::now();
      const MessageBoxInfo box = wait_for_message_box(pid, std::chrono::minutes(10));
      if (box) {
        f.add_all_ms = ms_since(start);
        dismiss(box);
      }
      wait_for_posted(d.minute);
    }
    std::printf("%s: %d of %d listed (again %d), bare listed %d\n", narrow(name).c_str(),
                f.listed, f.expected, f.listed_again, f.bare.listed);
    std::fflush(stdout);
    // Back to ROOT for the next folder.
    open_entry(d, static_cast<int>(send(d.folders, LB_GETCURSEL)) - 1);
    rows.push_back(f);
  }

  // Cancel puts the lists back as they were and hides the dialog.
  auto start = Clock::now();
  double cancel_ms = -1;
  if (!click(d.cancel) && wait_for_posted(d.minute)) cancel_ms = ms_since(start);
  close(main);
  program->wait_for_exit();

  std::printf("\n| Folder | Listed | Open ms | Bare ms | Ratio | Again ms | Click ms | Shift+click all ms | Bare all ms | Ratio | 全て追加 ms |\n");
  std::printf("|--------|-------:|--------:|--------:|------:|---------:|---------:|---------:|---------:|------:|---------:|\n");
  for (const Figures& f : rows) print_row(f);
  std::printf("\nCancel with the last folder listed: %.0f ms\n", cancel_ms);
  bool ok = true;
  for (const Figures& f : rows)
    ok = ok && f.listed == f.expected && f.listed_again == f.expected && f.bare.listed == f.expected;
  if (!ok) std::printf("MISMATCH: a list did not hold the folder's entries\n");
  return ok ? 0 : 1;
}
