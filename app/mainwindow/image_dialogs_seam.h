#pragma once
// The dialogs of the image operations (Save As aside). Null entries: the
// dialog is not part of the program yet and its command stays disabled.
#include "app/startup/operation_errors.h"

struct ProfileRecord;

struct ImageDialogsSeam {
  // Adjust Colors with its live preview: the result of the change it kept,
  // 26 when cancelled.
  OperationError (*pfnAdjustColors)();
  // Each fills the profile (or the angle); false when cancelled.
  bool (*pfnReplaceColorsDialog)(ProfileRecord* profile);
  bool (*pfnResizeDialog)(ProfileRecord* profile);
  bool (*pfnRotateDialog)(float* angle);
};
extern ImageDialogsSeam gImageDialogsSeam;
