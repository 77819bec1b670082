// DOS and Unix time stamps of zip entries.
#include "framework/zip/zip_time.h"

#include "framework/zip/zip_platform.h"

uint32_t FileTimeToUnix(uint64_t fileTime) {
  if (fileTime <= kFileTimeUnixEpoch) return 0;
  uint64_t seconds = (fileTime - kFileTimeUnixEpoch) / kFileTimePerSecond;
  return seconds > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<uint32_t>(seconds);
}

void FileTimeToDos(uint64_t fileTime, uint16_t* dosDate, uint16_t* dosTime) {
  ZipLocalTime t;
  if (!ZipPlatformToLocal(fileTime, &t) || t.iYear < 1980) {
    t = {1980, 1, 1, 0, 0, 0};
  } else if (t.iYear > 2107) {
    t = {2107, 12, 31, 23, 59, 58};
  }
  *dosDate = static_cast<uint16_t>(((t.iYear - 1980) << 9) | (t.iMonth << 5) | t.iDay);
  *dosTime = static_cast<uint16_t>((t.iHour << 11) | (t.iMinute << 5) | (t.iSecond / 2));
}

uint64_t DosToFileTime(uint16_t dosDate, uint16_t dosTime) {
  ZipLocalTime t;
  t.iYear = (dosDate >> 9) + 1980;
  t.iMonth = (dosDate >> 5) & 15;
  t.iDay = dosDate & 31;
  t.iHour = dosTime >> 11;
  t.iMinute = (dosTime >> 5) & 63;
  t.iSecond = (dosTime & 31) * 2;
  if (t.iMonth < 1 || t.iMonth > 12 || t.iDay < 1 || t.iHour > 23 || t.iMinute > 59 ||
      t.iSecond > 59)
    return 0;
  uint64_t fileTime = 0;
  return ZipPlatformFromLocal(t, &fileTime) ? fileTime : 0;
}
