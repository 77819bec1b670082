// The launchers of the operations that change the image: each clones the
// current state on a worker, computes there and commits on this thread.
#include <windows.h>

#include <new>

#include "app/document/history.h"
#include "app/operations/image_compute.h"
#include "app/operations/image_operations.h"
#include "app/operations/operation_launch.h"
#include "app/operations/operation_runner.h"
#include "app/profiles/program_records.h"

namespace {

// One clone operation: what the worker needs and what it hands back.
struct CloneJob {
  uint32_t operation;
  OperationError (*compute)(CImage* clone, const CloneJob& job);
  int32_t a = 0, b = 0, c = 0;
  float angle = 0;
  uint32_t color = 0;
  RECT selection = {};
  const ProfileRecord* profile = nullptr;
  ColorAdjustment adjustment = {};
  CImage* clone = nullptr;  // the finished state, until it is pushed
};

OperationError CloneWorker(void* argument) {
  CloneJob* job = static_cast<CloneJob*>(argument);
  CImage* clone = CloneCurrentImage();
  if (!clone) return OperationCode(job->operation, ErrNoMemory);
  SetProgressSource(clone);
  const OperationError result = job->compute(clone, *job);
  SetProgressSource(nullptr);
  if (result != 0) {
    delete clone;
    return result;
  }
  job->clone = clone;
  return 0;
}

// Runs the job (on a worker unless onUiThread) and pushes its clone.
OperationError RunCloneJob(CloneJob* job, const char* busyText, bool onUiThread,
                           bool sizeChanges) {
  if (!IsHistoryIndexValid(giCurrentImage)) return OperationCode(job->operation, ErrNoImage);
  const CImage* current = GetHistoryImage(giCurrentImage);
  job->selection = current->rcSelection;
  BusyDisplay busy(busyText);
  OperationError result = onUiThread ? CloneWorker(job) : RunImageOperation(CloneWorker, job);
  if (result == 0 && job->clone) {
    if (sizeChanges) job->clone->SelectAll();
    result = CommitNewState(job->clone, nullptr, gbLoadedFromFile, job->operation);
    job->clone = nullptr;
  }
  delete job->clone;
  return result;
}

}  // namespace

OperationError ConvertColors(int32_t colorClass, bool dither, bool windowsPalette) {
  if (!IsHistoryIndexValid(giCurrentImage)) return OperationCode(OpConvert, ErrNoImage);
  const int32_t from = GetHistoryImage(giCurrentImage)->iColorClass;
  if (from == colorClass || colorClass < kColorClassBlackWhite || colorClass > kColorClassTrueColor)
    return 0;
  CloneJob job;
  job.operation = OpConvert;
  job.a = from;
  job.b = colorClass;
  job.c = (dither ? 1 : 0) | (windowsPalette ? 2 : 0);
  job.compute = [](CImage* clone, const CloneJob& j) {
    return ConvertColorClass(clone, j.a, j.b, j.c & 1, j.c & 2);
  };
  return RunCloneJob(&job, "Converting:", false, false);
}

OperationError FlipImage(int32_t mode) {
  CloneJob job;
  job.operation = OpFlip;
  job.a = mode;
  job.compute = [](CImage* clone, const CloneJob& j) { return FlipByMode(clone, j.a); };
  return RunCloneJob(&job, "Calculating:", true, false);
}

OperationError AdjustColors(const ProfileRecord* p) {
  if (!IsHistoryIndexValid(giCurrentImage)) return OperationCode(OpAdjustColors, ErrNoImage);
  if (GetHistoryImage(giCurrentImage)->iColorClass == kColorClassBlackWhite) return 0;
  CloneJob job;
  job.operation = OpAdjustColors;
  job.adjustment = ComputeColorAdjustment(p->iIBBrightness, p->iIBContrast, p->iIBGamma,
                                          p->iIBSaturation, p->iIBHue);
  job.compute = [](CImage* clone, const CloneJob& j) {
    return ApplyColorAdjustment(clone, j.adjustment);
  };
  return RunCloneJob(&job, "Calculating:", false, false);
}

