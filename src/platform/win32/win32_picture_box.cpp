// The picture box of the screen window: a window class of its own that paints the picture
// one picture pixel to one device pixel and turns a click (press and release on it) into the
// model's click.

#include <cstdint>

#include "platform/win32/win32_form_view.h"
#include "platform/win32/win32_form_view_internal.h"

#include <windowsx.h>

namespace torvane::platform {
namespace form_view_detail {
namespace {

// Draws a picture one picture pixel to one device pixel with its top-left at (x, y), as a
// DIB in whichever form and row order it has; the caller's clip cuts off what does not fit
// at the right and bottom. False if there is nothing whole to draw.
bool draw_picture(HDC dc, int x, int y, const image::Picture& picture) {
  if (picture.width <= 0 || picture.height <= 0) return false;
  const auto w = static_cast<std::size_t>(picture.width);
  const auto h = static_cast<std::size_t>(picture.height);
  struct {
    BITMAPINFOHEADER header;
    RGBQUAD colours[256];
  } info{};
  info.header.biSize = sizeof(info.header);
  info.header.biWidth = picture.width;
  // A negative height says the rows are stored top row first.
  info.header.biHeight = picture.bottom_up ? picture.height : -picture.height;
  info.header.biPlanes = 1;
  info.header.biCompression = BI_RGB;
  const void* bits = nullptr;
  if (picture.bits_per_pixel == 8) {
    // The rows must be laid out exactly as an 8-bit DIB's: one byte a pixel, each row
    // padded to a multiple of four bytes.
    if (picture.stride != ((w + 3) & ~std::size_t{3}) ||
        picture.indices.size() < picture.stride * h)
      return false;
    info.header.biBitCount = 8;
    info.header.biClrUsed = 256;
    for (std::size_t i = 0; i < 256; ++i) {
      const std::uint32_t c = picture.palette[i];  // 0x00RRGGBB
      info.colours[i] = {static_cast<BYTE>(c), static_cast<BYTE>(c >> 8),
                         static_cast<BYTE>(c >> 16), 0};
    }
    bits = picture.indices.data();
  } else {
    if (picture.pixels.size() < w * h) return false;
    info.header.biBitCount = 32;
    bits = picture.pixels.data();
  }
  ::SetDIBitsToDevice(dc, x, y, static_cast<DWORD>(picture.width),
                      static_cast<DWORD>(picture.height), 0, 0, 0,
                      static_cast<UINT>(picture.height), bits,
                      reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS);
  return true;
}

}  // namespace

void paint_picture(HWND hwnd, const ui::PictureBox* box) {
  PAINTSTRUCT ps;
  HDC dc = ::BeginPaint(hwnd, &ps);
  RECT client;
  ::GetClientRect(hwnd, &client);
  // The sunken edge is two pixels at every DPI: the model's inner area counts on it.
  RECT edge = client;
  ::DrawEdge(dc, &edge, EDGE_SUNKEN, BF_RECT);
  RECT inner{client.left + 2, client.top + 2, client.right - 2, client.bottom - 2};
  if (inner.right > inner.left && inner.bottom > inner.top) {
    const int saved = ::SaveDC(dc);
    ::IntersectClipRect(dc, inner.left, inner.top, inner.right, inner.bottom);
    if (box) {
      const image::Picture& picture = box->picture();
      if (draw_picture(dc, inner.left, inner.top, picture)) {
        ::ExcludeClipRect(dc, inner.left, inner.top, inner.left + picture.width,
                          inner.top + picture.height);
      }
    }
    // Where no picture covers the box, its button-face background shows.
    ::FillRect(dc, &inner, ::GetSysColorBrush(COLOR_BTNFACE));
    ::RestoreDC(dc, saved);
  }
  ::EndPaint(hwnd, &ps);
}

}  // namespace form_view_detail

using form_view_detail::paint_picture;
using form_view_detail::run_model;

LRESULT CALLBACK Win32FormView::picture_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(
                            reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
  }
  auto* box = static_cast<ui::PictureBox*>(
      reinterpret_cast<void*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA)));
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT covers every pixel
    case WM_PAINT:
      paint_picture(hwnd, box);
      return 0;
    case WM_LBUTTONDOWN:
      // A click is a press and a release on the picture. The press only takes the mouse, so
      // that the release comes here even outside, and nothing beneath the screen gets it
      // once the show has stopped.
      ::SetCapture(hwnd);
      return 0;
    case WM_LBUTTONUP: {
      if (::GetCapture() != hwnd) return 0;  // pressed elsewhere
      ::ReleaseCapture();
      RECT client;
      ::GetClientRect(hwnd, &client);
      const POINT at{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
      if (box && ::PtInRect(&client, at)) run_model([&] { box->click(); });
      return 0;
    }
    case WM_NCDESTROY:
      ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      break;
    default:
      break;
  }
  return ::DefWindowProcW(hwnd, msg, wp, lp);
}
}  // namespace torvane::platform
