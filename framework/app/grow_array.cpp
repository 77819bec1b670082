#include "framework/app/grow_array.h"

#include <cstdlib>

namespace {

constexpr int64_t kMaxElements = INT32_MAX;
constexpr int kFirstCapacity = 16;

// Byte size of n elements, or 0 when it does not fit the address space.
size_t BlockBytes(size_t elementSize, int64_t n) {
  if (n < 1 || elementSize == 0) return 0;
  uint64_t bytes = uint64_t(n) * elementSize;
  if (bytes / elementSize != uint64_t(n) || bytes > uint64_t(PTRDIFF_MAX)) return 0;
  return size_t(bytes);
}

}  // namespace

int64_t GrowArrayNextCapacity(int32_t capacity, int32_t growBy, int64_t needed) {
  if (needed > kMaxElements) return -1;
  if (needed <= capacity) return capacity;
  int64_t target = capacity;
  if (target == 0) target = growBy;
  if (target < 1) target = kFirstCapacity;
  if (target >= needed) return target;
  if (growBy == kGrowDouble) {
    while (target < needed) target *= 2;
  } else if (growBy > 0) {
    int64_t steps = (needed - target + growBy - 1) / growBy;
    target += steps * growBy;
  } else {
    // No usable step: exactly what is needed.
    target = needed;
  }
  return target > kMaxElements ? kMaxElements : target;
}

namespace growarray {

void* Reallocate(const void* old, size_t elementSize, int64_t keep, int64_t n) {
  size_t bytes = BlockBytes(elementSize, n);
  if (bytes == 0) return nullptr;
  void* block = malloc(bytes);
  if (!block) return nullptr;
  if (old && keep > 0) memcpy(block, old, size_t(keep) * elementSize);
  return block;
}

void Free(void* block) { free(block); }

void* Duplicate(const void* src, size_t elementSize, int32_t n) {
  return Reallocate(src, elementSize, n, n);
}

bool Contains(const void* block, size_t elementSize, int32_t capacity, const void* p) {
  if (!block || capacity < 1) return false;
  uintptr_t start = reinterpret_cast<uintptr_t>(block);
  uintptr_t at = reinterpret_cast<uintptr_t>(p);
  return at >= start && at - start < uint64_t(capacity) * elementSize;
}

}  // namespace growarray

int32_t CPathArray::InsertText(const char* text, int32_t position) {
  if (!text) return -1;
  // Only the text's own bytes are read: a short text is never read past its end.
  PathText entry = {};
  size_t length = strnlen(text, kPathChars - 1);
  memcpy(entry.szPath, text, length);
  return Insert(&entry, position, 1);
}

bool WordArraySetSize(CWordBuffer* array, int32_t n, int32_t step) {
  return array->SetCapacity(n, step);
}

void PtrArrayInit(CPointerArray* array) { array->Init(); }

int32_t PtrArrayInsertAt(CPointerArray* array, void* element, int32_t position) {
  return array->Insert(&element, position, 1);
}

int32_t PtrArrayAppend(CPointerArray* array, void* element) {
  return array->Insert(&element, array->count, 1);
}

bool PtrArraySetSize(CPointerArray* array, int32_t n, int32_t step) {
  return array->SetCapacity(n, step);
}

void PtrArrayRemoveAt(CPointerArray* array, int32_t index) { array->RemoveAt(index); }

void PtrArrayRemoveAll(CPointerArray* array) { array->RemoveAll(); }

void PtrArrayFree(CPointerArray* array) { array->RemoveAll(); }

void** PtrArrayGetAt(const CPointerArray* array, int32_t index) { return array->GetAt(index); }

void SwapInts(int32_t* a, int32_t* b) {
  int32_t t = *a;
  *a = *b;
  *b = t;
}

int LimitToRange(int32_t* value, int32_t low, int32_t high) {
  if (low > high) SwapInts(&low, &high);
  if (*value < low) {
    *value = low;
    return -1;
  }
  if (*value > high) {
    *value = high;
    return 1;
  }
  return 0;
}
