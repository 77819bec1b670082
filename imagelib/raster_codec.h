#pragma once
// The interface every file format implements, and the factory that codec
// dispatch (CRaster::Decode/Encode/Load/Save) uses to make one by type id.
//
// A format lives in imagelib/codecs/<fmt>/ and declares its class in
// imagelib/codecs/<fmt>/raster_<fmt>.h, e.g.
//   imagelib/codecs/bmp/raster_bmp.h:  class CRasterBMP : public CRasterCodec
//   imagelib/codecs/png/raster_png.h:  class CRasterPNG : public CRasterCodec
// default-constructible (passing its own type id to CRasterCodec) and
// overriding Decode and Encode below. CreateRasterCodec
// (raster_codec_table.cpp) has one entry per type id and news the class;
// a format whose codec is not written yet has an empty entry, and every
// decode or encode of that type fails with the dispatch texts.
//
// What dispatch expects of a codec:
// - Decode(file): on success the codec object holds the image (made with
//   CRaster::Create, so the size limit holds) and its frame count; dispatch
//   transfers both to the caller. On failure it leaves a text via
//   SetErrorText; dispatch rewinds the file. The caller's escape, codec
//   options, frame index, JPEG quality and scale and retrieve-all-frames flag
//   are in the codec's info block before Decode runs. escape -1 asks for the
//   size only: set width, height and type, leave no pixels, return true.
// - Encode(file): the codec object is a ghost of the caller's image (shared
//   buffers, read-only); start with EncodeSafeCheck(file). Never change the
//   caller's pixels or palette, even on failure.
// - Size() or Tell() of -1 is an error; check every Read/Write count.
// - Allocate nothing from a header before checking it against the data:
//   first RasterExceedsMaxMemory, then what the rest of the stream can hold
//   (BytesLeft-style for raw rows; for compressed data the most the
//   compression can expand to, e.g. about 1032:1 for deflate, as the PNG
//   decoder does), so that a few header bytes cannot commit a gigabyte.
//   The JPEG decoder checks its blocks against the data the same way; the
//   GIF, TIFF, ICO, TGA and PCX decoders follow the rule as they come.
#include <cstdint>

#include "imagelib/raster.h"
#include "imagelib/raster_file.h"

class CRasterCodec : public CRaster {
 public:
  explicit CRasterCodec(int32_t type) : CRaster(type) {}
  virtual bool Decode(CRasterFile* file) = 0;
  virtual bool Encode(CRasterFile* file) = 0;
};

// True when a codec is built for the type id.
bool HasRasterCodec(int32_t type);
// A new codec object for the type id, or null when no codec is built for it
// or allocation failed. The caller deletes it.
CRasterCodec* CreateRasterCodec(int32_t type);
