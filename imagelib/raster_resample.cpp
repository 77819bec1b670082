// Scaling an image. When a destination pixel is sampled by a kernel at its
// centre, or is the mean of the area it covers, it is a weighted sum of
// source pixels whose weights factor into a column part and a row part: so
// the weights are made once per destination column and row, and the pixels
// are summed in two passes, rows first, in floats, limited and rounded only
// at the end. Shrinking one way and enlarging the other samples each covered
// part on its own (each sample limited), pixel by pixel, as do sizes whose
// weight tables would be large.
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "imagelib/raster.h"
#include "imagelib/raster_kernels.h"
#include "imagelib/raster_numeric.h"

namespace {

// A block from malloc, freed on every way out.
template <typename T>
using CMallocBlock = std::unique_ptr<T[], decltype(&free)>;

template <typename T>
CMallocBlock<T> MallocBlock(size_t count) {
  return CMallocBlock<T>(static_cast<T*>(malloc(count * sizeof(T))), &free);
}

// One source pixel's share of a destination coordinate; index -1 stands for
// a position outside the image that reads the overflow colour.
struct CTap {
  int32_t index;
  float weight;
};

// The taps of every destination coordinate along one axis.
class CAxisWeights {
 public:
  ~CAxisWeights() {
    free(mFirst);
    free(mTaps);
  }
  bool Build(int32_t sourceSize, int32_t size, double scale, int32_t method, int32_t overflow,
             bool area);
  const CTap* Taps(int32_t k) const { return mTaps + mFirst[k]; }
  int32_t Count(int32_t k) const { return mFirst[k + 1] - mFirst[k]; }
  // Every destination coordinate takes exactly one source pixel whole.
  bool OnlyCopies() const {
    if (mCount != mSizeCount) return false;
    for (size_t i = 0; i < mCount; ++i) {
      if (mTaps[i].weight != 1.0f || mTaps[i].index < 0) return false;
    }
    return true;
  }
  // Taps outside the image read `slot` from then on: one past the last
  // pixel of a row buffer that holds the outside colour there, so that the
  // sums need no test per tap.
  void MoveOutsideTo(int32_t slot) {
    for (size_t i = 0; i < mCount; ++i)
      if (mTaps[i].index < 0) mTaps[i].index = slot;
  }

 private:
  bool Add(int32_t index, double weight);
  void AddPoint(double centre);

  int32_t mSourceSize = 0, mMethod = 2, mOverflow = 0;
  size_t mSizeCount = 0;
  int32_t* mFirst = nullptr;
  CTap* mTaps = nullptr;
  size_t mCount = 0, mCapacity = 0;
  bool mFailed = false;
};

bool CAxisWeights::Add(int32_t index, double weight) {
  if (mCount == mCapacity) {
    const size_t capacity = mCapacity ? mCapacity * 2 : 1024;
    CTap* grown = static_cast<CTap*>(realloc(mTaps, capacity * sizeof(CTap)));
    if (!grown) {
      mFailed = true;
      return false;
    }
    mTaps = grown;
    mCapacity = capacity;
  }
  // Positions outside move the way GetPixelColorWithOverflow moves them.
  if (index < 0 || index >= mSourceSize) {
    const int64_t n = mSourceSize, v = index;
    switch (mOverflow) {
      case OverflowWrap: index = int32_t(((v % n) + n) % n); break;
      case OverflowRepeat: index = v < 0 ? 0 : int32_t(n - 1); break;
      case OverflowMirror: index = int32_t(v < 0 ? (-v) % n : n - (v % n) - 1); break;
      default: index = -1; break;
    }
  }
  mTaps[mCount++] = CTap{index, float(weight)};
  return true;
}

// The kernel's taps for a sample at centre, as GetPixelColorInterpolated
// weighs them.
void CAxisWeights::AddPoint(double centre) {
  if (mMethod == InterpNearest) {
    Add(int32_t(centre + 0.5), 1.0);
    return;
  }
  const int32_t below = CellBelow(centre);
  if (mMethod == InterpBilinear) {
    const double t = centre - below;
    Add(below, 1 - t);
    Add(below + 1, t);
    return;
  }
  const int32_t radius = KernelRadius(mMethod);
  double weights[12], sum = 0;
  for (int32_t k = 0; k < 2 * radius; ++k) {
    weights[k] = InterpolationKernel(mMethod, (below - radius + 1 + k) - centre);
    sum += weights[k];
  }
  const double scale = std::fabs(sum) > 1e-6 ? 1 / sum : 1;
  for (int32_t k = 0; k < 2 * radius; ++k) Add(below - radius + 1 + k, weights[k] * scale);
}

bool CAxisWeights::Build(int32_t sourceSize, int32_t size, double scale, int32_t method,
                         int32_t overflow, bool area) {
  mSourceSize = sourceSize;
  mMethod = EffectiveMethod(method);
  mOverflow = overflow;
  mFirst = static_cast<int32_t*>(malloc((size_t(size) + 1) * sizeof(int32_t)));
  if (!mFirst) return false;
  for (int32_t k = 0; k < size; ++k) {
    mFirst[k] = int32_t(mCount);
    const double centre = (k + 0.5) * scale - 0.5;
    if (!area) {
      AddPoint(centre);
    } else {
      // Each pixel by the part of it the area covers.
      const double low = centre - scale / 2, high = centre + scale / 2;
      const int32_t first = int32_t(std::floor(low + 0.5)), last = int32_t(std::floor(high + 0.5));
      for (int32_t i = first; i <= last; ++i) {
        const double a = i - 0.5 > low ? i - 0.5 : low, b = i + 0.5 < high ? i + 0.5 : high;
        if (b > a) Add(i, (b - a) / scale);
      }
    }
    if (mFailed || mCount > size_t(INT32_MAX)) return false;
  }
  mFirst[size] = int32_t(mCount);
  mSizeCount = size_t(size);
  return true;
}

}  // namespace

