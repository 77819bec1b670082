#include "framework/settings/data_blob.h"

#include <cstring>

namespace {

struct BlobRecord {
  uint32_t ulKey;
  uint32_t ulSubKey;
  uint64_t ullValueStart;
  uint64_t ullValueLength;
  uint64_t ullNext;  // offset of the record after this one
};

uint64_t ReadLittleEndian(const uint8_t* p, int width) {
  uint64_t v = 0;
  for (int i = width - 1; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}

// Decodes the record at `pos`. False when a width is impossible or any part of
// the record lies past `length`; all sums are 64-bit and cannot wrap.
bool DecodeRecord(const uint8_t* data, uint64_t length, uint64_t pos, BlobRecord* record) {
  if (pos >= length) return false;
  uint8_t header = data[pos];
  int keyWidth = header & 3;
  int subKeyWidth = (header >> 2) & 3;
  int lengthWidth = (header >> 4) & 7;
  if (lengthWidth > 4) return false;
  uint64_t p = pos + 1;
  if (p + keyWidth + subKeyWidth + lengthWidth > length) return false;
  record->ulKey = static_cast<uint32_t>(ReadLittleEndian(data + p, keyWidth));
  p += keyWidth;
  record->ulSubKey = static_cast<uint32_t>(ReadLittleEndian(data + p, subKeyWidth));
  p += subKeyWidth;
  record->ullValueLength = ReadLittleEndian(data + p, lengthWidth);
  p += lengthWidth;
  record->ullValueStart = p;
  record->ullNext = p + record->ullValueLength;
  return record->ullNext <= length;
}

}  // namespace

CDataBlob::CDataBlob(int32_t initialCapacity) {
  if (initialCapacity > 0) Reserve(initialCapacity, kGrowDouble);
}

void CDataBlob::Free() {
  RemoveAll();
  iReadPos = 0;
}

int32_t ReadBlobRecord(CDataBlob* blob, int key, int subKey, void* out, int32_t outSize) {
  if (!blob || !blob->data || blob->count <= 0) return -1;
  if (outSize < 0 || (outSize > 0 && !out)) return -1;
  const uint64_t length = static_cast<uint64_t>(blob->count);
  if (blob->iReadPos < 0 || static_cast<uint64_t>(blob->iReadPos) >= length) return -1;
  const uint64_t start = static_cast<uint64_t>(blob->iReadPos);
  uint64_t pos = start;
  bool wrapped = false;
  for (;;) {
    BlobRecord record;
    if (!DecodeRecord(blob->data, length, pos, &record)) return -1;
    if (static_cast<uint16_t>(record.ulKey) == static_cast<uint16_t>(key) &&
        static_cast<uint16_t>(record.ulSubKey) == static_cast<uint16_t>(subKey)) {
      uint64_t n = record.ullValueLength < static_cast<uint64_t>(outSize)
                       ? record.ullValueLength
                       : static_cast<uint64_t>(outSize);
      uint8_t* target = static_cast<uint8_t*>(out);
      if (n > 0) memcpy(target, blob->data + record.ullValueStart, n);
      if (static_cast<uint64_t>(outSize) > n) memset(target + n, 0, outSize - n);
      // The next search starts behind this record; at the end it starts over.
      blob->iReadPos = record.ullNext >= length ? 0 : static_cast<int32_t>(record.ullNext);
      return static_cast<int32_t>(n);
    }
    pos = record.ullNext;
    if (pos >= length) {
      if (start == 0 || wrapped) return -1;
      wrapped = true;
      pos = 0;
    }
    if (wrapped && pos >= start) return -1;
  }
}

bool IsWholeBlob(const CDataBlob* blob) {
  if (!blob || !blob->data || blob->count <= 0) return false;
  const uint64_t length = static_cast<uint64_t>(blob->count);
  for (uint64_t pos = 0; pos < length;) {
    BlobRecord record;
    if (!DecodeRecord(blob->data, length, pos, &record)) return false;
    pos = record.ullNext;
  }
  return true;
}
