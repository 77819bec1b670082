#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <random>
#include <vector>

#include "framework/app/grow_array.h"

namespace {

// An element of an odd size, so that byte offsets are not accidentally right.
struct Odd {
  uint8_t b[3];
  bool operator==(const Odd& o) const { return memcmp(b, o.b, 3) == 0; }
};

template <class T>
T MakeValue(uint32_t v);
template <>
uint32_t MakeValue<uint32_t>(uint32_t v) { return v; }
template <>
Odd MakeValue<Odd>(uint32_t v) { return Odd{{uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16)}}; }

// What the growth rule must give, stepped one growth at a time.
int64_t SteppedCapacity(int32_t capacity, int32_t growBy, int64_t needed) {
  if (needed <= capacity) return capacity;
  int64_t c = capacity ? capacity : growBy;
  if (c < 1) c = 16;
  while (c < needed) c = growBy == -1 ? c * 2 : growBy > 0 ? c + growBy : needed;
  return c;
}

template <class T>
class Differential {
 public:
  Differential(uint32_t seed, int32_t growBy) : rng_(seed), growBy_(growBy) {
    array_.growBy = growBy;
  }

  void Run(int steps) {
    for (int i = 0; i < steps; ++i) {
      Step();
      Check();
      if (HasFailure()) return;
    }
  }

 private:
  int32_t Rand(int32_t lo, int32_t hi) {
    return std::uniform_int_distribution<int32_t>(lo, hi)(rng_);
  }
  bool HasFailure() const { return ::testing::Test::HasFailure(); }

  void Insert(const T* src, int32_t n, int32_t position) {
    std::vector<T> copy(src, src + n);  // src may point into the array
    int32_t count = array_.count;
    int32_t expectPos = std::min(std::max(position, 0), count);
    int64_t expectCap = SteppedCapacity(array_.capacity, growBy_, int64_t(count) + n);
    ASSERT_EQ(expectPos, array_.Insert(src, position, n));
    ref_.insert(ref_.begin() + expectPos, copy.begin(), copy.end());
    EXPECT_EQ(expectCap, array_.capacity);
  }

  void Step() {
    int32_t count = array_.count;
    switch (Rand(0, 9)) {
      case 0:
      case 1:
      case 2: {
        std::vector<T> fresh;
        for (int32_t i = Rand(1, 20); i > 0; --i) fresh.push_back(MakeValue<T>(rng_()));
        Insert(fresh.data(), int32_t(fresh.size()), Rand(-5, count + 5));
        break;
      }
      case 3:
      case 4:  // from inside the array, often forcing it to grow
        if (count > 0) {
          int32_t from = Rand(0, count - 1);
          int32_t n = Rand(1, std::min(20, count - from));
          Insert(array_.GetAt(from), n, Rand(0, 1) ? count : Rand(0, count));
        }
        break;
      case 5:
      case 6: {
        int32_t index = Rand(-2, count + 1);
        array_.RemoveAt(index);
        if (index >= 0 && index < count) ref_.erase(ref_.begin() + index);
        break;
      }
      case 7: {
        int32_t n = Rand(count - 3, count + 40);
        int32_t expectCap = n == count ? array_.capacity : n < 1 ? 0 : n;
        EXPECT_EQ(n == count || n >= 1, array_.SetCapacity(n, growBy_));
        if (n != count) ref_.resize(n < 1 ? 0 : std::min<size_t>(ref_.size(), size_t(n)));
        EXPECT_EQ(expectCap, array_.capacity);
        break;
      }
      case 8:
        if (Rand(0, 9) == 0 || count > 600) {
          array_.RemoveAll();
          ref_.clear();
        }
        break;
      case 9:
        if (Rand(0, 3) == 0) WrapExternal();
        break;
    }
  }

  // Hands the array storage that belongs to the test; the array must write
  // into it while it has room and never free it.
  void WrapExternal() {
    int32_t room = int32_t(ref_.size()) + Rand(1, 20);
    storages_.emplace_back(room);
    std::vector<T>& store = storages_.back();
    std::copy(ref_.begin(), ref_.end(), store.begin());
    array_.Wrap(store.data(), int32_t(ref_.size()), room);
    external_ = &store;
  }

