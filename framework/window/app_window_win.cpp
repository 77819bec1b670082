// The framework window: creation, placement, layout between the bays,
// showing, focus, status texts and the busy overlay.
#include "framework/window/app_window_win.h"

#include <cstring>

#include "framework/app/app_win.h"
#include "framework/draw/font_cache_win.h"
#include "framework/draw/monitors_win.h"
#include "framework/settings/data_files.h"
#include "framework/ui/menu_item_win.h"
#include "framework/window/dock_bar_win.h"

namespace {

constexpr char kWindowClass[] = "ORVWindow";
constexpr char kBusyClass[] = "ORVBusy";
constexpr uint16_t kReadyText = 61444;

void RegisterWindowClasses(uint16_t iconId) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = AppWindowWndProc;
  windowClass.hInstance = gApp.m_hInstance;
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.hIcon = LoadIconA(gApp.m_hInstance, MAKEINTRESOURCEA(iconId));
  windowClass.lpszClassName = kWindowClass;
  RegisterClassA(&windowClass);  // a second window finds it registered
  WNDCLASSA busyClass = {};
  busyClass.lpfnWndProc = DefWindowProcA;
  busyClass.hInstance = gApp.m_hInstance;
  busyClass.hCursor = LoadCursor(nullptr, IDC_WAIT);
  busyClass.lpszClassName = kBusyClass;
  RegisterClassA(&busyClass);
}

CAppWindow* WindowOf(HWND window) {
  return reinterpret_cast<CAppWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

// The floating bars of a window: overlay, transparency and showing follow
// the frame.
template <class Action>
void ForFloatingBars(const CAppWindow* window, Action action) {
  for (int i = 0; i < gApp.GetBarCount(); ++i) {
    CDockBar* bar = gApp.GetBarAt(i);
    if (bar->frameId == window->id && bar->dockSide < 0 && bar->hwnd) action(bar);
  }
}

struct FocusList {
  HWND windows[256];
  int count;
};

BOOL CALLBACK CollectFocusable(HWND child, LPARAM lParam) {
  FocusList* list = reinterpret_cast<FocusList*>(lParam);
  LONG_PTR style = GetWindowLongPtrA(child, GWL_STYLE);
  if ((style & WS_TABSTOP) && IsWindowVisible(child) && IsWindowEnabled(child) &&
      list->count < 255)
    list->windows[list->count++] = child;
  return TRUE;
}

}  // namespace

CAppWindow::CAppWindow() { menuIds[0] = 0xFFFF; }

CAppWindow::~CAppWindow() { Destroy(); }

void CAppWindow::GetStyles(DWORD* style, DWORD* exStyle) const {
  DWORD s = WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_SYSMENU;
  bool borderless = flags & kWindowBorderless;
  if (!borderless) s |= WS_DLGFRAME;
  if ((flags & kWindowSizable) && !borderless) s |= WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
  if (!(flags & kWindowNoCaption) && !borderless) s |= WS_CAPTION;
  if (flags & kWindowMaximized) s |= WS_MAXIMIZE;
  DWORD e = 0;
  if (flags & kWindowTaskbarButton) e |= WS_EX_APPWINDOW;
  if (flags & kWindowSmallCaption) e |= WS_EX_TOOLWINDOW;
  if (flags & kWindowTopmost) e |= WS_EX_TOPMOST;
  if (flags & kWindowAcceptsFiles) e |= WS_EX_ACCEPTFILES;
  *style = s;
  *exStyle = e;
}

