// The native views, in-process under Wine: a form with every kind of control is mirrored into
// native windows, and the messages a user's action produces become the model calls a
// headless test makes.

#include "platform/win32/win32_form_view.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "forms/screen_window.h"
#include "platform/win32/win32_services.h"
#include "platform/win32/win32_window_system.h"
#include "ui/file_controls.h"
#include "win32_test_support.h"

namespace torvane::platform {
namespace {

using win32::narrow;
using win32::widen;

class TestForm : public ui::Form {
 public:
  explicit TestForm(Services& sys)
      : ui::Form({.name = "TestForm",
                  .caption = "テスト",
                  .frame = ui::FrameStyle::fixed_close_only,
                  .unit = ui::ScaleUnit::twips,
                  .client_width = 6000,
                  .client_height = 4000}),
        // Declared out of tab order on purpose: the natives must follow the tab order.
        label(*this, "label", "ラベル", {120, 2600, 975, 255}, 7),
        ok(*this, "ok", "OK", {120, 120, 975, 375}, 0),
        field(*this, "field", "1", {120, 600, 975, 300}, 1),
        check(*this, "check", "Check2", {120, 1000, 255, 195}, 2),
        list(*this, "list", {1200, 120, 1935, 2000}, 3),
        drives(*this, sys, "drives", {3300, 120, 2000, 300}, 4),
        dirs(*this, sys, "dirs", {3300, 600, 2000, 2000}, 5),
        off(*this, "off", "Off", {120, 1500, 975, 375}, 6, /*enabled=*/false),
        timer(*this, "timer") {}
  ui::Label label;
  ui::CommandButton ok;
  ui::TextBox field;
  ui::CheckBox check;
  ui::ListBox list;
  ui::DriveListBox drives;
  ui::DirListBox dirs;
  ui::CommandButton off;
  ui::Timer timer;
};

class Win32FormViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form.ok.on_click = [this] { ++clicks; };
    form.off.on_click = [this] { ++clicks; };
    form.field.on_change = [this] { ++changes; };
    form.list.on_click = [this] { ++list_clicks; };
    form.drives.on_change = [this] { ++drive_changes; };
    form.timer.on_timer = [this] { ++ticks; };
    form.on_close_request = [this] { ++close_requests; };
    form.attach_view(windows.create_view(form));
  }
  void TearDown() override { form.close(); }

  HWND hwnd(const ui::Control& c) const { return static_cast<HWND>(c.native); }
  HWND top() const { return static_cast<Win32FormView*>(form.view())->hwnd(); }
  // What the control sends its parent when the user acts on it.
  void notify(const ui::Control& c, int code) {
    ::SendMessageW(top(), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(hwnd(c)), code),
                   reinterpret_cast<LPARAM>(hwnd(c)));
  }
  std::wstring list_text(const ui::Control& c, int i) {
    wchar_t buffer[512] = {};
    ::SendMessageW(hwnd(c), LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buffer));
    return buffer;
  }

  Win32WindowSystem windows{::GetModuleHandleW(nullptr)};
  Win32Services sys{windows};
  TestForm form{sys};
  int clicks = 0, changes = 0, list_clicks = 0, drive_changes = 0, ticks = 0, close_requests = 0;
};

