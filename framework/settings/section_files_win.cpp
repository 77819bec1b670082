// Settings sections and older settings blobs as data files.
#include <cstdio>
#include <cstdlib>

#include "framework/settings/data_files.h"
#include "framework/settings/data_path.h"
#include "framework/settings/section_files.h"

namespace {

// A section file larger than this cannot hold a section that loads (the
// entry limit plus its archive).
constexpr int32_t kMaxSectionFileBytes = 17 << 20;

bool FormatSectionName(char* name, const char* nameFormat, va_list args) {
  int n = vsnprintf(name, kPathChars, nameFormat, args);
  return n > 0 && n < kPathChars;
}

// The whole data file in a block of its own (the caller frees it); its size,
// 0 when missing or empty, -1 when too large or no memory.
int32_t ReadWholeDataFile(const char* name, int index, int folderFlag, uint8_t** bytes,
                          int32_t limit) {
  *bytes = nullptr;
  int32_t size = ReadDataFile(name, index, nullptr, 0, folderFlag);
  if (size <= 0) return 0;
  if (size > limit) return -1;
  *bytes = static_cast<uint8_t*>(malloc(size));
  if (!*bytes) return -1;
  int32_t got = ReadDataFile(name, index, *bytes, size, folderFlag);
  if (got <= 0) {
    free(*bytes);
    *bytes = nullptr;
    return 0;
  }
  return got;
}

}  // namespace

int32_t WriteBlobToArchive(CSettingsExchange* exchange, const char* nameFormat, int index,
                           int folderFlag, ...) {
  char name[kPathChars];
  va_list args;
  va_start(args, folderFlag);
  bool named = FormatSectionName(name, nameFormat, args);
  va_end(args);
  uint8_t* archive = nullptr;
  int32_t size = BuildSectionArchive(exchange, &archive);
  if (size < 0) return size;
  // Through the temporary file and the atomic replace: a failed write leaves
  // the previous section as it was.
  int32_t written = named ? WriteDataFile(name, index, archive, size, folderFlag) : 0;
  FreeSectionArchive(archive);
  return written == size ? size : -3;
}

int32_t ReadBlobFromArchive(CSettingsExchange* exchange, const char* nameFormat, int index,
                            int folderFlag, ...) {
  char name[kPathChars];
  va_list args;
  va_start(args, folderFlag);
  bool named = FormatSectionName(name, nameFormat, args);
  va_end(args);
  if (!named) return -1;
  uint8_t* bytes = nullptr;
  int32_t size = ReadWholeDataFile(name, index, folderFlag, &bytes, kMaxSectionFileBytes);
  if (size == 0) return -1;
  if (size < 0) return -3;
  int32_t result = ParseSectionArchive(exchange, bytes, static_cast<uint32_t>(size));
  free(bytes);
  return result;
}

int32_t ReadBlobFile(CDataBlob* blob, const char* nameFormat, int index, int folderFlag, ...) {
  char name[kPathChars];
  va_list args;
  va_start(args, folderFlag);
  bool named = FormatSectionName(name, nameFormat, args);
  va_end(args);
  blob->Free();
  if (!named) return 0;
  int32_t size = ReadDataFile(name, index, nullptr, 0, folderFlag);
  if (size <= 0 || !blob->Reserve(size, kGrowDouble)) return 0;
  int32_t got = ReadDataFile(name, index, blob->data, size, folderFlag);
  if (got <= 0) {
    blob->Free();
    return 0;
  }
  blob->count = got;
  return got;
}
