#pragma once
// Turning the decoded lines of a PCX file into one palette index per pixel.
#include <cstdint>

// One plane of packed pixels: 8 bits are copied, 4 bits give two values a
// byte (high nibble first), 2 bits four and 1 bit eight (most significant
// first). output holds bytesPerLine x 8 values. False for more than one
// plane or another bit count.
bool PCX_UnpackPixels(uint8_t* output, const uint8_t* packed, int32_t bytesPerLine, int32_t planes,
                      int32_t bitsPerPixel);

// Up to four planes of 1 bit, one line each (bytesPerLine apart): bit p of
// each value comes from plane p. output (bytesPerLine x 8 values) is
// cleared first. False for more than 4 planes or more than 1 bit.
bool PCX_PlanesToPixels(uint8_t* output, const uint8_t* planeLines, int32_t bytesPerLine,
                        int32_t planes, int32_t bitsPerPixel);
