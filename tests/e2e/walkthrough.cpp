// A guided tour of Torvane for machines without a screen: starts the program, takes a
// screenshot of each window on the way (intro, main window, settings dialog) and closes it
// again. scripts/run.sh turns the screenshots into PNG files.
//
//   e2e_walkthrough --exe=<Torvane.exe in its program folder> --out=<folder for the .bmp files>
//
// A window that does not appear ends the tour early with a note; that is not an error, so the
// tour stays usable while the program grows. Exit code 1 only when the program cannot start.

#include <windows.h>

#include <cstdio>
#include <string>

#include "driver.h"

using namespace torvane::e2e;

namespace {

std::wstring out_folder;
int shot_number = 0;

void say(const std::string& text) {
  std::printf("walk-through: %s\n", text.c_str());
  std::fflush(stdout);
}

void shoot(const std::wstring& name) {
  wchar_t number[8];
  std::swprintf(number, 8, L"%02d-", ++shot_number);
  const std::wstring path = out_folder + L"\\" + number + name + L".bmp";
  if (save_bmp(capture_screen(), path)) {
    say("screenshot " + narrow(path));
  } else {
    say("could not save " + narrow(path));
  }
}

// A message box on the way is photographed, reported and closed.
void handle_message_box(DWORD pid) {
  if (MessageBoxInfo box = find_message_box(pid)) {
    say("message box \"" + narrow(box.title) + "\": " + narrow(box.text));
    shoot(L"message-box");
    dismiss(box);
  }
}

HWND wait_for_step(DWORD pid, const std::wstring& title) {
  HWND window = wait_for_value([&]() -> HWND {
    handle_message_box(pid);
    HWND w = find_top_window(pid, title);
    return w && is_visible(w) ? w : nullptr;
  });
  if (!window) say("no window \"" + narrow(title) + "\" appeared; the tour ends here");
  return window;
}

bool press(HWND window, const std::wstring& caption) {
  HWND button = find_child(window, L"BUTTON", caption);
  if (!button) {
    say("no button \"" + narrow(caption) + "\"; the tour ends here");
    return false;
  }
  if (Refusal why = click(button)) {
    say("cannot press \"" + narrow(caption) + "\": " + *why + "; the tour ends here");
    return false;
  }
  say("pressed \"" + narrow(caption) + "\"");
  return true;
}

// Waits until the screen stops changing, so a screenshot shows a finished drawing.
void settle() {
  Image before = capture_screen();
  wait_for(
      [&] {
        Image now = capture_screen();
        const bool same = now.pixels == before.pixels;
        before = std::move(now);
        return same;
      },
      5s);
}

}  // namespace

int main(int argc, char** argv) {
  std::wstring exe;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.rfind("--exe=", 0) == 0) exe = to_windows_path(arg.substr(6));
    if (arg.rfind("--out=", 0) == 0) out_folder = to_windows_path(arg.substr(6));
  }
  if (exe.empty() || out_folder.empty()) {
    std::fprintf(stderr, "usage: e2e_walkthrough --exe=<Torvane.exe> --out=<folder>\n");
    return 2;
  }
  CreateDirectoryW(out_folder.c_str(), nullptr);

  end_processes_named(file_name_of(exe));
  auto app = Process::launch(exe);
  if (!app) {
    say("cannot start " + narrow(exe));
    return 1;
  }
  const DWORD pid = app->id();
  say("started " + narrow(exe));

  [&] {
    HWND intro = wait_for_step(pid, L"Torvane");
    if (!intro) return;
    settle();
    shoot(L"intro");
    if (!press(intro, L"OK")) return;

    HWND main = wait_for_step(pid, L"  Torvane's");
    if (!main) return;
    settle();
    shoot(L"main-window");
    if (!press(main, L"設定")) return;

    const std::wstring dialog_title = L"スクリーンファイル（.bmp）を右のリストに追加してください。";
    HWND dialog = wait_for_step(pid, dialog_title);
    if (!dialog) return;
    settle();
    shoot(L"settings");
    if (!press(dialog, L"キャンセル")) return;
    if (!wait_for([&] { return !is_visible(dialog); })) say("the settings dialog stayed open");
    handle_message_box(pid);

    close(main);
    say("closed the main window");
  }();

  if (app->wait_for_exit()) {
    say("Torvane ended");
  } else {
    say("Torvane still runs; ending it");
    app->terminate();
  }
  return 0;
}
