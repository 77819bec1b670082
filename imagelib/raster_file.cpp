#include "imagelib/raster_file.h"

CRasterFile::~CRasterFile() = default;

bool CRasterFile::PutC(unsigned char byte) { return Write(&byte, 1, 1) == 1; }
