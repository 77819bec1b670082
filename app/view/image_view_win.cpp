#include "app/view/image_view_win.h"

#include <algorithm>

#include "app/document/history.h"
#include "app/startup/program_hooks.h"
#include "app/view/image_view_record_win.h"

int giZoomIndex = kZoomIndex100;
ImageViewRecord gImageView;

const char kImageViewClass[] = "BrightwardenAdjustViewClass";
const char kNavigatorClass[] = "BrightwardenNavigatorWndClss";
const char kDrawWindowClass[] = "BrightwardenDrawWndClass";

namespace {

bool gUpdating = false;

void ReadClientSize() {
  RECT client = {};
  GetClientRect(gImageView.hView, &client);
  gImageView.frame.clientWidth = client.right;
  gImageView.frame.clientHeight = client.bottom;
}

void SetScrollRange(int bar, int32_t extent, int32_t client, double scale) {
  SCROLLINFO info = {};
  info.cbSize = sizeof(info);
  info.fMask = SIF_RANGE | SIF_PAGE;
  info.nMin = 0;
  info.nMax = extent;
  info.nPage = UINT(std::max(ScrollPage(client, scale), 1));
  // Drawn with the frame when the update repaints the view.
  SetScrollInfo(gImageView.hView, bar, &info, FALSE);
}

void SetScrollPositions() {
  SetScrollPos(gImageView.hView, SB_HORZ, gImageView.frame.originX, FALSE);
  SetScrollPos(gImageView.hView, SB_VERT, gImageView.frame.originY, FALSE);
}

// Sets both ranges; a bar that comes or goes changes the client area, so
// the ranges are computed again for the new size (twice at most: the second
// bar can only follow the first).
void SetScrollRanges() {
  ViewFrame& f = gImageView.frame;
  for (int pass = 0; pass < 3; ++pass) {
    const int32_t w = f.clientWidth, h = f.clientHeight;
    SetScrollRange(SB_HORZ, f.imageWidth, w, f.scale);
    SetScrollRange(SB_VERT, f.imageHeight, h, f.scale);
    ReadClientSize();
    if (f.clientWidth == w && f.clientHeight == h) break;
  }
  gImageView.bScrollBoth = HasImage(f) && ScrollBarNeeded(f.imageWidth, f.clientWidth, f.scale) &&
                           ScrollBarNeeded(f.imageHeight, f.clientHeight, f.scale);
}

// The guides' dotted blue pen, made once for the life of the view.
HPEN gGuidePen = nullptr;

HPEN GuidePen() {
  if (!gGuidePen) {
    LOGBRUSH brush = {BS_SOLID, RGB(0, 0, 255), 0};
    gGuidePen = ExtCreatePen(PS_COSMETIC | PS_ALTERNATE, 1, &brush, 0, nullptr);
    if (!gGuidePen) gGuidePen = CreatePen(PS_DOT, 1, RGB(0, 0, 255));
  }
  return gGuidePen;
}

// The workspace colour around the painted image: the bands beside it, so
// that a view the image fills costs no fill and no clipping.
void FillOutside(HDC dc, const RECT& client, const RECT& d) {
  HBRUSH brush = GetSysColorBrush(COLOR_APPWORKSPACE);
  if (IsRectEmpty(&d)) {
    FillRect(dc, &client, brush);
    return;
  }
  const RECT bands[4] = {{client.left, client.top, client.right, d.top},
                         {client.left, d.bottom, client.right, client.bottom},
                         {client.left, d.top, d.left, d.bottom},
                         {d.right, d.top, client.right, d.bottom}};
  for (const RECT& band : bands)
    if (band.right > band.left && band.bottom > band.top) FillRect(dc, &band, brush);
}

void PaintView(HWND view) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(view, &ps);
  RECT client;
  GetClientRect(view, &client);
  ViewFrame& f = gImageView.frame;
  CImage* image = ViewImage();
  if (image && (image->GetWidth() != f.imageWidth || image->GetHeight() != f.imageHeight)) {
    // A state came in without an update yet: never stretch rectangles that
    // were measured on another image.
    f.imageWidth = image->GetWidth();
    f.imageHeight = image->GetHeight();
    ClampOrigin(&f);
    ComputeViewRects(&f);
  }
  const bool painted = image && HasImage(f) && !IsRectEmpty(&f.rcDest);
  if (painted) {
    const RECT& d = f.rcDest;
    const RECT& s = f.rcSource;
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchDIBits(dc, d.left, d.top, d.right - d.left, d.bottom - d.top, s.left, s.top,
                  s.right - s.left, s.bottom - s.top, image->GetBits(),
                  reinterpret_cast<const BITMAPINFO*>(image->GetDib()), DIB_RGB_COLORS, SRCCOPY);
  }
  FillOutside(dc, client, painted ? f.rcDest : RECT{0, 0, 0, 0});
  if (painted) {
    DrawSelectionGuides(dc, 31);
    if (gImageView.iDragMode == kDragNewSelection) RedrawRubberBand(dc);
  }
  EndPaint(view, &ps);
}

