// Entry-name cleaning and extraction paths of the zip reader.
#include "framework/zip/zip_names.h"

#include <cstring>
#include <string>

namespace {

bool IsSep(char c) { return c == '\\' || c == '/'; }

int LowerAscii(int c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; }

bool EqualsNoCase(const char* a, const char* b) {
  while (*a && *b) {
    if (LowerAscii(static_cast<unsigned char>(*a)) != LowerAscii(static_cast<unsigned char>(*b)))
      return false;
    a++, b++;
  }
  return *a == *b;
}

// One pass of the prefix rules; true when something was removed.
bool StripOnce(std::string& s) {
  if (s.size() >= 2 && s[1] == ':') {
    s.erase(0, 2);
    return true;
  }
  if (!s.empty() && IsSep(s[0])) {
    s.erase(0, 1);
    return true;
  }
  for (size_t i = 0; i + 3 < s.size(); i++) {
    if (IsSep(s[i]) && s[i + 1] == '.' && s[i + 2] == '.' && IsSep(s[i + 3])) {
      s.erase(0, i + 4);
      return true;
    }
  }
  return false;
}

// Drops empty and "." components; a trailing separator stays.
std::string DropEmptyComponents(const std::string& s) {
  std::string out;
  size_t i = 0;
  while (i < s.size()) {
    size_t j = i;
    while (j < s.size() && !IsSep(s[j])) j++;
    std::string part = s.substr(i, j - i);
    if (!part.empty() && part != ".") {
      out += part;
      if (j < s.size()) out += s[j];
    }
    i = j + 1;
  }
  return out;
}

}  // namespace

bool ZipStoredByExtension(const char* name) {
  static const char* const kStored[] = {".Z", ".zip", ".zoo", ".arc", ".lzh", ".arj", ".gz", ".tgz"};
  const char* dot = strrchr(name, '.');
  if (!dot) return false;
  for (const char* ext : kStored) {
    if (EqualsNoCase(dot, ext)) return true;
  }
  return false;
}

void ZipCleanEntryName(const char* raw, char* out, size_t outSize) {
  if (outSize == 0) return;
  std::string s(raw);
  while (StripOnce(s)) {
  }
  s = DropEmptyComponents(s);
  size_t n = s.size() < outSize - 1 ? s.size() : outSize - 1;
  memcpy(out, s.data(), n);
  out[n] = 0;
}

bool ZipIsAbsolutePath(const char* path) {
  return IsSep(path[0]) || (path[0] && path[1] == ':');
}

bool ZipHasDotDotComponent(const char* path) {
  const char* p = path;
  while (*p) {
    const char* e = p;
    while (*e && !IsSep(*e)) e++;
    if (e - p == 2 && p[0] == '.' && p[1] == '.') return true;
    p = *e ? e + 1 : e;
  }
  return false;
}

bool ZipBuildTargetPath(const char* base, const char* target, char* out, size_t size) {
  std::string path;
  if (ZipIsAbsolutePath(target)) {
    path = target;
  } else {
    if (ZipHasDotDotComponent(target) || strchr(target, ':')) return false;
    path = std::string(base) + target;
    // Below the base by construction; make sure of it all the same.
    if (path.compare(0, strlen(base), base) != 0) return false;
  }
  if (path.size() + 1 > size) return false;
  memcpy(out, path.c_str(), path.size() + 1);
  return true;
}
