#pragma once
// Builds DIB and BMP byte strings field by field for the codec tests.
#include <cstdint>
#include <initializer_list>
#include <vector>

class CDibBuilder {
 public:
  CDibBuilder& U8(uint8_t v) {
    mBytes.push_back(v);
    return *this;
  }
  CDibBuilder& U16(uint16_t v) { return U8(uint8_t(v)).U8(uint8_t(v >> 8)); }
  CDibBuilder& U32(uint32_t v) { return U16(uint16_t(v)).U16(uint16_t(v >> 16)); }
  CDibBuilder& Bytes(std::initializer_list<uint8_t> values) {
    mBytes.insert(mBytes.end(), values);
    return *this;
  }
  CDibBuilder& Zeros(size_t n) {
    mBytes.insert(mBytes.end(), n, 0);
    return *this;
  }
  // A BITMAPINFOHEADER of the given size (40 and up; the rest zero).
  CDibBuilder& Info(int32_t width, int32_t height, uint16_t bpp, uint32_t compression = 0,
                    uint32_t clrUsed = 0, uint32_t size = 40, int32_t ppm = 3780) {
    U32(size).U32(uint32_t(width)).U32(uint32_t(height)).U16(1).U16(bpp).U32(compression);
    U32(0).U32(uint32_t(ppm)).U32(uint32_t(ppm)).U32(clrUsed).U32(0);
    return Zeros(size - 40);
  }
  // Grey-ish palette entries blue = i, green = 2i, red = 3i (mod 256).
  CDibBuilder& Palette(uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) U8(uint8_t(i)).U8(uint8_t(2 * i)).U8(uint8_t(3 * i)).U8(0);
    return *this;
  }
  // The 14-byte file header in front of what was built so far.
  CDibBuilder& PrependFileHeader(uint32_t pixelOffsetInDib) {
    CDibBuilder file;
    file.U16(0x4D42).U32(uint32_t(mBytes.size() + 14)).U32(0).U32(pixelOffsetInDib + 14);
    file.mBytes.insert(file.mBytes.end(), mBytes.begin(), mBytes.end());
    mBytes.swap(file.mBytes);
    return *this;
  }
  void Patch32(size_t offset, uint32_t v) {
    for (int i = 0; i < 4; ++i) mBytes[offset + i] = uint8_t(v >> (8 * i));
  }
  size_t Size() const { return mBytes.size(); }
  const std::vector<uint8_t>& Get() const { return mBytes; }

 private:
  std::vector<uint8_t> mBytes;
};
