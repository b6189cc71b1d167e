// A stand-in for a system DLL, planted beside a program to find out whether the program
// loads it: once loaded, it leaves "<its own path>.loaded" beside itself.

#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  wchar_t marker[MAX_PATH + 16] = {};
  const DWORD n = GetModuleFileNameW(instance, marker, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return TRUE;
  lstrcatW(marker, L".loaded");
  HANDLE file =
      CreateFileW(marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  return TRUE;
}

// What a program imports from mpr.dll, so that planted as mpr.dll it is taken whole.
extern "C" __declspec(dllexport) DWORD WINAPI WNetGetConnectionW(LPCWSTR, LPWSTR, LPDWORD) {
  return ERROR_NOT_CONNECTED;
}
