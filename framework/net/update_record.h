#pragma once
// The update check's stored record and the rules around it: when a check is
// due, how a published version text is read, and when a newer version is
// worth announcing. Kept apart from the thread and the dialog so that the
// rules can be tried with any clock.
#include <cstddef>
#include <cstdint>

// The data file "(ORV)UpdateCheck", without index, exactly these bytes.
struct UpdateCheckRecord {
  char szFetchedText[260];   // the last fetched version file, cut to 259 characters
  uint8_t abPad0[4];
  int64_t llLastCheck;       // seconds since 1970 (UTC), a whole day
  uint8_t bNewer;            // a newer version than ours was published
  uint8_t bEnabled;          // the automatic check is on
  uint8_t abPad1[2];
  int32_t iIntervalDays;
};
static_assert(sizeof(UpdateCheckRecord) == 280, "(ORV)UpdateCheck is 280 bytes");
static_assert(offsetof(UpdateCheckRecord, llLastCheck) == 264, "layout");
static_assert(offsetof(UpdateCheckRecord, bNewer) == 272, "layout");
static_assert(offsetof(UpdateCheckRecord, bEnabled) == 273, "layout");
static_assert(offsetof(UpdateCheckRecord, iIntervalDays) == 276, "layout");

extern const char kUpdateCheckFile[];  // "(ORV)UpdateCheck"
constexpr int32_t kUpdateIntervalMin = 7;
constexpr int32_t kUpdateIntervalMax = 9999;
constexpr int64_t kSecondsPerDay = 86400;
// The version file is a few words; anything larger is not one.
constexpr int32_t kUpdateBodyLimit = 65536;

// Done after every read: the text is terminated, a new record (interval 0)
// switches the check on with 7 days, and the interval is kept to 7-9,999.
void NormaliseUpdateRecord(UpdateCheckRecord* record);

// Due when enabled and more than the interval has passed since the last
// check (strictly). A last check more than a day in the future counts as
// due too: a clock that was once wrong must not stop the checks for good.
bool IsUpdateCheckDue(const UpdateCheckRecord& record, int64_t now);

// `now` rounded down to the start of its day (UTC).
int64_t StartOfDay(int64_t now);

struct VersionNumber {
  uint16_t major, minor, build;
};

// Reads "N.N.N" from the start of a text: an optional UTF-8 byte-order mark
// and blanks first, each number 1 to 5 digits and at most 65,535, and after
// the third the end or a character that is neither a digit nor ".". False
// for anything else (a sign, "1.0", an HTML page, an overlong number).
bool ParseVersionText(const char* text, size_t length, VersionNumber* out);

// Major, then minor, then build.
bool IsNewerVersion(const VersionNumber& published, const VersionNumber& own);

// A newer version is announced once: not again when the stored text already
// names the same version, whatever words follow it or wherever it was cut.
bool ShouldAnnounceVersion(const VersionNumber& published, const VersionNumber& own,
                           const char* storedText);

// The fetched body as the text to keep: up to its first zero byte, at most
// 259 characters, the rest of the 260 bytes zero.
void CopyFetchedText(const uint8_t* body, int32_t length, char out[260]);
