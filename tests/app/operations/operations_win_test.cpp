// The launchers as commands and profiles call them: on a worker thread with
// progress, stopped midway, interrupted by a quit, on real files, and through
// the real clipboard as a second process sees it.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app/document/history.h"
#include "app/operations/auto_select.h"
#include "app/operations/image_operations.h"
#include "app/operations/operation_runner.h"
#include "app/profiles/program_records.h"
#include "app/startup/program_hooks.h"
#include "tests/support/file_bytes.h"
#include "tests/support/test_paths.h"

namespace {

struct HookLog {
  int busy = 0;          // begun minus ended
  int progressCalls = 0;
  bool stopAtProgress = false;
  int tools = 0;
};
HookLog gLog;

void InstallHooks() {
  gLog = HookLog();
  gProgramHooks.pfnBeginBusy = [](const char*) { ++gLog.busy; };
  gProgramHooks.pfnEndBusy = [] { --gLog.busy; };
  gProgramHooks.pfnShowProgress = [](int, int range) {
    EXPECT_EQ(range, 100);
    ++gLog.progressCalls;
    if (gLog.stopAtProgress) StopProgressSource();
  };
  gProgramHooks.pfnSelectDrawTool = [](int tool) { gLog.tools += tool == 0; };
}

// A fresh history holding one painted state named "base".
CImage* StartHistory(int32_t w, int32_t h) {
  ClearHistory();
  CImage* image = new CImage;
  EXPECT_TRUE(image->Create(w, h, 24, 0));
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x)
      image->SetPixelColor(x, y, RGBQUAD{BYTE(x * 7), BYTE(y * 3), BYTE(x + y), 0});
  image->SelectAll();
  EXPECT_EQ(AddToHistory(image, "base", 0), 0);
  return image;
}

CImage* Current() { return GetHistoryImage(giCurrentImage); }

uint32_t Rgb(const CRaster& image, int32_t x, int32_t yTop) {
  return RgbQuadToValue(image.GetPixelColor(x, image.GetHeight() - 1 - yTop)) & 0xFFFFFF;
}

class Operations : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallHooks();
    gbAbort = 0;
  }
  void TearDown() override {
    ClearHistory();
    gProgramHooks = ProgramHooks();
    EXPECT_EQ(gLog.busy, 0) << "every busy display ends";
  }
};

TEST_F(Operations, WithoutAnImageNothingStarts) {
  ClearHistory();
  ProfileRecord profile = {};
  profile.szDSFile[0] = 'x';
  const std::vector<std::pair<uint32_t, std::function<OperationError()>>> launchers = {
      {OpConvert, [] { return ConvertColors(2, false, false); }},
      {OpFlip, [] { return FlipImage(0); }},
      {OpAdjustColors, [&] { return AdjustColors(&profile); }},
      {OpRotate, [] { return RotateImage(90); }},
      {OpProcess, [] { return FilterImage(1); }},
      {OpResize, [&] { return ResizeImage(&profile); }},
      {OpReplaceColors, [&] { return ReplaceColors(&profile); }},
      {OpInvert, [] { return InvertImage(); }},
      {OpHighlight, [] { return HighlightSelection(); }},
      {OpCrop, [] { return CropToSelection(); }},
      {OpClear, [] { return ClearSelection(0xFFFFFFFF); }},
      {OpSave, [&] { return SaveImageFile(&profile, "C:\\x.png"); }},
      {OpSave, [&] { return SaveToProfileDestination(&profile); }},
      {OpCopy, [] { return CopyImageToClipboard(); }},
  };
  for (const auto& launcher : launchers)
    EXPECT_EQ(launcher.second(), OperationCode(launcher.first, ErrNoImage)) << launcher.first;
  EXPECT_EQ(gaImageHistory.count, 0);
  EXPECT_FALSE(AutoSelect());
  ProfileRecord empty = {};
  EXPECT_EQ(SaveToProfileDestination(&empty), OperationCode(OpSave, ErrNoSavePath));
}

