// The image history: trimming to the undo limit (also measured on the live
// heap), redo states, refused pushes, colour classes, resolution and names,
// and a random walk of every history operation against a plain model.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "app/document/history.h"
#include "app/document/screen_dpi.h"
#include "app/profiles/program_records.h"
#include "app/startup/program_hooks.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sanitizer/allocator_interface.h>
#endif

namespace {

// Bytes in live heap blocks, counted by the platform, not by the history.
uint64_t LiveHeapBytes() {
#ifdef _WIN32
  HANDLE heaps[64];
  const DWORD n = GetProcessHeaps(64, heaps);
  uint64_t total = 0;
  for (DWORD i = 0; i < n && i < 64; ++i) {
    PROCESS_HEAP_ENTRY entry = {};
    HeapLock(heaps[i]);
    while (HeapWalk(heaps[i], &entry))
      if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) total += entry.cbData;
    HeapUnlock(heaps[i]);
  }
  return total;
#else
  return __sanitizer_get_current_allocated_bytes();
#endif
}

// A state of width x height at depth whose pixel (0, 0) carries id.
CImage* NewState(int32_t width, int32_t height, int32_t bpp, uint32_t id) {
  CImage* image = new CImage;
  EXPECT_TRUE(image->Create(width, height, bpp, 0));
  if (bpp == 24)
    image->SetPixelColor(0, height - 1, RgbQuadFromValue(id & 0xFFFFFF));
  else
    image->SetPixelIndex(0, height - 1, BYTE(id));
  image->SelectAll();
  return image;
}

uint32_t IdOf(const CImage* image) {
  if (image->GetBpp() == 24) return RgbQuadToValue(image->GetPixelColor(0, image->GetHeight() - 1)) & 0xFFFFFF;
  return image->GetPixelIndex(0, image->GetHeight() - 1);
}

std::vector<uint32_t> HistoryIds() {
  std::vector<uint32_t> ids;
  for (int32_t i = 0; i < gaImageHistory.count; ++i) ids.push_back(IdOf(GetHistoryImage(i)));
  return ids;
}

class History : public ::testing::Test {
 protected:
  void SetUp() override {
    gProgramHooks = ProgramHooks{};
    gOptions.iUndoBufMB = 200;
  }
  void TearDown() override {
    ClearHistory();
    gpfnHistoryAppend = PtrArrayAppend;
    gProgramHooks = ProgramHooks{};
  }
};

TEST_F(History, LargePushesStayUnderTheLimitAndOnTheHeap) {
  const int32_t w = 3840, h = 2160;
  const uint64_t state = uint64_t(w) * h * 3 + 40;
  const uint64_t limit = uint64_t(200) << 20;
  const uint64_t baseline = LiveHeapBytes();
  uint64_t peak = 0;
  for (uint32_t push = 1; push <= 20; ++push) {
    ASSERT_EQ(AddToHistory(NewState(w, h, 24, push), nullptr, 0), 0);
    EXPECT_LE(GetHistoryMemorySize(), limit);
    const uint64_t live = LiveHeapBytes();
    if (live > peak) peak = live;
  }
  EXPECT_GT(peak, baseline + 7 * state) << "the heap count must see the states";
  EXPECT_LE(peak, baseline + limit + 2 * state + (16u << 20));
  // 8 states of 24.9 MB fit in 200 MiB; the oldest went first.
  EXPECT_EQ(HistoryIds(), (std::vector<uint32_t>{13, 14, 15, 16, 17, 18, 19, 20}));
  EXPECT_EQ(giCurrentImage, 7);
  ClearHistory();
  EXPECT_LE(LiveHeapBytes(), baseline + (1u << 20));
}

TEST_F(History, TrimsToTheLimitInSixtyFourBits) {
  struct Case {
    int32_t limitMB;
    std::vector<int32_t> kilobytes;  // states pushed, each width x 1024 x 8 bits
    size_t kept;
  } cases[] = {
      {1, {800, 800}, 1},            // the second push drops the first
      {200, {300 * 1024}, 1},        // one state above the limit stays
      {200, {100, 300 * 1024}, 1},
      {4096, {100, 100, 100}, 3},    // 4096 << 20 would be 0 in 32 bits
      {8192, {100, 100, 100}, 3},
      {0, {1, 1, 1}, 1},
      {-5, {1, 1, 1}, 1},
      {3, {1024, 1024, 1024}, 2},    // 3 states with their palettes exceed 3 MiB
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("limit " + std::to_string(c.limitMB));
    gOptions.iUndoBufMB = c.limitMB;
    uint32_t id = 0;
    for (int32_t kb : c.kilobytes) ASSERT_EQ(AddToHistory(NewState(kb, 1024, 8, ++id), nullptr, 0), 0);
    EXPECT_EQ(size_t(gaImageHistory.count), c.kept);
    EXPECT_EQ(IdOf(GetHistoryImage(giCurrentImage)), id) << "the newest state is current";
    ClearHistory();
  }
}

