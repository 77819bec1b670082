// Settings sections and older settings blobs as data files.
#include <cstdint>
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
  // Whatever happens, the text of an earlier section must not stay behind to
  // be loaded as this one.
  exchange->SetText(nullptr, 0);
  if (!named) return -1;
  uint8_t* bytes = nullptr;
  int32_t size = ReadWholeDataFile(name, index, folderFlag, kMaxSectionFileBytes, &bytes);
  if (size == 0) return -1;  // absent (or empty: nothing there to keep)
  if (size == kDataFileUnreadable) return kSectionUnreadable;
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
  uint8_t* bytes = nullptr;
  int32_t size = ReadWholeDataFile(name, index, folderFlag, INT32_MAX, &bytes);
  if (size == kDataFileUnreadable) return kSectionUnreadable;
  if (size <= 0) return 0;
  bool kept = blob->Reserve(size, kGrowDouble) && blob->Append(bytes, size) >= 0;
  free(bytes);
  if (!kept) {
    blob->Free();
    return 0;
  }
  return size;
}
