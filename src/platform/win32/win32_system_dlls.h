#pragma once
// Where the program's DLLs come from. Torvane is started from folders anyone can write to (a
// download folder), and a DLL lying there must never run in place of the system's. So the
// exe imports only DLLs that Windows always takes from its own folder (the known DLLs, and
// comctl32 through the manifest), and whatever else it needs is loaded here, at run time,
// from System32 alone.

#include "platform/win32/win32_api.h"

namespace torvane::platform::win32 {

// Makes System32 the only folder that later loads search. The first thing the program does.
void load_dlls_from_system32_only();

// A DLL from System32, kept to the end; nullptr when it cannot be loaded. Each call loads it
// again (adding a reference, never freed), so callers keep what they look up in a static.
HMODULE system_dll(const wchar_t* name);

// A function of a loaded DLL, looked up at run time so that the program also starts on a
// system that lacks it; nullptr then.
template <class Fn>
Fn module_function(HMODULE module, const char* name) {
  if (!module) return nullptr;
  // The detour through a plain function pointer type keeps compilers from warning about
  // the cast between unrelated function types.
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

// A function of a DLL from System32, or nullptr.
template <class Fn>
Fn system_function(const wchar_t* dll, const char* name) {
  return module_function<Fn>(system_dll(dll), name);
}

}  // namespace torvane::platform::win32
