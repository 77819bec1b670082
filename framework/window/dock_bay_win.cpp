// A dock bay: the bars of its rows laid out along one side of the frame,
// row splitters, the size grip and where a dragged bar would land.
#include <windows.h>

#include <cstdlib>

#include "framework/app/app_win.h"
#include "framework/draw/draw_helpers_win.h"
#include "framework/draw/font_cache_win.h"
#include "framework/draw/monitors_win.h"
#include "framework/window/app_window_win.h"
#include "framework/window/dock_bar_win.h"

namespace {

constexpr char kBayClass[] = "ORVAppDockBay";
constexpr int kMaxBarsPerBay = 64;

CDockBay* BayOf(HWND window) {
  return reinterpret_cast<CDockBay*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

bool InBay(const CDockBar* bar, const CDockBay* bay) {
  return bar->frameId == bay->frameId && bar->dockSide == bay->side;
}

// Along and across the bay from a point in its client coordinates.
void ToBayAxes(const CDockBay* bay, POINT p, int32_t* along, int32_t* across) {
  *along = bay->vertical ? p.y : p.x;
  *across = bay->vertical ? p.x : p.y;
}

COLORREF BayColor() { return GetThemeColor(0); }

}  // namespace

int CDockBay::Create(int baySide, uint16_t frame, int orientation) {
  WNDCLASSA bayClass = {};
  bayClass.lpfnWndProc = DockBayWndProc;
  bayClass.hInstance = gApp.m_hInstance;
  bayClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  bayClass.lpszClassName = kBayClass;
  RegisterClassA(&bayClass);
  side = baySide;
  frameId = frame;
  code = uint16_t(side + 256 * frameId);
  vertical = orientation != 0;
  CAppWindow* window = gApp.FindAppWindowById(frameId);
  if (!window || !window->hwnd) return kStatusWindowFailed;
  grip = ((side == kSideBottom || side == kSideRight) && (window->flags & kWindowSizable)) ? 0 : -1;
  gripSize = int((window->dpi & 0xFFF) / 6);
  hwnd = CreateWindowExA(0, kBayClass, "", WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0, 0,
                         0, window->hwnd, nullptr, gApp.m_hInstance, nullptr);
  if (!hwnd) return kStatusWindowFailed;
  SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  return 0;
}

void CDockBay::Destroy() {
  if (hwnd) DestroyWindow(hwnd);
  hwnd = nullptr;
}

CAppWindow* CDockBay::Frame() const { return gApp.FindAppWindowById(frameId); }

int CDockBay::CompactRows() {
  BayBar records[kMaxBarsPerBay];
  CDockBar* bars[kMaxBarsPerBay];
  int n = 0;
  for (int i = 0; i < gApp.GetBarCount() && n < kMaxBarsPerBay; ++i) {
    CDockBar* bar = gApp.GetBarAt(i);
    if (!InBay(bar, this) || !bar->IsVisible()) continue;
    records[n] = {};
    records[n].iRow = bar->row;
    records[n].iThickness = bar->RequiredThickness();
    records[n].wFlags = bar->flags;
    bars[n++] = bar;
  }
  int count = ::CompactRows(records, n, rows);
  for (int i = 0; i < n; ++i) bars[i]->row = uint16_t(records[i].iRow);
  return count;
}

int32_t CDockBay::Layout(int32_t bayLength) {
  length = bayLength;
  BayBar records[kMaxBarsPerBay];
  CDockBar* bars[kMaxBarsPerBay];
  int n = 0;
  bool bottomHasBars = false;
  for (int i = 0; i < gApp.GetBarCount(); ++i) {
    CDockBar* bar = gApp.GetBarAt(i);
    if (bar->frameId == frameId && bar->dockSide == kSideBottom && bar->IsVisible())
      bottomHasBars = true;
    if (!InBay(bar, this) || !bar->IsVisible() || n >= kMaxBarsPerBay) continue;
    BayBar& r = records[n];
    r = {};
    r.iRow = bar->row;
    r.iX = bar->x;
    r.iLength = bar->length;
    r.iNaturalLength = bar->naturalLength;
    r.iMinLength = bar->minLength;
    r.iThickness = bar->RequiredThickness();
    r.wFlags = bar->flags;
    bars[n++] = bar;
  }
  BayLayout geometry = {side, bayLength, gripSize, grip != -1, bottomHasBars};
  BayLayoutResult result;
  int32_t thicknessAcross = LayoutBay(geometry, records, n, &result);
  for (int r = 0; r < kMaxBayRows; ++r) rows[r] = result.rows[r];
  gripRow = result.gripRow;
  if (grip != -1) grip = gripRow >= 0 ? 1 : 0;
  for (int i = 0; i < n; ++i) {
    CDockBar* bar = bars[i];
    const BayBar& r = records[i];
    bar->row = uint16_t(r.iRow);
    if (bar->flags & kBarAlignPrevious) bar->x = int16_t(r.iX);
    bar->placedPos = r.iPos;
    bar->placedLength = r.iPlacedLength;
    int width = vertical ? r.iRowThickness : r.iPlacedLength;
    int height = vertical ? r.iPlacedLength : r.iRowThickness;
    int left = vertical ? r.iOffset : r.iPos;
    int top = vertical ? r.iPos : r.iOffset;
    SetWindowPos(bar->hwnd, nullptr, left, top, width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    bar->LayoutItems(width, height, false);
  }
  return thicknessAcross;
}

int32_t CDockBay::Place(int x, int y, int width, int height) {
  int32_t t = Layout(vertical ? height : width);
  int left = x, top = y, w = width, h = t;
  switch (side) {
    case kSideBottom: top = y - t; break;
    case kSideLeft: w = t; h = height; break;
    case kSideRight: left = x - t; w = t; h = height; break;
  }
  SetWindowPos(hwnd, nullptr, left, top, w, h, SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  return t;
}

int32_t CDockBay::UsableLength(int) const { return length - (grip == 1 ? gripSize : 0); }

int CDockBay::RowFromPoint() const {
  CAppWindow* frame = Frame();
  if (!frame || (frame->flags & kWindowBarSizesLocked)) return -1;
  POINT cursor;
  GetCursorPos(&cursor);
  ScreenToClient(hwnd, &cursor);
  RECT client;
  GetClientRect(hwnd, &client);
  if (!PtInRect(&client, cursor)) return -1;
  int32_t along, across;
  ToBayAxes(this, cursor, &along, &across);
  return RowSplitterAt(rows, side, across);
}

int CDockBay::HitTestDrop(CDockBar* bar, POINT topLeft, POINT cursor) {
  CAppWindow* frame = Frame();
  if (!frame) return -1;
  ScreenToClient(hwnd, &topLeft);
  ScreenToClient(hwnd, &cursor);
  RECT client;
  GetClientRect(hwnd, &client);
  DropNeighbour others[kMaxBarsPerBay];
  CDockBar* otherBars[kMaxBarsPerBay];
  int n = 0;
  for (int i = 0; i < gApp.GetBarCount() && n < kMaxBarsPerBay; ++i) {
    CDockBar* other = gApp.GetBarAt(i);
    if (other == bar || !InBay(other, this) || !other->IsVisible()) continue;
    others[n] = {other->row, other->placedPos, other->placedLength};
    otherBars[n++] = other;
  }
  DropQuery q = {};
  q.side = side;
  q.bayLength = vertical ? client.bottom : client.right;
  q.bayThickness = vertical ? client.right : client.bottom;
  q.usable = UsableLength(-1);
  for (int r = 0; r < kMaxBayRows; ++r) q.rows[r] = rows[r];
  int32_t unused;
  ToBayAxes(this, cursor, &q.cursorAlong, &q.cursorAcross);
  ToBayAxes(this, topLeft, &q.topLeftAlong, &unused);
  bool here = bar->dockSide == side && bar->frameId == frameId;
  q.barLength = here ? bar->placedLength : bar->length;
  q.barRow = bar->row;
  q.barFlags = bar->flags;
  q.barInBay = here;
  q.positionsLocked = (frame->flags & kWindowBarPositionsLocked) != 0;
  q.others = others;
  q.otherCount = n;
  DropResult result;
  if (!HitTestDropRules(q, &result)) return -1;
  if (result.keepPlace) return code;
  if (result.insertRow) {
    for (int i = 0; i < gApp.GetBarCount(); ++i) {
      CDockBar* other = gApp.GetBarAt(i);
      if (InBay(other, this) && other->row >= result.row) ++other->row;
    }
  }
  bar->row = uint16_t(result.row);
  bar->x = int16_t(result.x);
  bar->flags = result.flags;
  if (result.alignedNeighbour >= 0)
    otherBars[result.alignedNeighbour]->flags &= uint16_t(~kBarAlignEnd);
  return code;
}

LRESULT CALLBACK DockBayWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  CDockBay* bay = BayOf(window);
  if (!bay) return DefWindowProcA(window, message, wParam, lParam);
  CAppWindow* frame = bay->Frame();
  switch (message) {
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT && bay->RowFromPoint() >= 0) {
        SetCursor(LoadCursor(nullptr, bay->vertical ? IDC_SIZEWE : IDC_SIZENS));
        return 1;
      }
      break;
    case WM_LBUTTONDOWN: {
      int row = bay->RowFromPoint();
      if (row < 0) break;
      bay->dragRow = row;
      bay->dragStartSize = abs(bay->rows[row]) - kSplitterSize;
      GetCursorPos(&bay->dragStart);
      SetCapture(window);
      return 0;
    }
    case WM_MOUSEMOVE: {
      if (bay->dragRow < 0 || !frame) break;
      POINT cursor;
      GetCursorPos(&cursor);
      int32_t moved = bay->vertical ? cursor.x - bay->dragStart.x : cursor.y - bay->dragStart.y;
      if (bay->side == kSideBottom || bay->side == kSideRight) moved = -moved;
      int32_t size = bay->dragStartSize + moved;
      int32_t least = 0;
      for (int i = 0; i < gApp.GetBarCount(); ++i) {
        CDockBar* bar = gApp.GetBarAt(i);
        if (InBay(bar, bay) && bar->row == bay->dragRow && bar->IsVisible() &&
            bar->minThickness > least)
          least = bar->minThickness;
      }
      // Never beyond the frame: the 16-bit thickness cannot wrap either.
      RECT client;
      GetClientRect(frame->hwnd, &client);
      int32_t most = bay->vertical ? client.right : client.bottom;
      if (size > most) size = most;
      if (size < least) size = least;
      for (int i = 0; i < gApp.GetBarCount(); ++i) {
        CDockBar* bar = gApp.GetBarAt(i);
        if (InBay(bar, bay) && bar->row == bay->dragRow && (bar->flags & kBarSizable))
          bar->thickness = uint16_t(size);
      }
      frame->Relayout();
      return 0;
    }
    case WM_LBUTTONUP:
      if (bay->dragRow >= 0) ReleaseCapture();
      bay->dragRow = -1;
      return 0;
    case WM_CAPTURECHANGED:
      bay->dragRow = -1;
      return 0;
    case WM_NCHITTEST:
      if (bay->grip == 1 && frame && !(frame->flags & kWindowBorderless) &&
          !(frame->flags & kWindowSizeLocked)) {
        POINT at = {short(LOWORD(lParam)), short(HIWORD(lParam))};
        ScreenToClient(window, &at);
        RECT client;
        GetClientRect(window, &client);
        if (at.x >= client.right - bay->gripSize && at.y >= client.bottom - bay->gripSize)
          return HTBOTTOMRIGHT;
      }
      break;
    case WM_NCLBUTTONDOWN:
      // The grip sizes the frame, not the bay.
      if (wParam == HTBOTTOMRIGHT && frame) {
        SendMessageA(frame->hwnd, WM_NCLBUTTONDOWN, HTBOTTOMRIGHT, lParam);
        return 0;
      }
      break;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      RECT client;
      GetClientRect(window, &client);
      FillRectColor(dc, client, BayColor());
      int32_t offset = 0;
      bool farSide = bay->side == kSideBottom || bay->side == kSideRight;
      for (int r = 0; r < kMaxBayRows && bay->rows[r]; ++r) {
        int32_t size = abs(bay->rows[r]);
        if (bay->rows[r] < 0) {
          int32_t start = farSide ? offset : offset + size - kSplitterSize;
          RECT splitter = bay->vertical ? RECT{start, 0, start + kSplitterSize, client.bottom}
                                        : RECT{0, start, client.right, start + kSplitterSize};
          DrawRowSplitter(dc, splitter, bay->vertical);
        }
        offset += size;
      }
      if (bay->grip == 1) {
        RECT square = {client.right - bay->gripSize, client.bottom - bay->gripSize, client.right,
                       client.bottom};
        DrawSizeGrip(dc, square);
      }
      EndPaint(window, &paint);
      return 0;
    }
    case WM_RBUTTONUP:
      if (frame) SendMessageA(frame->hwnd, MSG_WINDOW_MENU, 0, 0);
      return 0;
    case MSG_PAINT_BACKGROUND: {
      RECT client;
      GetClientRect(window, &client);
      return PaintBackgroundAt(reinterpret_cast<HDC>(wParam), lParam,
                               [&](HDC dc) { FillRectColor(dc, client, BayColor()); });
    }
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