TEST_F(History, RefusedPushesLeaveTheCurrentState) {
  CImage empty;
  EXPECT_EQ(AddToHistory(&empty, nullptr, 0), 1);
  EXPECT_EQ(gaImageHistory.count, 0);

  for (uint32_t id = 1; id <= 3; ++id) ASSERT_EQ(AddToHistory(NewState(4, 4, 8, id), nullptr, 0), 0);
  CImage* other = NewState(4, 4, 8, 9);
  int fromThread = -1;
  std::thread([&] { fromThread = AddToHistory(other, nullptr, 0); }).join();
  EXPECT_EQ(fromThread, 1);
  EXPECT_EQ(HistoryIds(), (std::vector<uint32_t>{1, 2, 3}));

  // Memory for the array runs out: older states make way, the current one
  // never does.
  gpfnHistoryAppend = [](CPointerArray*, void*) { return int32_t(-1); };
  EXPECT_EQ(AddToHistory(other, "x", 1), 1);
  EXPECT_EQ(HistoryIds(), (std::vector<uint32_t>{3}));
  EXPECT_EQ(giCurrentImage, 0);
  EXPECT_TRUE(IsHistoryIndexValid(0));
  delete other;
  ClearHistory();
  CImage* first = NewState(4, 4, 8, 1);
  EXPECT_EQ(AddToHistory(first, nullptr, 0), 1);
  delete first;
}

// A library image whose resolution was never set.
struct CImageWithoutResolution : CImage {
  void ForgetResolution() { info.xDpi = info.yDpi = 0; }
};

TEST_F(History, PushSetsColourClassResolutionAndName) {
  struct Case {
    int32_t bpp;
    const char* palette;  // "gray" identity ramp, "std" standard palette
    int32_t colorClass;
  } cases[] = {
      {1, "std", kColorClassBlackWhite}, {1, "gray", kColorClassBlackWhite},
      {4, "std", kColorClass16},         {4, "gray", kColorClassGray},
      {8, "std", kColorClass256},        {8, "gray", kColorClassGray},
      {24, "", kColorClassTrueColor},
  };
  for (const Case& c : cases) {
    CImage* image = NewState(8, 8, c.bpp, 0);
    if (!strcmp(c.palette, "std")) image->SetStandardPalette();
    for (DWORD i = 0; !strcmp(c.palette, "gray") && i < image->GetNumColors(); ++i)
      image->SetPaletteColor(BYTE(i), BYTE(i), BYTE(i), BYTE(i));
    ASSERT_EQ(AddToHistory(image, nullptr, 0), 0);
    EXPECT_EQ(image->iColorClass, c.colorClass) << c.bpp << " bits, " << c.palette;
    EXPECT_EQ(image->nWidth, 8) << "without drawing tools the push prepares the state itself";
  }

  auto* bare = new CImageWithoutResolution;
  ASSERT_TRUE(bare->Create(2, 2, 24, 0));
  bare->SetXDpi(300);
  bare->ForgetResolution();
  ASSERT_EQ(AddToHistory(bare, nullptr, 0), 0);
  const int32_t screen = GetScreenDpi();
  EXPECT_EQ(bare->GetXDpi(), screen >= 1 ? screen : 96);
  EXPECT_EQ(bare->GetYDpi(), bare->GetXDpi());
  CImage* kept = NewState(2, 2, 24, 0);
  kept->SetXDpi(300);
  ASSERT_EQ(AddToHistory(kept, nullptr, 0), 0);
  EXPECT_EQ(kept->GetXDpi(), 300);

  // Names: the given one; else the newest remaining state's; else "(Unnamed)".
  ClearHistory();
  CImage* a = NewState(2, 2, 8, 1);
  ASSERT_EQ(AddToHistory(a, nullptr, 0), 0);
  EXPECT_STREQ(a->szName, "(Unnamed)");
  CImage* b = NewState(2, 2, 8, 2);
  ASSERT_EQ(AddToHistory(b, "C:\\shots\\a.png", 1), 0);
  EXPECT_STREQ(b->szName, "C:\\shots\\a.png");
  EXPECT_EQ(gbLoadedFromFile, 1);
  ASSERT_EQ(PushWorkingCopy(), 0);
  EXPECT_STREQ(GetHistoryImage(giCurrentImage)->szName, "C:\\shots\\a.png");
  EXPECT_EQ(gbLoadedFromFile, 1) << "a working copy keeps the flag";
  const std::string longName(400, 'n');
  CImage* c = NewState(2, 2, 8, 3);
  ASSERT_EQ(AddToHistory(c, longName.c_str(), 0), 0);
  EXPECT_EQ(std::string(c->szName), longName.substr(0, 259));
}

