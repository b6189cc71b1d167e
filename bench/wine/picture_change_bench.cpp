// The show of the real Torvane.exe under Wine: how long a tick of the minute timer takes to
// bring the next picture on the screen, and how long the program takes to answer a message
// (a WM_NULL round trip) while the picture loads, and the program's memory (its working set)
// while the show runs, paced so that each picture is decoded and shown, and once it stopped.
//
//   picture_change_bench.exe --exe=Torvane.exe --root=Z:\...\pictures [--rounds=N] NAME...
//
// ROOT\NAME holds 1.bmp and 2.bmp, each of one colour all over (the colour is read from the
// file), remembered with the interval 1. Each round posts a tick and polls the screen every
// millisecond until the other picture is there; a second series of rounds sends WM_NULL
// again and again from the tick until the picture is there. Prints one line per folder.

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
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

// The colour of the bottom-left pixel of a 24-bit bitmap, which these pictures are all over.
std::optional<std::uint32_t> colour_of(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  unsigned char header[54 + 3];
  DWORD got = 0;
  const bool ok = ReadFile(file, header, sizeof header, &got, nullptr) && got == sizeof header;
  CloseHandle(file);
  if (!ok || header[28] != 24) return std::nullopt;
  const DWORD offset = header[10] | header[11] << 8 | header[12] << 16 | header[13] << 24;
  if (offset != 54) return std::nullopt;
  return rgb(header[56], header[55], header[54]);
}

double median(std::vector<double> v) {
  if (v.empty()) return -1;
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// The working set of a process, in MiB; -1 where it cannot be read.
double working_set_mib(DWORD pid) {
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_VM_READ, FALSE, pid);
  if (!process) return -1;
  PROCESS_MEMORY_COUNTERS counters{};
  const bool ok = GetProcessMemoryInfo(process, &counters, sizeof counters);
  CloseHandle(process);
  return ok ? static_cast<double>(counters.WorkingSetSize) / (1 << 20) : -1;
}

struct Figures {
  double shown_mib = -1, stopped_mib = -1;    // most while the show ran; once it stopped
  double tick_ms = -1, tick_max_ms = -1;      // tick to picture on screen
  double answer_ms = -1, answer_max_ms = -1;  // WM_NULL round trips during a change
  int answers = 0;
};

std::optional<Figures> measure(const std::wstring& exe, const std::wstring& folder, int rounds) {
  const std::optional<std::uint32_t> colour[2] = {colour_of(folder + L"\\1.bmp"),
                                                  colour_of(folder + L"\\2.bmp")};
  if (!colour[0] || !colour[1] || *colour[0] == *colour[1]) {
    std::fprintf(stderr, "%s: 1.bmp and 2.bmp must be of two colours\n", narrow(folder).c_str());
    return std::nullopt;
  }
  end_processes_named(file_name_of(exe));
  ScratchFolder home(L"picture-change-bench");
  const std::wstring program_exe = home.copy_in(exe);
  if (!write_file_bytes(home.file(L"TorVan.ini"),
                        in_code_page(folder + L"\\\n\r\n0\n\r\n1\r\n", CP_ACP)))
    return std::nullopt;
  std::optional<Process> program = Process::launch(program_exe, {}, home.path());
  if (!program) return std::nullopt;
  const DWORD pid = program->id();
  HWND intro = wait_for_window(pid, kIntroTitle);
  if (!intro || click(find_child(intro, L"BUTTON", L"OK"))) return std::nullopt;
  HWND main = wait_for_window(pid, kMainTitle);
  if (!main || !wait_for([&] { return is_enabled(find_child_by_id(main, main_id::kStart)); }))
    return std::nullopt;
  click(find_child_by_id(main, main_id::kStart));
  HWND screen = wait_for_value([&] {
    HWND s = find_window_of_class(pid, kScreenClass);
    return s && is_visible(s) ? s : nullptr;
  });
  HWND picture = screen ? find_child(screen, kPictureClass, 0) : nullptr;
  if (!picture) return std::nullopt;
  const RECT r = client_rect_on_screen(picture);
  const POINT at{r.left + 12, r.top + 12};
  const auto limit = std::chrono::seconds(60);
  auto shows = [&](std::uint32_t c) { return screen_pixel(at.x, at.y) == c; };
  if (!wait_for([&] { return shows(*colour[0]); }, limit, std::chrono::milliseconds(1)))
    return std::nullopt;

  Figures f;
  std::vector<double> ticks, answers;
  int next = 1;
  for (int round = 0; round < 2 * rounds; ++round, next = 1 - next) {
    const bool ping = round >= rounds;
    const auto start = Clock::now();
    post_timer(main, kTimerId);
    while (!shows(*colour[next])) {
      if (Clock::now() - start > limit) return std::nullopt;
      if (ping) {
        const auto sent = Clock::now();
        DWORD_PTR result = 0;
        SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &result);
        answers.push_back(ms_since(sent));
      } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
    }
    if (!ping) ticks.push_back(ms_since(start));
    f.shown_mib = std::max(f.shown_mib, working_set_mib(pid));
  }
  f.tick_ms = median(ticks);
  f.tick_max_ms = *std::max_element(ticks.begin(), ticks.end());
  f.answer_ms = median(answers);
  f.answer_max_ms = answers.empty() ? -1 : *std::max_element(answers.begin(), answers.end());
  f.answers = static_cast<int>(answers.size());

  mouse_click(picture);
  wait_for([&] { return !is_visible(screen); });
  DWORD_PTR result = 0;  // the program has handled what the stop brought
  SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &result);
  f.stopped_mib = working_set_mib(pid);
  close(main);
  program->wait_for_exit();
  return f;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::wstring exe, root, label = L"Torvane.exe";
  int rounds = 10;
  std::vector<std::wstring> names;
  for (int i = 1; i < argc; ++i) {
    const std::wstring arg = argv[i];
    if (arg.rfind(L"--exe=", 0) == 0) exe = to_windows_path(narrow(arg.substr(6)));
    else if (arg.rfind(L"--root=", 0) == 0) root = to_windows_path(narrow(arg.substr(7)));
    else if (arg.rfind(L"--label=", 0) == 0) label = arg.substr(8);
    else if (arg.rfind(L"--rounds=", 0) == 0) rounds = std::max(1, _wtoi(arg.c_str() + 9));
    else names.push_back(arg);
  }
  if (exe.empty() || root.empty() || names.empty()) {
    std::fprintf(stderr, "usage: picture_change_bench --exe=E --root=DIR [--label=L] NAME...\n");
    return 2;
  }
  bool ok = true;
  for (const std::wstring& name : names) {
    const std::optional<Figures> f = measure(exe, root + L"\\" + name, rounds);
    if (!f) {
      std::printf("| %-8s | %-10s | failed |\n", narrow(label).c_str(), narrow(name).c_str());
      ok = false;
      continue;
    }
    std::printf("| %-8s | %-10s | %8.1f | %8.1f | %6d | %9.2f | %9.1f | %7.1f | %7.1f |\n",
                narrow(label).c_str(), narrow(name).c_str(), f->tick_ms, f->tick_max_ms,
                f->answers, f->answer_ms, f->answer_max_ms, f->shown_mib, f->stopped_mib);
    std::fflush(stdout);
  }
  return ok ? 0 : 1;
}