TEST_F(Operations, EachChangePushesOneStateMatchingAModel) {
  CImage* base = StartHistory(24, 16);
  base->rcSelection = RECT{2, 3, 9, 7};
  ASSERT_EQ(InvertImage(), 0u);
  ASSERT_EQ(gaImageHistory.count, 2);
  const CImage* inverted = Current();
  EXPECT_STREQ(inverted->szName, "base");
  for (int32_t y = 0; y < 16; ++y)
    for (int32_t x = 0; x < 24; ++x) {
      const bool inside = x >= 2 && x <= 9 && y >= 3 && y <= 7;
      ASSERT_EQ(Rgb(*inverted, x, y), inside ? ~Rgb(*base, x, y) & 0xFFFFFF : Rgb(*base, x, y));
    }

  ASSERT_EQ(FlipImage(0), 0u);  // mirror, on this thread
  for (int32_t x = 0; x < 24; ++x) ASSERT_EQ(Rgb(*Current(), x, 5), Rgb(*inverted, 23 - x, 5));

  ASSERT_EQ(RotateImage(90), 0u);
  const CImage* turned = Current();
  EXPECT_EQ(turned->GetWidth(), 16);
  EXPECT_EQ(turned->rcSelection.right, 15) << "a new size selects the whole image";
  EXPECT_EQ(turned->rcSelection.bottom, 23);

  Current()->rcSelection = RECT{1, 2, 4, 9};
  const CImage* before = Current();
  ASSERT_EQ(CropToSelection(), 0u);
  EXPECT_EQ(Current()->GetWidth(), 4);
  EXPECT_EQ(Current()->GetHeight(), 8);
  EXPECT_EQ(Rgb(*Current(), 0, 0), Rgb(*before, 1, 2));

  // Nothing to do adds nothing.
  const int32_t count = gaImageHistory.count;
  EXPECT_EQ(ConvertColors(Current()->iColorClass, false, false), 0u);
  EXPECT_EQ(ConvertColors(7, false, false), 0u);
  ProfileRecord keep = {};
  keep.iIGUnit = 9;
  keep.iIGDpi = 300;
  EXPECT_EQ(ResizeImage(&keep), 0u);
  EXPECT_EQ(Current()->GetXDpi(), 300) << "the resolution is set even when the size stays";
  EXPECT_EQ(gaImageHistory.count, count);
  ASSERT_EQ(ConvertColors(kColorClassBlackWhite, false, false), 0u);
  ProfileRecord brighter = {};
  brighter.iIBBrightness = 50;
  EXPECT_EQ(AdjustColors(&brighter), 0u);  // black and white: nothing
  EXPECT_EQ(gaImageHistory.count, count + 1);

  ProfileRecord nonsense = {};
  nonsense.fIGNewW = -4;
  nonsense.fIGNewH = 10;
  EXPECT_EQ(ResizeImage(&nonsense), OperationCode(OpResize, ErrFunctionFailed));
  EXPECT_EQ(RotateImage(1e20f), OperationCode(OpRotate, ErrFunctionFailed));
  EXPECT_EQ(gaImageHistory.count, count + 1);
}

TEST_F(Operations, WorkRunsOnAWorkerShowsProgressAndStops) {
  static DWORD worker = 0;
  worker = 0;
  const OperationError result = RunImageOperation(
      [](void*) -> OperationError {
        worker = GetCurrentThreadId();
        Sleep(250);
        return 0x00070029;
      },
      nullptr);
  EXPECT_EQ(result, 0x00070029u);
  EXPECT_NE(worker, 0u);
  EXPECT_NE(worker, GetCurrentThreadId());
  // On the scan's own thread the work runs inline: that thread is already
  // an operation's worker.
  gdwScanThreadId = GetCurrentThreadId();
  RunImageOperation([](void*) -> OperationError { worker = GetCurrentThreadId(); return 0; },
                    nullptr);
  gdwScanThreadId = 0;
  EXPECT_EQ(worker, GetCurrentThreadId());

  // The progress display, asked to stop, ends a long resize: no new state.
  StartHistory(1500, 1000);
  gLog.stopAtProgress = true;
  ProfileRecord big = {};
  big.fIGNewW = 6000;
  big.fIGNewH = 4000;
  big.iIGAntiAlias = 1;
  EXPECT_EQ(ResizeImage(&big), OperationCode(OpResize, ErrFunctionFailed));
  EXPECT_GE(gLog.progressCalls, 1);
  EXPECT_EQ(gaImageHistory.count, 1);
  EXPECT_EQ(Current()->GetWidth(), 1500);
  EXPECT_EQ(ReadProgressSource(), -1) << "the source is cleared with its image";

  // Once stopping is no longer asked, the same resize goes through.
  gLog.stopAtProgress = false;
  big.fIGNewW = 3000;
  big.fIGNewH = 2000;
  EXPECT_EQ(ResizeImage(&big), 0u);
  EXPECT_EQ(Current()->GetWidth(), 3000);
}

