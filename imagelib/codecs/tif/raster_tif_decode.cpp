// CRasterTIF: opening a page, its layout checks and the codec's own
// converters (grey, palette, two samples, CIE L*a*b*) over strips and tiles.
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "imagelib/codecs/tif/raster_tif.h"
#include "imagelib/codecs/tif/tiff_page.h"
#include "imagelib/codecs/tif/tiff_samples.h"
#include "imagelib/raster_mem_file.h"
#include "imagelib/raster_numeric.h"

namespace {

const char kOpenFailed[] = "Error encountered while opening TIFF file";
const char kNoPage[] = "Error: page not present in TIFF file";
const char kCorrupted[] = "Corrupted TIFF file!";
const char kCancelled[] = "Cancelled";
const char kTooBigPalette[] = "Too big palette to handle";
const char kNoPalette[] = "Unable to allocate TIFF palette";
const char kNoMemory[] = "CRasterTIF can't allocate memory";
const char kCorruptedTile[] = "Corrupted tiled TIFF file!";
const char kTooShort[] = "TIFF data too short for its image size";
constexpr int32_t kUnreadRow = -1;

struct FreeDeleter {
  void operator()(void* p) const { std::free(p); }
};
using Buffer = std::unique_ptr<uint8_t, FreeDeleter>;

// Every buffer beside the image stays within the image library's limit.
Buffer Allocate(uint64_t bytes) {
  if (bytes == 0 || bytes > uint64_t(RASTER_MAX_MEMORY)) return Buffer();
  return Buffer(static_cast<uint8_t*>(std::malloc(size_t(bytes))));
}

uint64_t Min64(uint64_t a, uint64_t b) { return a < b ? a : b; }

// A resolution or position value as the image keeps it: truncated, and
// only when it is a number the conversion can hold.
bool UsableDpi(double v) { return v >= 0 && v <= double(INT32_MAX); }

}  // namespace

bool CRasterTIF::Fail(const char* text) {
  SetErrorText(text);
  return false;
}

bool CRasterTIF::Decode(CRasterFile* file) {
  if (!file) return false;
  CTiffHandle tiff(TiffOpenFromFile(file, "r"));
  if (!tiff.Get()) return Fail(kOpenFailed);
  return ReadPage(tiff.Get(), file);
}

// libtiff's RGBA reader takes tiles only from a mapped file: the stream is
// read into memory and the page decoded from there.
bool CRasterTIF::ReadFromMemory(CRasterFile* file) {
  const int32_t size = file->Size();
  if (size <= 0 || !file->Seek(0, 0)) return Fail(kCorrupted);
  Buffer bytes = Allocate(uint64_t(size));
  if (!bytes) return Fail(kNoMemory);
  if (file->Read(bytes.get(), 1, size_t(size)) != size_t(size)) return Fail(kCorrupted);
  CRasterMemFile memory(static_cast<const void*>(bytes.get()), size_t(size));
  CTiffHandle tiff(TiffOpenFromFile(&memory, "r"));
  if (!tiff.Get()) return Fail(kOpenFailed);
  return ReadPage(tiff.Get(), &memory);
}

bool CRasterTIF::ReadPage(TIFF* tiff, CRasterFile* file) {
  const tdir_t pages = TIFFNumberOfDirectories(tiff);
  info.frameCount = pages > tdir_t(INT32_MAX) ? INT32_MAX : int32_t(pages);
  if (info.frameIndex < 0 || !TIFFSetDirectory(tiff, tdir_t(info.frameIndex))) return Fail(kNoPage);
  TiffPage page;
  if (!ReadTiffPage(tiff, &page)) return Fail(kCorrupted);
  if (info.escape == -1) {
    header.biWidth = int32_t(page.width);
    header.biHeight = int32_t(page.height);
    info.type = RASTER_FORMAT_TIF;
    SetErrorText("output dimensions returned");
    return true;
  }
  page.tiled = page.tiled && page.tileWidth && page.tileLength;
  ClassifyTiffPage(&page);
  if (page.path == TIFF_PATH_RGBA && page.tiled && !dynamic_cast<CRasterMemFile*>(file))
    return ReadFromMemory(file);
  if (page.bigPalette && page.bits > 24) return Fail(kTooBigPalette);
  if (!CheckDataCanFill(page, file)) return false;
  if (info.escape != 0) return Fail(kCancelled);
  if (!Create(int32_t(page.width), int32_t(page.height), page.depth, RASTER_FORMAT_TIF))
    return false;
  ReadResolution(tiff);
  SetCodecOption(page.compression, RASTER_FORMAT_TIF);
  bool read = false;
  switch (page.path) {
    case TIFF_PATH_CONVERT: read = ReadConverted(tiff, page); break;
    case TIFF_PATH_RGBA: read = ReadRgba(tiff, page); break;
    case TIFF_PATH_RGB_STRIPS: read = ReadRgbStrips(tiff, page); break;
  }
  return read && ApplyOrientation(page.orientation);
}

