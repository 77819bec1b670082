#pragma once
// The body of the single-codec decode fuzz targets: any byte string decodes
// or fails with a text; nothing reads or writes outside the input or the
// image, and every failure unwinds without leaking. Large headers are fuzzed
// too: the run's allocation limit (scripts/run-fuzzer.sh) catches a decoder
// that commits memory its input cannot fill.
#include <cstddef>
#include <cstdint>

#include "imagelib/raster_mem_file.h"

template <class TCodec>
int FuzzDecodeWith(const uint8_t* data, size_t size) {
  CRasterMemFile file(static_cast<const void*>(data), size);
  TCodec codec;
  if (!codec.Decode(&file) && codec.GetLastError()[0] == '\0') __builtin_trap();
  return 0;
}
