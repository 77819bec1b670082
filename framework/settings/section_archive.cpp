// A settings section as a one-entry, password-protected zip archive in memory.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "framework/settings/section_files.h"
#include "framework/zip/zip.h"

namespace {

// The archive keeps casual readers and editors out of the settings; it is
// not a secret.
const char kSettingsPassword[] = "Kq7vRtp2WzLm9e";

// The local and central headers with the entry's name and time fields, the
// encryption header, the data descriptor and the end record need less than
// this beyond the compressed data.
constexpr uint64_t kArchiveOverhead = 256;

// Room for the archive of a text of `length` bytes. Settings text usually
// compresses well, but a section of random-looking bytes can come out larger
// than it went in: the bound covers deflate's worst case (every byte a
// 9-bit literal, plus block headers).
uint64_t ArchiveRoom(uint64_t length) {
  return length + (length + 7) / 8 + (length + 63) / 64 + 5 + kArchiveOverhead;
}

// No settings section comes near this; a larger entry is damage or an attack.
constexpr uint32_t kMaxSectionBytes = 16u << 20;

void CloseZip(ZipHandle zip) {
  if (ZipIsReader(zip))
    ZipCloseReader(zip);
  else
    ZipCloseWriter(zip);
}

// Extracts entry 0 into the exchange's text; a zip result.
ZipResult ExtractText(ZipHandle zip, CSettingsExchange* exchange, uint32_t size) {
  if (size == 0) {
    // A scratch byte shows whether an "empty" entry really is empty.
    uint8_t scratch;
    return ZipExtractToMemory(zip, 0, &scratch, 1);
  }
  if (!exchange->text.Reserve(static_cast<int32_t>(size), kGrowDouble)) return ZIP_ERR_NO_MEMORY;
  ZipResult result = ZipExtractToMemory(zip, 0, exchange->text.data, size);
  if (result == ZIP_OK) exchange->text.count = static_cast<int32_t>(size);
  return result;
}

}  // namespace

int32_t BuildSectionArchive(const CSettingsExchange* exchange, uint8_t** archive) {
  *archive = nullptr;
  const uint32_t length = exchange->text.count > 0 ? static_cast<uint32_t>(exchange->text.count) : 0;
  // A text that lost a line while it was built must not replace a whole one.
  if (exchange->bFailed || length > kMaxSectionBytes) return -1;
  const uint32_t blockSize = static_cast<uint32_t>(ArchiveRoom(length));
  uint8_t* block = static_cast<uint8_t*>(malloc(blockSize));
  if (!block) return -1;
  ZipHandle zip = ZipCreateMemory(block, blockSize, kSettingsPassword);
  if (!zip) {
    free(block);
    return -1;
  }
  char entryName[16];
  snprintf(entryName, sizeof entryName, "%d", static_cast<int>(exchange->iNumber));
  int32_t result = 0;
  void* image = nullptr;
  uint32_t imageSize = 0;
  if (ZipAddMemory(zip, entryName, exchange->text.data, length) != ZIP_OK)
    result = -2;
  else if (ZipGetImage(zip, &image, &imageSize) != ZIP_OK || !image || imageSize >= blockSize)
    result = -3;
  CloseZip(zip);
  if (result < 0) {
    free(block);
    return result;
  }
  if (image != block) memmove(block, image, imageSize);
  *archive = block;
  return static_cast<int32_t>(imageSize);
}

void FreeSectionArchive(uint8_t* archive) { free(archive); }

int32_t ParseSectionArchive(CSettingsExchange* exchange, const void* archive, uint32_t size) {
  exchange->text.RemoveAll();
  exchange->pValue = nullptr;
  exchange->iLastHit = 0;
  if (!archive || size == 0) return -1;
  ZipHandle zip = ZipOpenMemory(archive, size, kSettingsPassword);
  if (!zip) return -1;
  ZipEntryInfo info;
  ZipResult result = ZipGetEntry(zip, 0, &info);
  int32_t outcome = 0;
  if (result == ZIP_ERR_ARGS)
    outcome = -2;  // the archive holds no entry
  else if (result != ZIP_OK)
    outcome = -4;
  else if (info.ulUncompressedSize > kMaxSectionBytes)
    outcome = -3;
  else if ((result = ExtractText(zip, exchange, info.ulUncompressedSize)) == ZIP_ERR_NO_MEMORY)
    outcome = -3;
  else if (result != ZIP_OK)
    outcome = -4;  // wrong password, damage, or a CRC-32 that does not match
  CloseZip(zip);
  if (outcome < 0) {
    exchange->text.RemoveAll();
    return outcome;
  }
  exchange->iNumber = static_cast<int32_t>(strtol(info.szName, nullptr, 10));
  return exchange->text.count;
}
