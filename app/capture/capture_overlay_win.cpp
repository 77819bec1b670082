#include "app/capture/capture_overlay_win.h"

#include <windowsx.h>

#include <algorithm>

#include "app/capture/bitmap_dc_win.h"
#include "app/capture/capture_geometry.h"
#include "app/capture/capture_host.h"
#include "app/capture/screen_area_win.h"
#include "app/profiles/program_records.h"
#include "framework/app/app_win.h"
#include "framework/draw/font_cache_win.h"
#include "framework/draw/monitors_win.h"
#include "framework/draw/window_pick_win.h"

const char kCaptureOverlayClass[] = "BrightwardenCaptureOverlay";

namespace {

constexpr int kWindowPickCursor = 464;
constexpr int kFrameWidth = 5;  // the inverted frame of window and box picks
constexpr DWORD kSnapshotRop = SRCCOPY | CAPTUREBLT;

// The one overlay. Its window context has its origin moved to the area's
// top-left, so screen coordinates draw directly.
struct Overlay {
  HWND window;
  HDC windowDC;
  CBitmapDC snapshot;
  RECT area;  // inclusive, screen coordinates
  const ProfileRecord* profile;
  OverlayState state;
  bool shiftDown;
  bool ctrlDown;
  bool painted;
  POINT cursor;  // screen position of the last mouse event
  // The frame on screen: right and bottom exclusive; focus rectangle in a
  // drag, inverted band otherwise. Both kinds vanish when drawn again.
  bool frameShown;
  RECT frame;
  bool frameIsFocus;
  // The size label on screen and what was under it.
  HFONT font;
  CBitmapDC labelBackground;
  bool labelShown;
  RECT label;
};

Overlay gOverlay;

void DrawFrame(const RECT& frame, bool focus) {
  if (focus) DrawFocusRect(gOverlay.windowDC, &frame);
  else DrawInvertFrame(gOverlay.windowDC, frame, kFrameWidth);
}

void RestoreLabelBackground() {
  if (!gOverlay.labelShown) return;
  const RECT& r = gOverlay.label;
  BitBlt(gOverlay.windowDC, r.left, r.top, r.right - r.left, r.bottom - r.top,
         gOverlay.labelBackground.dc, 0, 0, SRCCOPY);
  gOverlay.labelShown = false;
}

void DrawSizeLabel() {
  if (!gOverlay.profile || !IsSizeLabelShown(gOverlay.profile->iSCOShowDim, gOverlay.shiftDown) ||
      !gOverlay.labelBackground.dc) {
    return;
  }
  char text[48];
  FormatSizeLabel(gOverlay.state.rect, text, sizeof(text));
  SIZE extent = {};
  GetTextExtentPoint32A(gOverlay.windowDC, text, int(strlen(text)), &extent);
  RECT monitor;
  GetMonitorRect(gOverlay.cursor.x, gOverlay.cursor.y, &monitor, false);
  int32_t width, height;
  SizeLabelBox(extent.cx, extent.cy, int32_t(GetRectDpi(&monitor, nullptr)), &width, &height);
  width = std::min(width, int32_t(gOverlay.labelBackground.width));
  height = std::min(height, int32_t(gOverlay.labelBackground.height));
  const RECT& pick = gOverlay.state.rect;
  POINT at = PlaceSizeLabel(gOverlay.cursor.x, gOverlay.cursor.y, width, height,
                            int64_t(pick.right) - pick.left, int64_t(pick.bottom) - pick.top,
                            monitor);
  RECT box = {at.x, at.y, at.x + width, at.y + height};
  BitBlt(gOverlay.labelBackground.dc, 0, 0, width, height, gOverlay.windowDC, box.left, box.top,
         SRCCOPY);
  gOverlay.label = box;
  gOverlay.labelShown = true;
  FillRect(gOverlay.windowDC, &box, GetSysColorBrush(COLOR_BTNFACE));
  DrawEdge(gOverlay.windowDC, &box, BDR_RAISEDINNER, BF_RECT);
  SetTextColor(gOverlay.windowDC, GetSysColor(COLOR_BTNTEXT));
  DrawTextA(gOverlay.windowDC, text, -1, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void EraseFrame() {
  RestoreLabelBackground();
  if (gOverlay.frameShown) DrawFrame(gOverlay.frame, gOverlay.frameIsFocus);
  gOverlay.frameShown = false;
}

// Restores what the label covered, swaps the old frame for the new one (an
// unchanged one stays) and draws the label again.
void UpdateFrame() {
  // After the pick (the grab runs) nothing is drawn any more.
  if (!gOverlay.windowDC || !gOverlay.painted || !gOverlay.state.haveRect) return;
  RestoreLabelBackground();
  RECT r = NormalizeRect(gOverlay.state.rect);
  RECT frame = {r.left, r.top, r.right + 1, r.bottom + 1};
  const bool focus = gOverlay.state.mode == kOverlayRectangle;
  if (!gOverlay.frameShown || !EqualRect(&frame, &gOverlay.frame) || focus != gOverlay.frameIsFocus) {
    if (gOverlay.frameShown) DrawFrame(gOverlay.frame, gOverlay.frameIsFocus);
    DrawFrame(frame, focus);
    gOverlay.frame = frame;
    gOverlay.frameIsFocus = focus;
    gOverlay.frameShown = true;
  }
  DrawSizeLabel();
}

void PickAt(int x, int y, bool innermost) {
  if (gOverlay.state.mode == kOverlayBox) {
    OverlaySetPick(&gOverlay.state, BoxAroundPoint(x, y, gOverlay.profile->iSCWidth,
                                                   gOverlay.profile->iSCHeight));
    return;
  }
  HWND pick = WindowFromPointEx(x, y, !innermost, false, gOverlay.window, nullptr);
  RECT frame;
  if (pick && GetWindowFrameRect(pick, &frame) && frame.right > frame.left &&
      frame.bottom > frame.top) {
    OverlaySetPick(&gOverlay.state, RECT{frame.left, frame.top, frame.right - 1, frame.bottom - 1});
  } else {
    // Nothing to pick here: no frame, and an end now gives an empty area.
    EraseFrame();
    gOverlay.state.haveRect = false;
  }
}

void SetModeCursor() {
  HCURSOR cursor = nullptr;
  if (gOverlay.state.mode == kOverlayWindow)
    cursor = LoadCursorA(gApp.m_hInstance, MAKEINTRESOURCEA(kWindowPickCursor));
  SetCursor(cursor ? cursor : LoadCursorA(nullptr, IDC_CROSS));
}

void Act(int action, bool innermost) {
  if (action & kOverlayPickAt) PickAt(gOverlay.cursor.x, gOverlay.cursor.y, innermost);
  if (action & kOverlayEraseFrame) EraseFrame();
  if (action & kOverlaySetCursor) SetModeCursor();
  if (action & (kOverlayPickAt | kOverlayRedraw)) UpdateFrame();
}

void OnMouse(UINT message, WPARAM wParam, LPARAM lParam) {
  if (!gOverlay.painted) return;
  gOverlay.cursor.x = GET_X_LPARAM(lParam) + gOverlay.area.left;
  gOverlay.cursor.y = GET_Y_LPARAM(lParam) + gOverlay.area.top;
  // The wheel reports the cursor in screen coordinates.
  if (message == WM_MOUSEWHEEL) {
    gOverlay.cursor.x = GET_X_LPARAM(lParam);
    gOverlay.cursor.y = GET_Y_LPARAM(lParam);
  }
  gOverlay.ctrlDown = (wParam & MK_CONTROL) != 0;
  const int x = gOverlay.cursor.x, y = gOverlay.cursor.y;
  int action = kOverlayNothing;
  switch (message) {
    case WM_MOUSEMOVE: action = OverlayMouseMove(&gOverlay.state, x, y); break;
    case WM_LBUTTONDOWN: action = OverlayLeftDown(&gOverlay.state, x, y); break;
    case WM_LBUTTONUP: action = OverlayLeftUp(&gOverlay.state, x, y); break;
    case WM_RBUTTONDOWN:
    case WM_MOUSEWHEEL: action = OverlayRightDown(&gOverlay.state); break;
  }
  Act(action, gOverlay.ctrlDown);
}

// Ctrl changes what a window pick finds: pick again where the cursor is.
void RepickForCtrl(HWND window, bool down) {
  gOverlay.ctrlDown = down;
  POINT client = {gOverlay.cursor.x - gOverlay.area.left, gOverlay.cursor.y - gOverlay.area.top};
  PostMessageA(window, WM_MOUSEMOVE, down ? MK_CONTROL : 0, MAKELPARAM(client.x, client.y));
}

void OnKey(HWND window, WPARAM key, bool down) {
  switch (key) {
    case VK_ESCAPE:
      if (down) OverlayCancel(&gOverlay.state);
      break;
    case VK_CONTROL:
      if (down != gOverlay.ctrlDown) RepickForCtrl(window, down);
      break;
    case VK_SHIFT:
      if (down == gOverlay.shiftDown) break;
      gOverlay.shiftDown = down;
      RestoreLabelBackground();
      if (gOverlay.frameShown) DrawSizeLabel();
      break;
  }
}

void PaintSnapshot(HWND window) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  if (dc && gOverlay.snapshot.dc) {
    BitBlt(dc, 0, 0, gOverlay.snapshot.width, gOverlay.snapshot.height, gOverlay.snapshot.dc, 0,
           0, SRCCOPY);
  }
  EndPaint(window, &paint);
  // The paint covered any frame and label: draw them again over it.
  gOverlay.frameShown = false;
  gOverlay.labelShown = false;
  gOverlay.painted = true;
  // Window and box picks show what a click would take before the mouse moves.
  if (gOverlay.state.mode != kOverlayRectangle && !gOverlay.state.haveRect)
    Act(kOverlayPickAt, GetKeyState(VK_CONTROL) < 0);
  else
    UpdateFrame();
}

bool TakeSnapshot(const ProfileRecord& profile) {
  const RECT& a = gOverlay.area;
  if (!gOverlay.snapshot.Create(a.right - a.left + 1, a.bottom - a.top + 1)) return false;
  HDC screen = GetDC(nullptr);
  if (!screen) return false;
  BitBlt(gOverlay.snapshot.dc, 0, 0, gOverlay.snapshot.width, gOverlay.snapshot.height, screen,
         a.left, a.top, kSnapshotRop);
  ReleaseDC(nullptr, screen);
  if (profile.iSCOMouse) DrawShowingCursor(gOverlay.snapshot.dc, a.left, a.top);
  return true;
}

// The label font of the overlay's DPI and a buffer for what the largest
// label can cover.
void PrepareLabel() {
  gOverlay.font = GetAppFont(kFontUI, int(GetWindowDpi(gOverlay.window)));
  if (!gOverlay.font) gOverlay.font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  SelectObject(gOverlay.windowDC, gOverlay.font);
  SetBkMode(gOverlay.windowDC, TRANSPARENT);
  SIZE extent = {};
  const char widest[] = "99999 x 99999";
  GetTextExtentPoint32A(gOverlay.windowDC, widest, int(sizeof(widest) - 1), &extent);
  gOverlay.labelBackground.Create(5 * extent.cx + 55, 5 * extent.cy + 40);
}

bool ShowOverlayWindow() {
  const RECT& a = gOverlay.area;
  gOverlay.window = CreateWindowExA(WS_EX_TOPMOST, kCaptureOverlayClass, "", WS_POPUP, a.left,
                                    a.top, a.right - a.left + 1, a.bottom - a.top + 1, nullptr,
                                    nullptr, gApp.m_hInstance, nullptr);
  if (!gOverlay.window) return false;
  gOverlay.windowDC = GetDC(gOverlay.window);
  if (!gOverlay.windowDC) return false;
  SetViewportOrgEx(gOverlay.windowDC, -a.left, -a.top, nullptr);
  ShowWindow(gOverlay.window, SW_SHOWNOACTIVATE);
  SetFocus(gOverlay.window);
  SetForegroundWindow(gOverlay.window);
  return true;
}

void ReleaseWindowDC() {
  if (gOverlay.windowDC) ReleaseDC(gOverlay.window, gOverlay.windowDC);
  gOverlay.windowDC = nullptr;
}

void RegisterHotkeys(int on) {
  if (gCaptureHost.pfnRegisterHotkeys) gCaptureHost.pfnRegisterHotkeys(on, 0);
}

}  // namespace

bool RegisterCaptureOverlayClass() {
  WNDCLASSEXA existing = {};
  existing.cbSize = sizeof(existing);
  if (GetClassInfoExA(gApp.m_hInstance, kCaptureOverlayClass, &existing)) return true;
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = CaptureOverlayWndProc;
  wc.hInstance = gApp.m_hInstance;
  wc.lpszClassName = kCaptureOverlayClass;
  return RegisterClassExA(&wc) != 0;
}

LRESULT CALLBACK CaptureOverlayWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (window != gOverlay.window) return DefWindowProcA(window, message, wParam, lParam);
  switch (message) {
    case WM_PAINT:
      PaintSnapshot(window);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_SETCURSOR:
      SetModeCursor();
      return TRUE;
    case WM_MOUSEMOVE: case WM_LBUTTONDOWN: case WM_LBUTTONUP: case WM_RBUTTONDOWN:
    case WM_MOUSEWHEEL:
      OnMouse(message, wParam, lParam);
      return 0;
    case WM_KEYDOWN: case WM_KEYUP:
      OnKey(window, wParam, message == WM_KEYDOWN);
      return 0;
    // Closing the overlay (Alt+F4) is a cancel; the capture removes it.
    case WM_CLOSE:
      OverlayCancel(&gOverlay.state);
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

OverlayResult CreateCaptureOverlay(const ProfileRecord& profile, RECT* picked) {
  if (IsCaptureOverlayRunning()) return kOverlayRefused;
  RegisterHotkeys(0);
  gOverlay.profile = &profile;
  GetScreenRect(0, &gOverlay.area);
  int mode = profile.iSCMode == 1 ? kOverlayWindow : profile.iSCMode == 5 ? kOverlayBox
                                                                           : kOverlayRectangle;
  StartOverlay(&gOverlay.state, mode);
  gOverlay.shiftDown = gOverlay.ctrlDown = gOverlay.painted = false;
  gOverlay.frameShown = gOverlay.labelShown = false;
  GetCursorPos(&gOverlay.cursor);
  if (!RegisterCaptureOverlayClass() || !TakeSnapshot(profile) || !ShowOverlayWindow()) {
    DestroyCaptureOverlay();
    return kOverlayNoMemory;
  }
  PrepareLabel();
  while (gOverlay.state.active) {
    // A quit ends the pick once; the loop that posted it sees it again. A
    // window destroyed under the loop would leave nothing to end it.
    if (!gApp.Wait(10, 0) || !IsWindow(gOverlay.window)) OverlayCancel(&gOverlay.state);
  }
  EraseFrame();
  gOverlay.labelBackground.Free();
  ReleaseWindowDC();
  if (gOverlay.state.cancelled) return kOverlayCancelled;
  *picked = gOverlay.state.haveRect ? NormalizeRect(gOverlay.state.rect) : RECT{0, 0, -1, -1};
  return kOverlayPicked;
}

void DestroyCaptureOverlay() {
  ReleaseWindowDC();
  if (gOverlay.window) DestroyWindow(gOverlay.window);
  gOverlay.window = nullptr;
  gOverlay.labelBackground.Free();
  gOverlay.snapshot.Free();
  gOverlay.state.active = false;
  gOverlay.profile = nullptr;
  RegisterHotkeys(1);
}

bool IsCaptureOverlayRunning() { return gOverlay.window != nullptr || gOverlay.state.active; }

HDC GetOverlaySnapshot(RECT* area) {
  if (!gOverlay.snapshot.dc) return nullptr;
  *area = gOverlay.area;
  return gOverlay.snapshot.dc;
}
