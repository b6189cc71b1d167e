#include "platform/win32/win32_window_system.h"

#include <algorithm>
#include <string>

#include "platform/win32/win32_api.h"
#include "platform/win32/win32_form_view.h"

namespace torvane::platform {
namespace {

int CALLBACK note_font_found(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;  // one is enough
}

bool font_installed(HDC dc, const wchar_t* face) {
  LOGFONTW query{};
  query.lfCharSet = DEFAULT_CHARSET;
  ::lstrcpynW(query.lfFaceName, face, LF_FACESIZE);
  bool found = false;
  ::EnumFontFamiliesExW(dc, &query, note_font_found, reinterpret_cast<LPARAM>(&found), 0);
  return found;
}

// The face every window uses: "ＭＳ ゴシック" where Windows has it (under either of its names),
// else another fixed-pitch Japanese font (IPA Gothic under Wine), else whatever fixed-pitch
// font the system picks for Japanese text.
std::wstring dialog_face() {
  static const wchar_t* const candidates[] = {
      L"ＭＳ ゴシック", L"MS Gothic", L"IPAゴシック", L"IPAGothic"};
  HDC dc = ::GetDC(nullptr);
  std::wstring face;
  for (const wchar_t* candidate : candidates) {
    if (font_installed(dc, candidate)) {
      face = candidate;
      break;
    }
  }
  ::ReleaseDC(nullptr, dc);
  return face;
}

}  // namespace

Win32WindowSystem::Win32WindowSystem(void* instance) : instance_(instance), mailbox_(instance) {
  Win32FormView::register_classes(static_cast<HINSTANCE>(instance_));
}

Win32WindowSystem::~Win32WindowSystem() {
  for (const Font& f : fonts_) ::DeleteObject(static_cast<HFONT>(f.handle));
}

std::unique_ptr<ui::FormView> Win32WindowSystem::create_view(ui::Form& form) {
  return std::make_unique<Win32FormView>(*this, form);
}

void Win32WindowSystem::register_view(Win32FormView* view) { views_.push_back(view); }

void Win32WindowSystem::unregister_view(Win32FormView* view) {
  views_.erase(std::remove(views_.begin(), views_.end(), view), views_.end());
}

void* Win32WindowSystem::font_for_dpi(unsigned dpi) {
  for (const Font& f : fonts_)
    if (f.dpi == dpi) return f.handle;

  static const std::wstring face = dialog_face();
  LOGFONTW lf{};
  lf.lfHeight = -::MulDiv(9, static_cast<int>(dpi), 72);  // 9 points
  lf.lfWeight = FW_NORMAL;
  lf.lfCharSet = SHIFTJIS_CHARSET;
  lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
  lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  lf.lfQuality = DEFAULT_QUALITY;
  lf.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
  ::lstrcpynW(lf.lfFaceName, face.c_str(), LF_FACESIZE);
  HFONT font = ::CreateFontIndirectW(&lf);
  if (!font) font = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
  fonts_.push_back({dpi, font});
  return font;
}

bool Win32WindowSystem::pre_translate(void* message) {
  MSG& msg = *static_cast<MSG*>(message);
  if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST || !msg.hwnd) return false;
  HWND root = ::GetAncestor(msg.hwnd, GA_ROOT);
  for (Win32FormView* view : views_)
    if (view->hwnd() == root) return view->pre_translate(msg);
  return false;
}

int Win32WindowSystem::run_message_loop() {
  MSG msg{};
  for (;;) {
    const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) return static_cast<int>(msg.wParam);
    if (got == -1) return 1;
    if (pre_translate(&msg)) continue;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

void* Win32WindowSystem::popup_owner() const {
  auto ours = [&](HWND hwnd) {
    return hwnd && ::IsWindowVisible(hwnd) &&
           std::any_of(views_.begin(), views_.end(),
                       [&](const Win32FormView* v) { return v->hwnd() == hwnd; });
  };
  HWND active = ::GetActiveWindow();
  if (ours(active)) return active;
  // None of ours is active (the user switched away): the one of ours nearest the top.
  for (HWND w = ::GetTopWindow(nullptr); w; w = ::GetWindow(w, GW_HWNDNEXT))
    if (ours(w)) return w;
  return nullptr;
}

void Win32WindowSystem::devices_changed() {
  if (device_change_pending_) return;
  // Not inside the broadcast itself, which the system sends and waits for.
  device_change_pending_ = win32::UiMailbox::post(mailbox(), [this] {
    device_change_pending_ = false;
    if (devices_changed_) devices_changed_();
  });
}

}  // namespace torvane::platform
