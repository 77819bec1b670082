// What the main window offers the rest of the program: showing and hiding
// it, the global hotkeys, the drawing colours and tools, profile switching,
// sending and dragging the image out, and the busy rule.
#include <windows.h>
#include <commdlg.h>
#include <windowsx.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "app/capture/capture_host.h"
#include "app/capture/capture_overlay_win.h"
#include "app/document/history.h"
#include "app/mainwindow/command_ids.h"
#include "app/mainwindow/drag_out_seam.h"
#include "app/mainwindow/drawing_tools_seam.h"
#include "app/mainwindow/main_window_rules.h"
#include "app/mainwindow/main_window_shared_win.h"
#include "app/mainwindow/main_window_win.h"
#include "app/mainwindow/profile_dialogs_seam.h"
#include "app/mainwindow/script_seam.h"
#include "app/operations/image_operations.h"
#include "app/profiles/profile_execution.h"
#include "app/profiles/profile_list.h"
#include "app/profiles/profile_menu.h"
#include "app/profiles/program_records.h"
#include "app/profiles/settings_store.h"
#include "app/startup/program_hooks.h"
#include "app/startup/program_texts.h"
#include "app/view/image_view_win.h"
#include "framework/app/app_win.h"
#include "framework/draw/color.h"
#include "framework/ui/value_items_win.h"

char gszHelpTopic[260] = {};
HWND ghwndMain = nullptr;

namespace {

constexpr uint16_t kHotkeyFailedText = 10001;
constexpr uint16_t kDiscardImageText = 10002;
constexpr int kOptionsPageSend = 11;
constexpr int kColorDialogFlags = 259;  // start colour, full dialog, any colour
constexpr int kDragOutFiles = 16;

int gProfileRuns = 0;
bool gSettingsSaved = false;
// Files a drop target may still read: removed at exit.
char gDragOutPaths[kDragOutFiles][MAX_PATH];
int gDragOutCount = 0;

template <class T>
T* ItemValue(uint16_t id, uint16_t kind) {
  CommandRecord* command = gApp.Command(id);
  return command && command->kind == kind && command->data ? static_cast<T*>(command->data)
                                                           : nullptr;
}

COLORREF ArgbToColorRef(uint32_t argb) { return ColorToBgr(argb & 0xFFFFFF) & 0xFFFFFF; }

CImage* CurrentImage() { return GetHistoryImage(giCurrentImage); }

}  // namespace

// The draw bar's items, the draw bar's values and the options show one set
// of colours; the current image's pen follows.
void ApplyDrawColors() {
  gOptions.cFore |= 0xFF000000u;
  CopyOptionsToDrawBar(gOptions, &gDrawBarValues);
  if (ColorValue* fore = ItemValue<ColorValue>(kCmdBrushColor, kItemColor)) {
    fore->argb = gOptions.cFore;
    fore->flag = 1;
  }
  if (ColorValue* back = ItemValue<ColorValue>(kCmdBackgroundColor, kItemColor)) {
    back->argb = gOptions.cBack;
    back->flag = gOptions.iBackFill ? 1 : 0;
  }
  if (PaletteValue* palette = ItemValue<PaletteValue>(kCmdColorPalette, kItemPalette))
    memcpy(palette->cells, gOptions.cPalette, sizeof(palette->cells));
  if (RangeValue* brush = ItemValue<RangeValue>(kCmdBrushSize, kItemBrushSize))
    brush->value = gOptions.iBrushSize;
  for (uint16_t id : {kCmdBrushColor, kCmdBackgroundColor, kCmdColorPalette, kCmdBrushSize})
    gApp.RefreshCommand(id, 0, false);
  if (CImage* image = CurrentImage()) image->SetPen(gOptions.iBrushSize, gOptions.cFore);
}

bool IsProgramBusy() {
  return gApp.m_iModalCount > 0 || IsCaptureOverlayRunning() || gProfileRuns > 0 ||
         IsProfileRunning();
}

OperationError RunProfile(ProfileRecord* profile) {
  if (gProfileRuns > 0) return ErrCancelled;
  ++gProfileRuns;
  const OperationError result = ExecuteProfile(profile);
  --gProfileRuns;
  ReportOperationError(result);
  return result;
}

int ShowProgramBox(uint16_t textId, unsigned style, ...) {
  char text[1024];
  va_list arguments;
  va_start(arguments, style);
  const char* format = gStringTable.GetText(textId, 0);
  vsnprintf(text, sizeof(text), format ? format : "", arguments);
  va_end(arguments);
  return gApp.ShowMessage(ghwndMain, gStringTable.GetText(kProductNameText, 0), "%s", style, 0,
                          text);
}

