#include "app/script/script_profile_check.h"

#include <memory>
#include <string>
#include <vector>

#include "app/profiles/program_records.h"

namespace {

constexpr uint32_t kCaptureStep = 1u << 1;
constexpr uint32_t kOpenStep = 1u << 3;
constexpr uint32_t kSaveAsStep = 1u << 12;
constexpr uint32_t kExecuteProfileStep = 1u << 19;

// Capture modes that pick on the full-screen overlay.
bool IsOverlayMode(uint8_t mode) { return mode == 0 || mode == 1 || mode == 5; }

std::string UpperName(const char* name) {
  std::string upper(name);
  for (char& c : upper)
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
  return upper;
}

// A field of the record read as a name: never past its end.
std::string FieldText(const char* field, size_t size) {
  size_t length = 0;
  while (length < size && field[length]) ++length;
  return std::string(field, length);
}

}  // namespace

bool ProfileNeedsUserInterface(const ProfileRecord& profile) {
  const uint32_t steps = profile.ulSteps;
  return ((steps & kCaptureStep) && IsOverlayMode(profile.iSCMode)) ||
         ((steps & kOpenStep) && profile.iSOMode == 0) || (steps & kSaveAsStep);
}

uint32_t CheckScriptProfile(const char* name, ScriptProfileLoader load, void* context) {
  auto record = std::make_unique<ProfileRecord>();
  if (!load(name, record.get(), context)) return 34;
  std::vector<std::string> chain = {UpperName(name)};
  for (;;) {
    if (ProfileNeedsUserInterface(*record)) return 36;
    if (!(record->ulSteps & kExecuteProfileStep)) return 0;
    const std::string next = FieldText(record->szDXProfile, sizeof record->szDXProfile);
    for (const std::string& seen : chain)
      if (seen == UpperName(next.c_str())) return 0;
    chain.push_back(UpperName(next.c_str()));
    if (!load(next.c_str(), record.get(), context)) return 0;
  }
}
