#pragma once
// The one container of the framework and the program: a growable array of
// fixed-size, plain elements with an explicit growth step, which may also wrap
// storage that it does not own. Elements move as bytes, so an element kind
// must not point into itself.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

// Growth steps: kGrowDouble doubles the capacity, a positive step adds that
// many elements, anything else grows to exactly what is needed.
constexpr int32_t kGrowDouble = -1;

// Capacity that holds `needed` elements when starting from `capacity` with the
// step `growBy`; -1 when it cannot be had (more than INT32_MAX elements).
int64_t GrowArrayNextCapacity(int32_t capacity, int32_t growBy, int64_t needed);

// Byte-level storage work shared by every element kind.
namespace growarray {
// A new block of n elements holding the first `keep` elements of `old`; null
// when n elements of this size cannot be allocated.
void* Reallocate(const void* old, size_t elementSize, int64_t keep, int64_t n);
void Free(void* block);
// A private copy of n elements (the caller frees it); null on failure.
void* Duplicate(const void* src, size_t elementSize, int32_t n);
// True when `p` points into the block of `capacity` elements at `block`.
bool Contains(const void* block, size_t elementSize, int32_t capacity, const void* p);
}  // namespace growarray

// Release policy for plain elements: nothing to free when one leaves.
struct GrowArrayPlain {
  template <class T>
  static void Release(T*) {}
};

// `ReleasePolicy::Release` frees what an element owns (records that hold
// nested arrays); it runs when an element is removed or the array emptied.
template <class T, class ReleasePolicy = GrowArrayPlain>
class CGrowArray {
  static_assert(std::is_trivially_copyable<T>::value ||
                    !std::is_same<ReleasePolicy, GrowArrayPlain>::value,
                "elements that own storage need a release policy");

 public:
  int32_t count;     // elements in use
  T* data;           // storage, null when empty
  int32_t growBy;    // kGrowDouble, a positive step, or "exactly as needed"
  int32_t capacity;  // elements allocated
  bool external;     // storage belongs to someone else: never freed here

  CGrowArray() { Init(); }
  ~CGrowArray() { RemoveAll(); }
  CGrowArray(const CGrowArray&) = delete;
  CGrowArray& operator=(const CGrowArray&) = delete;

  // The fresh state. Forgets the storage without freeing it: use it to hand
  // the storage on to another owner.
  void Init() {
    count = 0;
    data = nullptr;
    growBy = kGrowDouble;
    capacity = 0;
    external = false;
  }

  // Wraps `n` elements of someone else's storage that has room for `room`.
  // What the array held before is released first.
  void Wrap(T* storage, int32_t n, int32_t room) {
    RemoveAll();
    data = storage;
    count = storage && n > 0 ? n : 0;
    capacity = storage && room > count ? room : count;
    external = storage != nullptr;
  }

  // Reallocates to n elements; n equal to the count changes nothing. n < 1
  // frees the storage and fails. The count is cut to n.
  bool SetCapacity(int32_t n, int32_t step) {
    if (n == count) return true;
    if (n < 1) {
      RemoveAll();
      return false;
    }
    void* block = growarray::Reallocate(data, sizeof(T), count < n ? count : n, n);
    if (!block) return false;
    for (int32_t i = n; i < count; ++i) ReleasePolicy::Release(&data[i]);
    if (!external) growarray::Free(data);
    data = static_cast<T*>(block);
    if (count > n) count = n;
    capacity = n;
    growBy = step;
    external = false;
    return true;
  }

  // Inserts n elements copied from `src` before `position` (clamped to
  // 0..count); the position, or -1 when n < 1, src is null or the storage
  // cannot grow. The source may lie inside this array.
  int32_t Insert(const T* src, int32_t position, int32_t n) {
    if (n < 1 || !src) return -1;
    if (position < 0) position = 0;
    if (position > count) position = count;
    void* copy = nullptr;
    if (growarray::Contains(data, sizeof(T), capacity, src)) {
      copy = growarray::Duplicate(src, sizeof(T), n);
      if (!copy) return -1;
      src = static_cast<const T*>(copy);
    }
    int32_t result = Grow(int64_t(count) + n) ? position : -1;
    if (result >= 0) {
      void* at = &data[position];
      memmove(static_cast<void*>(&data[position + n]), at, size_t(count - position) * sizeof(T));
      memcpy(at, static_cast<const void*>(src), size_t(n) * sizeof(T));
      count += n;
    }
    growarray::Free(copy);
    return result;
  }

  int32_t Append(const T* src, int32_t n) { return Insert(src, count, n); }