  void Check() {
    ASSERT_EQ(int32_t(ref_.size()), array_.count);
    ASSERT_LE(array_.count, array_.capacity);
    ASSERT_EQ(growBy_, array_.growBy);
    for (int32_t i = 0; i < array_.count; ++i) ASSERT_TRUE(ref_[i] == *array_.GetAt(i)) << i;
    if (array_.external) {
      ASSERT_EQ(external_->data(), array_.data);
    }
    if (array_.count == 0 && array_.capacity == 0) {
      ASSERT_EQ(nullptr, array_.data);
    }
  }

  std::mt19937 rng_;
  int32_t growBy_;
  CGrowArray<T> array_;
  std::vector<T> ref_;
  std::deque<std::vector<T>> storages_;  // outlive the array
  std::vector<T>* external_ = nullptr;
};

}  // namespace

TEST(GrowArray, BehavesLikeVectorInEveryGrowthMode) {
  for (int32_t growBy : {-1, 0, 1, 7, -5}) {
    SCOPED_TRACE(growBy);
    Differential<uint32_t>(1000u + uint32_t(growBy), growBy).Run(3000);
    Differential<Odd>(2000u + uint32_t(growBy), growBy).Run(3000);
  }
}

TEST(GrowArray, GrowthSteps) {
  CGrowArray<int32_t> a;
  int32_t v[17] = {};
  ASSERT_EQ(0, a.Append(v, 1));
  EXPECT_EQ(16, a.capacity);  // first allocation
  ASSERT_EQ(1, a.Append(v, 15));
  ASSERT_EQ(16, a.capacity);
  a.growBy = 10;
  ASSERT_EQ(16, a.Append(v, 1));
  EXPECT_EQ(26, a.capacity);
  // Position past the end appends.
  CGrowArray<int32_t> b;
  int32_t three[] = {1, 2, 3};
  b.Append(three, 3);
  EXPECT_EQ(3, b.Insert(three, 100, 1));
  EXPECT_EQ(-1, b.Insert(three, 0, 0));
  EXPECT_EQ(-1, b.Insert(nullptr, 0, 1));
}

TEST(GrowArray, OversizedRequestsFailAndLeaveTheArray) {
  CGrowArray<int32_t> a;
  int32_t v[2] = {5, 6};
  a.Append(v, 2);
  EXPECT_EQ(-1, a.Insert(v, 0, INT32_MAX));
  EXPECT_EQ(2, a.count);
  EXPECT_EQ(5, *a.GetAt(0));
  EXPECT_EQ(-1, GrowArrayNextCapacity(16, -1, int64_t(INT32_MAX) + 1));
  // Doubling stops at the largest count rather than overflowing.
  EXPECT_EQ(INT32_MAX, GrowArrayNextCapacity(1 << 30, -1, (int64_t(1) << 30) + 1));
}

TEST(GrowArray, SetCapacityRules) {
  CGrowArray<int32_t> a;
  EXPECT_TRUE(a.SetCapacity(0, 4));  // equal to the count: nothing happens
  EXPECT_EQ(nullptr, a.data);
  int32_t v[5] = {1, 2, 3, 4, 5};
  a.Append(v, 5);
  EXPECT_TRUE(a.SetCapacity(3, 4));
  EXPECT_EQ(3, a.count);
  EXPECT_EQ(4, a.growBy);
  EXPECT_EQ(3, *a.GetAt(2));
  EXPECT_FALSE(a.SetCapacity(0, 4));
  EXPECT_EQ(0, a.capacity);
  EXPECT_EQ(nullptr, a.data);
}

TEST(GrowArray, ExternalStorageIsNeverFreed) {
  int32_t* store = new int32_t[4]{7, 8, 0, 0};
  {
    CGrowArray<int32_t> a;
    a.Wrap(store, 2, 4);
    int32_t nine = 9;
    a.Append(&nine, 1);
    EXPECT_EQ(9, store[2]);  // written in place while there is room
    a.RemoveAll();
    EXPECT_EQ(nullptr, a.data);
    a.Wrap(store, 2, 2);
    a.Append(&nine, 1);  // grows into storage of its own
    EXPECT_FALSE(a.external);
    EXPECT_NE(store, a.data);
    EXPECT_EQ(8, *a.GetAt(1));
  }
  EXPECT_EQ(7, store[0]);
  delete[] store;  // a free by the array would have been reported already
}

