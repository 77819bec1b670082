// Any byte string through the metafile checks that run before GDI: no read
// outside the bytes, and whatever is accepted lies inside them.
#include <cstddef>
#include <cstdint>

#include "imagelib/codecs/wmf/metafile_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const MetafileLayout layout = CheckMetafile(data, size, 96, 96);
  if (layout.kind != METAFILE_NONE && (layout.offset > size || layout.bytes > size - layout.offset))
    __builtin_trap();
  int64_t width = layout.width, height = layout.height;
  if (width > 0 && height > 0) {
    ClampMetafileSize(&width, &height, 4000);
    if (width < 1 || height < 1 || width > 4000 || height > 4000) __builtin_trap();
  }
  return 0;
}
