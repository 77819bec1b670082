// Key schedule of the traditional zip encryption.
#include "framework/zip/zip_crypt.h"

namespace {

// One byte step of the CRC-32 register, without the pre- and post-inversion
// of a finished checksum.
struct CrcTable {
  uint32_t a[256];
  CrcTable() {
    for (uint32_t n = 0; n < 256; n++) {
      uint32_t c = n;
      for (int k = 0; k < 8; k++) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      a[n] = c;
    }
  }
};

uint32_t CrcStep(uint32_t crc, uint8_t b) {
  static const CrcTable table;
  return table.a[(crc ^ b) & 0xFF] ^ (crc >> 8);
}

}  // namespace

void CZipCrypt::Init(const char* password) {
  m_aKeys[0] = 0x12345678;
  m_aKeys[1] = 0x23456789;
  m_aKeys[2] = 0x34567890;
  for (const char* p = password ? password : ""; *p; p++) Update(static_cast<uint8_t>(*p));
}

void CZipCrypt::Update(uint8_t c) {
  m_aKeys[0] = CrcStep(m_aKeys[0], c);
  m_aKeys[1] = (m_aKeys[1] + (m_aKeys[0] & 0xFF)) * 134775813u + 1;
  m_aKeys[2] = CrcStep(m_aKeys[2], static_cast<uint8_t>(m_aKeys[1] >> 24));
}
