#include "framework/net/update_record.h"

#include <cstring>

const char kUpdateCheckFile[] = "(ORV)UpdateCheck";

void NormaliseUpdateRecord(UpdateCheckRecord* record) {
  record->szFetchedText[sizeof(record->szFetchedText) - 1] = '\0';
  if (record->iIntervalDays == 0) {
    record->bEnabled = 1;
    record->iIntervalDays = kUpdateIntervalMin;
  }
  if (record->iIntervalDays < kUpdateIntervalMin) record->iIntervalDays = kUpdateIntervalMin;
  if (record->iIntervalDays > kUpdateIntervalMax) record->iIntervalDays = kUpdateIntervalMax;
}

bool IsUpdateCheckDue(const UpdateCheckRecord& record, int64_t now) {
  if (!record.bEnabled) return false;
  int32_t days = record.iIntervalDays;
  if (days < kUpdateIntervalMin) days = kUpdateIntervalMin;
  if (days > kUpdateIntervalMax) days = kUpdateIntervalMax;
  // Compared without a difference of the stored time, which may be any
  // 64-bit value in a damaged file.
  if (record.llLastCheck > now && record.llLastCheck - now > kSecondsPerDay) return true;
  return record.llLastCheck < now - days * kSecondsPerDay;
}

int64_t StartOfDay(int64_t now) {
  int64_t rest = now % kSecondsPerDay;
  if (rest < 0) rest += kSecondsPerDay;
  return now - rest;
}

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// One number of 1 to 5 digits, at most 65,535, from text[*at].
bool ReadPart(const char* text, size_t length, size_t* at, uint16_t* value) {
  uint32_t number = 0;
  size_t digits = 0;
  while (*at < length && IsDigit(text[*at])) {
    if (++digits > 5) return false;
    number = number * 10 + uint32_t(text[*at] - '0');
    ++*at;
  }
  if (digits == 0 || number > 65535) return false;
  *value = uint16_t(number);
  return true;
}

}  // namespace

bool ParseVersionText(const char* text, size_t length, VersionNumber* out) {
  size_t at = 0;
  if (length >= 3 && memcmp(text, "\xEF\xBB\xBF", 3) == 0) at = 3;
  while (at < length && (text[at] == ' ' || text[at] == '\t' || text[at] == '\r' ||
                         text[at] == '\n'))
    ++at;
  VersionNumber version = {};
  uint16_t* parts[3] = {&version.major, &version.minor, &version.build};
  for (int i = 0; i < 3; ++i) {
    if (i > 0) {
      if (at >= length || text[at] != '.') return false;
      ++at;
    }
    if (!ReadPart(text, length, &at, parts[i])) return false;
  }
  if (at < length && (IsDigit(text[at]) || text[at] == '.')) return false;
  *out = version;
  return true;
}

bool IsNewerVersion(const VersionNumber& published, const VersionNumber& own) {
  if (published.major != own.major) return published.major > own.major;
  if (published.minor != own.minor) return published.minor > own.minor;
  return published.build > own.build;
}

bool ShouldAnnounceVersion(const VersionNumber& published, const VersionNumber& own,
                           const char* storedText) {
  if (!IsNewerVersion(published, own)) return false;
  VersionNumber stored;
  if (!ParseVersionText(storedText, strnlen(storedText, 260), &stored)) return true;
  return stored.major != published.major || stored.minor != published.minor ||
         stored.build != published.build;
}

void CopyFetchedText(const uint8_t* body, int32_t length, char out[260]) {
  int32_t n = 0;
  while (n < length && n < 259 && body[n] != 0) ++n;
  if (n > 0) memcpy(out, body, size_t(n));
  // The whole field is stored: nothing after the text but zeros.
  memset(out + n, 0, size_t(260 - n));
}
