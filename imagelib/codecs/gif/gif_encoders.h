#pragma once
// The three ways this codec writes GIF image data: LZW codes, literal codes
// only (every pixel its own code, a clear code before the table would
// fill), and run-length codes (runs of a pixel as growing table strings).
// Each writes the data sub-blocks of one image; the minimum code size byte
// before them and the terminator after them are the caller's.
#include <cstdint>

class CGifOutput;
class CRaster;

// The palette indices of the picture to write, top row first.
class CGifIndexRows {
 public:
  // Rows of a 1, 4 or 8-bit image at most 65535 pixels wide.
  explicit CGifIndexRows(const CRaster* image);
  // width x height indices, top row first.
  CGifIndexRows(const uint8_t* indices, int32_t width, int32_t height);
  ~CGifIndexRows();
  CGifIndexRows(const CGifIndexRows&) = delete;
  CGifIndexRows& operator=(const CGifIndexRows&) = delete;

  bool IsUsable() const;
  int32_t Width() const { return mWidth; }
  int32_t Height() const { return mHeight; }
  // Row y from the top; valid until the next call.
  const uint8_t* Row(int32_t y);

 private:
  const CRaster* mImage = nullptr;
  const uint8_t* mIndices = nullptr;
  int32_t mWidth;
  int32_t mHeight;
  uint8_t* mScratch = nullptr;  // unpacked row of a 1 or 4-bit image
};

// initialWidth: the first code width, minimum code size + 1.
bool GifWriteLzw(CGifIndexRows* rows, int initialWidth, CGifOutput* out);
void GifWriteLiteral(CGifIndexRows* rows, int initialWidth, CGifOutput* out);
void GifWriteRunLength(CGifIndexRows* rows, int initialWidth, CGifOutput* out);
