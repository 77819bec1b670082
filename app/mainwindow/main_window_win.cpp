// The main window's procedure: window messages, hotkeys, dropped files,
// tray clicks and the program's private messages become work.
#include "app/mainwindow/main_window_win.h"

#include <shellapi.h>

#include <cstring>
#include <initializer_list>

#include "app/capture/capture_overlay_win.h"
#include "app/capture/screen_area_win.h"
#include "app/document/history.h"
#include "app/mainwindow/clipboard_text_seam.h"
#include "app/mainwindow/command_ids.h"
#include "app/mainwindow/drawing_tools_seam.h"
#include "app/mainwindow/main_window_rules.h"
#include "app/mainwindow/main_window_shared_win.h"
#include "app/mainwindow/printing_seam.h"
#include "app/mainwindow/send_to_seam.h"
#include "app/operations/image_operations.h"
#include "app/profiles/profile_execution.h"
#include "app/profiles/profile_list.h"
#include "app/profiles/profile_menu.h"
#include "app/profiles/program_records.h"
#include "app/profiles/settings_store.h"
#include "app/script/command_line_win.h"
#include "app/startup/program_start_win.h"
#include "app/view/image_view_win.h"
#include "framework/app/app_win.h"

namespace {

constexpr uint16_t kProfileNotLoadedText = 10009;
constexpr uint16_t kBusyText = 10005;
constexpr uint16_t kStepOpenBit = 3;
constexpr UINT kClipboardSettleMs = 50;
constexpr uint16_t kIconProgram = 1;
// The view menu's entries after the bars, and room for the bars.
constexpr int kViewMenuIds = 64;

// What the hotkeys of other profiles run: a record of their own, so that
// the current profile stays as it is.
ProfileRecord gHotkeyProfile;

void PostCommand(HWND window, uint16_t id) { PostMessageA(window, MSG_ITEM_NOTIFY, id, 0); }

void OnClose(HWND window) {
  if (gOptions.iCloseToTray) {
    PostCommand(window, kCmdHide);
    return;
  }
  if (!ConfirmDiscardImage()) return;
  SaveSettingsOnExit();
  PostQuitMessage(0);
}

void OnHotkey(int id) {
  if (IsProgramBusy()) return;
  if (id == 0) {
    CommandHandler(ghwndMain, kCmdNew, 0);
  } else if (id == 1) {
    ShowMainWindow(1);
  } else if (id >= 2 && id < kHotkeyCount) {
    if (LoadProfileByName(gOptions.hkHotkey[id].profile, &gHotkeyProfile) != 0) {
      ShowProgramBox(kProfileNotLoadedText, kBoxNote);
      return;
    }
    RunProfile(&gHotkeyProfile);
  }
}

// Each dropped file in order: through the current profile when it opens
// files, else straight into the history. The first failure ends the drop.
void OnDropFiles(HWND window, HDROP drop) {
  if (IsProgramBusy()) {
    DragFinish(drop);
    return;
  }
  const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    char path[MAX_PATH];
    OperationError result;
    // A name the program's paths cannot hold is refused, never cut.
    if (DragQueryFileA(drop, i, nullptr, 0) >= sizeof(path)) {
      result = OperationCode(OpOpen, ErrFileNotFound);
    } else {
      DragQueryFileA(drop, i, path, sizeof(path));
      if (gCurrentProfile.ulSteps & (1u << kStepOpenBit)) {
        const uint8_t mode = gCurrentProfile.iSOMode;
        char file[sizeof(gCurrentProfile.szSOFile)];
        memcpy(file, gCurrentProfile.szSOFile, sizeof(file));
        gCurrentProfile.iSOMode = 1;
        memcpy(gCurrentProfile.szSOFile, path, strlen(path) + 1);
        result = ExecuteProfile(&gCurrentProfile);
        gCurrentProfile.iSOMode = mode;
        memcpy(gCurrentProfile.szSOFile, file, sizeof(file));
      } else {
        result = LoadImageFile(path);
        RefreshView(1, gOptions.iAutoZoom);
      }
    }
    if (result != 0) {
      ReportOperationError(result);
      break;
    }
  }
  DragFinish(drop);
  SetFocus(window);
}

