// Extraction of a zip entry to a file below the reader's base folder.
#include <cstring>

#include "framework/zip/zip_names.h"
#include "framework/zip/zip_platform.h"
#include "framework/zip/zip_reader.h"

namespace {

constexpr uint32_t kExtractPiece = 16384;

bool IsSep(char c) { return c == '\\' || c == '/'; }

}  // namespace

// Creates each folder of `path` after position `from`, outermost first;
// the last component only when `includeLast`.
ZipResult CZipReader::CreateFolders(const char* path, size_t from, bool includeLast) {
  char prefix[260];
  const size_t n = strlen(path);
  if (n >= sizeof(prefix)) return ZIP_ERR_OPEN;
  for (size_t i = from; i <= n; i++) {
    const bool end = i == n;
    if (!(end ? includeLast : IsSep(path[i]))) continue;
    if (i == 0 || IsSep(path[i - 1]) || path[i - 1] == ':') continue;  // a root or doubled separator
    memcpy(prefix, path, i);
    prefix[i] = 0;
    if (!ZipPlatformCreateFolder(prefix)) return ZIP_ERR_OPEN;
  }
  return ZIP_OK;
}

ZipResult CZipReader::ExtractToFile(int32_t index, const char* target) {
  if (!target || !*target || index < 0) return ZIP_ERR_ARGS;
  ZipEntryInfo info;
  ZipResult r = GetEntry(index, &info);
  if (r != ZIP_OK) return r;

  // Nothing may land outside the base folder, and the path is never cut.
  char path[260];
  if (!ZipBuildTargetPath(m_szBase, target, path, sizeof(path))) return ZIP_ERR_OPEN;
  const size_t from = ZipIsAbsolutePath(target) ? 0 : strlen(m_szBase);

  if (info.ulAttributes & kZipAttrDirectory) return CreateFolders(path, from, true);

  r = CreateFolders(path, from, false);
  if (r != ZIP_OK) return r;
  // Opening the entry checks the password before the file exists.
  r = OpenEntry(index);
  if (r != ZIP_OK) return r == ZIP_ERR_PASSWORD ? r : ZIP_ERR_DATA;
  r = WriteEntryToFile(path, info);
  CloseEntry();
  return r;
}

// The entry goes into a temporary file beside the target, which replaces the
// target only when the whole entry arrived and its CRC-32 matched (ReadEntry
// compares it at the end): a failed extraction leaves an existing file as it
// was, and no partial file behind.
ZipResult CZipReader::WriteEntryToFile(const char* path, const ZipEntryInfo& info) {
  char temp[260];
  CZipStream* file = ZipPlatformCreateTempBeside(path, info.ulAttributes, temp, sizeof(temp));
  if (!file) return ZIP_ERR_OPEN;
  if (m_aExtract.empty()) m_aExtract.resize(kExtractPiece);
  ZipResult r = ZIP_OK;
  while (!m_bEnd) {
    uint32_t got = 0;
    r = ReadEntry(m_aExtract.data(), kExtractPiece, &got);
    if (r != ZIP_OK) {
      if (r != ZIP_ERR_PASSWORD) r = ZIP_ERR_DATA;
      break;
    }
    if (got == 0 && !m_bEnd) {
      r = ZIP_ERR_DATA;
      break;
    }
    if (got && !file->Write(m_aExtract.data(), got)) {
      r = ZIP_ERR_WRITE;
      break;
    }
  }
  if (r == ZIP_OK) file->SetTimes(info.ftCreation, info.ftAccess, info.ftModification);
  delete file;
  if (r == ZIP_OK && !ZipPlatformReplaceFile(temp, path)) r = ZIP_ERR_OPEN;
  if (r != ZIP_OK) ZipPlatformDeleteFile(temp);
  return r;
}