OperationError RotateImage(float angle) {
  if (!IsHistoryIndexValid(giCurrentImage)) return OperationCode(OpRotate, ErrNoImage);
  if (!IsUsableMeasure(angle, true)) return OperationCode(OpRotate, ErrFunctionFailed);
  CloneJob job;
  job.operation = OpRotate;
  job.angle = angle;
  job.a = gOptions.iBackFill != 0;
  job.color = gOptions.cBack;
  job.compute = [](CImage* clone, const CloneJob& j) {
    return RotateByAngle(clone, j.angle, j.a != 0, j.color);
  };
  return RunCloneJob(&job, "Rotating:", false, true);
}

OperationError FilterImage(int32_t mode) {
  CloneJob job;
  job.operation = OpProcess;
  job.a = mode;
  job.compute = [](CImage* clone, const CloneJob& j) { return FilterByMode(clone, j.a); };
  return RunCloneJob(&job, "Processing:", false, false);
}

OperationError ResizeImage(ProfileRecord* p) { return ResizeImageFrom(p, 0, 0); }

OperationError ResizeImageFrom(ProfileRecord* p, int32_t startWidth, int32_t startHeight) {
  if (!IsHistoryIndexValid(giCurrentImage)) return OperationCode(OpResize, ErrNoImage);
  CImage* current = GetHistoryImage(giCurrentImage);
  const int32_t width = current->GetWidth(), height = current->GetHeight();
  const bool fromStart = startWidth > 0 && startHeight > 0;
  ResizeInput in = {fromStart ? startWidth : width, fromStart ? startHeight : height,
                    current->GetXDpi(), current->GetYDpi(), p->fIGNewW, p->fIGNewH, p->iIGUnit, p->iIGDpi,
                    p->fIGAspect, gOptions.iUnits == 1};
  ResizeResult size = {};
  const bool usable = ComputeResizeSize(in, &size);
  p->fIGAspect = size.aspect;
  if (size.dpi > 0) {
    current->SetXDpi(size.dpi);
    current->SetYDpi(size.dpi);
  }
  if (!usable) return OperationCode(OpResize, ErrFunctionFailed);
  // Against the image itself: a size taken from the selection still
  // resamples the whole image.
  if (size.width == width && size.height == height) return 0;
  CloneJob job;
  job.operation = OpResize;
  job.a = size.width;
  job.b = size.height;
  job.c = p->iIGAntiAlias != 0;
  job.compute = [](CImage* clone, const CloneJob& j) {
    return ResampleTo(clone, j.a, j.b, j.c != 0);
  };
  return RunCloneJob(&job, "Resizing:", false, true);
}

OperationError ReplaceColors(const ProfileRecord* p) {
  CloneJob job;
  job.operation = OpReplaceColors;
  job.profile = p;
  job.compute = [](CImage* clone, const CloneJob& j) {
    return ReplaceColorsIn(clone, *j.profile, j.selection);
  };
  return RunCloneJob(&job, "Replacing:", false, false);
}

OperationError InvertImage() {
  CloneJob job;
  job.operation = OpInvert;
  job.compute = [](CImage* clone, const CloneJob& j) { return InvertSelection(clone, j.selection); };
  return RunCloneJob(&job, "Inverting:", false, false);
}

OperationError HighlightSelection() {
  CloneJob job;
  job.operation = OpHighlight;
  job.compute = [](CImage* clone, const CloneJob& j) {
    return HighlightOutside(clone, j.selection);
  };
  return RunCloneJob(&job, "Hilighting:", false, false);
}

OperationError ClearSelection(uint32_t color) {
  CloneJob job;
  job.operation = OpClear;
  job.color = color;
  job.compute = [](CImage* clone, const CloneJob& j) {
    return ClearArea(clone, j.selection, j.color);
  };
  return RunCloneJob(&job, "Clearing:", false, false);
}

OperationError CropToSelection() {
  if (!IsHistoryIndexValid(giCurrentImage)) return OperationCode(OpCrop, ErrNoImage);
  CImage* current = GetHistoryImage(giCurrentImage);
  CImage* cropped = new (std::nothrow) CImage;
  if (!cropped) return OperationCode(OpCrop, ErrNoMemory);
  if (!CropSelection(*current, current->rcSelection, cropped)) {
    delete cropped;
    return OperationCode(OpCrop, ErrFunctionFailed);
  }
  cropped->SelectAll();
  return CommitNewState(cropped, nullptr, gbLoadedFromFile, OpCrop);
}
