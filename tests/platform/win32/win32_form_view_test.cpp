// The native views, in-process under Wine: the program's own dialog and main window are
// mirrored into native windows, and the messages a user's action produces become the model
// calls a headless test makes. How the windows look is read from the real program by
// tests/e2e/windows_test.cpp.

#include "platform/win32/win32_form_view.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "forms/intro_and_main_windows.h"
#include "forms/picture_list_dialog_window.h"
#include "forms/screen_window.h"
#include "platform/win32/win32_services.h"
#include "platform/win32/win32_window_system.h"
#include "win32_test_support.h"

#include <dbt.h>  // after <windows.h>

namespace torvane::platform {
namespace {

using win32::narrow;

class Win32FormViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dialog.CmdOK.on_click = [this] { ++clicks; };
    dialog.CmdCancel.on_click = [this] { ++clicks; };
    dialog.cmdAddAll.on_click = [this] { ++clicks; };
    dialog.minute.on_change = [this] { ++changes; };
    dialog.List1.on_click = [this] { ++list_clicks; };
    dialog.Drive1.on_change = [this] { ++drive_changes; };
    main.Timer1.on_timer = [this] { ++ticks; };
    main.on_close_request = [this] { ++close_requests; };
    dialog.attach_view(windows.create_view(dialog));
    main.attach_view(windows.create_view(main));
  }
  void TearDown() override {
    dialog.close();
    main.close();
  }

  static HWND hwnd(const ui::Control& c) { return static_cast<HWND>(c.native); }
  static HWND top(const ui::Form& f) { return static_cast<Win32FormView*>(f.view())->hwnd(); }
  // What the control sends its parent when the user acts on it.
  static void notify(const ui::Control& c, int code) {
    ::SendMessageW(::GetParent(hwnd(c)), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(hwnd(c)), code),
                   reinterpret_cast<LPARAM>(hwnd(c)));
  }
  static std::wstring list_text(const ui::Control& c, int i) {
    wchar_t buffer[512] = {};
    ::SendMessageW(hwnd(c), LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buffer));
    return buffer;
  }
  static LRESULT send(const ui::Control& c, UINT msg, WPARAM wp = 0, LPARAM lp = 0) {
    return ::SendMessageW(hwnd(c), msg, wp, lp);
  }

  Win32WindowSystem windows{::GetModuleHandleW(nullptr)};
  Win32Services sys{windows};
  forms::FrmSelectFiles dialog{sys};
  forms::FrmMain main;
  int clicks = 0, changes = 0, list_clicks = 0, drive_changes = 0, ticks = 0, close_requests = 0;
};

TEST_F(Win32FormViewTest, ButtonsAndCheckBoxTurnClicksIntoModelCalls) {
  // Created in tab order, so that the z-order is what Tab walks.
  HWND child = ::GetWindow(top(dialog), GW_CHILD);
  for (int id = 100; id <= 113; ++id, child = ::GetWindow(child, GW_HWNDNEXT))
    ASSERT_EQ(::GetDlgCtrlID(child), id);

  notify(dialog.CmdCancel, BN_CLICKED);
  EXPECT_EQ(clicks, 1);
  // Wine sends BN_CLICKED even for a disabled button; the model ignores it.
  ASSERT_FALSE(::IsWindowEnabled(hwnd(dialog.CmdOK)));
  send(dialog.CmdOK, BM_CLICK);
  EXPECT_EQ(clicks, 1);

  // The model decides what a click does; the native box shows the model's value.
  send(dialog.ChkRandom, BM_CLICK);
  EXPECT_EQ(dialog.ChkRandom.value(), 1);
  EXPECT_EQ(send(dialog.ChkRandom, BM_GETCHECK), BST_CHECKED);
  send(dialog.ChkRandom, BM_CLICK);
  EXPECT_EQ(dialog.ChkRandom.value(), 0);
  for (int value : {2, 1, 0}) {
    dialog.ChkRandom.set_value(value);
    EXPECT_EQ(send(dialog.ChkRandom, BM_GETCHECK), value);
  }

  // The dialog keys' IDOK and IDCANCEL, sent with the focused control as sender, are no
  // notification of that control.
  ::SendMessageW(top(dialog), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(hwnd(dialog.ChkRandom)));
  ::SendMessageW(top(dialog), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                 reinterpret_cast<LPARAM>(hwnd(dialog.CmdCancel)));
  EXPECT_EQ(dialog.ChkRandom.value(), 0);
  EXPECT_EQ(clicks, 1);
}

TEST_F(Win32FormViewTest, TextFieldRaisesOneChangePerEditWhicheverSideMadeIt) {
  // Typing (WM_SETTEXT stands for it: the edit sends EN_CHANGE).
  ::SetWindowTextW(hwnd(dialog.minute), L"12分");
  EXPECT_EQ(dialog.minute.text(), "12分");
  EXPECT_EQ(changes, 1);
  // Code sets the text: one change, and the field shows it; the field's own EN_CHANGE from
  // that push is not taken for typing.
  dialog.minute.set_text("abc");
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(narrow(win32::window_text(hwnd(dialog.minute))), "abc");
  // A text of any length is taken.
  const std::wstring long_text(40000, L'9');
  ::SetWindowTextW(hwnd(dialog.minute), long_text.c_str());
  EXPECT_EQ(dialog.minute.text().size(), 40000u);
}

