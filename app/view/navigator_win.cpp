// The box between the view's scroll bars and the navigator it opens: the
// whole image small, with the visible part framed; moving the frame scrolls
// the view, lifting the button closes it.
#include <windows.h>

#include <algorithm>

#include "app/capture/screen_area_win.h"
#include "app/document/history.h"
#include "app/view/image_view_record_win.h"
#include "app/view/image_view_win.h"

namespace {

// The corner box's own hit-test code: the system's HTSIZE there would start
// sizing the view.
constexpr LRESULT kHitCornerBox = 0x4E56;

// The box in the view's window coordinates (the view has no border, so its
// client area starts at the window's corner).
RECT CornerBox(HWND view) {
  RECT client;
  GetClientRect(view, &client);
  return RECT{client.right, client.bottom, client.right + GetSystemMetrics(SM_CXVSCROLL),
              client.bottom + GetSystemMetrics(SM_CYHSCROLL)};
}

bool BothBarsShown(HWND view) {
  const LONG style = GetWindowLongA(view, GWL_STYLE);
  return (style & WS_HSCROLL) && (style & WS_VSCROLL);
}

void PaintCornerBox(HWND view) {
  if (!BothBarsShown(view)) return;
  HDC dc = GetWindowDC(view);
  const RECT box = CornerBox(view);
  FillRect(dc, &box, GetSysColorBrush(COLOR_SCROLLBAR));
  // A small compass: four strokes around the centre, a dot at each tip.
  const int cx = (box.left + box.right) / 2, cy = (box.top + box.bottom) / 2;
  const int reach = std::max(3, int(box.right - box.left) / 2 - 3);
  HGDIOBJ old = SelectObject(dc, GetStockObject(BLACK_PEN));
  const int dirs[4][2] = {{0, -1}, {1, 0}, {0, 1}, {-1, 0}};
  for (const auto& d : dirs) {
    MoveToEx(dc, cx + d[0] * 2, cy + d[1] * 2, nullptr);
    LineTo(dc, cx + d[0] * reach, cy + d[1] * reach);
    const RECT dot{cx + d[0] * reach - 1, cy + d[1] * reach - 1, cx + d[0] * reach + 1,
                   cy + d[1] * reach + 1};
    FillRect(dc, &dot, HBRUSH(GetStockObject(BLACK_BRUSH)));
  }
  SelectObject(dc, old);
  ReleaseDC(view, dc);
}

void InvertFrame(HDC dc, const RECT& r) {
  const int w = r.right - r.left, h = r.bottom - r.top;
  PatBlt(dc, r.left, r.top, w, 1, DSTINVERT);
  if (h > 1) PatBlt(dc, r.left, r.bottom - 1, w, 1, DSTINVERT);
  if (h > 2) {
    PatBlt(dc, r.left, r.top + 1, 1, h - 2, DSTINVERT);
    if (w > 1) PatBlt(dc, r.right - 1, r.top + 1, 1, h - 2, DSTINVERT);
  }
}

void OpenNavigator(HWND view) {
  CImage* image = ViewImage();
  if (!image || gImageView.hNavigator) return;
  NavigatorGeometry nav;
  if (!ComputeNavigator(image->GetWidth(), image->GetHeight(), GetSystemMetrics(SM_CXSCREEN), &nav))
    return;
  const int frameX = 2 * (GetSystemMetrics(SM_CXEDGE) + GetSystemMetrics(SM_CXBORDER));
  const int frameY = 2 * (GetSystemMetrics(SM_CYEDGE) + GetSystemMetrics(SM_CYBORDER));
  const int width = nav.width + frameX, height = nav.height + frameY;
  POINT cursor;
  GetCursorPos(&cursor);
  RECT screen;
  GetScreenRect(0, &screen);  // right and bottom inclusive
  const int x = std::max<int>(screen.left, std::min<int>(cursor.x - width / 2, screen.right + 1 - width));
  const int y = std::max<int>(screen.top, std::min<int>(cursor.y - height / 2, screen.bottom + 1 - height));
  gImageView.navigator = nav;
  const POINT centre = NavigatorCentre(gImageView.frame, nav);
  gImageView.rcNavigatorFrame = NavigatorFrame(gImageView.frame, nav, centre);
  HWND window = CreateWindowExA(WS_EX_CLIENTEDGE | WS_EX_TOPMOST, kNavigatorClass, "",
                                WS_POPUP | WS_BORDER, x, y, width, height, GetAncestor(view, GA_ROOT),
                                nullptr, GetModuleHandleA(nullptr), nullptr);
  if (!window) return;
  SetWindowLongPtrA(window, GWLP_USERDATA, LONG_PTR(&gImageView));
  gImageView.hNavigator = window;
  gImageView.bNavigatorSkipMove = 1;
  ShowWindow(window, SW_SHOWNOACTIVATE);
  UpdateWindow(window);
  SetCapture(window);
  SetCursor(LoadCursor(nullptr, IDC_SIZEALL));
  POINT at = centre;
  ClientToScreen(window, &at);
  SetCursorPos(at.x, at.y);
}

void NavigatorMove(HWND window, int x, int y) {
  if (gImageView.bNavigatorSkipMove) {
    gImageView.bNavigatorSkipMove = 0;
    return;
  }
  SetCursor(LoadCursor(nullptr, IDC_SIZEALL));
  const RECT frame = NavigatorFrame(gImageView.frame, gImageView.navigator, POINT{x, y});
  if (EqualRect(&frame, &gImageView.rcNavigatorFrame)) return;
  HDC dc = GetDC(window);
  InvertFrame(dc, gImageView.rcNavigatorFrame);
  InvertFrame(dc, frame);
  ReleaseDC(window, dc);
  gImageView.rcNavigatorFrame = frame;
  const POINT origin = OriginFromNavigatorFrame(frame, gImageView.navigator);
  ScrollViewBy(int64_t(origin.x) - gImageView.frame.originX,
               int64_t(origin.y) - gImageView.frame.originY);
}

void PaintNavigator(HWND window) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  RECT client;
  GetClientRect(window, &client);
  if (CImage* image = ViewImage()) {
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchDIBits(dc, 0, 0, client.right, client.bottom, 0, 0, image->GetWidth(), image->GetHeight(),
                  image->GetBits(), reinterpret_cast<const BITMAPINFO*>(image->GetDib()),
                  DIB_RGB_COLORS, SRCCOPY);
    InvertFrame(dc, gImageView.rcNavigatorFrame);
  } else {
    FillRect(dc, &client, GetSysColorBrush(COLOR_APPWORKSPACE));
  }
  EndPaint(window, &ps);
}

}  // namespace

