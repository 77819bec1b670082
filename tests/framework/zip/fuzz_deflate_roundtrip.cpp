// Compress -> inflate -> compare, with the input read in pieces of a size
// taken from the first byte.
#include <zlib.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "framework/zip/deflate.h"

namespace {

struct Io {
  const uint8_t* pData;
  size_t uSize;
  size_t uPos;
  size_t uChunk;
  std::vector<uint8_t> aOut;
};

int Read(void* user, uint8_t* buffer, unsigned count) {
  Io* io = static_cast<Io*>(user);
  size_t n = io->uSize - io->uPos;
  if (n > count) n = count;
  if (n > io->uChunk) n = io->uChunk;
  if (n) memcpy(buffer, io->pData + io->uPos, n);
  io->uPos += n;
  return static_cast<int>(n);
}

void Write(void* user, const uint8_t* data, unsigned count) {
  Io* io = static_cast<Io*>(user);
  io->aOut.insert(io->aOut.end(), data, data + count);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static CDeflater deflater;
  if (size == 0) return 0;
  static const size_t kChunks[8] = {1, 7, 100, 4096, 16384, 65536, 262, 1 << 30};
  Io io = {data + 1, size - 1, 0, kChunks[data[0] & 7], {}};
  uint64_t length = 0;
  if (deflater.Compress(Read, Write, &io, &length) != 0 || length != io.aOut.size()) abort();

  std::vector<uint8_t> back(io.uSize + 1);
  z_stream z = {};
  inflateInit2(&z, -15);
  z.next_in = io.aOut.data();
  z.avail_in = static_cast<uInt>(io.aOut.size());
  z.next_out = back.data();
  z.avail_out = static_cast<uInt>(back.size());
  int r = inflate(&z, Z_FINISH);
  if (r != Z_STREAM_END || z.total_out != io.uSize || z.avail_in != 0) abort();
  if (io.uSize && memcmp(back.data(), io.pData, io.uSize) != 0) abort();
  inflateEnd(&z);
  return 0;
}
