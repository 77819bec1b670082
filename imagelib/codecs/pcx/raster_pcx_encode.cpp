// CRasterPCX: writing.
#include <cstdlib>
#include <cstring>

#include "imagelib/codecs/pcx/pcx_run_length.h"
#include "imagelib/codecs/pcx/raster_pcx.h"
#include "imagelib/raster_dib.h"
#include "imagelib/raster_file.h"

namespace {

const char kHeaderFailed[] = "cannot write PCX header";
const char kWriteFailed[] = "Error writing file";
const char kTooLarge[] = "PCX images are at most 65535 pixels wide and high";
const char kNoMemory[] = "can't allocate memory";

constexpr int kPaletteSignature = 12;
// The data goes out in pieces of about this size (never the whole image at
// once: its packed form can be twice the image).
constexpr size_t kChunk = 1 << 16;

// Packed data gathered and written in pieces; every write checked.
class CPcxWriter {
 public:
  CPcxWriter(CRasterFile* file, size_t lineRoom)
      : mFile(file), mCapacity(kChunk + lineRoom), mData(static_cast<uint8_t*>(std::malloc(mCapacity))) {}
  ~CPcxWriter() { std::free(mData); }
  bool IsUsable() const { return mData != nullptr; }
  // Room for the next line of at most lineRoom bytes.
  uint8_t* Tail() { return mData + mUsed; }
  void Commit(size_t bytes) {
    mUsed += bytes;
    if (mUsed >= kChunk) Drain();
  }
  bool Finish() {
    Drain();
    return !mFailed && mFile->Flush() && mFile->Error() == 0;
  }

 private:
  void Drain() {
    if (mUsed > 0 && !mFailed && mFile->Write(mData, 1, mUsed) != mUsed) mFailed = true;
    mUsed = 0;
  }
  CRasterFile* mFile;
  size_t mCapacity;
  uint8_t* mData;
  size_t mUsed = 0;
  bool mFailed = false;
};

}  // namespace

bool CRasterPCX::Encode(CRasterFile* file) {
  if (EncodeSafeCheck(file)) return false;
  const int32_t width = GetWidth(), height = GetHeight(), bpp = GetBpp();
  const bool wide = bpp >= 8;
  const RGBQUAD* palette = static_cast<const CRaster*>(this)->GetPalette();
  const int32_t entries = int32_t(GetNumColors());
  int32_t bytesPerLine = wide ? width : (width + 7) / 8;
  bytesPerLine += bytesPerLine & 1;
  if (width > 65536 || height > 65536 || bytesPerLine > 65535) return Fail(kTooLarge);
  const int32_t planes = bpp == 24 ? 3 : bpp == 4 ? 4 : 1;

  BYTE h[128] = {};
  h[0] = 10;
  h[1] = 5;
  h[2] = 1;
  h[3] = wide ? 8 : 1;
  WriteLe16(h + 8, uint16_t(width - 1));
  WriteLe16(h + 10, uint16_t(height - 1));
  WriteLe16(h + 12, uint16_t(GetXDpi() > 65535 ? 65535 : GetXDpi()));
  WriteLe16(h + 14, uint16_t(GetYDpi() > 65535 ? 65535 : GetYDpi()));
  if (entries == 16) {
    for (int i = 0; i < 16; ++i) {
      h[16 + 3 * i] = palette[i].rgbRed;
      h[17 + 3 * i] = palette[i].rgbGreen;
      h[18 + 3 * i] = palette[i].rgbBlue;
    }
  } else if (!wide) {
    std::memset(h + 19, 255, 3);  // entry 0 black, entry 1 white
  }
  h[65] = BYTE(planes);
  WriteLe16(h + 66, uint16_t(bytesPerLine));
  WriteLe16(h + 68, entries ? 0 : 1);
  if (file->Write(h, 1, sizeof h) != sizeof h) return Fail(kHeaderFailed);

  // A line packs to at most twice its bytes; the palette takes 769.
  const size_t lineRoom = 2 * size_t(bytesPerLine) * size_t(planes) + 2;
  CPcxWriter out(file, lineRoom > 769 ? lineRoom : 769);
  uint8_t* plane = static_cast<uint8_t*>(std::malloc(size_t(bytesPerLine)));
  if (!out.IsUsable() || !plane) {
    std::free(plane);
    return Fail(kNoMemory);
  }
  // The file's colour map of a 1-bit image says black, white: an image
  // whose entry 0 is the brighter one is written with its values inverted.
  const BYTE invert = bpp == 1 && CompareColors(&palette[0], &palette[1]) > 0 ? 1 : 0;
  const size_t pad = size_t(bytesPerLine - width);
  for (int32_t y = height - 1; y >= 0; --y) {
    const BYTE* row = GetBits(y);
    if (bpp == 8) {
      CPcxRunPacker packer(out.Tail());
      for (int32_t x = 0; x < width; ++x) packer.Add(row[x]);
      out.Commit(packer.Close(pad));
    } else if (bpp == 24) {
      for (int channel = 2; channel >= 0; --channel) {
        CPcxRunPacker packer(out.Tail());
        for (int32_t x = 0; x < width; ++x) packer.Add(row[3 * x + channel]);
        out.Commit(packer.Close(pad));
      }
    } else {
      for (int32_t p = 0; p < planes; ++p) {
        std::memset(plane, 0, size_t(bytesPerLine));
        for (int32_t x = 0; x < width; ++x) {
          const BYTE bit = ((GetPixelIndexUnchecked(x, y) ^ invert) >> p) & 1;
          plane[x / 8] = BYTE(plane[x / 8] | bit << (7 - (x & 7)));
        }
        out.Commit(PcxPackLine(plane, size_t(bytesPerLine), out.Tail()));
      }
    }
  }
  std::free(plane);
  if (bpp == 8) {
    uint8_t* tail = out.Tail();
    tail[0] = kPaletteSignature;
    for (int i = 0; i < 256; ++i) {
      tail[1 + 3 * i] = palette[i].rgbRed;
      tail[2 + 3 * i] = palette[i].rgbGreen;
      tail[3 + 3 * i] = palette[i].rgbBlue;
    }
    out.Commit(769);
  }
  return out.Finish() || Fail(kWriteFailed);
}
