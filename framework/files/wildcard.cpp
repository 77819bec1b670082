#include "framework/files/wildcard.h"

#include <cctype>
#include <cstring>

namespace {

bool SameLetter(char a, char b) {
  return tolower(static_cast<unsigned char>(a)) == tolower(static_cast<unsigned char>(b));
}

// Glob match of the first `patternLength` characters of the pattern. After a
// mismatch the last '*' takes one more character; no recursion, linear in
// practice.
bool MatchPrefix(const char* pattern, size_t patternLength, const char* name) {
  size_t p = 0;
  const char* n = name;
  size_t starAt = 0;
  const char* starName = nullptr;
  while (*n) {
    if (p < patternLength && pattern[p] == '*') {
      starAt = ++p;
      starName = n;
    } else if (p < patternLength && (pattern[p] == '?' || SameLetter(pattern[p], *n))) {
      ++p;
      ++n;
    } else if (starName) {
      p = starAt;
      n = ++starName;
    } else {
      return false;
    }
  }
  while (p < patternLength && pattern[p] == '*') ++p;
  return p == patternLength;
}

}  // namespace

bool MatchFileName(const char* pattern, const char* name) {
  if (!pattern || !name) return false;
  size_t length = strlen(pattern);
  if (MatchPrefix(pattern, length, name)) return true;
  // "name.*" also stands for "name" without any extension.
  return length >= 2 && pattern[length - 2] == '.' && pattern[length - 1] == '*' &&
         MatchPrefix(pattern, length - 2, name);
}

const char* NextListItem(const char* list, char separator, char* item, int itemSize) {
  if (!list || itemSize < 1) return nullptr;
  while (*list) {
    const char* end = strchr(list, separator);
    size_t n = end ? static_cast<size_t>(end - list) : strlen(list);
    const char* rest = end ? end + 1 : list + n;
    if (n > 0 && n < static_cast<size_t>(itemSize)) {
      memcpy(item, list, n);
      item[n] = '\0';
      return rest;
    }
    list = rest;
  }
  return nullptr;
}
