// A form destroyed as an exception leaving the program's start destroys it: its controls first
// (the form's own members), then its view, the window still standing. The controls' memory
// is filled with a pattern once the last of them is gone, so whatever the window's end writes
// through a pointer to a destroyed control shows, whether or not it would have crashed.

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

  form->~ExitForm();  // no close()

  EXPECT_FALSE(::IsWindow(top));
  for (auto [at, size] : controls)
    for (std::size_t i = 0; i < size; ++i)
      ASSERT_EQ(storage[at + i], kGone) << "written into a destroyed control at " << at + i;
}

}  // namespace
}  // namespace torvane::platform
