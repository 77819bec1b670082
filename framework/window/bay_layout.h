#pragma once
// The geometry of a dock bay on plain records: rows, the positions of the
// bars in a row, and where a dragged bar would land. Coordinates run along
// the bay (x) and across it (rows); the Windows half swaps axes for the
// left and right bays and moves the windows.
#include <cstdint>

#include "framework/window/window_flags.h"

// A visible bar docked in the bay.
struct BayBar {
  int32_t iRow;
  int32_t iX;              // stored position along the bay
  int32_t iLength;         // length before this layout
  int32_t iNaturalLength;  // what all its items need
  int32_t iMinLength;      // what the items that cannot overflow need
  int32_t iThickness;      // required thickness across the bay
  uint16_t wFlags;
  // Results of LayoutBay.
  int32_t iPos;           // placed position along the bay
  int32_t iPlacedLength;
  int32_t iOffset;        // placed position across the bay
  int32_t iRowThickness;
};

// Row sizes from the bars: the largest thickness of each row, negative
// -(size + 4) for a row with a sizable bar. Empty rows are removed and the
// bars of later rows move up. Returns the number of rows; rows[count] is 0
// when count < 16.
int CompactRows(BayBar* bars, int count, int32_t rows[kMaxBayRows]);

// Places the bars of one row, given sorted by stored x: minimum lengths,
// bars aligned to their predecessor or to the row end, stretching bars,
// then the excess beyond `usable` taken from gaps, stretching bars and
// all bars, each from the right. Sets iPos and iPlacedLength, and iX of
// bars aligned to their predecessor.
void ResolveRow(BayBar** row, int count, int32_t usable);

struct BayLayout {
  int side;
  int32_t length;       // along the bay
  int32_t gripSize;
  bool gripAllowed;     // the bay may draw the frame's size grip
  bool gripElsewhere;   // the right bay: the bottom bay holds bars
};

struct BayLayoutResult {
  int32_t thickness;  // sum of the absolute row sizes
  int32_t rows[kMaxBayRows];
  int rowCount;
  int gripRow;        // the row that leaves room for the size grip, or -1
};

// Compacts the rows and places every bar; the bay's thickness.
int32_t LayoutBay(const BayLayout& bay, BayBar* bars, int count, BayLayoutResult* result);

// Where a bar's row starts across the bay.
int32_t RowOffset(const int32_t rows[kMaxBayRows], int row);
// The row whose splitter holds the point across the bay, or -1: the last 4
// pixels of a sizable row in the top and left bays, the first 4 in the
// bottom and right bays.
int RowSplitterAt(const int32_t rows[kMaxBayRows], int side, int32_t across);

// Another bar of the bay as laid out.
struct DropNeighbour {
  int32_t iRow, iPos, iLength;
};

struct DropQuery {
  int side;
  int32_t bayLength, bayThickness;  // the bay's client size along and across
  int32_t usable;                   // along, less the size grip
  int32_t rows[kMaxBayRows];
  int32_t cursorAlong, cursorAcross;
  int32_t topLeftAlong;             // the bar's dragged start along the bay
  int32_t barLength;
  int32_t barRow;
  uint16_t barFlags;
  bool barInBay;
  bool positionsLocked;
  const DropNeighbour* others;
  int otherCount;
};

struct DropResult {
  int32_t row;
  bool insertRow;   // bars of this bay in `row` or later move down first
  bool keepPlace;   // positions locked: row and x stay
  int32_t x;
  uint16_t flags;
  int alignedNeighbour;  // the neighbour that loses kBarAlignEnd, or -1
};

// False when the bar cannot land in this bay.
bool HitTestDropRules(const DropQuery& query, DropResult* result);