TEST_F(Win32FormViewTest, ListMirrorsEntriesAndSelectionBothWays) {
  auto& list = dialog.List1;
  for (const char* name : {"a.bmp", "写真.bmp", "c.bmp", "d.bmp"}) list.add_item(name);
  ASSERT_EQ(send(list, LB_GETCOUNT), 4);
  EXPECT_EQ(narrow(list_text(list, 1)), "写真.bmp");

  // The user selects entries 1 and 3 (Ctrl+click): the list tells its parent.
  send(list, LB_SETSEL, TRUE, 1);
  send(list, LB_SETSEL, TRUE, 3);
  send(list, LB_SETCARETINDEX, 3, FALSE);
  notify(list, LBN_SELCHANGE);
  EXPECT_EQ(list_clicks, 1);
  EXPECT_EQ(list.selected_count(), 2);
  EXPECT_TRUE(list.selected(1));
  EXPECT_TRUE(list.selected(3));
  EXPECT_EQ(list.list_index(), 3);

  // The model selects: the native list shows it.
  list.shift_click(0);
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(send(list, LB_GETSEL, static_cast<WPARAM>(i)) > 0, list.selected(i)) << i;

  list.clear();
  EXPECT_EQ(send(list, LB_GETCOUNT), 0);
  list.add_item("x.bmp");
  EXPECT_EQ(send(list, LB_GETCOUNT), 1);
  EXPECT_EQ(send(list, LB_GETSELCOUNT), 0);
}

TEST_F(Win32FormViewTest, DriveListFollowsTheUserAndFallsBackWhenTheModelRefuses) {
  auto& drives = dialog.Drive1;
  const std::vector<std::string>& entries = drives.entries();
  ASSERT_FALSE(entries.empty());
  const int last = static_cast<int>(entries.size()) - 1;
  ASSERT_EQ(send(drives, CB_GETCOUNT), last + 1);

  send(drives, CB_SETCURSEL, static_cast<WPARAM>(last));
  notify(drives, CBN_SELCHANGE);
  EXPECT_EQ(drives.drive(), entries[static_cast<std::size_t>(last)]);

  // An entry for a drive that went away: the model refuses it and the list goes back.
  const LRESULT gone = send(drives, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"q: [gone]"));
  send(drives, CB_SETCURSEL, static_cast<WPARAM>(gone));
  const int changes_before = drive_changes;
  notify(drives, CBN_SELCHANGE);
  EXPECT_EQ(drive_changes, changes_before);
  EXPECT_EQ(send(drives, CB_GETCURSEL), last);
  // Opening the list reads the drives again, which drops the stale entry.
  notify(drives, CBN_DROPDOWN);
  EXPECT_EQ(send(drives, CB_GETCOUNT), last + 1);
}

TEST_F(Win32FormViewTest, FolderListShowsLevelsAndOpensAnEntryOnDoubleClick) {
  test::ScratchFolder dir;
  ::CreateDirectoryW((dir / L"Sub").c_str(), nullptr);
  ::CreateDirectoryW((dir / L"写真").c_str(), nullptr);
  auto& folders = dialog.Dir1;
  folders.set_path(dir.utf8());
  const auto& entries = folders.entries();
  ASSERT_EQ(send(folders, LB_GETCOUNT), static_cast<LRESULT>(entries.size()));
  for (std::size_t i = 0; i < entries.size(); ++i) {
    EXPECT_EQ(narrow(list_text(folders, static_cast<int>(i))), entries[i].text);
    EXPECT_EQ(send(folders, LB_GETITEMDATA, i), entries[i].level);
  }
  EXPECT_EQ(send(folders, LB_GETCURSEL), folders.current_index());

  const int sub = folders.current_index() + 2;  // after "Sub" comes "写真"
  send(folders, LB_SETCURSEL, static_cast<WPARAM>(sub));
  notify(folders, LBN_DBLCLK);
  EXPECT_EQ(folders.path(), dir.utf8() + "\\写真");
}

std::vector<UINT> timer_periods;  // the periods the system was asked for, in milliseconds
UINT_PTR WINAPI note_timer(HWND, UINT_PTR id, UINT period, TIMERPROC) {
  timer_periods.push_back(period);
  return id;
}

