// Any byte string through the Exif reader, with and without keeping the
// image data: every read stays inside its segment.
#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include "imagelib/codecs/jpg/exif_reader.h"
#include "imagelib/raster_mem_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  for (int mode : {EXIF_READ_EXIF, EXIF_READ_EXIF | EXIF_READ_IMAGE}) {
    CRasterMemFile file(static_cast<const void*>(data), size);
    CExifReader reader;
    reader.ScanSections(&file, mode);
  }
  return 0;
}
