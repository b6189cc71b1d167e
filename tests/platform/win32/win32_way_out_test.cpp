// A form destroyed the way an exception leaving the program's start destroys it: its controls
// first (they are the form's own members), then its view with the window still standing. The
// controls' memory is filled with a pattern the moment the last of them is gone; whatever the
// window's destruction writes through a pointer to a destroyed control shows in that pattern,
// whether or not it would have crashed.

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

struct Span {
  std::size_t offset, size;
};

class ExitForm : public ui::Form {
 public:
  explicit ExitForm(Services& sys)
      : ui::Form({.name = "ExitForm",
                  .caption = "Exit",
                  .frame = ui::FrameStyle::fixed_close_only,
                  .unit = ui::ScaleUnit::twips,
                  .client_width = 6000,
                  .client_height = 3000}),
        poisoner{*this},
        ok(*this, "ok", "OK", {120, 120, 975, 375}, 0),
        field(*this, "field", "1", {120, 600, 975, 300}, 1),
        drives(*this, sys, "drives", {1300, 120, 2000, 300}, 2),
        picture(*this, "picture", {3500, 120, 2000, 2000}, 3),
        timer(*this, "timer") {}

  // Declared first, so destroyed after every control and before the form itself.
  struct Poisoner {
    ExitForm& form;
    ~Poisoner() {
      for (const Span& s : form.control_spans())
        std::memset(reinterpret_cast<unsigned char*>(&form) + s.offset, kGone, s.size);
    }
  } poisoner;
  ui::CommandButton ok;
  ui::TextBox field;
  ui::DriveListBox drives;
  ui::PictureBox picture;
  ui::Timer timer;

  std::vector<Span> control_spans() {
    auto span = [&](const auto& c) {
      return Span{static_cast<std::size_t>(reinterpret_cast<const unsigned char*>(&c) -
                                           reinterpret_cast<const unsigned char*>(this)),
                  sizeof c};
    };
    return {span(ok), span(field), span(drives), span(picture), span(timer)};
  }
};

TEST(Win32WayOut, AFormDestroyedWhileItsWindowStandsTouchesNoDestroyedControl) {
  Win32WindowSystem windows{::GetModuleHandleW(nullptr)};
  Win32Services sys{windows};
  alignas(ExitForm) unsigned char storage[sizeof(ExitForm)];
  auto* form = new (storage) ExitForm(sys);
  form->attach_view(windows.create_view(*form));
  form->timer.set_interval(60000);
  form->timer.set_enabled(true);
  form->show();
  // The focus in a field: destroying the window moves it, and the field tells its parent.
  form->set_focus(form->field);
  HWND top = static_cast<Win32FormView*>(form->view())->hwnd();
  ASSERT_TRUE(::IsWindowVisible(top));
  ASSERT_EQ(::GetFocus(), static_cast<HWND>(form->field.native));
  const std::vector<Span> spans = form->control_spans();

  form->~ExitForm();  // no close(): as an exception unwinds past the program

  EXPECT_FALSE(::IsWindow(top));
  for (const Span& s : spans) {
    std::size_t touched = 0;
    for (std::size_t i = 0; i < s.size; ++i)
      if (storage[s.offset + i] != kGone) ++touched;
    EXPECT_EQ(touched, 0u) << "bytes written into a destroyed control at offset " << s.offset;
  }
}

}  // namespace
}  // namespace torvane::platform
