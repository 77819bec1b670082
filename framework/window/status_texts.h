#pragma once
// The status texts of a window: one record per part. Parts -3 and -2 start
// as "Ready"; -2 is the hovered item's description; the program uses the
// others. Not thread-safe by itself: the window guards it with its mutex.
#include <cstdint>

#include "framework/app/grow_array.h"

constexpr int kStatusTextChars = 1024;

struct StatusRecord {
  int32_t part;
  char text[kStatusTextChars];
};

class CStatusTexts {
 public:
  // A non-empty text sets the part (added at the end when new, cut to 1023
  // characters); a null or empty one removes it, and when only negative
  // parts remain, part -1 goes as well. False when the record could not be
  // added.
  bool Set(int32_t part, const char* text);
  // What the status item shows: part -1 when there is one, else the last
  // record; null when there are none.
  const char* Shown() const;
  const char* Get(int32_t part) const;
  int32_t Count() const { return records_.count; }
  void Clear() { records_.RemoveAll(); }

 private:
  int32_t Find(int32_t part) const;
  CGrowArray<StatusRecord> records_;
};
