#pragma once
// Keyboard steps through a list of menu entries.

// The next entry from `index` in the direction of `step` (+1 or -1),
// wrapping around, for which `usable` answers true; after a full round
// without one, the last index tried. -1 for an empty list.
template <class Usable>
int NextUsableEntry(int count, int index, int step, Usable usable) {
  if (count <= 0) return -1;
  int i = index;
  for (int tried = 0; tried < count; ++tried) {
    i += step < 0 ? -1 : 1;
    if (i < 0) i = count - 1;
    if (i >= count) i = 0;
    if (usable(i)) return i;
  }
  return i;
}