  // Removes one element and closes the gap; an index out of range does nothing.
  void RemoveAt(int32_t index) {
    if (index < 0 || index >= count) return;
    ReleasePolicy::Release(&data[index]);
    memmove(static_cast<void*>(&data[index]), static_cast<const void*>(&data[index + 1]),
            size_t(count - index - 1) * sizeof(T));
    --count;
  }

  // Empties the array; the storage is freed unless it is external.
  void RemoveAll() {
    for (int32_t i = 0; i < count; ++i) ReleasePolicy::Release(&data[i]);
    if (!external) growarray::Free(data);
    count = 0;
    capacity = 0;
    data = nullptr;
    external = false;
  }

  // Address of element `index`; the caller keeps the index in range.
  T* GetAt(int32_t index) const { return &data[index]; }

 private:
  bool Grow(int64_t needed) {
    int64_t target = GrowArrayNextCapacity(capacity, growBy, needed);
    if (target < 0) return false;
    if (target == capacity) return true;
    return SetCapacity(int32_t(target), growBy);
  }
};

// The element kinds of the framework.
class CByteBuffer : public CGrowArray<uint8_t> {
 public:
  bool Reserve(int32_t n, int32_t step) { return SetCapacity(n, step); }
};

using CWordBuffer = CGrowArray<uint16_t>;
using CPointerArray = CGrowArray<void*>;

// One entry of a path list: a zero-terminated text of up to 259 characters.
constexpr int kPathChars = 260;
struct PathText {
  char szPath[kPathChars];
};

class CPathArray : public CGrowArray<PathText> {
 public:
  // Inserts a copy of the text, cut to 259 characters and zero-padded.
  int32_t InsertText(const char* text, int32_t position);
  int32_t AppendText(const char* text) { return InsertText(text, count); }
  char* GetAt(int32_t index) const { return data[index].szPath; }
};

bool WordArraySetSize(CWordBuffer* array, int32_t n, int32_t step);

// The pointer-list functions the framework's registries use.
void PtrArrayInit(CPointerArray* array);
int32_t PtrArrayInsertAt(CPointerArray* array, void* element, int32_t position);
int32_t PtrArrayAppend(CPointerArray* array, void* element);
bool PtrArraySetSize(CPointerArray* array, int32_t n, int32_t step);
void PtrArrayRemoveAt(CPointerArray* array, int32_t index);
void PtrArrayRemoveAll(CPointerArray* array);
void PtrArrayFree(CPointerArray* array);
void** PtrArrayGetAt(const CPointerArray* array, int32_t index);  // address of the element

void SwapInts(int32_t* a, int32_t* b);
// Clamps *value to [low, high] (bounds exchanged when low > high): -1 when it
// was raised, 1 when it was lowered, 0 when it was inside.
int LimitToRange(int32_t* value, int32_t low, int32_t high);

// Id-sorted tables (texts, commands, windows, bars) are searched with one
// rule: low = 0, high = count - 1; mid = (low + high) * 0.5 + 0.5 truncated;
// an id below key(mid) sets high = mid, else low = mid; until high - low < 2.
// keyAt(i) gives the key of record i.
struct SortedRange {
  int32_t low;
  int32_t high;
};

// False for an empty table; otherwise the final low and high.
template <class KeyAt>
bool NarrowSortedRange(int32_t count, uint32_t id, KeyAt keyAt, SortedRange* range) {
  if (count < 1) return false;
  int32_t low = 0;
  int32_t high = count - 1;
  do {
    // (low + high) * 0.5 + 0.5, truncated: the upper middle.
    int32_t mid = int32_t((int64_t(low) + high + 1) / 2);
    if (id < uint32_t(keyAt(mid)))
      high = mid;
    else
      low = mid;
  } while (high - low >= 2);
  range->low = low;
  range->high = high;
  return true;
}

// Index of the record with key `id`, or -1.
template <class KeyAt>
int32_t FindSortedIndex(int32_t count, uint32_t id, KeyAt keyAt) {
  SortedRange r;
  if (!NarrowSortedRange(count, id, keyAt, &r)) return -1;
  if (uint32_t(keyAt(r.low)) == id) return r.low;
  if (uint32_t(keyAt(r.high)) == id) return r.high;
  return -1;
}

// Where a new record with key `id` goes: before low when the id is below
// key(low), after high when key(high) is below the id, else at high.
template <class KeyAt>
int32_t SortedInsertIndex(int32_t count, uint32_t id, KeyAt keyAt) {
  SortedRange r;
  if (!NarrowSortedRange(count, id, keyAt, &r)) return 0;
  if (id < uint32_t(keyAt(r.low))) return r.low;
  if (uint32_t(keyAt(r.high)) < id) return r.high + 1;
  return r.high;
}