TEST_F(Win32FormViewTest, TimerTicksOnlyWhileRunningAndCloseIsOnlyARequest) {
  test::ImportHook hook("user32.dll", "SetTimer", reinterpret_cast<void*>(&note_timer));
  ASSERT_TRUE(hook.hooked());
  ::SendMessageW(top(main), WM_TIMER, win32::kTimerId, 0);
  EXPECT_EQ(ticks, 0);
  main.Timer1.set_interval(60000);
  main.Timer1.set_enabled(true);
  EXPECT_EQ(timer_periods, std::vector<UINT>{60000});
  ::SendMessageW(top(main), WM_TIMER, win32::kTimerId, 0);
  ::SendMessageW(top(main), WM_TIMER, win32::kTimerId + 1, 0);
  EXPECT_EQ(ticks, 1);
  main.Timer1.set_enabled(false);
  ::SendMessageW(top(main), WM_TIMER, win32::kTimerId, 0);
  EXPECT_EQ(ticks, 1);

  ::SendMessageW(top(main), WM_CLOSE, 0, 0);
  EXPECT_EQ(close_requests, 1);
  EXPECT_TRUE(::IsWindow(top(main))) << "the model decides what a close means";
}

TEST_F(Win32FormViewTest, KeyboardPressesOnlyTheFocusedButtonAndFocusLeavesSwitchedOffControls) {
  dialog.show();
  ASSERT_EQ(::GetFocus(), hwnd(dialog.File1)) << "the first control in tab order";
  auto* view = static_cast<Win32FormView*>(dialog.view());
  auto key = [&](const ui::Control& target, WPARAM vk) {
    MSG msg{hwnd(target), WM_KEYDOWN, vk, 0, 0, {0, 0}};
    return view->pre_translate(msg);
  };
  // Each step starts from the focus it names, so that a failure tells which step went wrong.
  auto focus = [&](const ui::Control& c) {
    ::SetFocus(hwnd(c));
    return ::GetFocus() == hwnd(c);
  };
  ASSERT_TRUE(focus(dialog.CmdCancel));
  EXPECT_TRUE(key(dialog.CmdCancel, VK_RETURN));
  EXPECT_EQ(clicks, 1);

  // Enter in the text field presses nothing: there is no default button, and Escape is no
  // cancel button.
  ASSERT_TRUE(focus(dialog.minute));
  key(dialog.minute, VK_RETURN);
  key(dialog.minute, VK_ESCAPE);
  EXPECT_EQ(clicks, 1);

  // Tab walks the tab order.
  ASSERT_TRUE(focus(dialog.CmdCancel));
  key(dialog.CmdCancel, VK_TAB);
  EXPECT_EQ(::GetFocus(), hwnd(dialog.minute));

  // The focused button switched off hands the focus on in tab order.
  ASSERT_TRUE(focus(dialog.cmdAddAll));
  dialog.cmdAddAll.set_enabled(false);
  EXPECT_EQ(::GetFocus(), hwnd(dialog.cmdhlp));
  for (const ui::Control* b : {&dialog.CmdOK, &dialog.CmdCancel, &dialog.cmdAddAll})
    EXPECT_EQ(::GetWindowLongPtrW(hwnd(*b), GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON);
}

// The system tells every top-level window when a drive comes or goes; the program hears of
// each such broadcast once, after the broadcast, from its message loop.
TEST_F(Win32FormViewTest, DrivesComingAndGoingTellTheWatcherOncePerBroadcast) {
  int told = 0, settled = 0;
  windows.set_devices_changed([&] { ++told; });
  struct Row {
    WPARAM event;
    int tells;
  };
  const Row rows[] = {{DBT_DEVICEARRIVAL, 1},     {DBT_DEVICEREMOVECOMPLETE, 1},
                      {DBT_DEVICEARRIVAL, 1},     {DBT_DEVICEREMOVECOMPLETE, 1},
                      {DBT_DEVICEQUERYREMOVE, 0}, {DBT_DEVNODES_CHANGED, 0}};
  for (const Row& r : rows) {
    told = 0;
    for (HWND w : {top(dialog), top(main)}) ::SendMessageW(w, WM_DEVICECHANGE, r.event, 0);
    EXPECT_EQ(told, 0) << "not inside the broadcast, which the system waits for";
    // Posted last: once it has run, so has everything the broadcast left to run.
    const int want = settled + 1;
    win32::UiMailbox::post(windows.mailbox(), [&] { ++settled; });
    ASSERT_TRUE(test::eventually([&] { return settled == want; }));
    EXPECT_EQ(told, r.tells) << "event " << r.event;
  }
  windows.set_devices_changed(nullptr);
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
  if (msg != WM_SYSCOMMAND) return default_procedure->original<WNDPROC>()(hwnd, msg, wp, lp);
  carried_out.push_back(wp & 0xFFF0);
  return 0;
}

TEST_F(Win32ScreenTest, KeepsTheScreenSaverAndPowerSavingAwayWhileShown) {
  test::ImportHook hook("user32.dll", "DefWindowProcW",
                        reinterpret_cast<void*>(&note_system_command));
  ASSERT_TRUE(hook.hooked());
  default_procedure = &hook;
  struct Row {
    bool shown;
    WPARAM command;
    bool carried_out;
  };
  const Row rows[] = {{true, SC_SCREENSAVE, false},
                      {true, SC_MONITORPOWER, false},
                      {true, SC_KEYMENU, true},
                      {false, SC_SCREENSAVE, true},
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