bool CRaster::Resample(int32_t newWidth, int32_t newHeight, int32_t method, int32_t overflow,
                       CRaster* destination, bool noAveraging) {
  if (newWidth <= 0 || newHeight < 1 || !dib) return false;
  const int32_t width = GetWidth(), height = GetHeight();
  if (newWidth == width && newHeight == height) {
    if (destination && destination != this) return destination->Copy(*this, true, true, true);
    return true;
  }
  int32_t checkedWidth, checkedHeight;
  if (!CheckNewSize(newWidth, newHeight, GetBpp(), &checkedWidth, &checkedHeight)) return false;
  CRaster result;
  if (!CreateResult(result, newWidth, newHeight, GetBpp(), true)) return false;
  const double xScale = double(width) / newWidth, yScale = double(height) / newHeight;
  const bool enlarging = (xScale <= 1 && yScale <= 1) || noAveraging;
  // Taps per destination coordinate, and bytes of the two passes' tables.
  const double taps = enlarging ? 2.0 * KernelRadius(method)
                                : (xScale > yScale ? xScale : yScale) + 2;
  const double tableBytes = double(width) * 12 + (double(newWidth) + newHeight) * taps * 8;
  if ((!enlarging && (xScale <= 1 || yScale <= 1)) || tableBytes > double(1 << 28)) {
    // One way shrinking and the other enlarging (each covered part sampled
    // and limited on its own), or sizes whose tables would not be small:
    // pixel by pixel.
    for (int32_t y = 0; y < newHeight; ++y) {
      if (StopRequested(y, newHeight)) return false;
      const float cy = float((y + 0.5) * yScale - 0.5);
      for (int32_t x = 0; x < newWidth; ++x) {
        const float cx = float((x + 0.5) * xScale - 0.5);
        result.SetPixelColorUnchecked(
            x, y, enlarging ? GetPixelColorInterpolated(cx, cy, method, overflow, nullptr)
                            : GetAreaColorInterpolated(cx, cy, float(xScale), float(yScale),
                                                       method, overflow, nullptr));
      }
    }
    return FinishResult(result, destination);
  }
  CAxisWeights columns, rows;
  const RGBQUAD outside = GetPixelColorWithOverflow(-1, -1, overflow, nullptr);
  const size_t sourceRow = size_t(width) * 3;
  // The row pass's sums, then the outside colour as one more pixel.
  CMallocBlock<float> lineBlock = MallocBlock<float>(sourceRow + 3);
  const size_t targetRow = size_t(newWidth) * 3;
  CMallocBlock<float> sumsBlock = MallocBlock<float>(targetRow);
  CMallocBlock<BYTE> expandedBlock = MallocBlock<BYTE>(IsIndexed() ? sourceRow : 0);
  float* const line = lineBlock.get();
  float* const sums = sumsBlock.get();
  BYTE* const expanded = IsIndexed() ? expandedBlock.get() : nullptr;
  if (!line || !sums || (IsIndexed() && !expanded) ||
      !columns.Build(width, newWidth, xScale, method, overflow, !enlarging) ||
      !rows.Build(height, newHeight, yScale, method, overflow, !enlarging)) {
    SetErrorText("Resample can't allocate memory");
    return false;
  }
  if (!IsIndexed() && columns.OnlyCopies() && rows.OnlyCopies()) {
    // Nearest neighbour (and whole-pixel boxes): the bytes are copied, a
    // destination row that repeats the one before is copied whole.
    for (int32_t y = 0; y < newHeight; ++y) {
      if (StopRequested(y, newHeight)) return false;
      BYTE* target = result.GetBits(y);
      const int32_t sourceY = rows.Taps(y)->index;
      if (y > 0 && rows.Taps(y - 1)->index == sourceY) {
        memcpy(target, result.GetBits(y - 1), size_t(newWidth) * 3);
        continue;
      }
      const BYTE* source = GetBits(sourceY);
      for (int32_t x = 0; x < newWidth; ++x) {
        const BYTE* from = source + 3 * size_t(columns.Taps(x)->index);
        target[3 * x] = from[0];
        target[3 * x + 1] = from[1];
        target[3 * x + 2] = from[2];
      }
    }
    return FinishResult(result, destination);
  }
  columns.MoveOutsideTo(width);
  const float outsideChannel[3] = {float(outside.rgbBlue), float(outside.rgbGreen),
                                   float(outside.rgbRed)};
  for (int32_t y = 0; y < newHeight; ++y) {
    if (StopRequested(y, newHeight)) return false;
    // Rows first: the weighted sum of this destination row's source rows.
    memset(line, 0, sourceRow * sizeof(float));
    float rowWeights = 0;
    const CTap* rowTaps = rows.Taps(y);
    for (int32_t t = 0; t < rows.Count(y); ++t) {
      const float w = rowTaps[t].weight;
      rowWeights += w;
      if (rowTaps[t].index < 0) {
        for (size_t i = 0; i < sourceRow; ++i) line[i] += w * outsideChannel[i % 3];
        continue;
      }
      const BYTE* source = GetBits(rowTaps[t].index);
      if (expanded) {
        for (int32_t x = 0; x < width; ++x) {
          const RGBQUAD c = GetPixelColorUnchecked(x, rowTaps[t].index);
          expanded[3 * x] = c.rgbBlue;
          expanded[3 * x + 1] = c.rgbGreen;
          expanded[3 * x + 2] = c.rgbRed;
        }
        source = expanded;
      }
      for (size_t i = 0; i < sourceRow; ++i) line[i] += w * source[i];
    }
    for (int c = 0; c < 3; ++c) line[sourceRow + c] = rowWeights * outsideChannel[c];
    // Then the columns, into a row of sums that is limited in one sweep.
    for (int32_t x = 0; x < newWidth; ++x) {
      float sum[3] = {0, 0, 0};
      const CTap* tap = columns.Taps(x);
      const int32_t count = columns.Count(x);
      for (int32_t t = 0; t < count; ++t) {
        const float w = tap[t].weight;
        const float* from = line + 3 * size_t(tap[t].index);
        sum[0] += w * from[0];
        sum[1] += w * from[1];
        sum[2] += w * from[2];
      }
      sums[3 * x] = sum[0];
      sums[3 * x + 1] = sum[1];
      sums[3 * x + 2] = sum[2];
    }
    if (result.IsIndexed()) {
      for (int32_t x = 0; x < newWidth; ++x) {
        RGBQUAD c = {};
        c.rgbBlue = ChannelFromSum(sums[3 * x]);
        c.rgbGreen = ChannelFromSum(sums[3 * x + 1]);
        c.rgbRed = ChannelFromSum(sums[3 * x + 2]);
        result.SetPixelColorUnchecked(x, y, c);
      }
    } else {
      BYTE* target = result.GetBits(y);
      for (size_t i = 0; i < targetRow; ++i) target[i] = ChannelFromSum(sums[i]);
    }
  }
  return FinishResult(result, destination);
}
