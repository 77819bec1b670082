// Older settings blobs come from files on disk: any bytes must give a value
// or -1, never a read outside the blob.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "framework/settings/data_blob.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  // The first bytes choose the look-ups; the rest is the blob.
  int keys = data[0] % 8 + 1;
  int outSize = data[1];
  int start = data[2];
  std::vector<uint8_t> copy(data + 3, data + size);  // exact size, so ASan sees overruns
  CDataBlob blob;
  if (!copy.empty()) blob.Wrap(copy.data(), static_cast<int32_t>(copy.size()), static_cast<int32_t>(copy.size()));
  blob.iReadPos = copy.empty() ? 0 : start % static_cast<int>(copy.size());
  std::vector<uint8_t> out(outSize + 1);
  for (int i = 0; i < keys; ++i) {
    int32_t n = ReadBlobRecord(&blob, i, data[2] & 3, out.data(), outSize);
    if (n > outSize) __builtin_trap();
  }
  return 0;
}