void CRasterTIF::ReadResolution(TIFF* tiff) {
  uint16_t unit = RESUNIT_INCH;
  TIFFGetFieldDefaulted(tiff, TIFFTAG_RESOLUTIONUNIT, &unit);
  const double scale = unit == RESUNIT_CENTIMETER ? 2.54 : 1.0;
  const double round = unit == RESUNIT_CENTIMETER ? 0.5 : 0.0;
  float x = 0, y = 0;
  if (TIFFGetField(tiff, TIFFTAG_XRESOLUTION, &x) && UsableDpi(x * scale + round))
    SetXDpi(int32_t(x * scale + round));
  if (TIFFGetField(tiff, TIFFTAG_YRESOLUTION, &y) && UsableDpi(y * scale + round))
    SetYDpi(int32_t(y * scale + round));
  float left = 0, top = 0;
  const bool hasLeft = TIFFGetField(tiff, TIFFTAG_XPOSITION, &left) != 0;
  const bool hasTop = TIFFGetField(tiff, TIFFTAG_YPOSITION, &top) != 0;
  if ((hasLeft || hasTop) && UsablePosition(left) && UsablePosition(top))
    SetOffset(int32_t(left), int32_t(top));
}

// Nothing is allocated for a page before its data could fill it: the most
// the whole stream can decode to, by the page's compression, must reach the
// decoded size of the page. A few header bytes cannot commit a gigabyte.
bool CRasterTIF::CheckDataCanFill(const TiffPage& page, CRasterFile* file) {
  const int32_t size = file->Size();
  if (size < 0) return true;
  const uint64_t sampleBits = uint64_t(page.samples) * page.bits;
  const uint64_t scanline = (uint64_t(page.width) * sampleBits + 7) / 8;
  const uint64_t decoded = scanline * page.height;
  const uint64_t limit = TiffExpansionLimit(page, scanline);
  if (decoded / limit > uint64_t(size)) return Fail(kTooShort);
  return true;
}

// The palette or grey ramp of the page as colour values: 2^bits entries for
// a palette of more than 8 bits, else 256 (the image takes the first
// 2^bits). A ramp of one entry is black.
bool CRasterTIF::MakeColorTable(TIFF* tiff, const TiffPage& page, uint32_t* table) {
  const int bits = page.bits < 8 ? page.bits : 8;
  const uint32_t entries = page.bigPalette ? uint32_t(1) << page.bits : uint32_t(1) << bits;
  if (page.photometric == PHOTOMETRIC_PALETTE) {
    uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
    if (!TIFFGetField(tiff, TIFFTAG_COLORMAP, &red, &green, &blue) || !red || !green || !blue)
      return true;  // no colour map: the page stays black
    bool wide = page.bigPalette;
    for (uint32_t i = 0; i < entries && !wide; ++i)
      wide = red[i] > 255 || green[i] > 255 || blue[i] > 255;
    for (uint32_t i = 0; i < entries; ++i) {
      const uint32_t r = wide ? red[i] * 255u / 65535u : red[i];
      const uint32_t g = wide ? green[i] * 255u / 65535u : green[i];
      const uint32_t b = wide ? blue[i] * 255u / 65535u : blue[i];
      table[i] = b | g << 8 | r << 16;
    }
    return true;
  }
  if (page.bits == 1) {
    // Photometric 0 says white is zero, everything else black is zero.
    table[page.photometric == PHOTOMETRIC_MINISWHITE ? 0 : 1] = 0xFFFFFF;
    return true;
  }
  const uint32_t step = entries > 1 ? 255 / (entries - 1) : 0;
  for (uint32_t i = 0; i < entries; ++i) {
    const uint32_t level = page.photometric == PHOTOMETRIC_MINISWHITE ? 255 - i * step : i * step;
    table[i] = level * 0x010101u;
  }
  return true;
}

