// One factory entry per image type id. A format's entry stays empty until its
// codec is built, so decoding or encoding that type fails with the dispatch
// texts instead of pretending to work.
#include <new>

#include "imagelib/raster_codec.h"

#include "imagelib/codecs/bmp/raster_bmp.h"
#include "imagelib/codecs/gif/raster_gif.h"
#include "imagelib/codecs/ico/raster_ico.h"
#include "imagelib/codecs/jpg/raster_jpg.h"
#include "imagelib/codecs/pcx/raster_pcx.h"
#include "imagelib/codecs/png/raster_png.h"
#include "imagelib/codecs/tga/raster_tga.h"
#include "imagelib/codecs/tif/raster_tif.h"
#include "imagelib/codecs/wmf/raster_wmf.h"

namespace {

template <class Codec>
CRasterCodec* MakeCodec() {
  return new (std::nothrow) Codec();
}

struct CodecFactory {
  int32_t type;
  CRasterCodec* (*create)();
};

const CodecFactory kFactories[] = {
    {RASTER_FORMAT_BMP, &MakeCodec<CRasterBMP>},
    {RASTER_FORMAT_GIF, &MakeCodec<CRasterGIF>},
    {RASTER_FORMAT_JPG, &MakeCodec<CRasterJPG>},
    {RASTER_FORMAT_PNG, &MakeCodec<CRasterPNG>},
    {RASTER_FORMAT_ICO, &MakeCodec<CRasterICO>},
    {RASTER_FORMAT_TIF, &MakeCodec<CRasterTIF>},
    {RASTER_FORMAT_TGA, &MakeCodec<CRasterTGA>},
    {RASTER_FORMAT_PCX, &MakeCodec<CRasterPCX>},
#ifdef _WIN32
    {RASTER_FORMAT_WMF, &MakeCodec<CRasterWMF>},
#else
    {RASTER_FORMAT_WMF, nullptr},  // metafiles are played by GDI
#endif
};

const CodecFactory* FindFactory(int32_t type) {
  for (const CodecFactory& factory : kFactories) {
    if (factory.type == type) return &factory;
  }
  return nullptr;
}

}  // namespace

bool HasRasterCodec(int32_t type) {
  const CodecFactory* factory = FindFactory(type);
  return factory && factory->create;
}

CRasterCodec* CreateRasterCodec(int32_t type) {
  const CodecFactory* factory = FindFactory(type);
  return factory && factory->create ? factory->create() : nullptr;
}
