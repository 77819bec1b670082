#pragma once
// libtiff handles over a CRasterFile, so files and memory streams read and
// write alike and no C runtime FILE crosses into libtiff.
#include <tiffio.h>

#include "imagelib/raster_file.h"

// Opens a handle on the stream with libtiff's mode string ("r" or "w").
// The stream stays open when the handle is closed; its owner closes it.
// libtiff's errors and warnings go to handlers of this handle, which keep
// them quiet (the decoder reports its own texts), and no single allocation
// inside libtiff may exceed the image library's limit. Null on failure.
TIFF* TiffOpenFromFile(CRasterFile* file, const char* mode);

// Closes the handle when it is open, also on early returns.
class CTiffHandle {
 public:
  explicit CTiffHandle(TIFF* tiff = nullptr) : mTiff(tiff) {}
  ~CTiffHandle() { Close(); }
  CTiffHandle(const CTiffHandle&) = delete;
  CTiffHandle& operator=(const CTiffHandle&) = delete;
  TIFF* Get() const { return mTiff; }
  void Reset(TIFF* tiff) {
    Close();
    mTiff = tiff;
  }
  void Close() {
    if (mTiff) TIFFClose(mTiff);
    mTiff = nullptr;
  }

 private:
  TIFF* mTiff;
};
