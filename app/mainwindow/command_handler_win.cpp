// The program's commands, from menus, bars, accelerators, the tray and the
// program itself. Image commands refresh the view and report their result
// once; a cancelled command shows nothing.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstring>

#include "app/document/history.h"
#include "app/document/stamp_buffer.h"
#include "app/mainwindow/command_ids.h"
#include "app/mainwindow/image_dialogs_seam.h"
#include "app/mainwindow/main_window_shared_win.h"
#include "app/mainwindow/main_window_win.h"
#include "app/mainwindow/printing_seam.h"
#include "app/mainwindow/profile_dialogs_seam.h"
#include "app/mainwindow/scanning_seam.h"
#include "app/mainwindow/script_seam.h"
#include "app/mainwindow/send_to_seam.h"
#include "app/operations/auto_select.h"
#include "app/operations/image_operations.h"
#include "app/operations/save_as_dialog.h"
#include "app/profiles/profile_execution.h"
#include "app/profiles/profile_list.h"
#include "app/profiles/program_records.h"
#include "app/profiles/settings_store.h"
#include "app/view/image_view_win.h"
#include "framework/app/app_win.h"
#include "framework/ui/dialog_helpers_win.h"
#include "framework/ui/value_items_win.h"

namespace {

constexpr uint16_t kClipboardTextFailedText = 10003;
constexpr uint16_t kProfileNotLoadedText = 10009;
constexpr uint16_t kProfileNotSavedText = 10010;
constexpr int kOptionsPageSave = 5;
constexpr int kOptionsPagePrint = 6;
constexpr int kOptionsPageScan = 9;
constexpr int kToolOfCommand[][2] = {
    {kCmdToolArrow, 3}, {kCmdToolBox, 4}, {kCmdToolDraw, 1},   {kCmdToolFill, 6},
    {kCmdToolInvert, 5}, {kCmdToolLine, 2}, {kCmdToolSelect, 0}, {kCmdToolStamp, 8},
    {kCmdToolText, 7},
};
const char kOpenFilters[] =
    "All supported formats\0*.bmp;*.gif;*.jpg;*.jpeg;*.png;*.tif;*.tiff;*.ico;*.cur;*.pcx;*.tga;"
    "*.wmf;*.emf\0BMP\0*.bmp\0GIF\0*.gif\0JPG\0*.jpg;*.jpeg\0PNG\0*.png\0TIF\0*.tif;*.tiff\0\0";
const char kScriptFilters[] = "Brightwarden Script Files (*.BWS)\0*.bws\0\0";

// What the profile that scans, prints and the like work on: the program's
// own settings, or a profile loaded from the menu for one run.
ProfileRecord gMenuProfile;

CImage* CurrentImage() { return GetHistoryImage(giCurrentImage); }

// A file dialog is modal to the program: hotkeys, drops and commands wait.
class CModalScope {
 public:
  CModalScope() { gApp.EnterModal(true); }
  ~CModalScope() { gApp.EnterModal(false); }
  CModalScope(const CModalScope&) = delete;
  CModalScope& operator=(const CModalScope&) = delete;
};

const char* AskFileName(const char* filters, int filterIndex, int* chosen, char* folder) {
  CModalScope modal;
  return GetFileNameDialog(false, filters, filterIndex, chosen, folder, "");
}

// After every image command: the view, then the one report.
void Finish(OperationError result, int mode = 0, int fit = 0) {
  RefreshView(mode, fit);
  ReportOperationError(result);
}

bool SelectionIsWholeImage() {
  CImage* image = CurrentImage();
  if (!image) return false;
  const RECT& s = image->rcSelection;
  return s.left <= 0 && s.top <= 0 && s.right >= image->GetWidth() - 1 &&
         s.bottom >= image->GetHeight() - 1;
}

void OpenImageFile() {
  char folder[kRecordPathChars];
  snprintf(folder, sizeof(folder), "%s", gOptions.szOpenPath);
  int chosen = gOptions.iOpenType;
  const char* path = AskFileName(kOpenFilters, gOptions.iOpenType, &chosen, folder);
  if (!path) return;
  snprintf(gOptions.szOpenPath, sizeof(gOptions.szOpenPath), "%s", folder);
  gOptions.iOpenType = uint8_t(chosen >= 0 ? chosen : 0);
  char file[MAX_PATH];
  snprintf(file, sizeof(file), "%s", path);
  Finish(LoadImageFile(file), 1, gOptions.iAutoZoom);
}

void SaveAs() {
  const char* chosen;
  {
    CModalScope modal;
    chosen = SaveImageAsDialog(&gCurrentProfile);
  }
  if (!chosen) return;
  char path[MAX_PATH];
  snprintf(path, sizeof(path), "%s", chosen);
  const OperationError result = SaveImageFile(&gCurrentProfile, path);
  Finish(result);
  HideAfterAction(result);
}

void SaveToDestination() {
  const OperationError result = SaveToProfileDestination(&gSysProfile);
  Finish(result);
  if ((result & 0xFFFF) == ErrNoSavePath && (result >> 16) != 0 &&
      gProfileDialogsSeam.pfnShowProgramOptions)
    gProfileDialogsSeam.pfnShowProgramOptions(kOptionsPageSave);
  HideAfterAction(result);
}

void Print(int variant) {
  if (!gProfileStepSeams.pfnPrintImage) return;
  if (variant == 2 && gPrintingSeam.pfnPrintOptions && !gPrintingSeam.pfnPrintOptions(&gSysProfile))
    return;
  const OperationError result = gProfileStepSeams.pfnPrintImage(&gSysProfile);
  Finish(result);
  if (result != 0 && result != ErrCancelled && gProfileDialogsSeam.pfnShowProgramOptions)
    gProfileDialogsSeam.pfnShowProgramOptions(kOptionsPagePrint);
  HideAfterAction(result);
}

void Scan(int variant) {
  if (!gProfileStepSeams.pfnScanImage) return;
  if (variant == 2 && gScanningSeam.pfnSourceOptions && !gScanningSeam.pfnSourceOptions(&gSysProfile))
    return;
  const OperationError result = gProfileStepSeams.pfnScanImage(&gSysProfile);
  Finish(result, 1, gOptions.iAutoZoom);
  if (result != 0 && result != ErrCancelled && gProfileDialogsSeam.pfnShowProgramOptions)
    gProfileDialogsSeam.pfnShowProgramOptions(kOptionsPageScan);
  HideAfterAction(result);
}

void Copy() {
  const OperationError result = CopyImageToClipboard();
  Finish(result);
  HideAfterAction(result);
}

void Paste(int variant) {
  const OperationError result = PasteImageFromClipboard();
  Finish(result, 1, gOptions.iAutoZoom);
  // A stamp copied from an image is pasted with the stamp tool.
  if (result == 0 && (variant & 0x10) && gStampBuffer.pPixels) SelectDrawTool(8);
}

void OpenClipboardTextFile() {
  const char* path = gOptions.szCBText;
  if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) {
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  }
  if (reinterpret_cast<INT_PTR>(ShellExecuteA(ghwndMain, "open", path, nullptr, nullptr,
                                              SW_SHOWNORMAL)) <= 32)
    ShowProgramBox(kClipboardTextFailedText, kBoxNote, path);
}

