// Torvane.exe takes no DLL from its own folder. Started from a folder anyone can write to (a
// download folder), a DLL planted there would run in the program. Windows takes the known
// DLLs from System32 whatever lies beside the exe; any other import, and anything loaded
// later, must not be looked for there. Under Wine a DLL override "n,b" makes the loader
// search the way Windows does, the program's folder first.

#include <windows.h>

#include <tlhelp32.h>  // after <windows.h>, which it needs

#include <algorithm>
#include <cctype>
#include <set>
#include <string>
#include <vector>

#include "e2e_support.h"

namespace torvane::e2e {
namespace {

// Known DLLs that a program like this one might import: each is in the KnownDLLs list of
// Windows 7 to 11 (the registry key ...\Control\Session Manager\KnownDLLs).
const std::set<std::string> kKnownDlls = {
    "advapi32.dll", "comdlg32.dll", "gdi32.dll",    "imm32.dll",  "kernel32.dll",
    "msvcrt.dll",   "ole32.dll",    "oleaut32.dll", "rpcrt4.dll", "sechost.dll",
    "shell32.dll",  "shlwapi.dll",  "user32.dll",   "ws2_32.dll"};

std::string lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

std::wstring system_folder() {
  wchar_t folder[MAX_PATH + 1] = {};
  const UINT n = GetSystemDirectoryW(folder, MAX_PATH + 1);
  return std::wstring(folder, n <= MAX_PATH ? n : 0);
}

std::string environment_variable(const wchar_t* name) {
  wchar_t value[1024] = {};
  const DWORD n = GetEnvironmentVariableW(name, value, 1024);
  return n > 0 && n < 1024 ? narrow(value) : std::string();
}

// The DLL names in an exe's import table. Mapped as an image resource: laid out as it runs,
// but neither run nor moved nor bound to anything.
std::vector<std::string> imported_dlls(const std::wstring& exe) {
  std::vector<std::string> names;
  const HMODULE module = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (!module) return names;
  // The handle of such a mapping has its low bits set.
  const char* base =
      reinterpret_cast<const char*>(reinterpret_cast<ULONG_PTR>(module) & ~ULONG_PTR{3});
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
      base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
  const DWORD imports =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
  for (auto* d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports);
       imports && d->Name; ++d)
    names.push_back(lower(base + d->Name));
  FreeLibrary(module);
  return names;
}

// Where the process has loaded a DLL from, lower case; empty when it has not.
std::string loaded_from(DWORD process, const std::string& dll) {
  std::string path;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, process);
  if (snapshot == INVALID_HANDLE_VALUE) return path;
  MODULEENTRY32W module{};
  module.dwSize = sizeof module;
  for (BOOL more = Module32FirstW(snapshot, &module); more; more = Module32NextW(snapshot, &module))
    if (lower(narrow(module.szModule)) == dll) path = lower(narrow(module.szExePath));
  CloseHandle(snapshot);
  return path;
}

class DllSearch : public TorvaneTest {};

TEST_F(DllSearch, NoDllBesideTheProgramIsLoaded) {
  const auto standin = path_option("standin");
  ASSERT_TRUE(standin) << "run with --standin=<path of the stand-in DLL>";
  const std::vector<std::string> imports = imported_dlls(home_file(L"Torvane.exe"));
  ASSERT_TRUE(std::count(imports.begin(), imports.end(), "kernel32.dll"))
      << "the import table was not read";

  // Every import that is no known DLL (comctl32 too, which only its manifest protects), and
  // mpr.dll, which the drive list may load.
  std::set<std::string> planted = {"mpr.dll"};
  for (const std::string& dll : imports)
    if (!kKnownDlls.count(dll)) planted.insert(dll);
  // WINEDLLOVERRIDES comes from torvane_tests.cmake: a program started from here takes the
  // loader's settings from Wine's own environment, not from what this process would set.
  const std::string overrides = lower(environment_variable(L"WINEDLLOVERRIDES"));
  for (const std::string& dll : planted) {
    ASSERT_NE(overrides.find(dll.substr(0, dll.size() - 4)), std::string::npos)
        << dll << " is missing from WINEDLLOVERRIDES=...=n,b in torvane_tests.cmake";
    ASSERT_TRUE(CopyFileW(standin->c_str(), home_file(widen(dll)).c_str(), FALSE)) << dll;
  }

  // The drive list names a network drive by its share, which takes mpr.dll.
  ASSERT_TRUE(make_folder(home_file(L"share")));
  const MappedDrive network(home_file(L"share"), DRIVE_REMOTE);
  ASSERT_NE(network.letter(), 0);

  ASSERT_NE(launch(), 0u);
  HWND main = pass_intro();
  ASSERT_NE(main, nullptr) << "the program did not start with the stand-ins beside it";
  const Dialog dialog = open_dialog(main);
  ASSERT_TRUE(dialog);
  EXPECT_EQ(loaded_from(pid(), "mpr.dll"), lower(narrow(system_folder())) + "\\mpr.dll");
  ASSERT_TRUE(press(dialog.cancel));
  ASSERT_TRUE(close_program(main));

  for (const std::string& dll : planted)
    EXPECT_FALSE(file_exists(home_file(widen(dll) + L".loaded")))
        << "the " << dll << " beside the program was loaded";
}

}  // namespace
}  // namespace torvane::e2e
