#pragma once
// The decisions of a profile run that need no window: which steps a mask
// holds, the chain of profiles run by name, and what the processing steps
// make of the profile's fields.
#include <cstdint>

#include "app/startup/operation_errors.h"

// The bits of ulSteps that the run looks at.
enum ProfileStepBit : int {
  kStepCapture = 1, kStepOpen = 3, kStepPaste = 4, kStepScan = 5, kStepColorFormat = 8,
  kStepGeometry = 9, kStepAdjustColors = 10, kStepSaveAs = 12, kStepSaveSequential = 13,
  kStepCopy = 14, kStepPrint = 15, kStepSend = 18, kStepChain = 19,
};

constexpr int kMaxChainDepth = 16;
// A profile reached again by name on the chain, or a chain deeper than
// kMaxChainDepth: it would never end.
constexpr OperationError kChainRepeated = OperationCode(OpProfile, ErrFunctionFailed);

// The names of the profiles running one inside the other (bit 19).
class CProfileChain {
 public:
  // Adds a profile to the chain: 0, or kChainRepeated when its name
  // (without regard to case) is on it already or the chain is full.
  OperationError Enter(const char* name);
  void Leave();
  int Depth() const { return mDepth; }

 private:
  char mNames[kMaxChainDepth][32] = {};
  int mDepth = 0;
};

// Whether the main window ends a run shown: a cancel restores what it was,
// another failure shows it (the report needs an owner), a success follows
// iGHide (0 shown, 1 hidden, other values as it was).
bool FinalMainWindowVisible(OperationError result, int hide, bool wasVisible);
// Whether the colour step converts: a class other than the image's, or
// dithering asked for; 255 keeps the class whatever else is set, so the
// conversion never sees it.
bool ShouldConvertColors(int mode, int dither, int imageClass);
bool ShouldInvert(int invert, int autoInvert, bool imageDark);
// The rotation of iIGRotate: with bit 4 set, its low four bits choose 90,
// -90, 180 or the profile's angle; false when nothing rotates.
bool RotationAngle(int rotate, float profileAngle, float* angle);
