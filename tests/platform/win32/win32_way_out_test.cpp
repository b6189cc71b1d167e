// A form destroyed as an exception leaving the program's start destroys it: its controls first
// (the form's own members), then its view, the window still standing. The controls' memory
// is filled with a pattern once the last of them is gone, so whatever the window's end writes
// through a pointer to a destroyed control shows, whether or not it would have crashed. And
// as the window's end begins, the messages of a user's last action arrive: they must find
// neither the view nor a control.

#include <gtest/gtest.h>

#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "platform/win32/win32_form_view.h"
#include "platform/win32/win32_services.h"
#include "platform/win32/win32_window_system.h"
#include "ui/file_controls.h"
#include "win32_test_support.h"

namespace torvane::platform {
namespace {

constexpr unsigned char kGone = 0xDD;

class ExitForm : public ui::Form {
 public:
  explicit ExitForm(Services& sys)
      : ui::Form({.name = "ExitForm", .caption = "Exit", .client_width = 6000,
                  .client_height = 3000}),
        poisoner{*this},
        ok(*this, "ok", "OK", {120, 120, 975, 375}, 0),
        field(*this, "field", "1", {120, 600, 975, 300}, 1),
        drives(*this, sys, "drives", {1300, 120, 2000, 300}, 2),
        picture(*this, "picture", {3500, 120, 2000, 2000}, 3) {}

  // Declared first: destroyed after every control, before the form itself.
  struct Poisoner {
    ExitForm& form;
    ~Poisoner() {
      for (auto [at, size] : form.controls_in_memory())
        std::memset(reinterpret_cast<unsigned char*>(&form) + at, kGone, size);
    }
  } poisoner;
  ui::CommandButton ok;
  ui::TextBox field;
  ui::DriveListBox drives;
  ui::PictureBox picture;