TEST_F(Operations, AQuitStopsTheWorkerAndIsSeenAgainAfterwards) {
  StartHistory(1500, 1000);
  PostQuitMessage(7);
  ProfileRecord big = {};
  big.fIGNewW = 7000;
  big.fIGNewH = 5000;
  big.iIGAntiAlias = 1;
  const OperationError result = ResizeImage(&big);
  // The worker's own answer: stopped, never a success that did not happen.
  EXPECT_EQ(result, OperationCode(OpResize, ErrFunctionFailed));
  EXPECT_EQ(gaImageHistory.count, 1);
  EXPECT_EQ(gbAbort.load(), 1);
  MSG message;
  ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(message.wParam, 7u);
}

std::string Local(const std::string& name) { return HostPathToLocal(TestOutputPath(name)); }

TEST_F(Operations, OpenAndSaveUseRealFilesAndKeepNamesOnFailure) {
  StartHistory(40, 30);
  ProfileRecord profile = {};
  const std::string png = Local("state.png");
  gbImageChanged = 1;
  ASSERT_EQ(SaveImageFile(&profile, png.c_str()), 0u);
  EXPECT_STREQ(Current()->szName, png.c_str());
  EXPECT_EQ(gbImageChanged, 0);

  ASSERT_EQ(LoadImageFile(png.c_str()), 0u);
  ASSERT_EQ(gaImageHistory.count, 2);
  const CImage* loaded = Current();
  EXPECT_STREQ(loaded->szName, png.c_str());
  EXPECT_EQ(gbLoadedFromFile, 1);
  EXPECT_EQ(gLog.tools, 1);
  for (int32_t y = 0; y < 30; ++y)
    for (int32_t x = 0; x < 40; ++x) ASSERT_EQ(Rgb(*loaded, x, y), Rgb(*GetHistoryImage(0), x, y));
  EXPECT_EQ(std::string(gOptions.szLoadPath) + "\\state.png", png);
  EXPECT_STREQ(gOptions.szLoadExt, "png");
  EXPECT_EQ(LoadImageFile(Local("missing.png").c_str()), OperationCode(OpOpen, 3));
  EXPECT_EQ(LoadImageFile(std::string(300, 'a').c_str()), OperationCode(OpOpen, 4));

  // A refused save keeps the file's bytes and the state's name.
  const std::string locked = Local("locked.bmp");
  const std::vector<uint8_t> old = {'B', 'M', 1, 2, 3};
  ASSERT_TRUE(WriteWholeFile(LocalPathToHost(locked), old.data(), old.size()));
  SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(SaveImageFile(&profile, locked.c_str()), OperationCode(OpSave, ErrFunctionFailed));
  SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(ReadWholeFile(LocalPathToHost(locked)), old);
  EXPECT_STREQ(Current()->szName, png.c_str());

  // The profile's destination: folder and name joined, the type's extension
  // added; a path that would pass the limit is refused, not cut.
  snprintf(profile.szDSPath, sizeof(profile.szDSPath), "%s", HostPathToLocal(TestOutputDir()).c_str());
  snprintf(profile.szDSFile, sizeof(profile.szDSFile), "Dest");
  profile.iDSType = 3;
  ASSERT_EQ(SaveToProfileDestination(&profile), 0u);
  CRaster check;
  EXPECT_TRUE(check.Load(Local("Dest.png").c_str(), RASTER_FORMAT_PNG));
  std::string longName(kRecordPathChars - 1 - strlen(profile.szDSPath) - 1, 'n');
  snprintf(profile.szDSFile, sizeof(profile.szDSFile), "%s", longName.c_str());
  EXPECT_EQ(SaveToProfileDestination(&profile), OperationCode(OpSave, ErrFunctionFailed));
  EXPECT_EQ(SaveImageFile(&profile, (std::string(270, 'z') + ".png").c_str()),
            OperationCode(OpSave, ErrFunctionFailed));
}