int CAppWindow::Create(uint16_t windowId, WNDPROC procedure, const char* title, uint16_t iconId,
                       uint32_t windowFlags, int x, int y, int width, int height) {
  RegisterWindowClasses(iconId);
  id = windowId;
  RECT monitor;
  GetMonitorRect(0, 0, &monitor, false);
  WindowPlacement placement = {x, y, width, height, windowFlags, 0, false};
  ApplyPlacementDefaults(monitor, id, &placement);
  if (gApp.IsStateLoaded()) {
    uint8_t record[sizeof(WindowPlacementRecord)];
    int got = ReadDataFile("(ORV)Win", id, record, sizeof(record), 0);
    ApplyPlacementRecord(record, got, gMonitorLayout, &placement);
  }
  normalRect = {placement.iX, placement.iY, placement.iX + placement.iWidth,
                placement.iY + placement.iHeight};
  lastRect = normalRect;
  flags = placement.ulFlags;
  transparency = placement.iTransparency;
  ghost = placement.bGhost;
  DWORD style, exStyle;
  GetStyles(&style, &exStyle);
  hwnd = CreateWindowExA(exStyle, kWindowClass, title ? title : "", style, normalRect.left,
                         normalRect.top, placement.iWidth, placement.iHeight,
                         gApp.m_hwndPhantom, nullptr, gApp.m_hInstance, this);
  if (!hwnd) return kStatusWindowFailed;
  // Early WM_DPICHANGED divides by the recorded DPI.
  dpi = GetWindowDpi(hwnd);
  if (procedure) {
    baseProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure)));
  }
  // The caller's procedure missed the first WM_CREATE.
  CREATESTRUCTA creation = {};
  SendMessageA(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&creation));
  icon = LoadIconA(gApp.m_hInstance, MAKEINTRESOURCEA(iconId));
  if (icon) SetClassLongPtrA(hwnd, GCLP_HICONSM, reinterpret_cast<LONG_PTR>(icon));
  for (int side = 0; side < 4; ++side) {
    CDockBay* bay = new CDockBay;
    bays[side] = bay;
    if (bay->Create(side, id, side >= 2) != 0 || bay->side != side) return kStatusWindowFailed;
  }
  statusMutex = CreateMutexA(nullptr, FALSE, nullptr);
  if (!statusMutex) return kStatusWindowFailed;
  const char* ready = gStringTable.GetText(kReadyText, 0);
  SetStatusText(-3, ready);
  SetStatusText(-2, ready);
  ApplyTransparency();
  return 0;
}

void CAppWindow::Destroy() {
  if (hwnd) gApp.SetTrayIcon(id, -1, nullptr);
  if (statusTextId_ != 0xFFFF) {
    // The string table must not keep pointing into this object.
    gStringTable.SetText(statusTextId_, 0, statusOriginal_);
    statusTextId_ = 0xFFFF;
  }
  if (busyOverlay) DestroyWindow(busyOverlay);
  busyOverlay = nullptr;
  for (CDockBay*& bay : bays) {
    if (!bay) continue;
    bay->Destroy();
    delete bay;
    bay = nullptr;
  }
  if (hwnd) {
    HWND window = hwnd;
    DestroyWindow(window);
    hwnd = nullptr;
  }
  if (icon) DestroyIcon(icon);
  icon = nullptr;
  if (statusMutex) CloseHandle(statusMutex);
  statusMutex = nullptr;
  statusTexts.Clear();
}

int CAppWindow::SavePlacement() {
  UpdateNormalRect();
  WindowPlacement placement = {normalRect.left, normalRect.top,
                               normalRect.right - normalRect.left,
                               normalRect.bottom - normalRect.top, flags, transparency, ghost};
  // A window that never had a size has no placement to keep.
  if (placement.iWidth <= 0 || placement.iHeight <= 0) return 0;
  WindowPlacementRecord record = MakePlacementRecord(placement);
  return WriteDataFile("(ORV)Win", id, &record, sizeof(record), 0);
}

void CAppWindow::UpdateNormalRect() {
  if (!hwnd || restyling || IsIconic(hwnd) || IsZoomed(hwnd)) return;
  RECT rect;
  GetWindowRect(hwnd, &rect);
  int width = normalRect.right - normalRect.left, height = normalRect.bottom - normalRect.top;
  if (!(flags & kWindowPositionLocked)) {
    normalRect.left = rect.left;
    normalRect.top = rect.top;
  }
  if (!(flags & kWindowSizeLocked)) {
    width = rect.right - rect.left;
    height = rect.bottom - rect.top;
  }
  normalRect.right = normalRect.left + width;
  normalRect.bottom = normalRect.top + height;
}

void CAppWindow::SetPosition(const RECT& rect, bool show) {
  if (!hwnd) return;
  SetWindowPos(hwnd, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
               SWP_NOZORDER | SWP_NOACTIVATE | (show ? SWP_SHOWWINDOW : 0));
  lastRect = normalRect;
}

