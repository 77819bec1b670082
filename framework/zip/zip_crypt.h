#pragma once
// The traditional zip password encryption: three 32-bit keys updated with
// every plain byte.
#include <cstdint>

class CZipCrypt {
 public:
  // Keys from their start values updated with each password byte.
  void Init(const char* password);
  uint8_t Encrypt(uint8_t plain) {
    uint8_t c = static_cast<uint8_t>(plain ^ KeyByte());
    Update(plain);
    return c;
  }
  uint8_t Decrypt(uint8_t cipher) {
    uint8_t p = static_cast<uint8_t>(cipher ^ KeyByte());
    Update(p);
    return p;
  }

 private:
  uint8_t KeyByte() const {
    uint32_t t = (m_aKeys[2] & 0xFFFF) | 2;
    return static_cast<uint8_t>((t * (t ^ 1)) >> 8);
  }
  void Update(uint8_t c);

  uint32_t m_aKeys[3] = {};
};
