#include "platform/win32/win32_system_dlls.h"

#include <string>

namespace torvane::platform::win32 {

void load_dlls_from_system32_only() {
  // Windows 8 and later have it, Windows 7 with KB2533623; looked up, so that a system
  // without it still starts.
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  const auto set_directories = module_function<SetDefaultDllDirectoriesFn>(
      ::GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories");
  if (set_directories) set_directories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

HMODULE system_dll(const wchar_t* name) {
  HMODULE module = ::LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (module || ::GetLastError() != ERROR_INVALID_PARAMETER) return module;
  // A system that does not know the flag: the full path, and the DLL's own imports looked
  // for beside it.
  wchar_t folder[MAX_PATH + 1] = {};
  const UINT n = ::GetSystemDirectoryW(folder, MAX_PATH + 1);
  if (n == 0 || n > MAX_PATH) return nullptr;
  const std::wstring path = std::wstring(folder, n) + L'\\' + name;
  return ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace torvane::platform::win32
