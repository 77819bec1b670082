// CRasterTIF: writing one page.
#include <cstdlib>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "imagelib/codecs/tif/raster_tif.h"

namespace {

const char kOpenFailed[] = "initialization fail";
const char kSaveFailed[] = "Error saving TIFF file";

uint16_t DefaultCompression(int bpp) {
  switch (bpp) {
    case 1: return COMPRESSION_CCITTFAX4;
    case 4:
    case 8: return COMPRESSION_LZW;
    case 24: return COMPRESSION_JPEG;
    default: return COMPRESSION_NONE;
  }
}

// The compression asked for when libtiff can write it at this depth, else
// the depth's own: fax codes take one bit, JPEG eight-bit grey or colour.
uint16_t ChooseCompression(uint32_t option, int bpp, uint16_t photometric) {
  bool writable = false;
  switch (option) {
    case COMPRESSION_NONE:
    case COMPRESSION_LZW:
    case COMPRESSION_ADOBE_DEFLATE:
    case COMPRESSION_DEFLATE:
    case COMPRESSION_PACKBITS: writable = true; break;
    case COMPRESSION_CCITTFAX3:
    case COMPRESSION_CCITTFAX4: writable = bpp == 1; break;
    case COMPRESSION_JPEG:
      writable = bpp == 24 || (bpp == 8 && photometric == PHOTOMETRIC_MINISBLACK);
      break;
    default: break;
  }
  if (writable && TIFFIsCODECConfigured(uint16_t(option))) return uint16_t(option);
  return DefaultCompression(bpp);
}

}  // namespace

bool CRasterTIF::Encode(CRasterFile* file) {
  if (EncodeSafeCheck(file)) return false;
  // "w" starts a new file on the stream. ("a" would first read the stream
  // back through libtiff, which a stream opened only for writing refuses.)
  mWriter.Reset(TiffOpenFromFile(file, "w"));
  if (!mWriter.Get()) return Fail(kOpenFailed);
  // TIFFClose cannot report a failure: the directory is written by
  // TIFFFlush first, and its answer counts.
  const bool written = WritePage(mWriter.Get()) && TIFFFlush(mWriter.Get()) == 1;
  mWriter.Close();
  if (!written || !file->Flush() || file->Error() != 0) return Fail(kSaveFailed);
  return true;
}

bool CRasterTIF::WritePage(TIFF* tiff) {
  const int bpp = GetBpp();
  const uint16_t samples = bpp == 24 ? 3 : 1;
  const RGBQUAD* palette = static_cast<const CRaster*>(this)->GetPalette();
  // One bit is written white-is-zero; an image whose entry 0 is the darker
  // one is written with its bits inverted (in the copies, not the image).
  bool invert = false;
  uint16_t photometric = PHOTOMETRIC_RGB;
  if (bpp == 1) {
    photometric = PHOTOMETRIC_MINISWHITE;
    invert = CompareColors(&palette[0], &palette[1]) < 0;
  } else if (bpp == 4 || bpp == 8) {
    photometric = HasGreyLevels() ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_PALETTE;
  }
  const uint16_t compression =
      ChooseCompression(GetCodecOption(RASTER_FORMAT_TIF), bpp, photometric);
  TIFFSetField(tiff, TIFFTAG_SUBFILETYPE, 0);
  TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, uint32_t(GetWidth()));
  TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, uint32_t(GetHeight()));
  TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, samples);
  TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, uint16_t(bpp / samples));
  TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, photometric);
  TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tiff, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
  // The compression comes before the strip size, which depends on it, and
  // before the codec's own pseudo-tags.
  TIFFSetField(tiff, TIFFTAG_COMPRESSION, compression);
  uint32_t rowsPerStrip = TIFFDefaultStripSize(tiff, uint32_t(-1));
  if (compression == COMPRESSION_JPEG) {
    TIFFSetField(tiff, TIFFTAG_JPEGQUALITY, GetJpegQuality());
    rowsPerStrip = (rowsPerStrip + 7) / 8 * 8;
  }
  if (compression == COMPRESSION_LZW && bpp >= 8)
    TIFFSetField(tiff, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
  TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, rowsPerStrip);
  TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
  TIFFSetField(tiff, TIFFTAG_XRESOLUTION, float(GetXDpi()));
  TIFFSetField(tiff, TIFFTAG_YRESOLUTION, float(GetYDpi()));
  if (photometric == PHOTOMETRIC_PALETTE) {
    std::vector<uint16_t> red(256), green(256), blue(256);
    for (DWORD i = 0; i < GetNumColors() && i < 256; ++i) {
      red[i] = uint16_t(palette[i].rgbRed * 257);
      green[i] = uint16_t(palette[i].rgbGreen * 257);
      blue[i] = uint16_t(palette[i].rgbBlue * 257);
    }
    TIFFSetField(tiff, TIFFTAG_COLORMAP, red.data(), green.data(), blue.data());
  }
  return WriteRows(tiff, invert);
}

bool CRasterTIF::WriteRows(TIFF* tiff, bool invert) {
  const uint64_t lineBytes = TIFFScanlineSize64(tiff);
  const size_t rowBytes = size_t(GetRowBytes());
  if (lineBytes == 0 || lineBytes > rowBytes) return false;
  std::vector<uint8_t> line(rowBytes);
  const int32_t height = GetHeight(), width = GetWidth();
  for (int32_t y = 0; y < height; ++y) {
    std::memcpy(line.data(), GetBits(height - 1 - y), rowBytes);
    if (invert)
      for (uint8_t& b : line) b = uint8_t(~b);
    if (GetBpp() == 24)
      for (int32_t x = 0; x < width; ++x) std::swap(line[3 * x], line[3 * x + 2]);
    if (TIFFWriteScanline(tiff, line.data(), uint32_t(y), 0) < 0) return false;
  }
  return true;
}

// Palette entry i is grey level i of the depth (0, 17, 34 ... at 4 bits,
// 0, 1, 2 ... at 8): the pixels are grey values as they stand.
bool CRasterTIF::HasGreyLevels() const {
  const RGBQUAD* palette = static_cast<const CRaster*>(this)->GetPalette();
  const DWORD count = GetNumColors();
  if (!palette || count < 2) return false;
  for (DWORD i = 0; i < count; ++i) {
    const DWORD level = i * 255 / (count - 1);
    if (palette[i].rgbRed != level || palette[i].rgbGreen != level || palette[i].rgbBlue != level)
      return false;
  }
  return true;
}
