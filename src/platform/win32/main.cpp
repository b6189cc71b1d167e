// Torvane.exe: the program's start. Everything it does happens in the event handlers of its
// windows; this only sets up the process, the two backends and the one message loop.

#include "platform/win32/win32_api.h"

#include <commctrl.h>
#include <objbase.h>

#include <exception>

#include "app/program.h"
#include "platform/win32/win32_services.h"
#include "platform/win32/win32_system_dlls.h"
#include "platform/win32/win32_window_system.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  // Before anything could load a DLL: none may come from the program's own folder.
  torvane::platform::win32::load_dlls_from_system32_only();

  // A drive without a medium (an empty card reader, a CD drive) must not stop the drive list
  // with a system error box: the program reports "Drive is not ready." itself.
  ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);

  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof(controls);
  controls.dwICC = ICC_STANDARD_CLASSES;
  ::InitCommonControlsEx(&controls);
  // The shell may hand the help page to a viewer through COM.
  const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);

  // Nothing should leave the program's start or its message loop by an exception. If
  // something does, the windows go as they stand (each view lets go of its controls before
  // its window is destroyed), the settings stay as they were (only a close writes them), and
  // the program says so rather than vanish.
  try {
    torvane::platform::Win32WindowSystem windows(instance);
    torvane::platform::Win32Services sys(windows);
    torvane::Program program(sys, windows);
    program.start();
    windows.run_message_loop();
  } catch (const std::exception& e) {
    ::MessageBoxW(nullptr, torvane::platform::win32::widen(e.what()).c_str(), L"Torvane", MB_OK);
  } catch (...) {
    ::MessageBoxW(nullptr, L"unexpected error", L"Torvane", MB_OK);
  }

  if (SUCCEEDED(com)) ::CoUninitialize();
  // The settings were written (and flushed) as the main window closed. The return ends the
  // process without DLL detach code, the workers first stopped where they hold no lock
  // (win32_process_end.h): a label question or a slow read may still be under way.
  return 0;
}