void CAppWindow::Layout(int x, int y, int width, int height, bool show) {
  if (!hwnd) return;
  if (width == -1) {
    RECT client;
    GetClientRect(hwnd, &client);
    WPARAM type = IsZoomed(hwnd) ? SIZE_MAXIMIZED : SIZE_RESTORED;
    // Twice: the first pass may change the bays' thickness (rows wrap).
    for (int pass = 0; pass < 2; ++pass)
      SendMessageA(hwnd, WM_SIZE, type, MAKELPARAM(client.right, client.bottom));
    return;
  }
  uint32_t locks = flags & (kWindowPositionLocked | kWindowSizeLocked);
  flags &= ~locks;
  SetWindowPos(hwnd, nullptr, x, y, width, height,
               SWP_NOZORDER | SWP_NOACTIVATE | (show ? SWP_SHOWWINDOW : 0));
  UpdateNormalRect();
  flags |= locks;
  lastRect = normalRect;
}

void CAppWindow::SetMinTrackSize(int width, int height) {
  minTrackWidth = width;
  minTrackHeight = height;
}

void CAppWindow::LayoutClient(WPARAM sizeType, int width, int height) {
  if (bays[0] && bays[1] && bays[2] && bays[3]) {
    int32_t top = bays[kSideTop]->Place(0, 0, width, height);
    int32_t bottom = bays[kSideBottom]->Place(0, height, width, height);
    int32_t middle = height - top - bottom;
    if (middle < 0) middle = 0;
    int32_t left = bays[kSideLeft]->Place(0, top, width, middle);
    int32_t right = bays[kSideRight]->Place(width, top, width, middle);
    clientRect = {left, top, width - right, height - bottom};
  } else {
    clientRect = {0, 0, width, height};
  }
  SendMessageA(hwnd, MSG_CLIENT_SIZED, sizeType, MAKELPARAM(width, height));
  if (busyOverlay) {
    // Raised every time: a sibling moved in the z-order must not cover it.
    SetWindowPos(busyOverlay, HWND_TOP, 0, 0, width, height, SWP_NOACTIVATE | SWP_NOREDRAW);
  }
  if (IsZoomed(hwnd)) flags |= kWindowMaximized;
  else if (!IsIconic(hwnd)) flags &= ~kWindowMaximized;
  UpdateNormalRect();
}

void CAppWindow::Show(int showCommand, int shownState) {
  if (!hwnd) return;
  if (shownState != -1) {
    shown = shownState != 0;
    if (showCommand) Relayout();
    if (showCommand == SW_SHOW && IsIconic(hwnd)) showCommand = SW_SHOWNORMAL;
    ShowWindow(hwnd, showCommand);
    if (showCommand == SW_SHOW || showCommand == SW_SHOWNORMAL) SetForegroundWindow(hwnd);
  } else if (showCommand == SW_SHOW || showCommand == SW_SHOWNORMAL) {
    // Asked from outside (an owner of a box): visible and in front.
    if (IsIconic(hwnd)) showCommand = SW_SHOWNORMAL;
    if (!IsWindowVisible(hwnd) || IsIconic(hwnd)) ShowWindow(hwnd, showCommand);
    SetForegroundWindow(hwnd);
  }
  ForFloatingBars(this, [showCommand](CDockBar* bar) {
    ShowWindow(bar->hwnd, bar->IsVisible() && showCommand != SW_HIDE ? SW_SHOWNA : SW_HIDE);
  });
}

bool CAppWindow::MoveFocus(int step) {
  FocusList list = {};
  EnumChildWindows(hwnd, CollectFocusable, reinterpret_cast<LPARAM>(&list));
  if (list.count == 0) return false;
  list.windows[list.count] = nullptr;
  SendMessageA(hwnd, MSG_FOCUS_LIST, 0, reinterpret_cast<LPARAM>(list.windows));
  HWND focus = GetFocus();
  int at = -1;
  for (int i = 0; i < list.count; ++i)
    if (list.windows[i] == focus || IsChild(list.windows[i], focus)) at = i;
  int next = at < 0 ? 0 : ((at + step) % list.count + list.count) % list.count;
  SetFocus(list.windows[next]);
  return GetFocus() != focus;
}

void CAppWindow::SetStatusText(int part, const char* text) {
  if (!statusMutex) return;
  DWORD wait = WaitForSingleObject(statusMutex, 1000);
  if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED) return;
  statusTexts.Set(part, text);
  ReleaseMutex(statusMutex);
  if (statusCommand == 0xFFFF || !hwnd) return;
  // Another thread only asks: painting from it would wait for the user
  // interface thread, which may be waiting for that very thread.
  if (GetWindowThreadProcessId(hwnd, nullptr) != GetCurrentThreadId())
    PostMessageA(hwnd, MSG_STATUS_CHANGED, 0, 0);
  else
    ShowStatusText();
}

