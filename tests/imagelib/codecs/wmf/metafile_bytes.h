#pragma once
// Metafiles built byte by byte for the tests: a placeable WMF around any
// records, and an EMF of a header, any records and the end record.
#include <cstdint>
#include <vector>

#include "imagelib/codecs/wmf/metafile_check.h"
#include "imagelib/raster_dib.h"

inline void PutLe16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(uint8_t(v));
  out.push_back(uint8_t(v >> 8));
}
inline void PutLe32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
}

// A WMF record: its size in words, function, parameters.
inline std::vector<uint8_t> WmfRecord(uint16_t function, const std::vector<uint16_t>& params) {
  std::vector<uint8_t> r;
  PutLe32(r, uint32_t(3 + params.size()));
  PutLe16(r, function);
  for (uint16_t p : params) PutLe16(r, p);
  return r;
}

// Placeable header with a correct checksum, the 18-byte metafile header and
// the records (an end record is appended unless the records bring one).
inline std::vector<uint8_t> PlaceableWmf(int16_t left, int16_t top, int16_t right, int16_t bottom,
                                         uint16_t inch, const std::vector<uint8_t>& records,
                                         bool appendEnd = true) {
  std::vector<uint8_t> body = records;
  if (appendEnd) {
    const std::vector<uint8_t> end = WmfRecord(0x0000, {});
    body.insert(body.end(), end.begin(), end.end());
  }
  std::vector<uint8_t> out;
  PutLe32(out, kPlaceableKey);
  PutLe16(out, 0);
  for (int16_t v : {left, top, right, bottom}) PutLe16(out, uint16_t(v));
  PutLe16(out, inch);
  PutLe32(out, 0);
  PutLe16(out, PlaceableChecksum(out.data()));
  PutLe16(out, 1);                                          // memory metafile
  PutLe16(out, 9);                                          // header words
  PutLe16(out, 0x300);                                      // version
  PutLe32(out, uint32_t((kWmfHeaderBytes + body.size()) / 2));  // size in words
  PutLe16(out, 0);
  PutLe32(out, 3);
  PutLe16(out, 0);
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

// An EMF record of the given type and total size (at least 8 bytes).
inline std::vector<uint8_t> EmfRecord(uint32_t type, uint32_t size) {
  std::vector<uint8_t> r;
  PutLe32(r, type);
  PutLe32(r, size);
  r.resize(size < 8 ? 8 : size, 0);
  return r;
}

// A 108-byte EMF header with these inclusive pixel bounds, the records and
// an end record; the byte and record counts filled in.
inline std::vector<uint8_t> Emf(int32_t left, int32_t top, int32_t right, int32_t bottom,
                                const std::vector<uint8_t>& records, bool appendEnd = true) {
  std::vector<uint8_t> out;
  PutLe32(out, 1);
  PutLe32(out, uint32_t(kEmfHeaderBytes));
  for (int32_t v : {left, top, right, bottom}) PutLe32(out, uint32_t(v));
  for (int32_t v : {0, 0, (right - left) * 26, (bottom - top) * 26}) PutLe32(out, uint32_t(v));
  PutLe32(out, kEmfSignature);
  PutLe32(out, 0x10000);
  PutLe32(out, 0);  // bytes, below
  PutLe32(out, 0);  // records, below
  PutLe16(out, 1);
  PutLe16(out, 0);
  PutLe32(out, 0);
  PutLe32(out, 0);
  PutLe32(out, 0);
  for (int32_t v : {1024, 768, 320, 240}) PutLe32(out, uint32_t(v));
  out.resize(kEmfHeaderBytes, 0);
  out.insert(out.end(), records.begin(), records.end());
  if (appendEnd) {
    std::vector<uint8_t> end = EmfRecord(14, 20);
    out.insert(out.end(), end.begin(), end.end());
  }
  WriteLe32(&out[48], uint32_t(out.size()));
  WriteLe32(&out[52], 2);
  return out;
}
