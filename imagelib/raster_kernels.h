#pragma once
// The interpolation kernels of the image library, shared by the single-pixel
// sampler and the separable resampler.
#include <cstdint>

#include "imagelib/raster_numeric.h"

// Weight of a pixel at signed distance t (in pixels) from the sample
// position, for methods 3 to 18 (InterpolationMethod).
double InterpolationKernel(int32_t method, double t);

// Taps each side of a sample: 1 for bilinear, 2 for the 4 x 4 kernels, 6 for
// Lanczos. Columns xi - (radius - 1) .. xi + radius, xi the position rounded down.
int32_t KernelRadius(int32_t method);

// Bessel function of the first kind, order 1.
double BesselJ1(double x);

// Interpolation methods outside 1..18 are bilinear.
inline int32_t EffectiveMethod(int32_t method) { return method >= 1 && method <= 18 ? method : 2; }

// A whole-number position below a coordinate: truncation, one less for
// negative coordinates.
int32_t CellBelow(double v);

// A channel from a weighted sum: limited to 0..255 and truncated, with a
// thousandth of slack so that sums of weights that should make 1 never drop
// a whole step through rounding.
// Inline: the resampler calls it for every channel of every pixel.
inline unsigned char ChannelFromSum(double v) { return ChannelFromDouble(v + 1.0 / 1024); }