LRESULT CALLBACK ImageViewWndProc(HWND view, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (HandleViewInput(view, message, wParam, lParam, &result)) return result;
  if (HandleCornerBox(view, message, wParam, lParam, &result)) return result;
  switch (message) {
    case WM_SIZE:
      ReadClientSize();
      if (gImageView.hDrawWindow)
        SetWindowPos(gImageView.hDrawWindow, nullptr, 0, 0, gImageView.frame.clientWidth + 1,
                     gImageView.frame.clientHeight + 1, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
      UpdateImageView(1);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      PaintView(view);
      return 0;
    case WM_DESTROY:
      KillTimer(view, kFlingTimer);
      gImageView.bFling = 0;
      return 0;
    default:
      return DefWindowProcA(view, message, wParam, lParam);
  }
}

bool RegisterClassOnce(const char* name, WNDPROC proc, LPCSTR cursor) {
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof(wc);
  wc.hInstance = GetModuleHandleA(nullptr);
  if (GetClassInfoExA(wc.hInstance, name, &wc)) return true;
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursor(nullptr, cursor);
  wc.lpszClassName = name;
  return RegisterClassExA(&wc) != 0;
}

}  // namespace

RECT ViewSelection(const CImage& image) {
  RECT s = image.rcSelection;
  if (s.right < s.left || s.bottom < s.top) s = RECT{0, 0, image.GetWidth() - 1, image.GetHeight() - 1};
  return s;
}

CImage* ViewImage() {
  return IsHistoryIndexValid(giCurrentImage) ? GetHistoryImage(giCurrentImage) : nullptr;
}

bool IsMainWindowForeground() {
  return gImageView.hView && GetForegroundWindow() == GetAncestor(gImageView.hView, GA_ROOT);
}

bool CreateImageViewWindows(HWND main) {
  if (!RegisterClassOnce(kImageViewClass, ImageViewWndProc, IDC_ARROW) ||
      !RegisterClassOnce(kNavigatorClass, NavigatorWndProc, IDC_SIZEALL) ||
      !RegisterClassOnce(kDrawWindowClass, DrawWndProc, IDC_CROSS))
    return false;
  gImageView.iDragMode = kDragNone;
  gImageView.frame = ViewFrame{};
  gImageView.frame.scale = ZoomScale(giZoomIndex);
  HINSTANCE instance = GetModuleHandleA(nullptr);
  HWND view = CreateWindowExA(0, kImageViewClass, "", WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL,
                              0, 0, 1, 1, main, nullptr, instance, nullptr);
  if (!view) return false;
  SetWindowLongPtrA(view, GWLP_USERDATA, LONG_PTR(&gImageView));
  gImageView.hView = view;
  HWND draw = CreateWindowExA(0, kDrawWindowClass, "", WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                              0, 0, 2, 2, view, nullptr, instance, nullptr);
  if (!draw) {
    DestroyWindow(view);
    gImageView.hView = nullptr;
    return false;
  }
  SetWindowLongPtrA(draw, GWLP_USERDATA, LONG_PTR(&gImageView));
  gImageView.hDrawWindow = draw;
  return true;
}

void DestroyImageViewWindows() {
  CloseNavigator();
  StopFling();
  if (gImageView.hDrawWindow) DestroyWindow(gImageView.hDrawWindow);
  if (gImageView.hView) DestroyWindow(gImageView.hView);
  gImageView.hDrawWindow = nullptr;
  gImageView.hView = nullptr;
  gImageView.iDragMode = kDragNone;
  gImageView.bPanning = 0;
  gImageView.bGuidesDrawn = 0;
  if (gGuidePen) DeleteObject(gGuidePen);
  gGuidePen = nullptr;
}

