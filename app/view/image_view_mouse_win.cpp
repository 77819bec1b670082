// The view's mouse and keys: drawing, moving and resizing the selection,
// scrolling while a drag rests outside, right-button panning and the fling,
// the scroll bars and the cursor.
#include <windows.h>
#include <windowsx.h>

#include <algorithm>
#include <cstdlib>

#include "app/document/history.h"
#include "app/view/image_view_record_win.h"
#include "app/view/image_view_win.h"

namespace {

bool KeyDown(int key) { return (GetKeyState(key) & 0x8000) != 0; }

int HitTestAt(int x, int y) {
  CImage* image = ViewImage();
  if (!image) return -1;
  return HitTestSelection(gImageView.frame, ViewSelection(*image), x, y, KeyDown(VK_SHIFT));
}

void SetViewCursor() {
  LPCSTR id = IDC_ARROW;
  const bool ctrl = KeyDown(VK_CONTROL);
  if (!IsMainWindowForeground()) {
    id = IDC_ARROW;
  } else if (gImageView.bPanning) {
    id = IDC_HAND;
  } else {
    int mode = gImageView.iDragMode;
    if (mode < 0) {
      POINT p;
      GetCursorPos(&p);
      ScreenToClient(gImageView.hView, &p);
      mode = HitTestAt(p.x, p.y);
    }
    switch (mode) {
      case 0: id = ctrl ? IDC_SIZEALL : IDC_CROSS; break;
      case kEdgeLeft: case kEdgeRight: id = IDC_SIZEWE; break;
      case kEdgeTop: case kEdgeBottom: id = IDC_SIZENS; break;
      case kEdgeLeft | kEdgeTop: case kEdgeRight | kEdgeBottom: id = IDC_SIZENWSE; break;
      case kEdgeTop | kEdgeRight: case kEdgeLeft | kEdgeBottom: id = IDC_SIZENESW; break;
      default: id = ctrl ? IDC_SIZEALL : IDC_ARROW; break;
    }
  }
  SetCursor(LoadCursor(nullptr, id));
}

void EndDrag() {
  if (gImageView.iDragMode == kDragNewSelection) EraseRubberBand();
  gImageView.iDragMode = kDragNone;
  if (GetCapture() == gImageView.hView) ReleaseCapture();
}

void LeftDown(HWND view, int x, int y) {
  CImage* image = ViewImage();
  if (!image || !IsMainWindowForeground() || gImageView.iDragMode != kDragNone ||
      gImageView.bPanning)
    return;
  SetFocus(view);
  SetCapture(view);
  StopFling();
  gImageView.ptPressClient = POINT{x, y};
  const int hit = HitTestAt(x, y);
  if (hit > 0) {
    gImageView.iDragMode = hit;
    return;
  }
  const bool ctrl = KeyDown(VK_CONTROL);
  gImageView.ptAnchor = POINT{ViewToImage(gImageView.frame, x, true, !ctrl, true),
                              ViewToImage(gImageView.frame, y, false, !ctrl, true)};
  if (ctrl) {
    const RECT s = ViewSelection(*image);
    gImageView.iDragMode = kDragMove;
    gImageView.ptMoveOffset = POINT{gImageView.ptAnchor.x - s.left, gImageView.ptAnchor.y - s.top};
    gImageView.iSpanX = s.right - s.left;
    gImageView.iSpanY = s.bottom - s.top;
  } else {
    gImageView.iDragMode = kDragNewSelection;
    gImageView.bBandShown = 0;
  }
}

int ChangedEdges(const RECT& a, const RECT& b) {
  return (a.left != b.left ? kEdgeLeft : 0) | (a.top != b.top ? kEdgeTop : 0) |
         (a.right != b.right ? kEdgeRight : 0) | (a.bottom != b.bottom ? kEdgeBottom : 0);
}

void RedrawGuides(int mask) {
  HDC dc = GetDC(gImageView.hView);
  DrawSelectionGuides(dc, mask);
  ReleaseDC(gImageView.hView, dc);
}

void DragMove(HWND view, WPARAM wParam, LPARAM lParam) {
  CImage* image = ViewImage();
  if (!image) {
    EndDrag();
    return;
  }
  const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
  const ViewFrame& f = gImageView.frame;
  const int mode = gImageView.iDragMode;
  image->rcSelection = ViewSelection(*image);
  const RECT before = image->rcSelection;
  if (mode == kDragNewSelection) {
    gImageView.ptBandEnd = POINT{ViewToImage(f, x, true, true, true), ViewToImage(f, y, false, true, true)};
    ShowRubberBand(RubberBandRect(f, gImageView.ptAnchor, gImageView.ptBandEnd));
  } else if (mode == kDragMove) {
    MoveSelectionTo(&image->rcSelection, ViewToImage(f, x, true, false, true),
                    ViewToImage(f, y, false, false, true), gImageView.ptMoveOffset, gImageView.iSpanX,
                    gImageView.iSpanY, f.imageWidth, f.imageHeight);
    RedrawGuides(15);
  } else {
    gImageView.iDragMode =
        DragSelectionEdges(&image->rcSelection, mode, ViewToImage(f, x, true, true, true),
                           ViewToImage(f, y, false, true, true), f.imageWidth, f.imageHeight);
    if (const int changed = ChangedEdges(before, image->rcSelection)) RedrawGuides(changed);
  }
  // A drag resting outside scrolls on: the same move comes again after a
  // pause that keeps high zooms readable.
  const POINT step = AutoScrollDelta(f, x, y, (wParam & MK_SHIFT) != 0);
  if ((step.x || step.y) && ScrollViewBy(step.x, step.y)) {
    Sleep(DWORD(gImageView.frame.scale));
    PostMessageA(view, WM_MOUSEMOVE, wParam, lParam);
  }
}

void LeftUp(int x, int y) {
  CImage* image = ViewImage();
  const int mode = gImageView.iDragMode;
  EndDrag();
  if (mode != kDragNewSelection || !image) return;
  const ViewFrame& f = gImageView.frame;
  const POINT up{x, y};
  const POINT& down = gImageView.ptPressClient;
  const RECT dragged{std::min(up.x, down.x), std::min(up.y, down.y), std::max(up.x, down.x) + 1,
                     std::max(up.y, down.y) + 1};
  RECT meet;
  if (!PtInRect(&f.rcDest, up) && !IntersectRect(&meet, &dragged, &f.rcDest)) return;
  const POINT end{ViewToImage(f, x, true, true, true), ViewToImage(f, y, false, true, true)};
  RECT selection;
  if (!SelectionFromPoints(gImageView.ptAnchor, end, &selection)) return;
  image->rcSelection = selection;
  AutoZoomImageView();
}

// Right button down or Escape: cancels a drag, else starts panning.
void RightDown(HWND view, int x, int y, bool startPan) {
  if (gImageView.iDragMode != kDragNone) {
    EndDrag();
    InvalidateRect(view, nullptr, FALSE);
    return;
  }
  if (!startPan || gImageView.bPanning) return;
  StopFling();
  gImageView.bPanning = 1;
  gImageView.panReference = PanReference{double(x), double(y)};
  gImageView.panSamples = PanHistory{};
  SetCapture(view);
  SetCursor(LoadCursor(nullptr, IDC_HAND));
}

void PanMove(int x, int y) {
  const POINT d = PanStep(&gImageView.panReference, x, y, gImageView.frame.scale);
  if (d.x || d.y) ScrollViewBy(d.x, d.y);
  // The input's own time: a busy moment of the program must not bend the fling.
  AddPanSample(&gImageView.panSamples, x, y, DWORD(GetMessageTime()));
}

void RightUp(HWND view, int x, int y) {
  if (!gImageView.bPanning) return;
  gImageView.bPanning = 0;
  if (GetCapture() == view) ReleaseCapture();
  if (StartFling(&gImageView.panSamples, x, y, DWORD(GetMessageTime()), gImageView.frame.scale,
                 &gImageView.fling)) {
    gImageView.bFling = 1;
    SetTimer(view, kFlingTimer, 10, nullptr);
  }
}

void FlingStep(HWND view) {
  POINT d;
  if (!gImageView.bFling || !FlingTick(&gImageView.fling, gImageView.frame.scale, &d)) {
    StopFling();
    return;
  }
  if (d.x || d.y) ScrollViewBy(d.x, d.y);
  (void)view;
}

void ScrollBarMessage(bool horizontal, WPARAM wParam) {
  const ViewFrame& f = gImageView.frame;
  const int32_t page = int32_t((horizontal ? f.clientWidth : f.clientHeight) / f.scale);
  int64_t delta = 0;
  switch (LOWORD(wParam)) {
    case SB_LINELEFT: delta = -1; break;
    case SB_LINERIGHT: delta = 1; break;
    case SB_PAGELEFT: delta = -page; break;
    case SB_PAGERIGHT: delta = page; break;
    case SB_THUMBTRACK: {
      // The 32-bit track position: the message's word would wrap past 65535.
      SCROLLINFO info = {};
      info.cbSize = sizeof(info);
      info.fMask = SIF_TRACKPOS;
      if (!GetScrollInfo(gImageView.hView, horizontal ? SB_HORZ : SB_VERT, &info)) return;
      delta = int64_t(info.nTrackPos) - (horizontal ? f.originX : f.originY);
      break;
    }
    default: return;
  }
  if (horizontal) ScrollViewBy(delta, 0);
  else ScrollViewBy(0, delta);
}

}  // namespace

