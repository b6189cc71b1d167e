// A form destroyed as an exception leaving the program's start destroys it: its controls first
// (the form's own members), then its view, the window still standing. The controls' memory
// is filled with a pattern once the last of them is gone, so whatever the window's end writes
// through a pointer to a destroyed control shows, whether or not it would have crashed. And
// as the window's end begins, the messages of a user's last action arrive: they must find
// neither the view nor a control.

#include <gtest/gtest.h>

#include <cstring>
#include <new>
#include <vector>

#include "platform/win32/win32_form_view.h"
#include "platform/win32/win32_services.h"
#include "platform/win32/win32_window_system.h"
#include "ui/file_controls.h"

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

}  // namespace
}  // namespace torvane::platform
