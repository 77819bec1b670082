#pragma once
// Camera values decoded from a JPEG file's Exif segment. The record travels
// inside the image's info block, so the values stay with the decoded image.
#include <cstdint>

struct ExifInfo {
  char szVersion[5];
  char szCameraMake[32];
  char szCameraModel[40];
  char szDateTime[20];
  int32_t iHeight;
  int32_t iWidth;
  int32_t iOrientation;  // 1..8, 0 when undefined
  int32_t iIsColor;
  int32_t iProcess;      // start-of-frame marker code
  int32_t iFlashUsed;
  float fFocalLength;
  float fExposureTime;
  float fApertureFNumber;
  float fDistance;
  float fCcdWidth;
  float fExposureBias;
  int32_t iLightSource;
  int32_t iMeteringMode;
  int32_t iExposureProgram;
  int32_t iIsoEquivalent;
  int32_t iCompressionLevel;
  float fFocalPlaneXRes;
  float fFocalPlaneYRes;
  float fFocalPlaneUnits;
  float fXResolution;
  float fYResolution;
  float fResolutionUnit;
  float fBrightness;
  char szComments[256];
  // Where the thumbnail lies in the Exif data, counted from its byte-order
  // mark. An offset, not a pointer: the segment dies with the reader, the
  // record lives on in every copy of the image.
  uint32_t iThumbnailOffset;
  int32_t iThumbnailSize;
  bool bIsExif;
};
