#pragma once
// Helpers shared by the encoder tests: images with random pixels, encoding
// through a ghost, as codec dispatch does, and into a stream that refuses
// every write.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "imagelib/raster.h"
#include "imagelib/raster_io_file.h"
#include "imagelib/raster_mem_file.h"
#include "tests/support/file_bytes.h"
#include "tests/support/test_paths.h"

// Random pixels and, unless grey, a random palette for indexed images.
inline void FillRandom(CRaster& image, uint32_t seed, bool grey = false) {
  std::mt19937 rng{seed};
  if (grey) {
    image.SetGrayPalette();
  } else {
    for (DWORD i = 0; i < image.GetNumColors(); ++i)
      image.SetPaletteColor(BYTE(i), BYTE(rng()), BYTE(rng()), BYTE(rng()), 0);
  }
  for (int32_t y = 0; y < image.GetHeight(); ++y)
    for (int32_t x = 0; x < image.GetWidth(); ++x) {
      if (image.IsIndexed())
        image.SetPixelIndexUnchecked(x, y, BYTE(rng()));
      else
        image.SetPixelColorUnchecked(x, y, RgbQuadFromValue(rng() & 0xFFFFFF));
    }
}

// Encodes through a ghost of the image with the codec TCodec.
template <class TCodec>
bool EncodeWith(const CRaster& image, CRasterFile* file, std::string* error = nullptr) {
  TCodec codec;
  codec.Ghost(&image);
  const bool ok = codec.Encode(file);
  if (error) *error = codec.GetLastError();
  return ok;
}

template <class TCodec>
std::vector<uint8_t> EncodeWithToBytes(const CRaster& image) {
  CRasterMemFile file;
  file.Open();
  std::string error;
  EXPECT_TRUE(EncodeWith<TCodec>(image, &file, &error)) << error;
  const unsigned char* data = file.GetBuffer();
  return std::vector<uint8_t>(data, data + file.Size());
}

// Encodes with TCodec into a file of this test's output folder opened only
// for reading, as a full disk would refuse the bytes. False when encoding
// succeeded or the file could not be made.
template <class TCodec>
bool EncodeFailsOnReadOnlyStream(const CRaster& image, const std::string& name, std::string* error) {
  const std::string path = TestOutputPath(name);
  const uint8_t old[3] = {1, 2, 3};
  if (!WriteWholeFile(path, old, sizeof old)) return false;
  FILE* stream = std::fopen(path.c_str(), "rb");
  if (!stream) return false;
  CRasterIOFile readOnly(stream, true);
  return !EncodeWith<TCodec>(image, &readOnly, error);
}