  std::vector<std::pair<std::size_t, std::size_t>> controls_in_memory() {
    auto at = [&](const auto& c) {
      return std::pair{static_cast<std::size_t>(reinterpret_cast<const char*>(&c) -
                                                reinterpret_cast<const char*>(this)),
                       sizeof c};
    };
    return {at(ok), at(field), at(drives), at(picture)};
  }
};

// As DestroyWindow begins on the form's window, what a user's last action would send: a
// button's press and a click on the picture. A window the program let go of leaves them
// to the system.
struct LastActions {
  HWND top = nullptr, button = nullptr, picture = nullptr;
  HHOOK hook = nullptr;
  bool sent = false;
} last_actions;

LRESULT CALLBACK send_last_actions(int code, WPARAM wp, LPARAM lp) {
  LastActions& a = last_actions;
  if (code == HCBT_DESTROYWND && reinterpret_cast<HWND>(wp) == a.top && !a.sent) {
    a.sent = true;
    ::SendMessageW(a.top, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(a.button), BN_CLICKED),
                   reinterpret_cast<LPARAM>(a.button));
    ::SendMessageW(a.picture, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    ::SendMessageW(a.picture, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  }
  return ::CallNextHookEx(a.hook, code, wp, lp);
}

// The system runs window procedures inside a handler that swallows their faults; a use of a
// destroyed control (its pointers hold the pattern) or of one the view let go of (a null
// pointer) would pass unseen.
int access_violations = 0;
LONG CALLBACK note_access_violation(EXCEPTION_POINTERS* e) {
  if (e->ExceptionRecord->ExceptionCode == EXCEPTION_ACCESS_VIOLATION) ++access_violations;
  return EXCEPTION_CONTINUE_SEARCH;
}

TEST(Win32WayOut, AFormDestroyedWhileItsWindowStandsTouchesNoDestroyedControl) {
  Win32WindowSystem windows{::GetModuleHandleW(nullptr)};
  Win32Services sys{windows};
  alignas(ExitForm) unsigned char storage[sizeof(ExitForm)];
  auto* form = new (storage) ExitForm(sys);
  form->attach_view(windows.create_view(*form));
  form->show();
  // The focus in the field: the window's end moves it, and the field tells its parent.
  form->set_focus(form->field);
  HWND top = static_cast<Win32FormView*>(form->view())->hwnd();
  ASSERT_EQ(::GetFocus(), static_cast<HWND>(form->field.native));
  const auto controls = form->controls_in_memory();
  last_actions = {top, static_cast<HWND>(form->ok.native), static_cast<HWND>(form->picture.native)};
  last_actions.hook =
      ::SetWindowsHookExW(WH_CBT, send_last_actions, nullptr, ::GetCurrentThreadId());
  ASSERT_NE(last_actions.hook, nullptr);
  void* watch = ::AddVectoredExceptionHandler(1, note_access_violation);

  form->~ExitForm();  // no close()

  ::RemoveVectoredExceptionHandler(watch);
  ::UnhookWindowsHookEx(last_actions.hook);
  EXPECT_TRUE(last_actions.sent);
  EXPECT_EQ(access_violations, 0) << "a message of the window's end reached a destroyed control";
  EXPECT_FALSE(::IsWindow(top));
  for (auto [at, size] : controls)
    for (std::size_t i = 0; i < size; ++i)
      ASSERT_EQ(storage[at + i], kGone) << "written into a destroyed control at " << at + i;
}

// A process whose workers are busy asking the drives for their labels ends at once, whichever
// way it leaves, with its own exit code and its C streams written out. Ending it the way
// ExitProcess does hung now and then under load: a worker ended in the middle of a system
// call left a lock behind that the process's own end then waited for. So the child
// (win32_exit_child.cpp) is started many times, a few at once for the load, and each must
// be gone within a generous time.
TEST(Win32WayOut, AProcessEndsAtOnceWhateverItsWorkersAreDoing) {
  wchar_t self[MAX_PATH + 1] = {};
  const DWORD n = ::GetModuleFileNameW(nullptr, self, MAX_PATH + 1);
  std::wstring child(self, n);
  child = child.substr(0, child.find_last_of(L'\\') + 1) + L"win32_exit_child.exe";
  test::ScratchFolder dir;

  struct Way {
    const wchar_t* how;
    DWORD code;
  };
  const Way ways[] = {{L"return", 7}, {L"exit", 5}};
  constexpr int kRounds = 10, kAtOnce = 4;
  constexpr DWORD kGenerousMs = 30000;
  for (int round = 0; round < kRounds; ++round) {
    for (const Way& way : ways) {
      std::vector<PROCESS_INFORMATION> started;
      std::vector<std::wstring> notes;
      for (int i = 0; i < kAtOnce; ++i) {
        notes.push_back(dir / (std::to_wstring(round) + way.how + std::to_wstring(i) + L".txt"));
        std::wstring line =
            L"\"" + child + L"\" " + way.how + L" \"" + notes.back() + L"\"";
        STARTUPINFOW si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        ASSERT_TRUE(::CreateProcessW(child.c_str(), line.data(), nullptr, nullptr, FALSE, 0,
                                     nullptr, nullptr, &si, &pi))
            << "cannot start " << win32::narrow(child) << ": error " << ::GetLastError();
        ::CloseHandle(pi.hThread);
        started.push_back(pi);
      }
      int hung = 0;
      for (std::size_t i = 0; i < started.size(); ++i) {
        const HANDLE process = started[i].hProcess;
        if (::WaitForSingleObject(process, kGenerousMs) != WAIT_OBJECT_0) {
          ++hung;
          ::TerminateProcess(process, 99);
          ::WaitForSingleObject(process, kGenerousMs);
        } else {
          DWORD code = 0;
          ::GetExitCodeProcess(process, &code);
          EXPECT_EQ(code, way.code) << win32::narrow(way.how);
          EXPECT_EQ(test::read_bytes(notes[i]), "written before the end")
              << win32::narrow(way.how);
        }
        ::CloseHandle(process);
      }
      ASSERT_EQ(hung, 0) << "round " << round << ": " << hung << " of " << kAtOnce
                         << " children left by \"" << win32::narrow(way.how)
                         << "\" were still there after " << kGenerousMs / 1000 << " s";
    }
  }
}

}  // namespace
}  // namespace torvane::platform
