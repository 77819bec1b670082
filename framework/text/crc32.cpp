#include "framework/text/crc32.h"

#include <cstring>

namespace {

// Built by the compiler from the polynomial 0x04C11DB7 with its bits reversed,
// so no static constructor can run before it is ready.
struct CrcTable {
  uint32_t entry[256];
};

constexpr uint32_t ReverseBits32(uint32_t v) {
  uint32_t r = 0;
  for (int i = 0; i < 32; ++i) {
    r = (r << 1) | (v & 1);
    v >>= 1;
  }
  return r;
}

constexpr CrcTable MakeTable() {
  CrcTable t{};
  const uint32_t poly = ReverseBits32(0x04C11DB7u);  // 0xEDB88320
  for (uint32_t n = 0; n < 256; ++n) {
    uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? poly ^ (c >> 1) : c >> 1;
    t.entry[n] = c;
  }
  return t;
}

constexpr CrcTable kTable = MakeTable();
static_assert(kTable.entry[1] == 0x77073096u, "CRC table");

}  // namespace

uint32_t Crc32Update(uint32_t crc, const void* data, size_t length) {
  const unsigned char* p = static_cast<const unsigned char*>(data);
  uint32_t c = ~crc;
  for (size_t i = 0; i < length; ++i) c = kTable.entry[(c ^ p[i]) & 0xFF] ^ (c >> 8);
  return ~c;
}

uint32_t Crc32String(const char* text, int length) {
  if (!text) return 0;
  size_t n = length < 0 ? strlen(text) : static_cast<size_t>(length);
  return Crc32Update(0, text, n);
}