TEST_F(Win32FormViewTest, NativeControlsFollowTheTabOrderWithStableIdsClassesAndSizes) {
  ASSERT_NE(top(), nullptr);
  EXPECT_EQ(narrow(win32::window_text(top())), "テスト");
  struct Expect {
    const ui::Control* control;
    const wchar_t* cls;
  };
  const Expect expected[] = {{&form.ok, L"Button"},     {&form.field, L"Edit"},
                             {&form.check, L"Button"},  {&form.list, L"ListBox"},
                             {&form.drives, L"ComboBox"}, {&form.dirs, L"ListBox"},
                             {&form.off, L"Button"},    {&form.label, L"Static"}};
  // The z-order from the top is the tab order, which is what Tab walks.
  HWND child = ::GetWindow(top(), GW_CHILD);
  for (const Expect& e : expected) {
    ASSERT_EQ(child, hwnd(*e.control)) << e.control->name();
    EXPECT_EQ(::GetDlgCtrlID(child), 100 + e.control->tab_index());
    wchar_t cls[32] = {};
    ::GetClassNameW(child, cls, 32);
    EXPECT_EQ(::lstrcmpiW(cls, e.cls), 0) << e.control->name();
    child = ::GetWindow(child, GW_HWNDNEXT);
  }
  EXPECT_EQ(child, nullptr);

  // Texts as given; no button is a default button.
  EXPECT_EQ(narrow(win32::window_text(hwnd(form.ok))), "OK");
  EXPECT_EQ(narrow(win32::window_text(hwnd(form.label))), "ラベル");
  EXPECT_EQ(narrow(win32::window_text(hwnd(form.field))), "1");
  for (const ui::Control* b : std::initializer_list<const ui::Control*>{&form.ok, &form.off})
    EXPECT_EQ(::GetWindowLongPtrW(hwnd(*b), GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON);
  EXPECT_FALSE(::IsWindowEnabled(hwnd(form.off)));

  // Twips at the window's DPI: 1440 twips to the inch.
  HDC dc = ::GetDC(top());
  const int dpi = ::GetDeviceCaps(dc, LOGPIXELSX);
  ::ReleaseDC(top(), dc);
  RECT client;
  ::GetClientRect(top(), &client);
  EXPECT_EQ(client.right, ::MulDiv(6000, dpi, 1440));
  EXPECT_EQ(client.bottom, ::MulDiv(4000, dpi, 1440));
  for (const ui::Control* c :
       std::initializer_list<const ui::Control*>{&form.ok, &form.list, &form.drives, &form.check}) {
    RECT r;
    ::GetWindowRect(hwnd(*c), &r);
    POINT at{r.left, r.top};
    ::ScreenToClient(top(), &at);
    EXPECT_EQ(at.x, ::MulDiv(c->rect().left, dpi, 1440)) << c->name();
    EXPECT_EQ(at.y, ::MulDiv(c->rect().top, dpi, 1440)) << c->name();
    EXPECT_EQ(r.right - r.left, ::MulDiv(c->rect().left + c->rect().width, dpi, 1440) -
                                    ::MulDiv(c->rect().left, dpi, 1440))
        << c->name();
    // The closed drop-down list too has the height it is given.
    EXPECT_EQ(r.bottom - r.top, ::MulDiv(c->rect().top + c->rect().height, dpi, 1440) -
                                    ::MulDiv(c->rect().top, dpi, 1440))
        << c->name();
  }
}

TEST_F(Win32FormViewTest, ButtonsAndCheckBoxTurnClicksIntoModelCalls) {
  notify(form.ok, BN_CLICKED);
  EXPECT_EQ(clicks, 1);
  // Wine sends BN_CLICKED even for a disabled button; the model ignores it.
  ::SendMessageW(hwnd(form.off), BM_CLICK, 0, 0);
  EXPECT_EQ(clicks, 1);

  // The model decides what a click does; the native box shows the model's value.
  ::SendMessageW(hwnd(form.check), BM_CLICK, 0, 0);
  EXPECT_EQ(form.check.value(), 1);
  EXPECT_EQ(::SendMessageW(hwnd(form.check), BM_GETCHECK, 0, 0), BST_CHECKED);
  ::SendMessageW(hwnd(form.check), BM_CLICK, 0, 0);
  EXPECT_EQ(form.check.value(), 0);
  for (int value : {2, 1, 0}) {
    form.check.set_value(value);
    EXPECT_EQ(::SendMessageW(hwnd(form.check), BM_GETCHECK, 0, 0), value);
  }

  // The dialog keys' IDOK and IDCANCEL, sent with the focused control as sender, are no
  // notification of that control.
  ::SendMessageW(top(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(hwnd(form.check)));
  ::SendMessageW(top(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                 reinterpret_cast<LPARAM>(hwnd(form.ok)));
  EXPECT_EQ(form.check.value(), 0);
  EXPECT_EQ(clicks, 1);
}

TEST_F(Win32FormViewTest, TextFieldRaisesOneChangePerEditWhicheverSideMadeIt) {
  // Typing (WM_SETTEXT stands for it: the edit sends EN_CHANGE).
  ::SetWindowTextW(hwnd(form.field), L"12分");
  EXPECT_EQ(form.field.text(), "12分");
  EXPECT_EQ(changes, 1);
  // Code sets the text: one change, and the field shows it; the field's own EN_CHANGE from
  // that push is not taken for typing.
  form.field.set_text("abc");
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(narrow(win32::window_text(hwnd(form.field))), "abc");
  // A text of any length is taken.
  const std::wstring long_text(40000, L'9');
  ::SetWindowTextW(hwnd(form.field), long_text.c_str());
  EXPECT_EQ(form.field.text().size(), 40000u);
}

TEST_F(Win32FormViewTest, ListMirrorsEntriesAndSelectionBothWays) {
  for (const char* name : {"a.bmp", "写真.bmp", "c.bmp", "d.bmp"}) form.list.add_item(name);
  ASSERT_EQ(::SendMessageW(hwnd(form.list), LB_GETCOUNT, 0, 0), 4);
  EXPECT_EQ(narrow(list_text(form.list, 1)), "写真.bmp");

  // The user selects entries 1 and 3 (Ctrl+click): the list tells its parent.
  ::SendMessageW(hwnd(form.list), LB_SETSEL, TRUE, 1);
  ::SendMessageW(hwnd(form.list), LB_SETSEL, TRUE, 3);
  ::SendMessageW(hwnd(form.list), LB_SETCARETINDEX, 3, FALSE);
  notify(form.list, LBN_SELCHANGE);
  EXPECT_EQ(list_clicks, 1);
  EXPECT_EQ(form.list.selected_count(), 2);
  EXPECT_TRUE(form.list.selected(1));
  EXPECT_TRUE(form.list.selected(3));
  EXPECT_EQ(form.list.list_index(), 3);

  // The model selects: the native list shows it.
  form.list.shift_click(0);
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(::SendMessageW(hwnd(form.list), LB_GETSEL, static_cast<WPARAM>(i), 0) > 0,
              form.list.selected(i))
        << i;

  form.list.clear();
  EXPECT_EQ(::SendMessageW(hwnd(form.list), LB_GETCOUNT, 0, 0), 0);
  form.list.add_item("x.bmp");
  EXPECT_EQ(::SendMessageW(hwnd(form.list), LB_GETCOUNT, 0, 0), 1);
  EXPECT_EQ(::SendMessageW(hwnd(form.list), LB_GETSELCOUNT, 0, 0), 0);
}

TEST_F(Win32FormViewTest, DriveListFollowsTheUserAndFallsBackWhenTheModelRefuses) {
  const std::vector<std::string>& entries = form.drives.entries();
  ASSERT_FALSE(entries.empty());
  const int last = static_cast<int>(entries.size()) - 1;
  ASSERT_EQ(::SendMessageW(hwnd(form.drives), CB_GETCOUNT, 0, 0), last + 1);

  ::SendMessageW(hwnd(form.drives), CB_SETCURSEL, static_cast<WPARAM>(last), 0);
  notify(form.drives, CBN_SELCHANGE);
  EXPECT_EQ(form.drives.drive(), entries[static_cast<std::size_t>(last)]);

  // An entry for a drive that went away: the model refuses it and the list goes back.
  const LRESULT gone = ::SendMessageW(hwnd(form.drives), CB_ADDSTRING, 0,
                                      reinterpret_cast<LPARAM>(L"q: [gone]"));
  ::SendMessageW(hwnd(form.drives), CB_SETCURSEL, static_cast<WPARAM>(gone), 0);
  const int changes_before = drive_changes;
  notify(form.drives, CBN_SELCHANGE);
  EXPECT_EQ(drive_changes, changes_before);
  EXPECT_EQ(::SendMessageW(hwnd(form.drives), CB_GETCURSEL, 0, 0), last);
  // Opening the list reads the drives again, which drops the stale entry.
  notify(form.drives, CBN_DROPDOWN);
  EXPECT_EQ(::SendMessageW(hwnd(form.drives), CB_GETCOUNT, 0, 0), last + 1);
}

TEST_F(Win32FormViewTest, FolderListShowsLevelsAndOpensAnEntryOnDoubleClick) {
  test::ScratchFolder dir;
  ::CreateDirectoryW((dir / L"Sub").c_str(), nullptr);
  ::CreateDirectoryW((dir / L"写真").c_str(), nullptr);
  form.dirs.set_path(dir.utf8());
  const auto& entries = form.dirs.entries();
  ASSERT_EQ(::SendMessageW(hwnd(form.dirs), LB_GETCOUNT, 0, 0),
            static_cast<LRESULT>(entries.size()));
  for (std::size_t i = 0; i < entries.size(); ++i) {
    EXPECT_EQ(narrow(list_text(form.dirs, static_cast<int>(i))), entries[i].text);
    EXPECT_EQ(::SendMessageW(hwnd(form.dirs), LB_GETITEMDATA, i, 0), entries[i].level);
  }
  EXPECT_EQ(::SendMessageW(hwnd(form.dirs), LB_GETCURSEL, 0, 0), form.dirs.current_index());

  const int sub = form.dirs.current_index() + 2;  // after "Sub" comes "写真"
  ::SendMessageW(hwnd(form.dirs), LB_SETCURSEL, static_cast<WPARAM>(sub), 0);
  notify(form.dirs, LBN_DBLCLK);
  EXPECT_EQ(form.dirs.path(), dir.utf8() + "\\写真");
}

TEST_F(Win32FormViewTest, TimerTicksOnlyWhileRunningAndCloseIsOnlyARequest) {
  ::SendMessageW(top(), WM_TIMER, win32::kTimerId, 0);
  EXPECT_EQ(ticks, 0);
  form.timer.set_interval(60000);
  form.timer.set_enabled(true);
  ::SendMessageW(top(), WM_TIMER, win32::kTimerId, 0);
  ::SendMessageW(top(), WM_TIMER, win32::kTimerId + 1, 0);
  EXPECT_EQ(ticks, 1);
  form.timer.set_enabled(false);
  ::SendMessageW(top(), WM_TIMER, win32::kTimerId, 0);
  EXPECT_EQ(ticks, 1);

  ::SendMessageW(top(), WM_CLOSE, 0, 0);
  EXPECT_EQ(close_requests, 1);
  EXPECT_TRUE(::IsWindow(top())) << "the model decides what a close means";
}

TEST_F(Win32FormViewTest, KeyboardPressesOnlyTheFocusedButtonAndFocusLeavesSwitchedOffControls) {
  form.show();
  ASSERT_EQ(::GetFocus(), hwnd(form.ok)) << "the first control in tab order";
  auto* view = static_cast<Win32FormView*>(form.view());
  auto key = [&](HWND target, WPARAM vk) {
    MSG msg{target, WM_KEYDOWN, vk, 0, 0, {0, 0}};
    return view->pre_translate(msg);
  };
  EXPECT_TRUE(key(hwnd(form.ok), VK_RETURN));
  EXPECT_EQ(clicks, 1);

  // Enter in the text field presses nothing: there is no default button.
  ::SetFocus(hwnd(form.field));
  key(hwnd(form.field), VK_RETURN);
  key(hwnd(form.field), VK_ESCAPE);
  EXPECT_EQ(clicks, 1);

  // Tab walks the tab order.
  ::SetFocus(hwnd(form.ok));
  key(hwnd(form.ok), VK_TAB);
  EXPECT_EQ(::GetFocus(), hwnd(form.field));

  // The focused button switched off hands the focus on in tab order.
  ::SetFocus(hwnd(form.ok));
  form.ok.set_enabled(false);
  EXPECT_EQ(::GetFocus(), hwnd(form.field));
  for (const ui::Control* b : std::initializer_list<const ui::Control*>{&form.ok, &form.off})
    EXPECT_EQ(::GetWindowLongPtrW(hwnd(*b), GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON);
}

// ---- The full-screen window and its picture ---------------------------------------------------

// The real screen window, its picture area at (20, 10), 200 x 150 pixels.
class Win32ScreenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form.Picture1.set_rect({20, 10, 200, 150});
    form.attach_view(windows.create_view(form));
  }
  void TearDown() override { form.close(); }

  HWND top() const { return static_cast<Win32FormView*>(form.view())->hwnd(); }
  HWND box() const { return static_cast<HWND>(form.Picture1.native); }

  Win32WindowSystem windows{::GetModuleHandleW(nullptr)};
  forms::FrmScrn form;
};

struct Dot {
  int x, y;
  COLORREF colour;
};

// Whether the screen comes to show each colour at its point.
::testing::AssertionResult shows(std::initializer_list<Dot> dots) {
  std::string wrong;
  const bool all = test::eventually([&] {
    wrong.clear();
    for (const Dot& d : dots)
      if (test::screen_pixel(d.x, d.y) != d.colour)
        wrong += " (" + std::to_string(d.x) + "," + std::to_string(d.y) + ")";
    return wrong.empty();
  });
  if (all) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "other colours at" << wrong;
}

TEST_F(Win32ScreenTest, CoversTheMonitorAndDrawsThePictureOneToOneInsideTheEdge) {
  int clicks = 0;
  form.Picture1.on_click = [&] { ++clicks; };
  // A 3 x 2 picture: red, green, blue / white, black, grey.
  image::Picture& p = form.Picture1.picture_buffer();
  p.width = 3;
  p.height = 2;
  p.pixels = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000, 0x808080};
  form.Picture1.picture_changed();
  form.show();

  RECT window;
  ::GetWindowRect(top(), &window);
  EXPECT_EQ(window.left, 0);
  EXPECT_EQ(window.top, 0);
  EXPECT_EQ(window.right, ::GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(window.bottom, ::GetSystemMetrics(SM_CYSCREEN));
  EXPECT_FALSE(::GetWindowLongPtrW(top(), GWL_EXSTYLE) & WS_EX_TOPMOST);

  // The sunken edge is two pixels; the picture starts right inside it, the button face
  // beside and below it.
  const int x = 20 + 2, y = 10 + 2;
  const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
  EXPECT_TRUE(shows({{x, y, RGB(255, 0, 0)},
                     {x + 1, y, RGB(0, 255, 0)},
                     {x + 2, y, RGB(0, 0, 255)},
                     {x, y + 1, RGB(255, 255, 255)},
                     {x + 2, y + 1, RGB(128, 128, 128)},
                     {x + 3, y, face},
                     {x, y + 2, face},
                     {20, 10, ::GetSysColor(COLOR_BTNSHADOW)},
                     {21, 11, ::GetSysColor(COLOR_3DDKSHADOW)}}));

  // A click on the screen's own surface does nothing. On the picture the press takes the
  // mouse and its release there is the click; released beside the picture it is none.
  ::SendMessageW(top(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  ::SendMessageW(top(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  ::SendMessageW(top(), WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_EQ(clicks, 0);
  ::SendMessageW(box(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 50));
  EXPECT_EQ(clicks, 0);
  EXPECT_EQ(::GetCapture(), box());
  ::SendMessageW(box(), WM_LBUTTONUP, 0, MAKELPARAM(50, 50));
  EXPECT_EQ(clicks, 1);
  ::SendMessageW(box(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 50));
  ::SendMessageW(box(), WM_LBUTTONUP, 0, MAKELPARAM(-5, 50));
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(::GetCapture(), nullptr);

  // An empty picture leaves only the background.
  form.Picture1.clear_picture();
  EXPECT_TRUE(shows({{x, y, face}}));
}

TEST_F(Win32ScreenTest, DrawsAnIndexedPictureThroughItsWholePaletteInEitherRowOrder) {
  form.show();
  // 5 x 2 indices in rows padded to 8 bytes, naming entries low and high in the palette.
  image::Picture& p = form.Picture1.picture_buffer();
  p.width = 5;
  p.height = 2;
  p.bits_per_pixel = 8;
  p.stride = 8;
  p.palette.fill(0);
  p.palette[1] = 0xFF0000;
  p.palette[2] = 0x00FF00;
  p.palette[3] = 0x0000FF;
  p.palette[200] = 0x123456;
  p.palette[255] = 0xFFFFFF;
  const std::vector<std::uint8_t> top_row = {1, 2, 3, 200, 255, 0, 0, 0};
  const std::vector<std::uint8_t> bottom_row = {255, 0, 3, 2, 1, 0, 0, 0};
  const int x = 20 + 2, y = 10 + 2;
  const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
  for (bool bottom_up : {false, true}) {
    SCOPED_TRACE(bottom_up ? "bottom row first" : "top row first");
    p.bottom_up = bottom_up;
    const auto& first = bottom_up ? bottom_row : top_row;
    const auto& second = bottom_up ? top_row : bottom_row;
    p.indices.assign(first.begin(), first.end());
    p.indices.insert(p.indices.end(), second.begin(), second.end());
    form.Picture1.picture_changed();
    // The padding is not drawn: beside and below the picture, the button face.
    EXPECT_TRUE(shows({{x, y, RGB(255, 0, 0)},
                       {x + 1, y, RGB(0, 255, 0)},
                       {x + 2, y, RGB(0, 0, 255)},
                       {x + 3, y, RGB(0x12, 0x34, 0x56)},
                       {x + 4, y, RGB(255, 255, 255)},
                       {x, y + 1, RGB(255, 255, 255)},
                       {x + 1, y + 1, RGB(0, 0, 0)},
                       {x + 2, y + 1, RGB(0, 0, 255)},
                       {x + 3, y + 1, RGB(0, 255, 0)},
                       {x + 4, y + 1, RGB(255, 0, 0)},
                       {x + 5, y, face},
                       {x, y + 2, face}}));
  }
  form.Picture1.clear_picture();
  EXPECT_TRUE(p.indices.empty());
  EXPECT_TRUE(shows({{x, y, face}}));
}

// While the show covers the screen, neither the screen saver nor the monitor's power saving
// may cover it: the window keeps those requests from the system; anything else goes on.
LRESULT WINAPI note_system_command(HWND, UINT, WPARAM, LPARAM);
std::vector<WPARAM> carried_out;
test::ImportHook* default_procedure = nullptr;

LRESULT WINAPI note_system_command(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg != WM_SYSCOMMAND)
    return default_procedure->original<WNDPROC>()(hwnd, msg, wp, lp);
  carried_out.push_back(wp & 0xFFF0);
  return 0;
}

TEST_F(Win32ScreenTest, KeepsTheScreenSaverAndPowerSavingAwayWhileShown) {
  test::ImportHook hook("user32.dll", "DefWindowProcW", reinterpret_cast<void*>(&note_system_command));
  ASSERT_TRUE(hook.hooked());
  default_procedure = &hook;
  struct Row {
    bool shown;
    WPARAM command;
    bool carried_out;
  };
  const Row rows[] = {{true, SC_SCREENSAVE, false}, {true, SC_MONITORPOWER, false},
                      {true, SC_KEYMENU, true},     {false, SC_SCREENSAVE, true},
                      {false, SC_MONITORPOWER, true}};
  for (const Row& r : rows) {
    r.shown ? form.show() : form.hide();
    carried_out.clear();
    ::SendMessageW(top(), WM_SYSCOMMAND, r.command, 0);
    EXPECT_EQ(!carried_out.empty(), r.carried_out)
        << "command " << r.command << (r.shown ? " while shown" : " while hidden");
  }
}

}  // namespace
}  // namespace torvane::platform