void CloseNavigator() {
  if (HWND window = gImageView.hNavigator) {
    gImageView.hNavigator = nullptr;
    if (GetCapture() == window) ReleaseCapture();
    DestroyWindow(window);
  }
}

LRESULT CALLBACK NavigatorWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_MOUSEMOVE:
      NavigatorMove(window, short(LOWORD(lParam)), short(HIWORD(lParam)));
      return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
      CloseNavigator();
      return 0;
    case WM_CAPTURECHANGED:
      // Losing the mouse to another window ends it as lifting the button does.
      if (HWND(lParam) != window && gImageView.hNavigator == window) PostMessageA(window, WM_CLOSE, 0, 0);
      return 0;
    case WM_CLOSE:
      CloseNavigator();
      return 0;
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      PaintNavigator(window);
      return 0;
    case WM_DESTROY:
      if (gImageView.hNavigator == window) gImageView.hNavigator = nullptr;
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

bool HandleCornerBox(HWND view, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  switch (message) {
    case WM_NCHITTEST: {
      *result = DefWindowProcA(view, message, wParam, lParam);
      if (!BothBarsShown(view)) return true;
      POINT p{short(LOWORD(lParam)), short(HIWORD(lParam))};
      RECT window;
      GetWindowRect(view, &window);
      p.x -= window.left;
      p.y -= window.top;
      const RECT box = CornerBox(view);
      if (PtInRect(&box, p)) *result = kHitCornerBox;
      return true;
    }
    case WM_NCLBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
      if (LRESULT(wParam) != kHitCornerBox) return false;
      OpenNavigator(view);
      *result = 0;
      return true;
    case WM_SETCURSOR:
      if (LOWORD(lParam) != kHitCornerBox) return false;
      SetCursor(LoadCursor(nullptr, IDC_ARROW));
      *result = TRUE;
      return true;
    case WM_NCPAINT:
      *result = DefWindowProcA(view, message, wParam, lParam);
      PaintCornerBox(view);
      return true;
    default:
      return false;
  }
}