TEST_F(History, UndoRedoAndDeletion) {
  int statusUpdates = 0, backups = 0, toolEnds = 0;
  static int* pStatus;
  static int* pBackups;
  static int* pToolEnds;
  pStatus = &statusUpdates;
  pBackups = &backups;
  pToolEnds = &toolEnds;
  gProgramHooks.pfnUpdateStatusBar = [](int) { ++*pStatus; };
  gProgramHooks.pfnRefreshDrawBackup = [] { ++*pBackups; };
  gProgramHooks.pfnEndDrawingTool = [] { ++*pToolEnds; };

  EXPECT_EQ(UndoImage(), 2);
  EXPECT_EQ(PushWorkingCopy(), 2);
  for (uint32_t id = 1; id <= 4; ++id) ASSERT_EQ(AddToHistory(NewState(4, 4, 8, id), nullptr, 0), 0);
  EXPECT_EQ(backups, 4);
  EXPECT_EQ(gbImageChanged, 1);

  // Undo twice, then an operation: the two newer states go first.
  EXPECT_TRUE(MoveHistoryBack());
  EXPECT_TRUE(MoveHistoryBack());
  EXPECT_EQ(HistoryIds(), (std::vector<uint32_t>{1, 2, 3, 4}));
  ASSERT_EQ(AddToHistory(NewState(4, 4, 8, 5), nullptr, 0), 0);
  EXPECT_EQ(HistoryIds(), (std::vector<uint32_t>{1, 2, 5}));
  EXPECT_FALSE(MoveHistoryForward()) << "redo at the newest state";

  // A working copy that drew nothing is dropped again.
  ASSERT_EQ(PushWorkingCopy(), 0);
  CImage* copy = GetHistoryImage(giCurrentImage);
  EXPECT_FALSE(copy->IsModified());
  EXPECT_EQ(HistoryIds(), (std::vector<uint32_t>{1, 2, 5, 5}));
  EXPECT_EQ(UndoImage(), 0);
  EXPECT_EQ(HistoryIds(), (std::vector<uint32_t>{1, 2, 5}));
  EXPECT_EQ(giCurrentImage, 2);
  EXPECT_EQ(statusUpdates, 2);

  // Deleting below the current state keeps the same state current.
  DeleteHistoryEntry(0);
  EXPECT_EQ(IdOf(GetHistoryImage(giCurrentImage)), 5u);
  while (MoveHistoryBack()) {
  }
  EXPECT_EQ(giCurrentImage, 0);
  EXPECT_EQ(UndoImage(), 0) << "at the first state nothing is dropped";
  EXPECT_EQ(gaImageHistory.count, 2);

  ClearHistory();
  EXPECT_EQ(toolEnds, 1);
  EXPECT_EQ(gaImageHistory.count, 0);
  EXPECT_EQ(giCurrentImage, 0);
  EXPECT_EQ(gbImageChanged, 0);
  EXPECT_EQ(gbLoadedFromFile, 0);
  EXPECT_FALSE(IsHistoryIndexValid(0));
  EXPECT_EQ(CloneCurrentImage(), nullptr);
}

