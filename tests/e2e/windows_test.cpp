// The four windows of the real Torvane.exe as the user meets them, from the first window to
// the end of the program: titles, frames, client areas, every control's class, text, place
// and size in twips, first state and font, and where the focus starts. What the controls do
// is tested elsewhere.

#include <windows.h>

#include <string>
#include <vector>

#include "e2e_support.h"

namespace torvane::e2e {
namespace {

struct Twips {
  int left, top, width, height;
};

struct ControlLook {
  int id;
  const wchar_t* window_class;
  const wchar_t* text;  // nullptr: a list or field, whose text is its content
  Twips place;
  bool enabled;
};

enum class Frame { title_bar_only, close_box_only, none };

struct WindowLook {
  const wchar_t* title;
  Frame frame;
  int width, height;  // of the client area, in twips
  std::vector<ControlLook> controls;
};

// clang-format off
const WindowLook kIntro = {
    kIntroTitle, Frame::title_bar_only, 4245, 1155,
    {{100, L"Button", L"OK", {2760, 720, 1215, 375}, true},
     {101, L"Static",
      L"スクリーンセーバが有効になっている場合は、"
      L"あらかじめコントロールパネルで無効に設定してください。",
      {240, 120, 3855, 735}, true}}};

const WindowLook kMain = {kMainTitle, Frame::close_box_only, 2415, 600,
                          {{100, L"Button", L"スタート", {120, 120, 975, 375}, false},
                           {101, L"Button", L"設定", {1320, 120, 975, 375}, true}}};

// 全て追加 is left out: it follows whether the folder shown has pictures.
const WindowLook kDialog = {
    kDialogTitle, Frame::title_bar_only, 7560, 3375,
    {{100, L"ListBox", nullptr, {2400, 120, 1935, 2610}, true},
     {101, L"ComboBox", nullptr, {120, 120, 2175, 300}, true},
     {102, L"ListBox", nullptr, {120, 600, 2175, 2115}, true},
     {103, L"Button", L"設定", {5760, 2880, 1695, 375}, false},
     {104, L"Button", L"キャンセル", {3960, 2880, 1695, 375}, true},
     {105, L"Edit", nullptr, {2400, 2930, 495, 270}, true},
     {106, L"Static", L"時間間隔=       分", {1560, 2970, 1695, 255}, true},
     {107, L"Button", L"Check2", {120, 2975, 255, 195}, true},
     {108, L"Static", L"ランダム", {360, 2975, 855, 255}, true},
     {109, L"Button", L"追加", {4440, 720, 975, 495}, false},
     {110, L"ListBox", nullptr, {5520, 120, 1935, 2580}, true},
     {111, L"Button", L"削除", {4440, 1320, 975, 495}, false},
     {113, L"Button", L"スクリーンファイルとは？", {4440, 1920, 975, 735}, true}}};

// Never seen at this size: the window opens maximised over the whole screen.
const WindowLook kScreen = {L"Form2", Frame::none, 4680, 3195, {}};
// clang-format on

// 1440 twips to the inch, rounded to the nearest pixel; a far edge is converted as an edge, so
// a width in pixels is the difference of two converted edges.
int pixels(int twips, int dpi) {
  return (twips * dpi + 720) / 1440;
}

int screen_dpi() {
  HDC dc = GetDC(nullptr);
  const int dpi = GetDeviceCaps(dc, LOGPIXELSX);
  ReleaseDC(nullptr, dc);
  return dpi;
}

// `text` as a label shows it in a fixed-pitch Japanese font of 9 points, regular and plain
// ("ＭＳ ゴシック", or where that is missing, as under Wine, IPA Gothic): drawn here on the
// button face, broken into lines within the label.
Image label_as_designed(const std::wstring& text, int width, int height, int dpi) {
  Image image;
  BITMAPINFO info{};
  info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap || !bits) return image;
  HGDIOBJ old_bitmap = SelectObject(dc, bitmap);
  HFONT font = nullptr;
  for (const wchar_t* face : {L"ＭＳ ゴシック", L"IPAゴシック"}) {
    if (font) DeleteObject(font);
    font = CreateFontW(-(9 * dpi + 36) / 72, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                       SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       FIXED_PITCH | FF_MODERN, face);
    SelectObject(dc, font);
    wchar_t chosen[LF_FACESIZE] = {};
    GetTextFaceW(dc, LF_FACESIZE, chosen);
    if (std::wstring_view(chosen) == face) break;
  }
  RECT all{0, 0, width, height};
  FillRect(dc, &all, GetSysColorBrush(COLOR_BTNFACE));
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  SetBkMode(dc, TRANSPARENT);
  DrawTextW(dc, text.c_str(), -1, &all, DT_LEFT | DT_WORDBREAK | DT_EXPANDTABS);
  GdiFlush();
  image.width = width;
  image.height = height;
  const auto* p = static_cast<const std::uint32_t*>(bits);
  image.pixels.assign(p, p + static_cast<std::size_t>(width) * height);
  for (auto& pixel : image.pixels) pixel &= 0x00FFFFFF;
  SelectObject(dc, old_bitmap);
  DeleteObject(font);
  DeleteObject(bitmap);
  DeleteDC(dc);
  return image;
}

// Whether the label on the screen shows its text as designed, down to the control `over` it
// if any; all controls share one font.
::testing::AssertionResult font_as_designed(HWND label, HWND over = nullptr) {
  RECT area = client_rect_on_screen(label);
  Image want = label_as_designed(text_of(label), area.right - area.left, area.bottom - area.top,
                                 screen_dpi());
  if (over) area.bottom = window_rect(over).top;
  want.pixels.resize(static_cast<std::size_t>(want.width) * (area.bottom - area.top));
  if (wait_for([&] { return capture_screen(area).pixels == want.pixels; }))
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << narrow(text_of(label)) << " is not drawn in the font "
                                       << "of 9 points (see the screenshot)";
}

::testing::AssertionResult looks_as(HWND window, const WindowLook& want) {
  std::string faults;
  auto fault = [&](const std::string& what) { faults += "\n  " + what; };
  const int dpi = screen_dpi();
  if (text_of(window) != want.title) fault("title " + narrow(text_of(window)));

  const LONG style = GetWindowLongW(window, GWL_STYLE);
  const LONG frame_bits = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX |
                          WS_MAXIMIZEBOX | WS_BORDER | WS_DLGFRAME;
  const LONG wanted_bits = want.frame == Frame::none             ? WS_POPUP
                           : want.frame == Frame::close_box_only ? WS_CAPTION | WS_SYSMENU
                                                                 : WS_CAPTION;
  if ((style & frame_bits) != wanted_bits) fault("frame style " + std::to_string(style));

  RECT client{};
  GetClientRect(window, &client);
  if (client.right != pixels(want.width, dpi) || client.bottom != pixels(want.height, dpi))
    fault("client area " + describe(client));
  // Centred on the work area.
  RECT work{}, outer = window_rect(window);
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  if (std::abs((outer.left + outer.right) - (work.left + work.right)) > 2 ||
      std::abs((outer.top + outer.bottom) - (work.top + work.bottom)) > 2)
    fault("not centred: " + describe(outer));

  for (const ControlLook& c : want.controls) {
    const std::string name = "control " + std::to_string(c.id) + ": ";
    HWND control = find_child_by_id(window, c.id);
    if (!control) {
      fault(name + "missing");
      continue;
    }
    if (class_of(control) != c.window_class) fault(name + "class " + narrow(class_of(control)));
    if (c.text && text_of(control) != c.text) fault(name + "text " + narrow(text_of(control)));
    if (is_enabled(control) != c.enabled) fault(name + (c.enabled ? "disabled" : "enabled"));
    RECT at = window_rect(control);
    MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&at), 2);
    const RECT expected{pixels(c.place.left, dpi), pixels(c.place.top, dpi),
                        pixels(c.place.left + c.place.width, dpi),
                        pixels(c.place.top + c.place.height, dpi)};
    if (at.left != expected.left || at.top != expected.top || at.right != expected.right ||
        at.bottom != expected.bottom)
      fault(name + "at " + describe(at) + ", expected " + describe(expected));
  }
  if (faults.empty()) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << narrow(want.title) << ":" << faults;
}

