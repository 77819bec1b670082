#pragma once
// Fuzz inputs that look like PNG files get correct chunk checksums before
// they are decoded: libpng refuses a critical chunk whose CRC is wrong, so
// without this nearly every mutation of a header or of image data ends at
// the checksum and the decoder behind it is never reached.
#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

inline std::vector<uint8_t> WithPngChunkCrcs(const uint8_t* data, size_t size) {
  std::vector<uint8_t> bytes(data, data + size);
  static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (size < 8 || std::memcmp(data, kSignature, 8) != 0) return bytes;
  size_t pos = 8;
  while (bytes.size() - pos >= 12) {
    const uint32_t length = uint32_t(bytes[pos]) << 24 | uint32_t(bytes[pos + 1]) << 16 |
                            uint32_t(bytes[pos + 2]) << 8 | bytes[pos + 3];
    if (length > bytes.size() - pos - 12) break;
    const size_t crcAt = pos + 8 + length;
    const uLong crc = crc32(0, bytes.data() + pos + 4, uInt(length + 4));
    for (int i = 0; i < 4; ++i) bytes[crcAt + i] = uint8_t(crc >> (24 - 8 * i));
    pos = crcAt + 4;
  }
  return bytes;
}