void RunScript() {
  if (!gScriptSeam.pfnRunScriptFile || !ConfirmDiscardImage()) return;
  char folder[MAX_PATH] = {};
  int chosen = 0;
  const char* path = AskFileName(kScriptFilters, 0, &chosen, folder);
  if (!path) return;
  char file[MAX_PATH];
  snprintf(file, sizeof(file), "%s", path);
  Finish(gScriptSeam.pfnRunScriptFile(file), 1, gOptions.iAutoZoom);
}

void EditCurrentProfile() {
  if (!gProfileDialogsSeam.pfnEditProfile || !gProfileDialogsSeam.pfnEditProfile(&gCurrentProfile))
    return;
  if (SaveProfileByIndex(giCurrentProfile, &gCurrentProfile) != 0)
    ShowProgramBox(kProfileNotSavedText, kBoxNote);
  ActivateProfile(giCurrentProfile);
}

// A new profile from the template, shown in the profile options dialog at
// its first page: true when the user confirmed it.
bool CreateProfileInteractive(ProfileRecord* record) {
  if (!gProfileDialogsSeam.pfnCreateProfile) return false;
  InitNewProfile(record);
  return gProfileDialogsSeam.pfnCreateProfile(record);
}

void CreateProfile() {
  ProfileRecord created;
  if (!CreateProfileInteractive(&created)) return;
  const int32_t index = AppendProfile(&created);
  if (index < 0) {
    ShowProgramBox(kProfileNotSavedText, kBoxNote);
    return;
  }
  ActivateProfile(index);
}

