// The memory reader on arbitrary bytes: listing, finding and extracting in
// pieces must end with a result code, never a crash or a hang.
#include <cstring>
#include <vector>

#include "framework/zip/zip.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  for (const char* password : {static_cast<const char*>(nullptr), "pw-Zq81"}) {
    ZipHandle z = ZipOpenMemory(data, static_cast<uint32_t>(size), password);
    if (!z) continue;
    ZipEntryInfo info;
    ZipGetEntry(z, -1, &info);
    const int32_t count = info.iIndex < 64 ? info.iIndex : 64;
    std::vector<uint8_t> piece(4096);
    for (int32_t i = 0; i < count; i++) {
      if (ZipGetEntry(z, i, &info) == ZIP_OK) {
        int32_t found;
        ZipFindEntry(z, info.szName, true, &found, nullptr);
      }
      // A bounded number of pieces: a bomb may claim gigabytes.
      for (int k = 0; k < 64; k++) {
        if (ZipExtractToMemory(z, i, piece.data(), static_cast<uint32_t>(piece.size())) != ZIP_ERR_MORE_DATA)
          break;
      }
    }
    ZipCloseReader(z);
  }
  return 0;
}
