#pragma once
// Conversions between DOS date/time (local), Unix seconds and Windows file times.
#include <cstdint>

constexpr uint64_t kFileTimeUnixEpoch = 116444736000000000ull;
constexpr uint64_t kFileTimePerSecond = 10000000ull;

inline uint64_t UnixToFileTime(uint32_t seconds) {
  return uint64_t(seconds) * kFileTimePerSecond + kFileTimeUnixEpoch;
}
// Seconds since 1970 for the 32-bit "UT" fields; clamped to their range.
uint32_t FileTimeToUnix(uint64_t fileTime);

// Local DOS date and time of a file time; times before 1980 become
// 1980-01-01 00:00, times after 2107 the last representable moment.
void FileTimeToDos(uint64_t fileTime, uint16_t* dosDate, uint16_t* dosTime);
// The file time of a DOS date and time read as local time; 0 when invalid.
uint64_t DosToFileTime(uint16_t dosDate, uint16_t dosTime);