void StopFling() {
  if (gImageView.hView) KillTimer(gImageView.hView, kFlingTimer);
  gImageView.bFling = 0;
  gImageView.fling = FlingState{};
}

bool HandleViewInput(HWND view, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  *result = 0;
  const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
  switch (message) {
    case WM_LBUTTONDOWN:
      LeftDown(view, x, y);
      SetViewCursor();
      return true;
    case WM_MOUSEMOVE: {
      HWND main = GetParent(view);
      POINT p{x, y};
      MapWindowPoints(view, main, &p, 1);
      SendMessageA(main, WM_MOUSEMOVE, wParam, MAKELPARAM(p.x, p.y));
      if (gImageView.bPanning) PanMove(x, y);
      else if (gImageView.iDragMode != kDragNone) DragMove(view, wParam, lParam);
      return true;
    }
    case WM_LBUTTONUP:
      LeftUp(x, y);
      SetViewCursor();
      return true;
    case WM_RBUTTONDOWN:
      RightDown(view, x, y, true);
      return true;
    case WM_RBUTTONUP:
      RightUp(view, x, y);
      SetViewCursor();
      return true;
    case WM_CAPTURECHANGED:
      // Another window took the mouse: nothing may stay half dragged.
      if (HWND(lParam) != view) {
        if (gImageView.iDragMode != kDragNone) EndDrag();
        gImageView.bPanning = 0;
      }
      return true;
    case WM_TIMER:
      if (wParam != kFlingTimer) return false;
      FlingStep(view);
      return true;
    case WM_MOUSEWHEEL:
      *result = SendMessageA(GetParent(view), message, wParam, lParam);
      return true;
    case WM_SETCURSOR:
      if (LOWORD(lParam) != HTCLIENT) return false;
      SetViewCursor();
      *result = TRUE;
      return true;
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE) RightDown(view, 0, 0, false);
      SetViewCursor();
      return true;
    case WM_KEYUP:
      SetViewCursor();
      return true;
    case WM_HSCROLL:
    case kMsgViewHScroll:
      ScrollBarMessage(true, wParam);
      return true;
    case WM_VSCROLL:
    case kMsgViewVScroll:
      ScrollBarMessage(false, wParam);
      return true;
    case kMsgViewScrollBy:
      *result = ScrollViewBy(int16_t(LOWORD(lParam)), int16_t(HIWORD(lParam))) ? 1 : 0;
      return true;
    default:
      return false;
  }
}