namespace {

// One file row into one image row, for the converters' path.
class CRowConverter {
 public:
  CRowConverter(const TiffPage& page, const uint32_t* table, uint64_t lineBytes)
      : mPage(page), mTable(table), mLineBytes(lineBytes) {}

  // Writes the row; for 16-bit rows read from strips returns the shift it
  // used (see Rescale), else 0.
  int32_t Convert(const uint8_t* line, BYTE* target, size_t targetBytes) const {
    const TiffPage& p = mPage;
    const size_t width = p.width;
    if (p.lab) {
      for (size_t x = 0; x < width; ++x)
        TiffLabToBgr(line[3 * x], int8_t(line[3 * x + 1]), int8_t(line[3 * x + 2]), target + 3 * x);
      return 0;
    }
    if (p.bigPalette) {
      for (size_t x = 0; x < width; ++x) {
        const uint32_t c = mTable[TiffSample(line, x * p.samples, p.bits)];
        target[3 * x] = BYTE(c);
        target[3 * x + 1] = BYTE(c >> 8);
        target[3 * x + 2] = BYTE(c >> 16);
      }
      return 0;
    }
    if (p.samples == 1 && p.bits == p.depth) {
      std::memcpy(target, line, size_t(Min64(mLineBytes, targetBytes)));
      return 0;
    }
    if (p.bits == 16) return Convert16(line, target);
    for (size_t x = 0; x < width; ++x)
      target[x] = ReduceTiffSample(TiffSample(line, x * p.samples, p.bits), p.bits);
    return 0;
  }

 private:
  // From tiles: the high byte. From strips: each row is stretched to its own
  // largest value, and Rescale brings all rows to the brightest one's scale.
  int32_t Convert16(const uint8_t* line, BYTE* target) const {
    const TiffPage& p = mPage;
    const size_t width = p.width;
    if (p.tiled) {
      for (size_t x = 0; x < width; ++x) target[x] = BYTE(TiffSample(line, x * p.samples, 16) >> 8);
      return 0;
    }
    uint32_t largest = 0;
    for (size_t x = 0; x < width; ++x) {
      const uint32_t high = TiffSample(line, x * p.samples, 16) >> 8;
      if (high > largest) largest = high;
    }
    const int shift = TiffRowShift(uint8_t(largest));
    for (size_t x = 0; x < width; ++x)
      target[x] = BYTE(TiffSample(line, x * p.samples, 16) >> (8 - shift));
    return shift;
  }

  const TiffPage& mPage;
  const uint32_t* mTable;
  uint64_t mLineBytes;
};

}  // namespace