void OnTrayNotify(HWND window, UINT mouseMessage) {
  const TrayAction action = DecideTrayAction(mouseMessage, gOptions.iTrayClick, gOptions.iTrayAction);
  if (action == kTrayNothing || IsProgramBusy()) return;
  if (action == kTrayRunProfile) {
    PostCommand(window, kCmdNew);
  } else if (action == kTrayToggleWindow) {
    ShowMainWindow(!IsWindowVisible(window) || IsIconic(window) ? 1 : 0);
  } else {
    // The entry a double click would run is shown as the default.
    const uint16_t standard = gOptions.iTrayAction ? kCmdTrayNew : kCmdShowMain;
    for (uint16_t id : {kCmdTrayNew, kCmdShowMain}) {
      CommandRecord* command = gApp.Command(id);
      if (!command) continue;
      if (id == standard) command->flags |= kCommandBold;
      else command->flags &= ~kCommandBold;
    }
    POINT cursor;
    GetCursorPos(&cursor);
    SetForegroundWindow(window);
    gApp.TrackMenu(kMenuTray, &cursor, window);
  }
}

void OnClipboardChanged() {
  // Let the program that wrote the clipboard finish with it.
  gApp.Wait(kClipboardSettleMs, 0);
  gbClipboardHasDib = IsClipboardFormatAvailable(CF_DIB) ? 1 : 0;
  gApp.EnableCommand(kCmdPaste, gbClipboardHasDib != 0);
  if (gClipboardTextSeam.pfnOnClipboardUpdate) gClipboardTextSeam.pfnOnClipboardUpdate();
}

void OnProcessCommandLine(WPARAM stayHidden) {
  if (IsProgramBusy()) {
    DiscardCommandLine();
    ShowMainWindow(1);
    ShowProgramBox(kBusyText, kBoxIconExclamation | kBoxOk);
    return;
  }
  ProcessCommandLine();
  if (stayHidden != 1) ShowMainWindow(1);
}

// The View menu: the window's bars, then the zoom, clipboard text and
// options entries.
const uint16_t* ViewMenuIds() {
  static uint16_t ids[kViewMenuIds];
  int n = 0;
  for (int i = 0; i < gApp.GetBarCount() && n < kViewMenuIds - 8; ++i) {
    CDockBar* bar = gApp.GetBarAt(i);
    if (bar->frameId != kMainWindowId) continue;
    ids[n++] = bar->id;
    gApp.CheckCommand(bar->id, bar->IsVisible());
  }
  for (uint16_t id : {kSeparatorCommand, uint16_t(kMenuZoom), kSeparatorCommand,
                      uint16_t(kCmdClipboardText), kSeparatorCommand, uint16_t(kCmdOptions)})
    ids[n++] = id;
  ids[n] = kListEnd;
  return ids;
}

const char* DynamicText(WPARAM id, LPARAM variant) {
  if (variant != 0) return nullptr;
  if (id < kProfileCommandLimit) return GetProfileMenuEntry(int32_t(id));
  if (id >= kFirstSendToCommand && id <= kLastSendToCommand && gSendToSeam.pfnGetDestinationName)
    return gSendToSeam.pfnGetDestinationName(int(id - kFirstSendToCommand));
  return nullptr;
}

bool ClickLandsOnView() {
  HWND view = GetImageViewWindow();
  if (!view) return false;
  POINT cursor;
  GetCursorPos(&cursor);
  HWND under = WindowFromPoint(cursor);
  return under == view || IsChild(view, under);
}

