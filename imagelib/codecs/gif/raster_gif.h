#pragma once
// GIF files (GIF87a and GIF89a) with an LZW decoder and three encoders of
// the codec's own; no library is involved.
//
// Decoding gives one picture: frame GetFrameIndex() (0 unless set) placed on
// an image of the logical screen's size, whose other pixels hold the graphic
// control's transparent index byte. A file without a global colour table
// whose first frame is smaller than the screen both ways is taken for a
// true-colour file made of many small frames: all its frames are put
// together into one 24-bit image. The frame count, delay, disposal method
// and transparent index come from the file.
//
// Encoding writes one image with a global colour table at 1, 4 or 8 bits;
// a 24-bit image becomes tiles of 17 x 15 pixels, each with a colour table
// of its own. Codec option (slot of RASTER_FORMAT_GIF): 0 LZW codes,
// 1 literal codes only, 2 run-length codes; any other value LZW.
#include <cstdint>

#include "imagelib/raster_codec.h"

class CGifLzwDecoder;
class CGifOutput;
class CRasterReadBuffer;

class CRasterGIF : public CRasterCodec {
 public:
  CRasterGIF() : CRasterCodec(RASTER_FORMAT_GIF) {}
  bool Decode(CRasterFile* file) override;
  bool Encode(CRasterFile* file) override;

  // Filled by reading: the first sub-block of the last comment extension,
  // and the loop count of an application extension.
  const char* GetComment() const { return mComment; }
  int32_t GetLoopCount() const { return mLoopCount; }

 private:
  // The graphic control block as read or to be written.
  struct GraphicControl {
    BYTE flags = 0;
    WORD delay = 0;
    BYTE transparentIndex = 0;
  };
  struct Screen {
    int32_t width = 0;
    int32_t height = 0;
  };
  struct ColorTable {
    int32_t entries = 0;  // 0: none
    BYTE rgb[768] = {};
  };
  struct Descriptor {
    int32_t left = 0, top = 0, width = 0, height = 0;
    BYTE flags = 0;
  };
  struct DecodeJob;  // the reader, screen, tables and progress of one decode

  enum class Walk { kCount, kDecode };
  enum class FrameStep { kNext, kDone, kStop, kFailed };

  bool Fail(const char* text);
  bool ReadScreen(DecodeJob* job);
  // The block loop: ends at the trailer, the end of the file, a damaged
  // extension or (decoding) the frame to decode.
  bool WalkBlocks(DecodeJob* job, Walk walk);
  bool ReadExtension(DecodeJob* job, bool record);
  bool ReadDescriptor(DecodeJob* job, Descriptor* d, ColorTable* local);
  bool Fits(const DecodeJob& job, const Descriptor& d) const;
  void SkipFrameData(DecodeJob* job);
  // After a frame's data: behind it, or after bad codes on the next ','
  // that follows a 0 byte.
  void PlaceAfterFrame(DecodeJob* job, int64_t dataStart, int badCodes);
  FrameStep DecodeFrame(DecodeJob* job, const Descriptor& d, const ColorTable& local);
  bool CanFill(DecodeJob* job, int32_t width, int32_t height, int bpp);
  bool DecodeOnScreen(DecodeJob* job, const Descriptor& d, const ColorTable& table, int bpp);
  bool DecodeTrueColorTile(DecodeJob* job, const Descriptor& d, const ColorTable& table, int bpp);
  bool DecodeFrameImage(DecodeJob* job, CRaster* frame, const Descriptor& d,
                        const ColorTable& table, int bpp);
  void SetGifPalette(CRaster* image, const ColorTable& table, int32_t transparent);

  void WriteHeader(CGifOutput* out, const RGBQUAD* palette, int32_t entries);
  void WriteGraphicControl(CGifOutput* out, int32_t transparent);
  bool EncodeTiles(CGifOutput* out);

  GraphicControl mControl;
  char mComment[256] = {};
  int32_t mLoopCount = 0;
};