void RunStoredProfile(int32_t index) {
  if (LoadProfileByIndex(index, &gMenuProfile) != 0) {
    ShowProgramBox(kProfileNotLoadedText, kBoxNote);
    return;
  }
  RunProfile(&gMenuProfile);
}

void ToggleDrawBar() {
  if (CDockBar* bar = gApp.FindBar(kBarDraw)) gApp.ShowBar(bar, !bar->IsVisible());
}

// The draw bar's colour commands: 1 choose, 2 (background) transparent on
// or off, 0 take what the item picked from the screen.
void OnColorCommand(uint16_t id, int variant) {
  if (variant == 1) {
    ChooseCustomColor(id);
    return;
  }
  if (variant == 2 && id == kCmdBackgroundColor) {
    gOptions.iBackFill = gOptions.iBackFill ? 0 : 1;
  } else if (variant == 0) {
    CommandRecord* command = gApp.Command(id);
    const ColorValue* value =
        command && command->kind == kItemColor ? static_cast<ColorValue*>(command->data) : nullptr;
    if (value) {
      if (id == kCmdBrushColor) gOptions.cFore = value->argb | 0xFF000000u;
      else gOptions.cBack = value->argb | 0xFF000000u;
    }
  }
  ApplyDrawColors();
}

void OnPaletteCommand(int variant) {
  CommandRecord* command = gApp.Command(kCmdColorPalette);
  PaletteValue* value = command && command->kind == kItemPalette
                            ? static_cast<PaletteValue*>(command->data)
                            : nullptr;
  // The item may have picked a colour from the screen into its slot.
  if (value) memcpy(gOptions.cPalette, value->cells, sizeof(gOptions.cPalette));
  const int slot = value && value->selected >= 0 && value->selected < kPaletteColors ? value->selected : 0;
  if (variant == 1) {
    gOptions.cFore = gOptions.cPalette[slot] | 0xFF000000u;
  } else if (variant == 2) {
    gOptions.cBack = gOptions.cPalette[slot] | 0xFF000000u;
  } else if (variant == 3) {
    OptionsRecord defaults;
    InitDefaultOptions(&defaults, kDefaultScreenDpi);
    memcpy(gOptions.cPalette, defaults.cPalette, sizeof(gOptions.cPalette));
  }
  ApplyDrawColors();
}

void OnBrushSize() {
  CommandRecord* command = gApp.Command(kCmdBrushSize);
  if (command && command->kind == kItemBrushSize && command->data)
    gOptions.iBrushSize = static_cast<RangeValue*>(command->data)->value;
  ApplyDrawColors();
}

void OnZoomControl(LPARAM lParam) {
  CommandRecord* command = gApp.Command(kCmdZoom);
  if (command && command->kind == kItemSlider && command->data)
    SetZoomIndex(static_cast<RangeValue*>(command->data)->value, -1);
  RefreshView(lParam == -1 ? 2 : 1, 0);
}

void ScrollView(uint16_t id) {
  HWND view = GetImageViewWindow();
  if (!view) return;
  const bool horizontal = id == kCmdScrollLeft || id == kCmdScrollRight;
  const WPARAM code = (id == kCmdScrollLeft || id == kCmdScrollUp) ? SB_LINEUP : SB_LINEDOWN;
  SendMessageA(view, horizontal ? 1025 : 1026, code, 0);
}

