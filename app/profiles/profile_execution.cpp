#include "app/profiles/profile_execution.h"

#include <cstdarg>
#include <cstring>

#include "app/profiles/profile_execution_rules.h"
#include "app/profiles/program_records.h"

namespace {

uint32_t CollectBits(int first, va_list bits) {
  uint32_t mask = 0;
  for (int bit = first; bit != -1; bit = va_arg(bits, int))
    mask |= uint32_t(1) << (unsigned(bit) % 32u);
  return mask;
}

// Names compare as the profile list finds them: ASCII letters without case,
// up to the length a record holds.
bool SameName(const char* a, const char* b) {
  for (int n = 0; n < kProfileNameChars - 1; ++n, ++a, ++b) {
    unsigned char x = static_cast<unsigned char>(*a), y = static_cast<unsigned char>(*b);
    if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
    if (x != y) return false;
    if (!x) return true;
  }
  return true;
}

}  // namespace

ProfileStepSeams gProfileStepSeams;

uint32_t MakeStepMask(int first, ...) {
  va_list bits;
  va_start(bits, first);
  const uint32_t mask = CollectBits(first, bits);
  va_end(bits);
  return mask;
}

uint32_t SetStepBits(int set, uint32_t* mask, int first, ...) {
  va_list bits;
  va_start(bits, first);
  const uint32_t named = CollectBits(first, bits);
  va_end(bits);
  const uint32_t before = *mask;
  *mask = set ? before | named : before & ~named;
  return set ? *mask : before;
}

OperationError CProfileChain::Enter(const char* name) {
  if (mDepth >= kMaxChainDepth) return kChainRepeated;
  for (int i = 0; i < mDepth; ++i)
    if (SameName(mNames[i], name)) return kChainRepeated;
  // Profile names fit their record's 32 characters; a longer text is cut
  // the same way for every comparison.
  strncpy(mNames[mDepth], name, sizeof mNames[mDepth] - 1);
  mNames[mDepth][sizeof mNames[mDepth] - 1] = '\0';
  ++mDepth;
  return 0;
}

void CProfileChain::Leave() {
  if (mDepth > 0) --mDepth;
}

bool FinalMainWindowVisible(OperationError result, int hide, bool wasVisible) {
  if (result == ErrCancelled) return wasVisible;
  if (result != 0) return true;
  if (hide == 0) return true;
  if (hide == 1) return false;
  return wasVisible;
}

bool ShouldConvertColors(int mode, int dither, int imageClass) {
  if (mode == kKeepColorClass) return false;
  return mode != imageClass || dither != 0;
}

bool ShouldInvert(int invert, int autoInvert, bool imageDark) {
  return autoInvert ? imageDark : invert != 0;
}

bool RotationAngle(int rotate, float profileAngle, float* angle) {
  if (rotate < 16) return false;
  switch (rotate & 15) {
    case 0: *angle = 90.0f; return true;
    case 1: *angle = -90.0f; return true;
    case 2: *angle = 180.0f; return true;
    case 3: *angle = profileAngle; return true;
  }
  return false;
}
