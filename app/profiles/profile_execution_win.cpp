// The run itself: the source step, the processing and outputs in their
// fixed order, the main window's visibility around them, and the guards
// that keep runs from nesting and chains from looping.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstring>

#include "app/capture/capture_win.h"
#include "app/document/history.h"
#include "app/document/text_overlay.h"
#include "app/operations/auto_select.h"
#include "app/operations/image_operations.h"
#include "app/operations/operation_runner.h"
#include "app/operations/save_as_dialog.h"
#include "app/profiles/profile_execution.h"
#include "app/profiles/profile_execution_rules.h"
#include "app/profiles/profile_list.h"
#include "app/profiles/program_records.h"
#include "app/startup/program_hooks.h"
#include "app/view/image_view_win.h"
#include "framework/app/app_win.h"
#include "framework/ui/dialog_helpers_win.h"

namespace {

const char kOpenFilters[] =
    "All supported formats\0*.bmp;*.dib;*.gif;*.jpg;*.jpeg;*.png;*.tif;*.tiff;*.ico;*.cur;"
    "*.tga;*.pcx;*.wmf;*.emf\0All files\0*.*\0";
constexpr int kOpenFilterCount = 2;

// Steps that wait for the user cannot run off the user interface thread:
// nothing would pump their windows, and the run would hang.
constexpr OperationError kOpenNeedsUi = OperationCode(OpOpen, ErrFunctionFailed);
constexpr OperationError kSaveAsNeedsUi = OperationCode(OpSave, ErrFunctionFailed);

// Set while a run is under way, by whichever thread started it.
std::atomic<bool> gRunning{false};
// The profiles running by name, one inside the other; touched only by the
// run that holds gRunning.
CProfileChain gChain;

bool OnUiThread() { return gApp.m_dwUiThreadId && GetCurrentThreadId() == gApp.m_dwUiThreadId; }

bool OnScanThread() {
  return gdwScanThreadId != 0 && GetCurrentThreadId() == gdwScanThreadId;
}

class CRunClaim {
 public:
  CRunClaim() : mHeld(!gRunning.exchange(true)) {}
  ~CRunClaim() {
    if (mHeld) gRunning = false;
  }
  CRunClaim(const CRunClaim&) = delete;
  CRunClaim& operator=(const CRunClaim&) = delete;
  bool Held() const { return mHeld; }