void CAppWindow::ShowStatusText() {
  if (statusCommand == 0xFFFF || !statusMutex) return;
  const CommandRecord* command = gApp.Command(statusCommand);
  if (!command) return;
  DWORD wait = WaitForSingleObject(statusMutex, 1000);
  if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED) return;
  const char* shownText = statusTexts.Shown();
  size_t n = shownText ? strnlen(shownText, sizeof(statusShown_) - 1) : 0;
  if (n) memcpy(statusShown_, shownText, n);
  statusShown_[n] = 0;
  uint16_t textId = command->text == kSameAsId ? statusCommand : command->text;
  if (statusTextId_ != textId) {
    if (statusTextId_ != 0xFFFF) gStringTable.SetText(statusTextId_, 0, statusOriginal_);
    statusOriginal_ = gStringTable.GetText(textId, 0);
    statusTextId_ = textId;
  }
  gStringTable.SetText(textId, 0, statusShown_);
  ReleaseMutex(statusMutex);
  for (int i = 0; i < gApp.GetItemCount(); ++i) {
    CUIItem* item = gApp.GetItemAt(i);
    if (item->id == statusCommand && item->hwnd) InvalidateRect(item->hwnd, nullptr, TRUE);
  }
}

void CAppWindow::ApplyTransparency() {
  if (!hwnd) return;
  SetWindowTransparency(hwnd, transparency, ghost && transparency > 0);
  int percent = transparency;
  bool through = ghost && transparency > 0;
  ForFloatingBars(this, [percent, through](CDockBar* bar) {
    SetWindowTransparency(bar->hwnd, percent, through);
  });
}

void CAppWindow::SetTransparency(int percent) {
  transparency = ClampTransparency(percent);
  ApplyTransparency();
}

void CAppWindow::SetGhost(bool on) {
  ghost = on;
  ApplyTransparency();
}

void CAppWindow::OnModalCount(int count) {
  if (count > 0 && !busyOverlay) {
    RECT client;
    GetClientRect(hwnd, &client);
    busyOverlay = CreateWindowExA(WS_EX_TRANSPARENT, kBusyClass, "", WS_CHILD, 0, 0, client.right,
                                  client.bottom, hwnd, nullptr, gApp.m_hInstance, nullptr);
    if (busyOverlay) {
      SetWindowPos(busyOverlay, HWND_TOP, 0, 0, client.right, client.bottom,
                   SWP_SHOWWINDOW | SWP_NOREDRAW | SWP_NOACTIVATE);
      SetCursor(LoadCursor(nullptr, IDC_WAIT));
    }
    ForFloatingBars(this, [](CDockBar* bar) { bar->ShowBusy(true); });
  } else if (count <= 0 && busyOverlay) {
    DestroyWindow(busyOverlay);
    busyOverlay = nullptr;
    ForFloatingBars(this, [](CDockBar* bar) { bar->ShowBusy(false); });
  }
}