void SetZoomIndex(int index, int mode) {
  giZoomIndex = index < 0 ? 0 : (index >= kZoomSteps ? kZoomSteps - 1 : index);
  if (RangeValue* slider = ItemValue<RangeValue>(kCmdZoom, kItemSlider)) slider->value = giZoomIndex;
  gApp.RefreshCommand(kCmdZoom, giZoomIndex, false);
  if (mode >= 0) RefreshView(mode, 0);
}

void SaveSettingsOnExit() {
  if (gSettingsSaved) return;
  gSettingsSaved = true;
  SaveSettings();
}

bool SettingsSavedOnExit() { return gSettingsSaved; }

int ShowMainWindow(int show) {
  CAppWindow* frame = gApp.FindAppWindowById(kMainWindowId);
  if (!frame || !frame->hwnd) return 0;
  const int wasVisible = IsWindowVisible(frame->hwnd) ? 1 : 0;
  const HWND satellites[] = {
      gScriptSeam.pfnGetProgressDialog ? gScriptSeam.pfnGetProgressDialog() : nullptr,
      gDrawingToolsSeam.pfnGetTextDialog ? gDrawingToolsSeam.pfnGetTextDialog() : nullptr};
  if (show) {
    frame->Show(SW_SHOW, 1);
    for (HWND window : satellites)
      if (window) ShowWindow(window, SW_SHOW);
    SetForegroundWindow(frame->hwnd);
    return wasVisible;
  }
  // Lowest priority while the window goes, so that the programs behind it
  // repaint before anything is taken from the screen.
  HANDLE thread = GetCurrentThread();
  SetThreadPriority(thread, THREAD_PRIORITY_LOWEST);
  if (wasVisible) {
    for (HWND window : satellites)
      if (window) ShowWindow(window, SW_HIDE);
    frame->Show(SW_HIDE, 0);
    gApp.Wait(10, 0);
  }
  SetThreadPriority(thread, THREAD_PRIORITY_NORMAL);
  return wasVisible;
}

void HideAfterAction(uint32_t result) {
  if (result == 0 && gOptions.iHideOnAction) ShowMainWindow(0);
}

bool IsSizeChanged() {
  CImage* current = CurrentImage();
  CImage* below = GetHistoryImage(giCurrentImage - 1);
  if (!current || !below) return true;
  return current->GetWidth() != below->GetWidth() || current->GetHeight() != below->GetHeight();
}

bool ConfirmDiscardImage() {
  if (!gOptions.iConfirm || !gbImageChanged) return true;
  return ShowProgramBox(kDiscardImageText, kBoxQuestion) == 6;
}

void RegisterHotkeys(int registerThem, int report) {
  if (!ghwndMain) return;
  for (int id = 0; id < kHotkeyCount; ++id) UnregisterHotKey(ghwndMain, id);
  if (!registerThem) return;
  for (int id = 0; id < kHotkeyCount; ++id) {
    const uint16_t hotkey = gOptions.hkHotkey[id].hotkey;
    if (!hotkey) continue;
    if (RegisterHotKey(ghwndMain, id, HotkeyModifiers(hotkey), HotkeyKey(hotkey)) || !report)
      continue;
    char name[260];
    FormatHotkeyName(hotkey, name, sizeof(name));
    ShowProgramBox(kHotkeyFailedText, kBoxIconExclamation | kBoxOk, name);
  }
}

void ActivateProfile(int32_t index) {
  BuildProfileMenu();
  LoadProfileByIndex(index, &gCurrentProfile);
  RefreshView(0, 0);
  RegisterHotkeys(1, 0);
}

bool ChooseCustomColor(uint16_t colorCommand) {
  uint32_t* target = nullptr;
  PaletteValue* palette = ItemValue<PaletteValue>(kCmdColorPalette, kItemPalette);
  int slot = palette && palette->selected >= 0 && palette->selected < kPaletteColors
                 ? palette->selected
                 : 0;
  if (colorCommand == kCmdBrushColor) target = &gOptions.cFore;
  else if (colorCommand == kCmdBackgroundColor) target = &gOptions.cBack;
  else if (colorCommand == kCmdColorPalette) target = &gOptions.cPalette[slot];
  if (!target) return false;
  COLORREF custom[kPaletteColors];
  for (int i = 0; i < kPaletteColors; ++i) custom[i] = ArgbToColorRef(gOptions.cPalette[i]);
  CHOOSECOLORA dialog = {};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = ghwndMain;
  dialog.rgbResult = ArgbToColorRef(*target);
  dialog.lpCustColors = custom;
  dialog.Flags = kColorDialogFlags;
  gApp.EnterModal(true);
  const bool chosen = ChooseColorA(&dialog) != FALSE;
  gApp.EnterModal(false);
  // The dialog's custom colours are the palette's, kept even on Cancel.
  for (int i = 0; i < kPaletteColors; ++i) gOptions.cPalette[i] = ColorToArgb(custom[i], 255);
  if (chosen) *target = ColorToArgb(dialog.rgbResult, 255);
  ApplyDrawColors();
  return chosen;
}