void OnMouseWheel(HWND window, int delta) {
  if (!IsHistoryIndexValid(giCurrentImage)) return;
  const int next = ZoomIndexAfterWheel(giZoomIndex, delta);
  if (next < 0) return;
  POINT cursor;
  GetCursorPos(&cursor);
  SetImageViewZoomAnchor(cursor);
  SetZoomIndex(next, -1);
  CommandHandler(window, kCmdZoom, -1);
}

}  // namespace

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DESTROY:
      if (gPrintingSeam.pfnEndPrintJob) gPrintingSeam.pfnEndPrintJob();
      break;
    case WM_CLOSE:
      OnClose(window);
      return 0;
    case WM_ENDSESSION:
      if (!wParam) return 0;
      [[fallthrough]];
    case WM_QUIT:
      SaveSettingsOnExit();
      PostQuitMessage(0);
      return 1;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE) gszHelpTopic[0] = '\0';
      break;
    case WM_DISPLAYCHANGE:
      UpdateMultiMonitorFlag();
      UpdateImageView(0);
      break;
    case WM_MOUSEACTIVATE:
      // An activating click never draws.
      if (GetForegroundWindow() != window && ClickLandsOnView()) return MA_ACTIVATEANDEAT;
      break;
    case WM_MOUSEMOVE: {
      POINT at;
      GetCursorPos(&at);
      if (ScreenToImagePoint(&at)) at = POINT{-1, -1};
      SetStatusPosition(at.x, at.y);
      break;
    }
    case WM_MOUSEWHEEL:
      OnMouseWheel(window, GET_WHEEL_DELTA_WPARAM(wParam));
      return 0;
    case WM_DROPFILES:
      OnDropFiles(window, reinterpret_cast<HDROP>(wParam));
      return 0;
    case WM_HOTKEY:
      OnHotkey(int(wParam));
      return 0;
    case WM_APPCOMMAND:
      switch (GET_APPCOMMAND_LPARAM(lParam)) {
        case APPCOMMAND_BROWSER_BACKWARD:
          PostCommand(window, kCmdUndo);
          return TRUE;
        case APPCOMMAND_BROWSER_FORWARD:
          PostCommand(window, kCmdRedo);
          return TRUE;
      }
      break;
    case WM_CLIPBOARDUPDATE:
      PostMessageA(window, MSG_CLIPBOARD_CHANGED, 0, 0);
      return 0;
    case MSG_CLIPBOARD_CHANGED:
      OnClipboardChanged();
      return 0;
    case MSG_OPEN_HELP:
      gApp.ShowHelp("Brightwarden.chm", gszHelpTopic);
      return 0;
    case MSG_HELP_REQUEST:
      gApp.ShowHelp("Brightwarden.chm", wParam ? reinterpret_cast<const char*>(wParam) : gszHelpTopic);
      return 0;
    case MSG_CLIENT_SIZED:
      if (CAppWindow* frame = gApp.FindAppWindow(window)) LayoutImageView(frame->clientRect);
      return 0;
    case MSG_SAVE_SETTINGS:
      SaveSettings();
      return 0;
    case MSG_ITEM_NOTIFY:
      if (IsProgramBusy() && !CommandPassesWhileBusy(LOWORD(wParam))) return 0;
      if (CommandHandler(window, wParam, lParam) == 0) return 0;
      break;
    case MSG_GET_MENU_IDS:
      if (wParam == kMenuView) return reinterpret_cast<LRESULT>(ViewMenuIds());
      // The Profile menu and the toolbar's Profile button list the same profiles.
      if (wParam == kMenuProfile || wParam == kCmdProfile)
        return reinterpret_cast<LRESULT>(GetProfileMenuIds());
      break;
    case MSG_TRAY_NOTIFY:
      OnTrayNotify(window, UINT(lParam));
      return 0;
    case MSG_BAR_SHOWN: {
      const CDockBar* bar = reinterpret_cast<const CDockBar*>(lParam);
      if (bar && bar->id == kBarDraw) {
        gOptions.iShowDrawBar = wParam ? 1 : 0;
        if (gDrawingToolsSeam.pfnEndHover) gDrawingToolsSeam.pfnEndHover();
        UpdateStatusBar(0);
      }
      break;
    }
    case MSG_DRAW_SENDTO_ICON:
      return gSendToSeam.pfnDrawDestinationIcon ? gSendToSeam.pfnDrawDestinationIcon(wParam, lParam)
                                                : 0;
    case WM_PROCESSCMDLINE:
      OnProcessCommandLine(wParam);
      return 0;
    case MSG_REFRESH_TRAY:
      gApp.SetTrayIcon(kMainWindowId, gOptions.iTrayIcon ? kIconProgram : -1, nullptr);
      return 0;
    case MSG_ITEM_DBLCLK:
      if (LOWORD(wParam) == kCmdColorPalette && !IsProgramBusy()) {
        // A double click edits the slot, which then draws.
        if (ChooseCustomColor(kCmdColorPalette))
          CommandHandler(window, MAKEWPARAM(kCmdColorPalette, 1), 0);
        return 0;
      }
      break;
    case MSG_QUIT_PROGRAM:
      PostCommand(window, kCmdExit);
      return 0;
    case MSG_GET_DYNAMIC_TEXT:
      if (const char* text = DynamicText(wParam, lParam)) return reinterpret_cast<LRESULT>(text);
      break;
    case MSG_SENDTO_OPENS_POPUP:
      if (wParam == kCmdSendTo)
        return strcmp(gSysProfile.szDSTarget, "<Ask for destination>") == 0 || lParam == 1;
      break;
    case MSG_ITEM_DRAG_OUT:
      if (lParam == 0) DragOutImage();
      return 0;
  }
  return AppWindowDefProc(window, message, wParam, lParam);
}