TEST(PathArray, TextsAreCutAndZeroPadded) {
  CPathArray paths;
  char* shortText = new char[3]{'a', 'b', 0};  // nothing readable past its end
  EXPECT_EQ(0, paths.AppendText(shortText));
  delete[] shortText;
  std::string longText(400, 'x');
  EXPECT_EQ(0, paths.InsertText(longText.c_str(), 0));
  EXPECT_EQ(std::string(259, 'x'), paths.GetAt(0));
  EXPECT_STREQ("ab", paths.GetAt(1));
  const char* padded = paths.GetAt(1);
  EXPECT_TRUE(std::all_of(padded + 2, padded + kPathChars, [](char c) { return c == 0; }));
}

namespace {
struct Owner {
  int32_t id;
  CPathArray names;
};
int gReleased = 0;
struct ReleaseOwner {
  static void Release(Owner* o) {
    ++gReleased;
    o->names.RemoveAll();
  }
};
}  // namespace

TEST(GrowArray, RecordsWithNestedArraysAreReleased) {
  gReleased = 0;
  {
    CGrowArray<Owner, ReleaseOwner> owners;
    for (int32_t i = 0; i < 3; ++i) {
      Owner o;
      o.id = i;
      o.names.AppendText("nested");
      owners.Append(&o, 1);
      o.names.Init();  // the array owns the nested storage now
    }
    owners.RemoveAt(1);
    EXPECT_EQ(1, gReleased);
    EXPECT_EQ(2, owners.GetAt(1)->id);
    EXPECT_STREQ("nested", owners.GetAt(1)->names.GetAt(0));
  }
  EXPECT_EQ(3, gReleased);  // the leak checker sees the rest
}

TEST(PointerArray, FreeFunctions) {
  CPointerArray a;
  int x = 0, y = 0, z = 0;
  EXPECT_EQ(0, PtrArrayAppend(&a, &x));
  EXPECT_EQ(1, PtrArrayAppend(&a, &z));
  EXPECT_EQ(1, PtrArrayInsertAt(&a, &y, 1));
  EXPECT_EQ(&y, *PtrArrayGetAt(&a, 1));
  PtrArrayRemoveAt(&a, -1);
  PtrArrayRemoveAt(&a, 3);
  PtrArrayRemoveAt(&a, 0);
  EXPECT_EQ(2, a.count);
  EXPECT_EQ(&z, *PtrArrayGetAt(&a, 1));
  PtrArrayFree(&a);
  EXPECT_EQ(0, a.capacity);
}

TEST(LimitToRange, ClampsAndReports) {
  int32_t v = -4;
  EXPECT_EQ(-1, LimitToRange(&v, 10, 0));  // bounds given the wrong way round
  EXPECT_EQ(0, v);
  v = 11;
  EXPECT_EQ(1, LimitToRange(&v, 0, 10));
  EXPECT_EQ(10, v);
  v = 10;
  EXPECT_EQ(0, LimitToRange(&v, 10, 0));
}

TEST(SortedSearch, FindsEveryKeyAndRefusesMissingOnes) {
  std::mt19937 rng(7);
  for (int32_t count = 0; count < 40; ++count) {
    std::vector<uint32_t> keys;
    for (int32_t i = 0; i < count; ++i) keys.push_back(2 + 3 * uint32_t(i) + rng() % 2);
    auto keyAt = [&](int32_t i) {
      EXPECT_TRUE(i >= 0 && i < count);
      return keys.at(size_t(i));
    };
    for (int32_t i = 0; i < count; ++i) EXPECT_EQ(i, FindSortedIndex(count, keys[i], keyAt));
    for (uint32_t id : {0u, 1u, 3u * uint32_t(count) + 5u})
      EXPECT_EQ(-1, FindSortedIndex(count, id, keyAt));
    for (int32_t i = 0; i + 1 < count; ++i)
      if (keys[i] + 1 < keys[i + 1]) {
        EXPECT_EQ(-1, FindSortedIndex(count, keys[i] + 1, keyAt));
      }
  }
}

TEST(SortedSearch, InsertIndexKeepsATableSorted) {
  std::mt19937 rng(11);
  CWordBuffer ids;
  for (int i = 0; i < 500; ++i) {
    uint16_t id = uint16_t(rng() % 300);
    int32_t at = SortedInsertIndex(ids.count, id, [&](int32_t k) { return *ids.GetAt(k); });
    ASSERT_EQ(at, ids.Insert(&id, at, 1));
  }
  EXPECT_TRUE(std::is_sorted(ids.data, ids.data + ids.count));
}
