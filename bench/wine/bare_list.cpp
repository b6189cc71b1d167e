// The yardstick for the file list under Wine: a bare Win32 program that does the file list's
// job and nothing else. It lists a folder, keeps the names ending in ".bmp" (any case),
// sorts them without regard to case, keeps at most 32,767 and fills a visible list box of
// the file list's kind with them, then selects every entry (what Shift+click from the first
// to the last entry does). Prints one line:
//
//   bare_list.exe FOLDER   ->   "listed N fill_ms F select_all_ms S"
//
// The time runs from the first directory call until the list has painted once more.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwctype>
#include <string>
#include <vector>

namespace {

double now_ms() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

bool ends_with_bmp(const std::wstring& name) {
  if (name.size() < 4) return false;
  const wchar_t* s = name.c_str() + name.size() - 4;
  return s[0] == L'.' && towlower(s[1]) == L'b' && towlower(s[2]) == L'm' &&
         towlower(s[3]) == L'p';
}

std::vector<std::wstring> bitmap_names(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &found,
                                 FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    std::wstring name = found.cFileName;
    if (ends_with_bmp(name)) names.push_back(std::move(name));
  } while (FindNextFileW(find, &found));
  FindClose(find);
  std::sort(names.begin(), names.end(),
            [](const std::wstring& a, const std::wstring& b) { return _wcsicmp(a.c_str(), b.c_str()) < 0; });
  if (names.size() > 32767) names.resize(32767);
  return names;
}

void pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: bare_list FOLDER\n");
    return 2;
  }
  HWND window = CreateWindowExW(0, L"STATIC", L"bare list", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                0, 0, 400, 400, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  HWND list = CreateWindowExW(WS_EX_CLIENTEDGE, L"LISTBOX", L"",
                              WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOTIFY | LBS_EXTENDEDSEL |
                                  LBS_NOINTEGRALHEIGHT,
                              10, 10, 300, 300, window, nullptr, GetModuleHandleW(nullptr), nullptr);
  SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  UpdateWindow(window);
  pump();

  const double start = now_ms();
  const std::vector<std::wstring> names = bitmap_names(argv[1]);
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  for (const auto& name : names)
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
  UpdateWindow(list);
  pump();
  const double filled = now_ms();

  const int count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
  SendMessageW(list, LB_SELITEMRANGEEX, 0, count - 1);
  UpdateWindow(list);
  pump();
  const double selected = now_ms();

  std::printf("listed %d fill_ms %.1f select_all_ms %.1f\n", count, filled - start,
              selected - filled);
  DestroyWindow(window);
  return 0;
}