void CAppWindow::OnDpiChanged(UINT newDpi, const RECT* suggested) {
  UINT oldDpi = dpi ? dpi : 96;
  dpi = newDpi ? newDpi : 96;
  CreateAppFonts(gApp.m_state.szFontFace, gApp.m_state.iFontSize, int(dpi));
  for (int i = 0; i < gApp.GetBarCount(); ++i) {
    CDockBar* bar = gApp.GetBarAt(i);
    if (bar->frameId != id) continue;
    // thickness x new / old, truncated: not an integer ratio (144/96 is 1).
    bar->thickness = uint16_t(uint32_t(bar->thickness) * dpi / oldDpi);
    if (bar->dockSide >= 0) bar->Dock(bar->bayCode, bar->x, bar->y, bar->length, bar->thickness, false);
    bar->LayoutItems(-1, -1, true);
  }
  Relayout();
  if (suggested)
    SetWindowPos(hwnd, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                 suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK AppWindowDefProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  CAppWindow* self = WindowOf(window);
  if (self && self->baseProc && self->baseProc != AppWindowDefProc)
    return CallWindowProcA(self->baseProc, window, message, wParam, lParam);
  return AppWindowWndProc(window, message, wParam, lParam);
}

LRESULT CALLBACK AppWindowWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* creation = reinterpret_cast<CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    CAppWindow* self = static_cast<CAppWindow*>(creation->lpCreateParams);
    if (self) self->hwnd = window;
    return DefWindowProcA(window, message, wParam, lParam);
  }
  CAppWindow* self = WindowOf(window);
  if (!self) return DefWindowProcA(window, message, wParam, lParam);
  switch (message) {
    case WM_CREATE:
      CreateAppFonts(gApp.m_state.szFontFace, gApp.m_state.iFontSize, int(GetWindowDpi(window)));
      return 0;
    case WM_SIZE:
      self->LayoutClient(wParam, LOWORD(lParam), HIWORD(lParam));
      return 0;
    case WM_MOVE:
      self->UpdateNormalRect();
      return 0;
    case WM_CLOSE:
      self->SavePlacement();
      return 0;
    case WM_DESTROY:
      self->SavePlacement();
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE) {
        gApp.OnWindowActivated(self, true);
        HWND focus = self->savedFocus && IsWindow(self->savedFocus) ? self->savedFocus : window;
        SetFocus(focus);
      } else {
        self->savedFocus = GetFocus();
        gApp.OnWindowActivated(self, false);
      }
      return 0;
    case WM_NCACTIVATE:
      // The caption stays active while the window's own bars or popups are.
      return DefWindowProcA(window, message, gApp.m_iActiveWindowId == self->id, lParam);
    case WM_ACTIVATEAPP:
      if (!wParam) gApp.CancelMenus(nullptr);
      break;
    case WM_SHOWWINDOW:
      self->Show(wParam ? SW_SHOWNA : SW_HIDE, -1);
      self->dpi = GetWindowDpi(window);
      break;
    case WM_SETCURSOR:
      if (self->flags & kWindowSizeLocked) {
        SetCursor(LoadCursor(nullptr, self->busyOverlay ? IDC_WAIT : IDC_ARROW));
        return 1;
      }
      break;
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
      info->ptMinTrackSize.x = self->minTrackWidth;
      info->ptMinTrackSize.y = self->minTrackHeight;
      return 0;
    }
    case WM_WINDOWPOSCHANGING: {
      auto* position = reinterpret_cast<WINDOWPOS*>(lParam);
      if (self->flags & kWindowPositionLocked) position->flags |= SWP_NOMOVE;
      if (self->flags & kWindowSizeLocked) position->flags |= SWP_NOSIZE;
      break;
    }
    case WM_EXITSIZEMOVE:
      GetWindowRect(window, &self->lastRect);
      break;
    case WM_NCRBUTTONDOWN:
      return 0;
    case WM_NCRBUTTONUP:
    case WM_RBUTTONUP:
      SendMessageA(window, MSG_WINDOW_MENU, 0, 0);
      return 0;
    case WM_HELP:
      if (GetKeyState(VK_CONTROL) >= 0) SendMessageA(window, MSG_HELP_REQUEST, wParam, lParam);
      return 1;
    case WM_DPICHANGED:
      self->OnDpiChanged(HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
      return 0;
    case MSG_WINDOW_MENU:
      self->UpdateBarCommands();
      gApp.TrackMenu(kWindowMenuCommand, nullptr, window);
      return 0;
    case MSG_GET_MENU_IDS:
      if (wParam == kWindowMenuCommand) return reinterpret_cast<LRESULT>(self->menuIds);
      return 0;
    case MSG_ITEM_NOTIFY:
      self->OnCommand(LOWORD(wParam));
      return 0;
    case MSG_SET_OPEN_POPUP:
      self->openPopup = reinterpret_cast<CMenu*>(lParam);
      return 0;
    case MSG_GET_OPEN_POPUP:
      return reinterpret_cast<LRESULT>(self->openPopup);
    case MSG_SHOW_WINDOW:
      self->Show(SW_SHOWNORMAL, 0);
      return 0;
    case MSG_MODAL_COUNT:
      self->OnModalCount(int(wParam));
      return 0;
    case MSG_STATUS_CHANGED:
      self->ShowStatusText();
      return 0;
    case MSG_DRAW_ICON:
      return DrawWindowMenuSwatch(reinterpret_cast<HDC>(wParam),
                                  reinterpret_cast<DrawIconRecord*>(lParam));
    case MSG_SCREEN_RESCALED:
      FitFloatingBarsOnMonitors(self);
      self->Relayout();
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
