#pragma once
// The older settings layout of earlier versions: a data file of packed,
// keyed records, read here only to import those settings. Each record is a
// header byte (bits 0-1: byte width of the key, bits 2-3: of the sub-key,
// bits 4-6: of the value length), the key, the sub-key and the value length
// as little-endian numbers of those widths, then the value bytes.
#include <cstdint>

#include "framework/app/grow_array.h"

class CDataBlob : public CByteBuffer {
 public:
  int32_t iReadPos = 0;  // byte offset where the next record search starts

  explicit CDataBlob(int32_t initialCapacity = 0);
  void Free();  // empties the blob and frees its storage
};

// Copies the value of the record with that key and sub-key (compared as
// 16-bit numbers) into `out`: min(value length, outSize) bytes, the rest of
// `out` zero-filled. Returns the bytes copied, or -1 when no such record
// exists or a record runs past the end of the blob. The search starts at the
// blob's read position, wraps to the start once, and leaves the read position
// after the record found, so fields read in stored order cost one step each.
int32_t ReadBlobRecord(CDataBlob* blob, int key, int subKey, void* out, int32_t outSize);

// True when the blob is a sequence of whole records that ends exactly at its
// end: what an older settings file is, and what other bytes almost never are.
bool IsWholeBlob(const CDataBlob* blob);
