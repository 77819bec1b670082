#pragma once
// The body of the single-codec decode fuzz targets: any byte string decodes
// or fails with a text; nothing reads or writes outside the input or the
// image, and every failure unwinds without leaking.
#include <cstddef>
#include <cstdint>

#include "imagelib/raster_mem_file.h"

template <class TCodec>
int FuzzDecodeWith(const uint8_t* data, size_t size) {
  // The size probe first: a few bytes can declare a gigabyte image, which is
  // correct to decode but only slows the search down.
  CRasterMemFile probeFile(static_cast<const void*>(data), size);
  TCodec probe;
  probe.SetEscape(-1);
  if (probe.Decode(&probeFile) && int64_t(probe.GetWidth()) * probe.GetHeight() > (int64_t(1) << 22))
    return 0;
  CRasterMemFile file(static_cast<const void*>(data), size);
  TCodec codec;
  if (!codec.Decode(&file) && codec.GetLastError()[0] == '\0') __builtin_trap();
  return 0;
}
