#include "framework/app/restore_names.h"

#include <cctype>
#include <cstring>

namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

}  // namespace

bool IsSafeRestoreName(const char* name) {
  if (!name || !name[0] || IsSeparator(name[0])) return false;
  if (strchr(name, ':')) return false;  // drives and alternate data streams
  const char* part = name;
  for (;;) {
    size_t length = 0;
    while (part[length] && !IsSeparator(part[length])) ++length;
    if (length == 0 && part[length]) return false;  // an empty component
    if ((length == 1 && part[0] == '.') || (length == 2 && part[0] == '.' && part[1] == '.'))
      return false;
    if (!part[length]) return length > 0;
    part += length + 1;
  }
}

bool ToLocalSeparators(const char* name, char* out, int size) {
  size_t length = strlen(name);
  if (size < 1 || length >= size_t(size)) return false;
  for (size_t i = 0; i <= length; ++i) out[i] = name[i] == '/' ? '\\' : name[i];
  return true;
}

bool IsPathInsideFolder(const char* path, const char* folder) {
  size_t length = strlen(folder);
  while (length > 0 && IsSeparator(folder[length - 1])) --length;
  if (length == 0 || strlen(path) <= length + 1) return false;
  for (size_t i = 0; i < length; ++i)
    if (tolower(static_cast<unsigned char>(path[i])) !=
        tolower(static_cast<unsigned char>(folder[i])))
      return false;
  return IsSeparator(path[length]);
}
