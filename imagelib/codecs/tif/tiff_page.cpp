#include "imagelib/codecs/tif/tiff_page.h"

#include <cstdint>

namespace {

bool ReadsAsRgba(uint16_t photometric) {
  switch (photometric) {
    case PHOTOMETRIC_RGB:
    case PHOTOMETRIC_SEPARATED:
    case PHOTOMETRIC_YCBCR:
    case PHOTOMETRIC_ICCLAB:
    case PHOTOMETRIC_ITULAB:
    case PHOTOMETRIC_LOGL:
    case PHOTOMETRIC_LOGLUV:
      return true;
    default:
      return false;
  }
}

bool IntegerSamples(const TiffPage& p) {
  return p.sampleFormat == SAMPLEFORMAT_UINT || p.sampleFormat == SAMPLEFORMAT_INT ||
         p.sampleFormat == SAMPLEFORMAT_VOID;
}

// The converters take grey, palette and mask pages of one sample of up to
// 32 bits, two contiguous samples of 8 or 16 bits (grey or palette with
// alpha: the first sample counts), and three contiguous 8-bit CIE L*a*b*
// samples. Whatever else libtiff can read goes through its RGBA reader.
TiffReadPath ChoosePath(const TiffPage& p) {
  if (ReadsAsRgba(p.photometric) || !IntegerSamples(p) || p.bits == 0 || p.bits > 32)
    return p.photometric == PHOTOMETRIC_RGB && p.samples == 3 && p.bits == 8 &&
                   p.planar == PLANARCONFIG_CONTIG && p.extraSamples == 0 && !p.tiled &&
                   p.compression != COMPRESSION_OJPEG && p.sampleFormat == SAMPLEFORMAT_UINT
               ? TIFF_PATH_RGB_STRIPS
               : TIFF_PATH_RGBA;
  const bool contiguous = p.planar == PLANARCONFIG_CONTIG || p.samples == 1;
  // Tiles are copied side by side by whole bytes.
  if (p.tiled && uint64_t(p.tileWidth) * p.samples * p.bits % 8 != 0) return TIFF_PATH_RGBA;
  if (p.photometric == PHOTOMETRIC_CIELAB)
    return p.samples == 3 && p.bits == 8 && contiguous && p.extraSamples == 0 ? TIFF_PATH_CONVERT
                                                                            : TIFF_PATH_RGBA;
  if (p.samples == 1) return TIFF_PATH_CONVERT;
  if (p.samples == 2 && contiguous && (p.bits == 8 || p.bits == 16)) return TIFF_PATH_CONVERT;
  return TIFF_PATH_RGBA;
}

}  // namespace

bool ReadTiffPage(TIFF* tiff, TiffPage* page) {
  TiffPage& p = *page;
  if (!TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &p.width) ||
      !TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &p.height))
    return false;
  if (p.width == 0 || p.height == 0 || p.width > uint32_t(INT32_MAX) ||
      p.height > uint32_t(INT32_MAX))
    return false;
  TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &p.samples);
  TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &p.bits);
  TIFFGetFieldDefaulted(tiff, TIFFTAG_ROWSPERSTRIP, &p.rowsPerStrip);
  if (!TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &p.photometric)) p.photometric = 0;
  TIFFGetFieldDefaulted(tiff, TIFFTAG_ORIENTATION, &p.orientation);
  TIFFGetFieldDefaulted(tiff, TIFFTAG_PLANARCONFIG, &p.planar);
  TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLEFORMAT, &p.sampleFormat);
  TIFFGetFieldDefaulted(tiff, TIFFTAG_COMPRESSION, &p.compression);
  uint16_t* extraKinds = nullptr;
  TIFFGetFieldDefaulted(tiff, TIFFTAG_EXTRASAMPLES, &p.extraSamples, &extraKinds);
  if (p.rowsPerStrip == 0 || p.rowsPerStrip > p.height) p.rowsPerStrip = p.height;
  p.tiled = TIFFIsTiled(tiff) != 0;
  if (p.tiled && (!TIFFGetField(tiff, TIFFTAG_TILEWIDTH, &p.tileWidth) ||
                  !TIFFGetField(tiff, TIFFTAG_TILELENGTH, &p.tileLength) || p.tileWidth == 0 ||
                  p.tileLength == 0))
    return false;
  if (p.samples == 0) return false;
  return true;
}

void ClassifyTiffPage(TiffPage* page) {
  TiffPage& p = *page;
  p.path = ChoosePath(p);
  p.lab = p.path == TIFF_PATH_CONVERT && p.photometric == PHOTOMETRIC_CIELAB;
  p.bigPalette = p.path == TIFF_PATH_CONVERT && p.photometric == PHOTOMETRIC_PALETTE && p.bits > 8;
  if (p.path != TIFF_PATH_CONVERT || p.lab || p.bigPalette)
    p.depth = 24;
  else if (p.bits == 1 && (p.photometric == PHOTOMETRIC_MINISWHITE ||
                           p.photometric == PHOTOMETRIC_MINISBLACK ||
                           p.photometric == PHOTOMETRIC_PALETTE))
    p.depth = 1;
  else if (p.bits == 4)
    p.depth = 4;
  else
    p.depth = 8;
}

// Bounds from each method's smallest possible code: deflate about 1032:1;
// LZW a 12-bit code for a string of at most 4096 bytes; PackBits two bytes
// for 128; JPEG a bit for each 8 x 8 block of up to four samples; the fax
// codes a row in as little as one bit; run-length and other codecs a byte
// for each run of up to 4096 bytes. Uncompressed data is what it is.
uint64_t TiffExpansionLimit(const TiffPage& page, uint64_t scanlineBytes) {
  switch (page.compression) {
    case COMPRESSION_NONE: return 1;
    case COMPRESSION_ADOBE_DEFLATE:
    case COMPRESSION_DEFLATE:
    case COMPRESSION_PIXARLOG: return 1032;
    case COMPRESSION_LZW: return 4096 * 8 / 12 + 1;
    case COMPRESSION_PACKBITS: return 64;
    case COMPRESSION_JPEG:
    case COMPRESSION_OJPEG: return 8 * 64 * 4;
    case COMPRESSION_CCITTFAX3:
    case COMPRESSION_CCITTFAX4:
    case COMPRESSION_CCITTRLE:
    case COMPRESSION_CCITTRLEW: return 8 * (scanlineBytes ? scanlineBytes : 1);
    default: return 4096;
  }
}