// The peer process: its exit code.
DWORD RunPeer(const std::string& verb, const std::string& argument) {
  const char* peer = getenv("BW_CLIPBOARD_PEER");
  if (!peer) return 99;
  std::string command = "\"" + HostPathToLocal(peer) + "\" " + verb + " \"" + argument + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  std::vector<char> line(command.begin(), command.end());
  line.push_back('\0');
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process))
    return 98;
  WaitForSingleObject(process.hProcess, 30000);
  DWORD code = 97;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return code;
}

HWND gOwner = nullptr;

TEST_F(Operations, CopyAndPasteGoThroughTheRealClipboard) {
  gOwner = CreateWindowExA(0, "STATIC", "owner", 0, 0, 0, 1, 1, HWND_MESSAGE, nullptr, nullptr,
                           nullptr);
  ASSERT_TRUE(gOwner);
  gProgramHooks.pfnGetMainWindow = []() -> void* { return gOwner; };
  CImage* base = StartHistory(30, 20);
  base->rcSelection = RECT{3, 4, 12, 9};
  gbImageChanged = 1;
  ASSERT_EQ(CopyImageToClipboard(), 0u);
  EXPECT_EQ(gbImageChanged, 0);
  const std::string dump = Local("copied.dib");
  ASSERT_EQ(RunPeer("read", dump), 0u);
  std::vector<uint8_t> dib = ReadWholeFile(LocalPathToHost(dump));
  CRaster seen;
  ASSERT_TRUE(seen.CreateFromPackedDib(dib.data(), dib.size()));
  ASSERT_EQ(seen.GetWidth(), 10);
  ASSERT_EQ(seen.GetHeight(), 6);
  for (int32_t y = 0; y < 6; ++y)
    for (int32_t x = 0; x < 10; ++x) ASSERT_EQ(Rgb(seen, x, y), Rgb(*base, x + 3, y + 4));

  // A copy that fails (its crop cannot be made) leaves the old content.
  base->rcSelection = RECT{50, 50, 60, 60};
  EXPECT_NE(CopyImageToClipboard(), 0u);
  ASSERT_EQ(RunPeer("read", dump), 0u);
  EXPECT_EQ(ReadWholeFile(LocalPathToHost(dump)), dib);

  // Another process's 8-bit bitmap comes in as a new state.
  CImage eight;
  ASSERT_TRUE(eight.Create(9, 5, 8, 0));
  for (int i = 0; i < 256; ++i) eight.SetPaletteColor(BYTE(i), BYTE(i), BYTE(255 - i), BYTE(i / 2));
  for (int32_t y = 0; y < 5; ++y)
    for (int32_t x = 0; x < 9; ++x) eight.SetPixelIndex(x, y, BYTE(x * 20 + y));
  HGLOBAL handle = eight.CopyToDibHandle();
  ASSERT_TRUE(handle);
  const std::string source = Local("eight.dib");
  ASSERT_TRUE(WriteWholeFile(LocalPathToHost(source), GlobalLock(handle), GlobalSize(handle)));
  GlobalUnlock(handle);
  GlobalFree(handle);
  ASSERT_EQ(RunPeer("write", source), 0u);
  const int32_t count = gaImageHistory.count;
  ASSERT_EQ(PasteImageFromClipboard(), 0u);
  ASSERT_EQ(gaImageHistory.count, count + 1);
  EXPECT_STREQ(Current()->szName, "(Unnamed)");
  for (int32_t y = 0; y < 5; ++y)
    for (int32_t x = 0; x < 9; ++x)
      ASSERT_EQ(RgbQuadToValue(Current()->GetPixelColor(x, y)) & 0xFFFFFF,
                RgbQuadToValue(eight.GetPixelColor(x, y)) & 0xFFFFFF);

  // Text only: nothing to paste, and the text reads back.
  ASSERT_EQ(RunPeer("text", "hello clipboard"), 0u);
  EXPECT_EQ(PasteImageFromClipboard(), 0u);
  EXPECT_EQ(gaImageHistory.count, count + 1);
  char text[64];
  GetClipboardText(text, sizeof(text));
  EXPECT_STREQ(text, "hello clipboard");
  char tiny[6];
  GetClipboardText(tiny, sizeof(tiny));
  EXPECT_LT(strlen(tiny), sizeof(tiny));
  DestroyWindow(gOwner);
}

}  // namespace