void LayoutImageView(const RECT& client) {
  if (!gImageView.hView) return;
  MoveWindow(gImageView.hView, client.left, client.top, client.right - client.left,
             client.bottom - client.top, TRUE);
  ReadClientSize();
  if (gImageView.hDrawWindow)
    MoveWindow(gImageView.hDrawWindow, 0, 0, gImageView.frame.clientWidth + 1,
               gImageView.frame.clientHeight + 1, TRUE);
}

void UpdateImageView(int mode) {
  if (gUpdating || !gImageView.hView) return;
  gUpdating = true;
  giZoomIndex = ClampZoomIndex(giZoomIndex);
  ViewFrame& f = gImageView.frame;
  f.scale = ZoomScale(giZoomIndex);
  CImage* image = ViewImage();
  f.imageWidth = image ? image->GetWidth() : 0;
  f.imageHeight = image ? image->GetHeight() : 0;
  ReadClientSize();
  SetScrollRanges();
  if (image && mode == 1) CentreOnSelection(&f, ViewSelection(*image));
  if (image && mode == 2) KeepPointUnderCursor(&f, gImageView.ptZoomImage, gImageView.ptZoomClient);
  // Every mode clamps: a kept origin past a smaller image would show none of it.
  ClampOrigin(&f);
  SetScrollPositions();
  ComputeViewRects(&f);
  RedrawWindow(gImageView.hView, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
  gUpdating = false;
}

void AutoZoomImageView() {
  CImage* image = ViewImage();
  if (!image || !gImageView.hView) {
    UpdateImageView(0);
    return;
  }
  // Scroll bars that appear at the new zoom shrink the client: fit again.
  for (int pass = 0; pass < 3; ++pass) {
    ReadClientSize();
    const ViewFrame before = gImageView.frame;
    const RECT s = ViewSelection(*image);
    const int index = FitZoomIndex(before.clientWidth, before.clientHeight, s.right - s.left + 1,
                                   s.bottom - s.top + 1);
    if (index != giZoomIndex) {
      giZoomIndex = index;
      RefreshView(1, 0);
    } else {
      UpdateImageView(0);
    }
    ReadClientSize();
    if (gImageView.frame.clientWidth >= before.clientWidth &&
        gImageView.frame.clientHeight >= before.clientHeight)
      break;
  }
}

void RefreshView(int mode, int fit) {
  if (fit) AutoZoomImageView();
  else UpdateImageView(mode);
  if (gProgramHooks.pfnUpdateStatusBar) gProgramHooks.pfnUpdateStatusBar(0);
}

bool ScrollViewBy(int64_t dx, int64_t dy) {
  ViewFrame& f = gImageView.frame;
  if (!HasImage(f)) return false;
  const int32_t oldX = f.originX, oldY = f.originY;
  f.originX = int32_t(std::clamp<int64_t>(oldX + dx, INT32_MIN, INT32_MAX));
  f.originY = int32_t(std::clamp<int64_t>(oldY + dy, INT32_MIN, INT32_MAX));
  ClampOrigin(&f);
  if (f.originX == oldX && f.originY == oldY) return false;
  SetScrollPositions();
  UpdateImageView(0);
  return true;
}

bool ScreenToImagePoint(POINT* point) {
  const ViewFrame& f = gImageView.frame;
  if (!gImageView.hView || !ViewImage() || !HasImage(f)) {
    *point = POINT{-1, -1};
    return true;
  }
  POINT p = *point;
  ScreenToClient(gImageView.hView, &p);
  int32_t x = ViewToImage(f, p.x, true, false, false);
  int32_t y = ViewToImage(f, p.y, false, false, false);
  bool clamped = p.x < f.rcDest.left || p.y < f.rcDest.top;
  clamped = ClampToExtent(&x, f.imageWidth - 1) || clamped;
  clamped = ClampToExtent(&y, f.imageHeight - 1) || clamped;
  *point = POINT{x, y};
  return clamped;
}

void SetImageViewZoomAnchor(POINT screenPoint) {
  if (!gImageView.hView) return;
  POINT client = screenPoint;
  ScreenToClient(gImageView.hView, &client);
  gImageView.ptZoomClient = client;
  gImageView.ptZoomImage = POINT{ViewToImage(gImageView.frame, client.x, true, false, false),
                                 ViewToImage(gImageView.frame, client.y, false, false, false)};
}

HWND GetImageViewWindow() { return gImageView.hView; }
HWND GetDrawWindow() { return gImageView.hDrawWindow; }

int ViewToImage(int value, bool horizontal, bool clamp, bool rounding) {
  return ViewToImage(gImageView.frame, value, horizontal, clamp, rounding);
}

int ImageToView(int value, bool horizontal) {
  return ImageToView(gImageView.frame, value, horizontal);
}

void SaveViewScroll() {
  gImageView.ptSavedScroll = POINT{gImageView.frame.originX, gImageView.frame.originY};
}

void RestoreViewScroll() {
  gImageView.frame.originX = gImageView.ptSavedScroll.x;
  gImageView.frame.originY = gImageView.ptSavedScroll.y;
  UpdateImageView(3);
}

void DrawSelectionGuides(HDC dc, int mask) {
  CImage* image = ViewImage();
  const ViewFrame& f = gImageView.frame;
  if (!image || !HasImage(f)) return;
  const GuideLines now = GuidePositions(f, ViewSelection(*image));
  const GuideLines& old = gImageView.guides;
  if (mask != 31 && gImageView.bGuidesDrawn) {
    // Only the strips of guides that moved are painted again from the image.
    auto erase = [&](int bit, int32_t before, int32_t after, bool vertical) {
      if (!(mask & bit) || before == after) return;
      RECT strip = vertical ? RECT{before, 0, before + 1, f.clientHeight}
                            : RECT{0, before, f.clientWidth, before + 1};
      InvalidateRect(gImageView.hView, &strip, FALSE);
    };
    erase(kEdgeLeft, old.left, now.left, true);
    erase(kEdgeTop, old.top, now.top, false);
    erase(kEdgeRight, old.right, now.right, true);
    erase(kEdgeBottom, old.bottom, now.bottom, false);
  }
  HGDIOBJ previous = SelectObject(dc, GuidePen());
  const int bkMode = SetBkMode(dc, TRANSPARENT);
  auto line = [&](int x0, int y0, int x1, int y1) {
    MoveToEx(dc, x0, y0, nullptr);
    LineTo(dc, x1, y1);
  };
  line(now.left, 0, now.left, f.clientHeight);
  line(now.right, 0, now.right, f.clientHeight);
  line(0, now.top, f.clientWidth, now.top);
  line(0, now.bottom, f.clientWidth, now.bottom);
  SetBkMode(dc, bkMode);
  SelectObject(dc, previous);
  gImageView.guides = now;
  gImageView.bGuidesDrawn = 1;
  if (mask != 31 && gProgramHooks.pfnUpdateStatusBar) gProgramHooks.pfnUpdateStatusBar(1);
}

void ShowRubberBand(const RECT& rect) {
  HDC dc = GetDC(gImageView.hView);
  if (gImageView.bBandShown) DrawFocusRect(dc, &gImageView.rcBand);
  gImageView.rcBand = rect;
  DrawFocusRect(dc, &rect);
  gImageView.bBandShown = 1;
  ReleaseDC(gImageView.hView, dc);
  if (gProgramHooks.pfnUpdateStatusBar) gProgramHooks.pfnUpdateStatusBar(1);
}

void EraseRubberBand() {
  if (!gImageView.bBandShown) return;
  HDC dc = GetDC(gImageView.hView);
  DrawFocusRect(dc, &gImageView.rcBand);
  ReleaseDC(gImageView.hView, dc);
  gImageView.bBandShown = 0;
}

void RedrawRubberBand(HDC dc) {
  if (gImageView.bBandShown) DrawFocusRect(dc, &gImageView.rcBand);
}

bool GetRubberBandSize(int* width, int* height) {
  if (gImageView.iDragMode != kDragNewSelection || !gImageView.bBandShown) return false;
  *width = std::abs(gImageView.ptBandEnd.x - gImageView.ptAnchor.x);
  *height = std::abs(gImageView.ptBandEnd.y - gImageView.ptAnchor.y);
  return true;
}
