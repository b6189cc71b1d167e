// A stand-in for the system's HTML viewer, registered by the help-page tests with the verb
// as its first argument: it notes the verb, the show command it was started with (-1 for
// none), the document and the folder it was started in, as one line of
// "verb<TAB>show<TAB>document<TAB>folder" in UTF-8, in viewer.log beside itself, then ends
// without a window.

#include <windows.h>

// After windows.h, whose types it uses.
#include <shellapi.h>

#include <string>

namespace {

std::string utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                    0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                      nullptr, nullptr);
  return out;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  const std::wstring verb = argv && argc > 1 ? argv[1] : L"";
  const std::wstring document = argv && argc > 2 ? argv[2] : L"";
  STARTUPINFOW startup{};
  GetStartupInfoW(&startup);
  const int show = startup.dwFlags & STARTF_USESHOWWINDOW ? startup.wShowWindow : -1;

  wchar_t folder[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, folder);
  wchar_t log[MAX_PATH] = {};
  const DWORD n = GetModuleFileNameW(nullptr, log, MAX_PATH);
  std::wstring log_path(log, n);
  log_path = log_path.substr(0, log_path.find_last_of(L'\\') + 1) + L"viewer.log";

  // One write per line, so that a reader never sees half of one.
  const std::string line =
      utf8(verb) + "\t" + std::to_string(show) + "\t" + utf8(document) + "\t" + utf8(folder) + "\n";
  HANDLE file = CreateFileW(log_path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  CloseHandle(file);
  LocalFree(argv);
  return 0;
}