// Commands that change the image in one call of the image operations.
bool RunImageCommand(uint16_t id) {
  switch (id) {
    case kCmdClearArea: Finish(ClearSelection(gOptions.cBack)); return true;
    case kCmdFlipHorizontally: Finish(FlipImage(0)); return true;
    case kCmdFlipVertically: Finish(FlipImage(1)); return true;
    case kCmdInvert: Finish(InvertImage()); return true;
    case kCmdRotate180: Finish(RotateImage(180.0f)); return true;
    case kCmdRotateLeft: Finish(RotateImage(-90.0f)); return true;
    case kCmdRotateRight: Finish(RotateImage(90.0f)); return true;
    case kCmdSharpen: Finish(FilterImage(1)); return true;
    case kCmdSoften: Finish(FilterImage(-1)); return true;
    case kCmdCrop:
      if (!SelectionIsWholeImage()) Finish(CropToSelection(), 1, gOptions.iAutoZoom);
      return true;
    case kCmdHighlight:
      if (!SelectionIsWholeImage()) Finish(HighlightSelection());
      return true;
    case kCmdBlackWhite: case kCmdGrayscale: case kCmd16Colors: case kCmd256Colors:
    case kCmdTrueColor:
      Finish(ConvertColors((id - kCmdBlackWhite) / 10, gSysProfile.iICDither != 0,
                           gSysProfile.iICWinPal != 0));
      return true;
  }
  return false;
}

// Commands that open one of the image dialogs first.
bool RunDialogCommand(uint16_t id) {
  switch (id) {
    case kCmdAdjustColors:
      if (gImageDialogsSeam.pfnAdjustColors) Finish(gImageDialogsSeam.pfnAdjustColors());
      return true;
    case kCmdReplaceColors:
      if (gImageDialogsSeam.pfnReplaceColorsDialog &&
          gImageDialogsSeam.pfnReplaceColorsDialog(&gSysProfile))
        Finish(ReplaceColors(&gSysProfile));
      return true;
    case kCmdResize:
    case kCmdPaneDimensions:
      if (IsHistoryIndexValid(giCurrentImage) && gImageDialogsSeam.pfnResizeDialog &&
          gImageDialogsSeam.pfnResizeDialog(&gSysProfile))
        Finish(ResizeImage(&gSysProfile), 1, gOptions.iAutoZoom);
      return true;
    case kCmdRotate: {
      float angle = 0.0f;
      if (gImageDialogsSeam.pfnRotateDialog && gImageDialogsSeam.pfnRotateDialog(&angle))
        Finish(RotateImage(angle));
      return true;
    }
  }
  return false;
}