bool CRasterTIF::ReadConverted(TIFF* tiff, const TiffPage& page) {
  const uint64_t lineBytes = TIFFScanlineSize64(tiff);
  // The converters read at most one line of samples of the page's width.
  if (lineBytes * 8 < uint64_t(page.width) * page.samples * page.bits) return Fail(kCorrupted);
  const uint32_t bandRows = page.tiled ? page.tileLength : page.rowsPerStrip;
  Buffer band = Allocate(uint64_t(bandRows) * lineBytes);
  if (!band) return Fail(kNoMemory);
  uint64_t tileBytes = 0, tileRowBytes = 0;
  Buffer tile;
  if (page.tiled) {
    tileBytes = TIFFTileSize64(tiff);
    tileRowBytes = TIFFTileRowSize64(tiff);
    tile = Allocate(tileBytes);
    if (!tile || tileRowBytes == 0) return Fail(kNoMemory);
  }
  const uint64_t tableEntries = page.bigPalette ? uint64_t(1) << page.bits : 256;
  std::unique_ptr<uint32_t[]> table(new (std::nothrow) uint32_t[tableEntries]());
  if (!table) return Fail(kNoPalette);
  MakeColorTable(tiff, page, table.get());
  if (IsIndexed()) {
    std::vector<RGBQUAD> entries(GetNumColors());
    const uint64_t used = page.bits < 8 ? uint64_t(1) << page.bits : 256;
    for (size_t i = 0; i < entries.size() && i < used; ++i) entries[i] = RgbQuadFromValue(table[i]);
    SetPalette(entries.data(), DWORD(entries.size()));
  }

  const bool rescale = page.bits == 16 && !page.bigPalette && !page.tiled;
  std::vector<int32_t> shifts(rescale ? page.height : 0, kUnreadRow);
  const CRowConverter converter(page, table.get(), lineBytes);
  const int32_t height = GetHeight();
  for (uint32_t first = 0; first < page.height; first += bandRows) {
    if (info.escape != 0) return Fail(kCancelled);
    const uint32_t rows = bandRows < page.height - first ? bandRows : page.height - first;
    if (page.tiled) {
      if (!ReadTileBand(tiff, page, first, rows, band.get(), lineBytes, tile.get(), tileBytes,
                        tileRowBytes))
        return Fail(kCorruptedTile);
    } else if (TIFFReadEncodedStrip(tiff, TIFFComputeStrip(tiff, first, 0), band.get(),
                                    tmsize_t(rows * lineBytes)) < 0) {
      break;  // a damaged strip ends the page; the rows read so far stay
    }
    for (uint32_t r = 0; r < rows; ++r) {
      const int32_t row = height - 1 - int32_t(first + r);
      const int32_t shift =
          converter.Convert(band.get() + r * lineBytes, GetBits(row), size_t(GetRowBytes()));
      if (rescale) shifts[first + r] = shift;
    }
    info.progress = int32_t(uint64_t(first + rows) * 100 / page.height);
  }
  if (rescale) RescaleRows(shifts);
  return true;
}

// Copies the tiles of one band side by side into the band's lines; the last
// tile of a row is cut at the page's width.
bool CRasterTIF::ReadTileBand(TIFF* tiff, const TiffPage& page, uint32_t first, uint32_t rows,
                              uint8_t* band, uint64_t lineBytes, uint8_t* tile, uint64_t tileBytes,
                              uint64_t tileRowBytes) {
  uint64_t offset = 0;
  for (uint32_t x = 0; x < page.width; x += page.tileWidth, offset += tileRowBytes) {
    if (TIFFReadTile(tiff, tile, x, first, 0, 0) < 0) return false;
    if (offset >= lineBytes) break;
    const uint64_t bytes = Min64(tileRowBytes, lineBytes - offset);
    for (uint32_t r = 0; r < rows && (r + 1) * tileRowBytes <= tileBytes; ++r)
      std::memcpy(band + r * lineBytes + offset, tile + r * tileRowBytes, size_t(bytes));
  }
  return true;
}

// Rows stretched by more than the brightest row are brought back to its
// scale, so the page keeps one brightness scale from top to bottom.
void CRasterTIF::RescaleRows(const std::vector<int32_t>& shifts) {
  int32_t smallest = 8;
  for (int32_t s : shifts)
    if (s != kUnreadRow && s < smallest) smallest = s;
  const int32_t height = GetHeight(), width = GetWidth();
  for (size_t fileRow = 0; fileRow < shifts.size(); ++fileRow) {
    const int32_t extra = shifts[fileRow] - smallest;
    if (shifts[fileRow] == kUnreadRow || extra <= 0) continue;
    BYTE* row = GetBits(height - 1 - int32_t(fileRow));
    for (int32_t x = 0; x < width; ++x) row[x] = BYTE(row[x] >> extra);
  }
}
