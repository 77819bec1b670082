// CRasterTIF: pages read through libtiff's RGBA reader, 8-bit RGB strips
// read directly, and the orientation tag.
#include <cstdlib>
#include <cstring>
#include <memory>

#include "imagelib/codecs/tif/raster_tif.h"
#include "imagelib/codecs/tif/tiff_page.h"

namespace {

const char kNoRaster[] = "No space for raster buffer";
const char kCorrupted[] = "Corrupted TIFF file!";
const char kCancelled[] = "Cancelled";

// Bands of the RGBA reader hold whole strips or tile rows and about this
// many bytes, so that no strip is decoded twice and no buffer grows with
// the page.
constexpr uint64_t kBandBytes = 4u << 20;

struct FreeDeleter {
  void operator()(void* p) const { std::free(p); }
};

class CRgbaImage {
 public:
  CRgbaImage() { std::memset(&mImage, 0, sizeof mImage); }
  ~CRgbaImage() {
    if (mBegun) TIFFRGBAImageEnd(&mImage);
  }
  CRgbaImage(const CRgbaImage&) = delete;
  CRgbaImage& operator=(const CRgbaImage&) = delete;
  bool Begin(TIFF* tiff) {
    char message[1024] = {};
    if (!TIFFRGBAImageOK(tiff, message)) return false;
    mBegun = TIFFRGBAImageBegin(&mImage, tiff, 1, message) != 0;
    return mBegun;
  }
  TIFFRGBAImage* Get() { return &mImage; }

 private:
  TIFFRGBAImage mImage;
  bool mBegun = false;
};

}  // namespace

// libtiff's reader would flip the rows for orientations 2 to 8 by itself,
// and turns 5 to 8 into mirror images instead of turning them. It is asked
// for the rows in their stored order; ApplyOrientation does the rest, for
// every path alike.
bool CRasterTIF::ReadRgba(TIFF* tiff, const TiffPage& page) {
  CRgbaImage rgba;
  if (!rgba.Begin(tiff)) return Fail(kCorrupted);
  TIFFRGBAImage* image = rgba.Get();
  image->req_orientation = ORIENTATION_TOPLEFT;
  image->orientation = ORIENTATION_TOPLEFT;
  const uint64_t lineBytes = uint64_t(page.width) * 4;
  const uint64_t unit = page.tiled ? page.tileLength : page.rowsPerStrip;
  if (lineBytes * unit > uint64_t(RASTER_MAX_MEMORY)) return Fail(kNoRaster);
  uint64_t bandRows = kBandBytes / (lineBytes * unit) * unit;
  if (bandRows < unit) bandRows = unit;
  if (bandRows > page.height) bandRows = page.height;
  std::unique_ptr<uint32_t, FreeDeleter> band(
      static_cast<uint32_t*>(std::malloc(size_t(lineBytes * bandRows))));
  if (!band) return Fail(kNoRaster);
  const int32_t height = GetHeight();
  for (uint32_t first = 0; first < page.height; first += uint32_t(bandRows)) {
    if (info.escape != 0) return Fail(kCancelled);
    const uint32_t rows = uint32_t(bandRows < page.height - first ? bandRows : page.height - first);
    image->row_offset = int(first);
    image->col_offset = 0;
    if (!TIFFRGBAImageGet(image, band.get(), page.width, rows)) return Fail(kCorrupted);
    for (uint32_t r = 0; r < rows; ++r) {
      const uint32_t* source = band.get() + size_t(r) * page.width;
      BYTE* target = GetBits(height - 1 - int32_t(first + r));
      for (uint32_t x = 0; x < page.width; ++x, target += 3) {
        target[0] = BYTE(TIFFGetB(source[x]));
        target[1] = BYTE(TIFFGetG(source[x]));
        target[2] = BYTE(TIFFGetR(source[x]));
      }
    }
    info.progress = int32_t(uint64_t(first + rows) * 100 / page.height);
  }
  return true;
}

// 8-bit contiguous RGB without extra samples: the strips are the rows.
bool CRasterTIF::ReadRgbStrips(TIFF* tiff, const TiffPage& page) {
  const uint64_t lineBytes = TIFFScanlineSize64(tiff);
  if (lineBytes != uint64_t(page.width) * 3) return ReadRgba(tiff, page);
  const uint64_t bandBytes = lineBytes * page.rowsPerStrip;
  if (bandBytes > uint64_t(RASTER_MAX_MEMORY)) return Fail(kNoRaster);
  std::unique_ptr<uint8_t, FreeDeleter> band(static_cast<uint8_t*>(std::malloc(size_t(bandBytes))));
  if (!band) return Fail(kNoRaster);
  const int32_t height = GetHeight();
  for (uint32_t first = 0; first < page.height; first += page.rowsPerStrip) {
    if (info.escape != 0) return Fail(kCancelled);
    const uint32_t rows = page.rowsPerStrip < page.height - first ? page.rowsPerStrip
                                                                 : page.height - first;
    if (TIFFReadEncodedStrip(tiff, TIFFComputeStrip(tiff, first, 0), band.get(),
                             tmsize_t(rows * lineBytes)) < 0)
      return Fail(kCorrupted);
    for (uint32_t r = 0; r < rows; ++r) {
      const uint8_t* source = band.get() + r * lineBytes;
      BYTE* target = GetBits(height - 1 - int32_t(first + r));
      for (uint32_t x = 0; x < page.width; ++x, source += 3, target += 3) {
        target[0] = source[2];
        target[1] = source[1];
        target[2] = source[0];
      }
    }
    info.progress = int32_t(uint64_t(first + rows) * 100 / page.height);
  }
  return true;
}

// The stored rows as the tag says they are to be seen: 6 is a quarter turn
// clockwise, 8 counter-clockwise, 5 and 7 those turns mirrored.
bool CRasterTIF::ApplyOrientation(uint16_t orientation) {
  switch (orientation) {
    case ORIENTATION_TOPRIGHT: return Mirror();
    case ORIENTATION_BOTRIGHT: return Flip() && Mirror();
    case ORIENTATION_BOTLEFT: return Flip();
    case ORIENTATION_LEFTTOP: return RotateRight() && Mirror();
    case ORIENTATION_RIGHTTOP: return RotateRight();
    case ORIENTATION_RIGHTBOT: return RotateLeft() && Mirror();
    case ORIENTATION_LEFTBOT: return RotateLeft();
    default: return true;
  }
}