// The control that has the keyboard focus in the program's UI thread.
HWND focus_of(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus
                                                                            : nullptr;
}

using Windows = TorvaneTest;

TEST_F(Windows, FromTheIntroToTheEndEachWindowLooksAsDesigned) {
  ASSERT_NE(launch(), 0u);
  HWND intro = wait_for_window(pid(), kIntroTitle);
  ASSERT_NE(intro, nullptr) << "the intro window did not appear";
  EXPECT_TRUE(looks_as(intro, kIntro));
  EXPECT_TRUE(font_as_designed(control(intro, 101), control(intro, 100)));
  EXPECT_TRUE(wait_for([&] { return focus_of(intro) == control(intro, 100); }))
      << "OK has not the focus";
  screenshot(L"intro");  // kept for a person to look at, as the other shots below
  ASSERT_FALSE(click(control(intro, 100)));

  HWND main = wait_for_main();
  ASSERT_NE(main, nullptr) << "OK did not lead to the main window";
  EXPECT_TRUE(wait_for([&] { return !is_visible(intro); })) << "the intro window stayed";
  EXPECT_TRUE(looks_as(main, kMain));
  // Nothing to show in a fresh folder: スタート cannot be pressed and the focus is on 設定.
  EXPECT_TRUE(click(control(main, main_id::kStart)).has_value());
  EXPECT_EQ(focus_of(main), control(main, main_id::kSettings));
  screenshot(L"main");

  // The screen window exists from the main window's load on, hidden until スタート.
  HWND screen = find_window_of_class(pid(), kScreenClass);
  ASSERT_NE(screen, nullptr);
  EXPECT_FALSE(is_visible(screen));
  EXPECT_TRUE(looks_as(screen, kScreen));

  const Dialog dialog = open_dialog(main);
  ASSERT_TRUE(dialog);
  EXPECT_TRUE(looks_as(dialog.window, kDialog));
  EXPECT_TRUE(font_as_designed(control(dialog.window, 108)));
  EXPECT_EQ(is_enabled(dialog.add_all), !entries_of(dialog.files).empty());
  EXPECT_FALSE(is_checked(dialog.random));
  // Extended selection: a click selects one entry, Shift+click a range, Ctrl+click one more.
  for (HWND list : {dialog.files, dialog.list})
    EXPECT_EQ(GetWindowLongW(list, GWL_STYLE) & (LBS_EXTENDEDSEL | LBS_MULTIPLESEL),
              LBS_EXTENDEDSEL);
  EXPECT_EQ(focus_of(dialog.window), dialog.files);
  screenshot(L"dialog");
  ASSERT_TRUE(press(dialog.cancel));

  EXPECT_TRUE(close_program(main)) << "the program kept running after its main window closed";
}

}  // namespace
}  // namespace torvane::e2e