 private:
  bool mHeld;
};

HWND MainWindow() {
  return gProgramHooks.pfnGetMainWindow ? static_cast<HWND>(gProgramHooks.pfnGetMainWindow())
                                        : nullptr;
}

bool MainWindowVisible() {
  HWND main = MainWindow();
  return main && IsWindowVisible(main);
}

void ShowMainWindow(bool show) {
  if (!gProgramHooks.pfnShowMainWindow || !MainWindow()) return;
  if (show || MainWindowVisible()) gProgramHooks.pfnShowMainWindow(show ? 1 : 0);
}

// Only the user interface thread paints; a run on a worker leaves the
// refresh to the one who started it.
void RefreshRunView() {
  if (OnUiThread()) RefreshView(1, gOptions.iAutoZoom);
}

bool HasStep(const ProfileRecord& profile, int bit) {
  return (profile.ulSteps & MakeStepMask(bit, -1)) != 0;
}

// Which state is current, to tell whether the run pushed one since.
struct HistoryMark {
  const CImage* image;
  int32_t index;
  int32_t count;
};

HistoryMark MarkHistory() {
  return {GetHistoryImage(giCurrentImage), giCurrentImage, gaImageHistory.count};
}

bool SameState(const HistoryMark& a, const HistoryMark& b) {
  return a.image == b.image && a.index == b.index && a.count == b.count;
}

OperationError OpenStep(ProfileRecord* profile) {
  char path[kRecordPathChars];
  if (profile->iSOMode == 0) {
    if (!OnUiThread()) return kOpenNeedsUi;
    char folder[kRecordPathChars];
    snprintf(folder, sizeof folder, "%s", profile->szSOPath);
    const int filter = gOptions.iOpenType < kOpenFilterCount ? gOptions.iOpenType : 0;
    int chosen = filter;
    const char* picked = GetFileNameDialog(false, kOpenFilters, filter, &chosen, folder, nullptr);
    if (!picked) return ErrCancelled;
    // The type chosen here is the one the next open dialog offers first.
    if (chosen >= 0 && chosen < kOpenFilterCount) gOptions.iOpenType = uint8_t(chosen);
    snprintf(path, sizeof path, "%s", picked);
    if (profile->iSORemPath == 1)
      snprintf(profile->szSOPath, sizeof profile->szSOPath, "%s", folder);
  } else {
    if (!profile->szSOFile[0]) return ErrCancelled;
    snprintf(path, sizeof path, "%s", profile->szSOFile);
  }
  // The load keeps the file's folder and extension for the next Save As.
  return LoadImageFile(path);
}

OperationError ScanStep(ProfileRecord* profile) {
  if (!gProfileStepSeams.pfnScanImage) return OperationCode(OpScan, ErrFunctionFailed);
  return gProfileStepSeams.pfnScanImage(profile);
}

OperationError ColorFormatStep(ProfileRecord* profile) {
  const CImage* image = GetHistoryImage(giCurrentImage);
  if (ShouldConvertColors(profile->iICMode, profile->iICDither, image->iColorClass)) {
    if (OperationError r = ConvertColors(profile->iICMode, profile->iICDither != 0,
                                         profile->iICWinPal != 0))
      return r;
  }
  if (ShouldInvert(profile->iICInvert, profile->iICAutoInv,
                   profile->iICAutoInv ? IsImageDark() : false)) {
    if (OperationError r = InvertImage()) return r;
  }
  if (profile->iICReplCol) return ReplaceColors(profile);
  return 0;
}

OperationError GeometryStep(ProfileRecord* profile) {
  // Selecting and flipping only prepare; the chain goes on whatever they say.
  if (profile->iIGAutoSel) AutoSelect();
  if (profile->iIGFlipH) FlipImage(0);
  if (profile->iIGFlipV) FlipImage(1);
  float angle = 0;
  if (RotationAngle(profile->iIGRotate, profile->fIGAngle, &angle)) {
    if (OperationError r = RotateImage(angle)) return r;
  }
  // As the resize dialog would: from the selection's size.
  if (profile->iIGResize) {
    const RECT selection = GetHistoryImage(giCurrentImage)->rcSelection;
    return ResizeImageFrom(profile, selection.right - selection.left + 1,
                           selection.bottom - selection.top + 1);
  }
  return 0;
}

// The overlay draws into the current state in place: when this run made no
// state of its own, it gets one first, so that Undo gives back the pixels
// under the text.
OperationError OverlayStep(const ProfileRecord* profile, const HistoryMark& runStart) {
  bool pushed = false;
  if (SameState(runStart, MarkHistory())) {
    if (PushWorkingCopy() != 0) return OperationCode(OpProcess, ErrNoMemory);
    pushed = true;
  }
  const OperationError result = ApplyTextOverlay(profile);
  if (result != 0 && pushed) UndoImage();
  return result;
}

OperationError SaveAsStep(const ProfileRecord* profile) {
  if (!OnUiThread()) return kSaveAsNeedsUi;
  if (profile->iDARemPath == 0)
    snprintf(gOptions.szSaveAsPath, sizeof gOptions.szSaveAsPath, "%s", profile->szDAPath);
  const char* chosen = SaveImageAsDialog(profile);
  // A cancelled dialog skips the save, and the chain goes on.
  if (!chosen) return 0;
  char path[kRecordPathChars];
  snprintf(path, sizeof path, "%s", chosen);
  return SaveImageFile(&gSysProfile, path);
}

OperationError PrintStep(const ProfileRecord* profile) {
  if (!gProfileStepSeams.pfnPrintImage) return OperationCode(OpPrint, ErrFunctionFailed);
  return gProfileStepSeams.pfnPrintImage(profile);
}

OperationError SendStep(const ProfileRecord* profile) {
  if (!gProfileStepSeams.pfnSendImage) return OperationCode(OpSend, ErrFunctionFailed);
  return gProfileStepSeams.pfnSendImage(profile, nullptr);
}

OperationError ExecuteRun(ProfileRecord* profile);

OperationError ChainStep(const ProfileRecord* profile) {
  ProfileRecord next;
  if (LoadProfileByName(profile->szDXProfile, &next) != 0) return kProfileNameUnknown;
  return ExecuteRun(&next);
}

OperationError ApplyRun(ProfileRecord* profile, const HistoryMark& runStart) {
  if (!IsHistoryIndexValid(giCurrentImage)) return ErrNoImage;
  giZoomIndex = kZoomIndex100;
  struct Step {
    int bit;  // -1: regardless of the mask
    OperationError (*run)(ProfileRecord* profile, const HistoryMark& runStart);
  };
  static const Step kSteps[] = {
      {kStepColorFormat, [](ProfileRecord* p, const HistoryMark&) { return ColorFormatStep(p); }},
      {kStepGeometry, [](ProfileRecord* p, const HistoryMark&) { return GeometryStep(p); }},
      {kStepAdjustColors, [](ProfileRecord* p, const HistoryMark&) { return AdjustColors(p); }},
      {-1, [](ProfileRecord* p, const HistoryMark&) {
         return p->iIMSharpen ? FilterImage(1) : OperationError(0);
       }},
      {-1, [](ProfileRecord* p, const HistoryMark&) {
         return p->iIMSoften ? FilterImage(-1) : OperationError(0);
       }},
      {-1, [](ProfileRecord* p, const HistoryMark& start) {
         return p->iTxtOvl && p->szTxtOvlBuffer[0] ? OverlayStep(p, start) : OperationError(0);
       }},
      {-1, [](ProfileRecord*, const HistoryMark&) {
         RefreshRunView();
         return OperationError(0);
       }},
      {kStepSaveAs, [](ProfileRecord* p, const HistoryMark&) { return SaveAsStep(p); }},
      {kStepSaveSequential,
       [](ProfileRecord* p, const HistoryMark&) { return SaveToProfileDestination(p); }},
      {kStepCopy, [](ProfileRecord*, const HistoryMark&) { return CopyImageToClipboard(); }},
      {kStepPrint, [](ProfileRecord* p, const HistoryMark&) { return PrintStep(p); }},
      {kStepSend, [](ProfileRecord* p, const HistoryMark&) { return SendStep(p); }},
      {kStepChain, [](ProfileRecord* p, const HistoryMark&) { return ChainStep(p); }},
  };
  for (const Step& step : kSteps) {
    if (step.bit >= 0 && !HasStep(*profile, step.bit)) continue;
    if (OperationError result = step.run(profile, runStart)) {
      // The report that follows needs its owner on screen; a cancel has none.
      if (result != ErrCancelled) ShowMainWindow(true);
      return result;
    }
  }
  return 0;
}

OperationError SourceSteps(ProfileRecord* profile) {
  // Each source step that runs overwrites the result: the last one decides.
  OperationError result = 0;
  if (HasStep(*profile, kStepCapture)) {
    const int mode = profile->iSCMode;
    const bool overlay = mode == 0 || mode == 1 || mode == 5;
    result = overlay && !OnUiThread() ? kCaptureFailed : CaptureScreen(*profile);
  }
  if (HasStep(*profile, kStepOpen)) result = OpenStep(profile);
  if (HasStep(*profile, kStepPaste)) result = PasteImageFromClipboard();
  if (HasStep(*profile, kStepScan)) result = ScanStep(profile);
  return result;
}

OperationError ExecuteRun(ProfileRecord* profile) {
  if (OperationError refused = gChain.Enter(profile->szName)) return refused;
  const HistoryMark runStart = MarkHistory();
  const bool wasVisible = MainWindowVisible();
  OperationError result = SourceSteps(profile);
  if (result == 0) {
    ShowMainWindow(profile->iGHide == 0);
    RefreshRunView();
    // A scan applies the profile itself to every image it receives.
    if (!HasStep(*profile, kStepScan)) result = ApplyRun(profile, runStart);
  }
  ShowMainWindow(FinalMainWindowVisible(result, profile->iGHide, wasVisible));
  gChain.Leave();
  return result;
}

}  // namespace

bool IsProfileRunning() { return gRunning; }

OperationError ExecuteProfile(ProfileRecord* profile) {
  if (!profile) return ErrCancelled;
  CRunClaim claim;
  if (!claim.Held()) return ErrCancelled;
  return ExecuteRun(profile);
}

OperationError ApplyProfile(ProfileRecord* profile) {
  if (!profile) return ErrCancelled;
  // A scan's images arrive on its own thread while its run holds the claim.
  if (OnScanThread() && gRunning) return ApplyRun(profile, MarkHistory());
  CRunClaim claim;
  if (!claim.Held()) return ErrCancelled;
  // On the chain too, so that a profile it names cannot lead back to it.
  if (OperationError refused = gChain.Enter(profile->szName)) return refused;
  const OperationError result = ApplyRun(profile, MarkHistory());
  gChain.Leave();
  return result;
}
