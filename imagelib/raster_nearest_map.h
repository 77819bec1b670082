#pragma once
// Exact nearest-colour search for larger palettes. The colour cube is cut into
// 16 x 16 x 16 cells; each cell lists, when first met, the entries that can be
// nearest to some colour inside it (an entry whose least distance to the cell
// exceeds the smallest greatest distance of any entry never can). Searching
// that list in index order keeps the first of equally near entries, as the
// full search does.
#include <cstdint>
#include <vector>

#include "imagelib/raster_wintypes.h"

class CNearestIndexMap {
 public:
  // True while the map was built for this block and palette; checking the
  // entries themselves only when the caller's one-entry cache was reset.
  bool Matches(const BYTE* dib, const RGBQUAD* palette, DWORD count, bool checkEntries) const;
  void Reset(const BYTE* dib, const RGBQUAD* palette, DWORD count);
  BYTE Find(const RGBQUAD& color);

 private:
  void BuildCell(int32_t cell);

  const BYTE* mDib = nullptr;
  DWORD mCount = 0;
  RGBQUAD mPalette[256] = {};
  int32_t mCellStart[4096];   // into mCandidates; -1 until the cell is built
  uint16_t mCellCount[4096];
  std::vector<BYTE> mCandidates;
};
