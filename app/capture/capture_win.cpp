#include "app/capture/capture_win.h"

#include <mmsystem.h>

#include <climits>
#include <new>

#include "app/capture/bitmap_dc_win.h"
#include "app/capture/capture_geometry.h"
#include "app/capture/capture_host.h"
#include "app/capture/capture_overlay_win.h"
#include "app/capture/screen_area_win.h"
#include "app/document/history.h"
#include "app/profiles/program_records.h"
#include "app/startup/program_hooks.h"
#include "framework/app/app_win.h"

namespace {

constexpr int kCaptureSound = 12;  // WAVE resource
constexpr DWORD kScreenRop = SRCCOPY | CAPTUREBLT;

// Busy mode for the time of a grab, left on every way out.
class CBusyScope {
 public:
  CBusyScope() { gApp.EnterModal(true); }
  ~CBusyScope() { gApp.EnterModal(false); }
  CBusyScope(const CBusyScope&) = delete;
  CBusyScope& operator=(const CBusyScope&) = delete;
};

// Where the pixels come from: the screen itself, or the overlay's snapshot.
struct PixelSource {
  HDC dc;
  RECT area;     // what it holds, inclusive, screen coordinates
  POINT origin;  // the screen point at the context's (0, 0)
};

bool IsOverlayMode(int mode) { return mode == 0 || mode == 1 || mode == 5; }

// A negative delay would sleep forever.
void SleepMs(int32_t milliseconds) {
  if (milliseconds > 0) Sleep(DWORD(milliseconds));
}

void HideMainWindowFor(const ProfileRecord& profile) {
  if (!profile.iSCOHideSC || !gProgramHooks.pfnGetMainWindow || !gProgramHooks.pfnShowMainWindow)
    return;
  HWND main = static_cast<HWND>(gProgramHooks.pfnGetMainWindow());
  if (!main || !IsWindowVisible(main)) return;
  // No closing animation: the window is gone from the screen at once.
  const bool animation = SetWindowAnimation(false);
  gProgramHooks.pfnShowMainWindow(0);
  SetWindowAnimation(animation);
  if (gOptions.iCaptureDelay == 1) SleepMs(gOptions.iCaptureDelayTime);
}

// The pixels of rect into a new history state. Parts of the rectangle
// outside the source keep the desktop background colour.
OperationError Grab(const ProfileRecord& profile, const RECT& rect, const PixelSource& source) {
  if (!HasPixels(rect)) return kCaptureFailed;
  const int64_t width = RectWidth(rect), height = RectHeight(rect);
  if (width > INT_MAX || height > INT_MAX) return kCaptureNoMemory;
  CBusyScope busy;
  CBitmapDC grab;
  if (!source.dc || !grab.Create(int(width), int(height))) return kCaptureNoMemory;
  RECT fill = {0, 0, int(width), int(height)};
  FillRect(grab.dc, &fill, GetSysColorBrush(COLOR_BACKGROUND));
  RECT inside;
  if (IntersectInclusive(rect, source.area, &inside)) {
    BitBlt(grab.dc, inside.left - rect.left, inside.top - rect.top,
           inside.right - inside.left + 1, inside.bottom - inside.top + 1, source.dc,
           inside.left - source.origin.x, inside.top - source.origin.y, kScreenRop);
  }
  // The overlay's snapshot already holds the cursor when it was asked for.
  if (profile.iSCOMouse && !IsOverlayMode(profile.iSCMode))
    DrawShowingCursor(grab.dc, rect.left, rect.top);
  HBITMAP bitmap = grab.Release();
  CImage* image = new (std::nothrow) CImage;
  if (!image) return kCaptureNoMemory;
  if (!image->CreateFromBitmap(bitmap) || !image->IsValid()) {
    delete image;
    return kCaptureNoMemory;
  }
  grab.Free();
  image->SelectAll();
  if (AddToHistory(image, "(Unnamed)", 0) != 0) {
    delete image;
    return kCaptureNoMemory;
  }
  if (gCaptureHost.pfnSelectDrawTool) gCaptureHost.pfnSelectDrawTool(0);
  return 0;
}

bool OnUiThread() { return gApp.m_dwUiThreadId && GetCurrentThreadId() == gApp.m_dwUiThreadId; }

}  // namespace

OperationError GrabScreenRect(const ProfileRecord& profile, const RECT& rect) {
  if (!OnUiThread()) return kCaptureFailed;
  struct ScreenDC {
    HDC dc = GetDC(nullptr);
    ~ScreenDC() { if (dc) ReleaseDC(nullptr, dc); }
  } screen;
  // The screen context's origin is the primary screen's top-left, and it
  // reaches the whole virtual screen.
  PixelSource source = {screen.dc, {}, {0, 0}};
  source.area.left = GetSystemMetrics(SM_XVIRTUALSCREEN);
  source.area.top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  source.area.right = source.area.left + GetSystemMetrics(SM_CXVIRTUALSCREEN) - 1;
  source.area.bottom = source.area.top + GetSystemMetrics(SM_CYVIRTUALSCREEN) - 1;
  return Grab(profile, rect, source);
}

namespace {

// The overlay's own pixels: no frame or label of it can get into the image.
OperationError GrabFromOverlay(const ProfileRecord& profile, const RECT& rect) {
  PixelSource source = {};
  source.dc = GetOverlaySnapshot(&source.area);
  source.origin = POINT{source.area.left, source.area.top};
  return Grab(profile, rect, source);
}

// The rectangle of a mode that needs no overlay; false when there is none.
bool AreaOfMode(const ProfileRecord& profile, RECT* rect) {
  switch (profile.iSCMode) {
    case 2: return GetForegroundWindowRect(rect);
    case 3: GetScreenRect(profile.iSCMonitor == 0 ? 1 : 0, rect); return true;
    case 4: *rect = AreaFromProfile(profile.iSCArea); return true;
  }
  return false;
}

}  // namespace

OperationError CaptureScreen(const ProfileRecord& profile) {
  if (!OnUiThread()) return kCaptureFailed;
  HideMainWindowFor(profile);
  if (profile.iSCOUseDelay) SleepMs(profile.iSCODelay);

  RECT rect = {0, 0, -1, -1};
  const bool overlay = IsOverlayMode(profile.iSCMode);
  if (overlay) {
    if (profile.iSCMode == 5 && (profile.iSCWidth < 1 || profile.iSCHeight < 1))
      return kCaptureFailed;
    switch (CreateCaptureOverlay(profile, &rect)) {
      case kOverlayPicked: break;
      // The running overlay belongs to someone else's loop: leave it alone.
      case kOverlayRefused: return ErrCancelled;
      case kOverlayCancelled: DestroyCaptureOverlay(); return ErrCancelled;
      case kOverlayNoMemory: return kCaptureNoMemory;
    }
  } else if (!AreaOfMode(profile, &rect)) {
    return kCaptureFailed;
  }
  if (!HasPixels(rect)) {
    if (overlay) DestroyCaptureOverlay();
    return kCaptureFailed;
  }
  if (profile.iSCOSound) {
    PlaySoundA(MAKEINTRESOURCEA(kCaptureSound), gApp.m_hInstance,
               SND_RESOURCE | SND_ASYNC | SND_NODEFAULT);
  }
  if (!overlay) return GrabScreenRect(profile, rect);
  // The overlay stays on screen during the grab, then goes.
  const OperationError result = GrabFromOverlay(profile, rect);
  DestroyCaptureOverlay();
  return result;
}