bool RunProgramCommand(HWND window, uint16_t id, int variant, LPARAM lParam) {
  switch (id) {
    case kCmdShowMain: ShowMainWindow(1); return true;
    case kCmdDither:
      gSysProfile.iICDither = gSysProfile.iICDither ? 0 : 1;
      UpdateStatusBar(0);
      return true;
    case kCmdWindowsPaletteToggle:
    case kCmdOptimizedPalette:
    case kCmdWindowsPalette:
      gSysProfile.iICWinPal = id == kCmdWindowsPaletteToggle ? !gSysProfile.iICWinPal
                                                             : id == kCmdWindowsPalette;
      UpdateStatusBar(0);
      return true;
    case kCmdBrushSize: OnBrushSize(); return true;
    case kCmdBrushColor:
    case kCmdBackgroundColor: OnColorCommand(id, variant); return true;
    case kCmdColorPalette: OnPaletteCommand(variant); return true;
    case kCmdAutoSelect:
      AutoSelect();
      RefreshView(0, 0);
      return true;
    case kCmdCopy: Copy(); return true;
    case kCmdPaste: Paste(variant); return true;
    case kCmdRedo: MoveHistoryForward(); RefreshView(1, gOptions.iAutoZoom); return true;
    case kCmdUndo: MoveHistoryBack(); RefreshView(1, gOptions.iAutoZoom); return true;
    case kCmdSelectAll:
      if (CImage* image = CurrentImage()) image->SelectAll();
      RefreshView(0, 0);
      return true;
    case kCmdClose:
      if (ConfirmDiscardImage()) {
        ClearHistory();
        RefreshView(0, 0);
      }
      return true;
    case kCmdExit:
      if (ConfirmDiscardImage()) {
        SaveSettingsOnExit();
        PostQuitMessage(0);
      }
      return true;
    case kCmdHide: ShowMainWindow(0); return true;
    case kCmdNew: RunProfile(&gCurrentProfile); return true;
    case kCmdOpen: OpenImageFile(); return true;
    case kCmdPrint: Print(variant); return true;
    case kCmdSave: SaveToDestination(); return true;
    case kCmdSaveAs: SaveAs(); return true;
    case kCmdScan: Scan(variant); return true;
    case kCmdSendTo: SendCurrentImage(nullptr); return true;
    case kCmdAbout:
      if (gProfileDialogsSeam.pfnShowAbout) gProfileDialogsSeam.pfnShowAbout();
      return true;
    case kCmdManual:
      gszHelpTopic[0] = '\0';
      SendMessageA(window, MSG_OPEN_HELP, 0, 0);
      return true;
    case kCmdProfile:
      if (variant == 2) Finish(ApplyProfile(&gCurrentProfile));
      else RunProfile(&gCurrentProfile);
      return true;
    case kCmdEditProfile: EditCurrentProfile(); return true;
    case kCmdNewProfile: CreateProfile(); return true;
    case kCmdOrganizeProfiles:
      if (gProfileDialogsSeam.pfnOrganizeProfiles) {
        gProfileDialogsSeam.pfnOrganizeProfiles();
        ActivateProfile(giCurrentProfile);
      }
      return true;
    case kCmdProfileSelect: ActivateProfile(int32_t(lParam)); return true;
    case kCmdProfileRun: RunStoredProfile(int32_t(lParam)); return true;
    case kCmdZoom: OnZoomControl(lParam); return true;
    case kCmdRunScript: RunScript(); return true;
    case kCmdClipboardText: OpenClipboardTextFile(); return true;
    case kCmdOptions:
      if (gProfileDialogsSeam.pfnShowProgramOptions && gProfileDialogsSeam.pfnShowProgramOptions(0))
        SaveSettings();
      return true;
    case kCmdToggleDrawBar: ToggleDrawBar(); return true;
    case kCmdScrollLeft: case kCmdScrollRight: case kCmdScrollUp: case kCmdScrollDown:
      ScrollView(id);
      return true;
    // Submenus, texts and images only, and the panes without a click.
    case kCmdTrayNew: case kCmdFlip: case kCmdColorMode: case kCmdSendToEditor:
    case kCmdSendToWord: case kCmdPhotocopy: case kCmdPaneStatus: case kCmdPaneColor:
    case kCmdPanePosition: case kCmdPaneZoom: case kCmdZoomMenu:
      return true;
  }
  return false;
}

}  // namespace

int CommandHandler(HWND window, WPARAM commandId, LPARAM lParam) {
  const uint16_t id = LOWORD(commandId);
  const int variant = HIWORD(commandId);
  if (id < kProfileCommandLimit) {
    // A profile of the menu: variant 2 runs it, otherwise it becomes current.
    return CommandHandler(window, MAKEWPARAM(variant == 2 ? kCmdProfileRun : kCmdProfileSelect, 0),
                          LPARAM(id));
  }
  if (id >= kFirstSendToCommand && id <= kLastSendToCommand) {
    const char* name = gSendToSeam.pfnGetDestinationName
                           ? gSendToSeam.pfnGetDestinationName(id - kFirstSendToCommand)
                           : nullptr;
    if (name) SendCurrentImage(name);
    return 0;
  }
  if (id >= kCmdZoomFirst && id <= kCmdZoomLast && (id - kCmdZoomFirst) % 10 == 0) {
    SetZoomIndex((id - kCmdZoomFirst) / 10, 1);
    return 0;
  }
  for (const auto& tool : kToolOfCommand) {
    if (tool[0] == id) {
      SelectDrawTool(tool[1]);
      return 0;
    }
  }
  if (RunImageCommand(id) || RunDialogCommand(id) || RunProgramCommand(window, id, variant, lParam))
    return 0;
  return 1;
}