void SetPickedColor(int which, uint32_t argb) {
  if (which == 0) gOptions.cFore = argb | 0xFF000000u;
  else gOptions.cBack = argb | 0xFF000000u;
  ApplyDrawColors();
}

void SelectDrawTool(int tool) {
  // Choosing the active tool again leaves it for the selection.
  gOptions.iTool = tool == gOptions.iTool ? 0 : tool;
  if (gDrawingToolsSeam.pfnEndHover) gDrawingToolsSeam.pfnEndHover();
  UpdateStatusBar(0);
}

int SendCurrentImage(const char* destination) {
  if (!gProfileStepSeams.pfnSendImage) return 0;
  const OperationError result = gProfileStepSeams.pfnSendImage(&gSysProfile, destination);
  if (result != 0) {
    ReportOperationError(result);
    if ((result & 0xFFFF) == ErrNoEditor && gProfileDialogsSeam.pfnShowProgramOptions)
      gProfileDialogsSeam.pfnShowProgramOptions(kOptionsPageSend);
    return int(result);
  }
  HideAfterAction(0);
  return 0;
}

int DragOutImage() {
  CImage* image = CurrentImage();
  if (!image || !gDragOutSeam.pfnDragFile) return 0;
  char name[kImageNameChars];
  memcpy(name, image->szName, sizeof(name));
  char expanded[MAX_PATH] = {};
  if (gProgramHooks.pfnExpandTemplate)
    gProgramHooks.pfnExpandTemplate(gSysProfile.szDefDropName, expanded, sizeof(expanded), 1);
  char fileName[MAX_PATH];
  DragOutFileName(expanded, fileName, sizeof(fileName));
  char folder[MAX_PATH];
  DWORD n = GetTempPathA(sizeof(folder), folder);
  char path[2 * MAX_PATH];
  if (n == 0 || n >= sizeof(folder) ||
      snprintf(path, sizeof(path), "%s%s", folder, fileName) >= MAX_PATH)
    return 0;
  // Dragging a copy out is no delivery: the image stays as changed as it was.
  const uint8_t changed = gbImageChanged;
  const OperationError saved = SaveImageFile(&gSysProfile, path);
  gbImageChanged = changed;
  if (saved != 0) return 0;
  gDragOutSeam.pfnDragFile(path);
  // The drop target may read the file after the drag ends: it goes at exit.
  if (gDragOutCount < kDragOutFiles) snprintf(gDragOutPaths[gDragOutCount++], MAX_PATH, "%s", path);
  if (CImage* now = CurrentImage()) memcpy(now->szName, name, sizeof(name));
  UpdateStatusBar(0);
  return 1;
}

void DeleteDragOutFiles() {
  for (int i = 0; i < gDragOutCount; ++i) DeleteFileA(gDragOutPaths[i]);
  gDragOutCount = 0;
}

LRESULT CALLBACK GetMessageHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && wParam == PM_REMOVE) {
    MSG* message = reinterpret_cast<MSG*>(lParam);
    if (message->message == WM_MOUSEWHEEL) {
      // The wheel turns what is under the cursor, not what has the focus.
      POINT at = {GET_X_LPARAM(message->lParam), GET_Y_LPARAM(message->lParam)};
      HWND under = WindowFromPoint(at);
      DWORD process = 0;
      if (under) GetWindowThreadProcessId(under, &process);
      if (under && process == GetCurrentProcessId()) message->hwnd = under;
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

void ConnectMainWindow() {
  gProgramHooks.pfnShowMainWindow = ShowMainWindow;
  gProgramHooks.pfnGetMainWindow = []() -> void* { return ghwndMain; };
  gProgramHooks.pfnUpdateStatusBar = UpdateStatusBar;
  gProgramHooks.pfnBeginBusy = [](const char* text) { BeginBusy(text, nullptr); };
  gProgramHooks.pfnShowProgress = [](int position, int range) {
    SetProgress(nullptr, position, range);
  };
  gProgramHooks.pfnEndBusy = EndBusy;
  gProgramHooks.pfnSelectDrawTool = SelectDrawTool;
  gProgramHooks.pfnSetMainWindowTitle = [](const char* title) {
    if (ghwndMain) SetWindowTextA(ghwndMain, title);
  };
  gProgramHooks.pfnSetHelpTopic = [](const char* topic) {
    snprintf(gszHelpTopic, sizeof(gszHelpTopic), "%s", topic ? topic : "");
  };
  gCaptureHost.pfnRegisterHotkeys = RegisterHotkeys;
  gCaptureHost.pfnSelectDrawTool = SelectDrawTool;
}
