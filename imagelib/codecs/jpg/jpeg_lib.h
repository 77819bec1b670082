#pragma once
// libjpeg's headers, which need stdio's FILE and size_t declared first. Both
// trees link libjpeg-turbo; its colour-space extensions let the codec read
// and write the image's blue-green-red rows without a swapping pass.
#include <cstdio>

#include <jpeglib.h>
#include <jerror.h>

#ifndef JCS_EXTENSIONS
#error "libjpeg-turbo's colour-space extensions (JCS_EXT_BGR) are required"
#endif
