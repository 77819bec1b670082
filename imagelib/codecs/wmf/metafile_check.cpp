#include "imagelib/codecs/wmf/metafile_check.h"

#include "imagelib/raster_dib.h"

namespace {

constexpr uint16_t kWmfEof = 0x0000;
constexpr uint32_t kEmrHeader = 1;
constexpr uint32_t kEmrEof = 14;

int16_t ReadLeS16(const uint8_t* p) { return int16_t(ReadLe16(p)); }
int32_t ReadLeS32(const uint8_t* p) { return int32_t(ReadLe32(p)); }

// The records of a Windows metafile: each at least three words and inside
// the metafile, up to the end record or the metafile's end.
bool WmfRecordsHold(const uint8_t* wmf, size_t bytes, size_t headerBytes) {
  size_t at = headerBytes;
  while (at + 6 <= bytes) {
    const uint64_t recordBytes = uint64_t(ReadLe32(wmf + at)) * 2;
    if (recordBytes < 6 || recordBytes > bytes - at) return false;
    if (ReadLe16(wmf + at + 4) == kWmfEof) return true;
    at += size_t(recordBytes);
  }
  return at == bytes;
}

MetafileLayout CheckPlaceable(const uint8_t* data, size_t size, int32_t dpiX, int32_t dpiY) {
  MetafileLayout layout;
  if (size < kPlaceableHeaderBytes + kWmfHeaderBytes) return layout;
  if (ReadLe32(data) != kPlaceableKey || ReadLe16(data + 20) != PlaceableChecksum(data))
    return layout;
  const int32_t inch = ReadLe16(data + 14);
  if (inch < 1 || inch > 2540) return layout;
  const uint8_t* wmf = data + kPlaceableHeaderBytes;
  const uint16_t type = ReadLe16(wmf);
  const size_t headerBytes = size_t(ReadLe16(wmf + 2)) * 2;
  const uint64_t bytes = uint64_t(ReadLe32(wmf + 6)) * 2;
  if ((type != 1 && type != 2) || headerBytes < kWmfHeaderBytes) return layout;
  if (bytes < headerBytes || bytes > size - kPlaceableHeaderBytes) return layout;
  if (!WmfRecordsHold(wmf, size_t(bytes), headerBytes)) return layout;
  const int64_t left = ReadLeS16(data + 6), top = ReadLeS16(data + 8);
  const int64_t right = ReadLeS16(data + 10), bottom = ReadLeS16(data + 12);
  layout.kind = METAFILE_WMF;
  layout.offset = kPlaceableHeaderBytes;
  layout.bytes = size_t(bytes);
  layout.width = ((right - left) * dpiX + inch / 2) / inch;
  layout.height = ((bottom - top) * dpiY + inch / 2) / inch;
  return layout;
}

// The records of an enhanced metafile: sizes of at least 8 bytes, whole
// 32-bit words, inside the metafile's own byte count, the last one EOF.
bool EmfRecordsHold(const uint8_t* data, size_t bytes) {
  size_t at = 0;
  while (at + 8 <= bytes) {
    const uint32_t type = ReadLe32(data + at), recordBytes = ReadLe32(data + at + 4);
    if (recordBytes < 8 || recordBytes % 4 != 0 || recordBytes > bytes - at) return false;
    if (type == kEmrEof) return true;
    at += recordBytes;
  }
  return false;
}

MetafileLayout CheckEnhanced(const uint8_t* data, size_t size) {
  MetafileLayout layout;
  if (size < kEmfHeaderBytes) return layout;
  if (ReadLe32(data) != kEmrHeader || ReadLe32(data + 40) != kEmfSignature) return layout;
  const uint32_t bytes = ReadLe32(data + 48);
  if (bytes < kEmfHeaderBytes || bytes > size || ReadLe32(data + 4) > bytes) return layout;
  if (!EmfRecordsHold(data, bytes)) return layout;
  // Bounds are inclusive: a drawing over x = 10..190 is 181 pixels wide.
  const int64_t left = ReadLeS32(data + 8), top = ReadLeS32(data + 12);
  const int64_t right = ReadLeS32(data + 16), bottom = ReadLeS32(data + 20);
  layout.kind = METAFILE_EMF;
  layout.offset = 0;
  layout.bytes = bytes;
  layout.width = right - left + 1;
  layout.height = bottom - top + 1;
  return layout;
}

}  // namespace

uint16_t PlaceableChecksum(const uint8_t* header) {
  uint16_t sum = 0;
  for (int i = 0; i < 10; ++i) sum ^= ReadLe16(header + 2 * i);
  return sum;
}

MetafileLayout CheckMetafile(const uint8_t* data, size_t size, int32_t dpiX, int32_t dpiY) {
  const MetafileLayout placeable = CheckPlaceable(data, size, dpiX, dpiY);
  if (placeable.kind != METAFILE_NONE) return placeable;
  return CheckEnhanced(data, size);
}

void ClampMetafileSize(int64_t* width, int64_t* height, int64_t limit) {
  if (*width > limit) {
    *height = *height * limit / *width;
    *width = limit;
  }
  if (*height > limit) {
    *width = *width * limit / *height;
    *height = limit;
  }
  if (*width < 1) *width = 1;
  if (*height < 1) *height = 1;
}