TEST_F(History, RandomWalkKeepsEveryInvariant) {
  std::mt19937 random(7);
  gOptions.iUndoBufMB = 1;
  const uint64_t limit = GetHistoryLimit();
  std::vector<uint32_t> model;  // ids, oldest first
  std::vector<uint64_t> sizes;
  int32_t current = 0;
  uint32_t nextId = 1;
  auto modelPush = [&](uint32_t id, uint64_t size) {
    model.resize(model.empty() ? 0 : size_t(current) + 1);
    sizes.resize(model.size());
    model.push_back(id);
    sizes.push_back(size);
    uint64_t total = 0;
    for (uint64_t s : sizes) total += s;
    while (model.size() > 1 && total > limit) {
      total -= sizes.front();
      model.erase(model.begin());
      sizes.erase(sizes.begin());
    }
    current = int32_t(model.size()) - 1;
  };
  for (int step = 0; step < 1000; ++step) {
    switch (random() % 6) {
      case 0: {  // a new image
        const int32_t w = 1 + int32_t(random() % 700);
        CImage* image = NewState(w, 300, 8, nextId);
        const uint64_t size = image->GetSize();
        ASSERT_EQ(AddToHistory(image, nullptr, 0), 0);
        modelPush(nextId++ & 0xFF, size);
        break;
      }
      case 1: {  // an operation on a clone
        CImage* clone = CloneCurrentImage();
        if (model.empty()) {
          EXPECT_EQ(clone, nullptr);
          break;
        }
        ASSERT_NE(clone, nullptr);
        EXPECT_EQ(IdOf(clone), model[current]);
        const uint64_t size = clone->GetSize();
        ASSERT_EQ(AddToHistory(clone, nullptr, 0), 0);
        modelPush(model[current], size);
        break;
      }
      case 2:
        if (MoveHistoryBack()) --current;
        break;
      case 3:
        if (MoveHistoryForward()) ++current;
        break;
      case 4:
        if (UndoImage() == 0 && current > 0) {
          model.erase(model.begin() + current);
          sizes.erase(sizes.begin() + current);
          --current;
        }
        break;
      case 5:
        if (!model.empty() && random() % 4 == 0) {
          const int32_t index = int32_t(random() % model.size());
          DeleteHistoryEntry(index);
          model.erase(model.begin() + index);
          sizes.erase(sizes.begin() + index);
          if (index < current) --current;
          if (current >= int32_t(model.size())) current = model.empty() ? 0 : int32_t(model.size()) - 1;
        }
        break;
    }
    ASSERT_EQ(HistoryIds(), model) << "step " << step;
    ASSERT_EQ(giCurrentImage, current);
    ASSERT_TRUE(model.empty() || IsHistoryIndexValid(giCurrentImage));
  }
}

TEST(ScreenDpi, FromPixelsAndMonitorSize) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  struct Case {
    int32_t x, y, row;
    float customW, customH;
    int32_t dpi;  // worked out with Python's float arithmetic
  } cases[] = {
      {1920, 1080, 3, 1, 1, 133},      // 152 and 114
      {1280, 1024, 1, 1, 1, 127},      // 123 and 131
      {2560, 1440, 8, 1, 1, 96},       // 101 and 91
      {1920, 1080, 0, 50, 30, 94},     // custom: 97 and 91
      {1920, 1080, 9, 50, 30, 133},    // no such row: 32 x 24
      {1920, 1080, 255, 50, 30, 133},
      {1920, 1080, -1, 50, 30, 133},
      {1920, 1080, 0, 0, 30, 133},     // unusable custom sizes
      {1920, 1080, 0, -4, 30, 133},
      {1920, 1080, 0, nan, 30, 133},
      {1920, 1080, 0, 50, inf, 133},
      {0, 0, 3, 1, 1, 0},              // no screen
      {1000000, 1000000, 0, 1e-30f, 1e-30f, 1000000000},
  };
  for (const Case& c : cases) {
    float w, h;
    GetMonitorSize(c.row, c.customW, c.customH, &w, &h);
    EXPECT_EQ(ComputeScreenDpi(c.x, c.y, w, h), c.dpi) << c.x << "x" << c.y << " row " << c.row;
  }
  // Row 0 follows the options themselves.
  gOptions.iMonSize = 0;
  gOptions.fMonWidth = 50;
  gOptions.fMonHeight = 30;
  int32_t x, y;
  GetPrimaryScreenPixels(&x, &y);
  EXPECT_EQ(GetScreenDpi(), ComputeScreenDpi(x, y, 50, 30));
}

}  // namespace
