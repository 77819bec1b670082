#include "framework/settings/data_path.h"

#include <cstdio>
#include <cstring>

#include "framework/settings/data_folder.h"

const char kDataFileExtension[] = "kzc";
const char kTempFileSuffix[] = "_tmp";

namespace {

constexpr size_t kSuffixLength = sizeof(kTempFileSuffix) - 1;

// Appends `part` at `*length`; false when the text would pass `limit`.
bool AppendPart(char* out, size_t* length, size_t limit, const char* part) {
  size_t n = strlen(part);
  if (*length + n > limit) return false;
  memcpy(out + *length, part, n);
  *length += n;
  out[*length] = '\0';
  return true;
}

}  // namespace

bool BuildDataPath(char* outPath, const char* folder, const char* name, int index,
                   const char* extension) {
  // Room is kept for "_tmp" so that every data file can also be written.
  const size_t limit = kPathChars - 1 - kSuffixLength;
  size_t length = 0;
  outPath[0] = '\0';
  bool ok = AppendPart(outPath, &length, limit, folder ? folder : "");
  if (ok && name) ok = AppendPart(outPath, &length, limit, "\\") &&
                       AppendPart(outPath, &length, limit, name);
  if (ok && index != kNoIndex) {
    char digits[16];
    snprintf(digits, sizeof digits, "%d", index);
    ok = AppendPart(outPath, &length, limit, digits);
  }
  if (ok && extension) ok = AppendPart(outPath, &length, limit, ".") &&
                            AppendPart(outPath, &length, limit, extension);
  if (!ok) outPath[0] = '\0';
  return ok;
}

bool GetDataFilePath(const char* name, int index, char* outPath, int folderFlag) {
  return BuildDataPath(outPath, GetDataFolderFor(folderFlag), name, index, kDataFileExtension);
}

bool GetTempFilePath(const char* path, char* outPath) {
  size_t length = 0;
  outPath[0] = '\0';
  if (AppendPart(outPath, &length, kPathChars - 1, path) &&
      AppendPart(outPath, &length, kPathChars - 1, kTempFileSuffix))
    return true;
  outPath[0] = '\0';
  return false;
}

void RemoveTrailingBackslash(char* path) {
  size_t n = strlen(path);
  if (n > 0 && path[n - 1] == '\\') path[n - 1] = '\0';
}

void StripFileExtension(char* path) {
  size_t n = strlen(path);
  if (n >= 4 && path[n - 4] == '.') path[n - 4] = '\0';
}

const char* GetFileNamePart(const char* path) {
  const char* slash = strrchr(path, '\\');
  return slash ? slash + 1 : path;
}

bool AppendBackslash(char* path) {
  size_t n = strlen(path);
  if (n > 0 && path[n - 1] == '\\') return true;
  if (n + 1 >= static_cast<size_t>(kPathChars)) return false;
  path[n] = '\\';
  path[n + 1] = '\0';
  return true;
}
