// Profiles run as the program runs them: real captures of pattern windows,
// real files, the real operations and the real overlay driven by xdotool,
// with a stand-in main window whose visibility is watched. The saved files
// are checked again by profile_execution_oracle.py with PIL and numpy.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/capture/capture_overlay_win.h"
#include "app/document/history.h"
#include "app/operations/image_operations.h"
#include "app/profiles/profile_execution.h"
#include "app/profiles/profile_execution_rules.h"
#include "app/profiles/profile_list.h"
#include "app/profiles/program_records.h"
#include "app/profiles/text_template.h"
#include "app/startup/program_hooks.h"
#include "app/startup/program_texts.h"
#include "framework/app/app_win.h"
#include "framework/settings/data_folder.h"
#include "tests/app/capture/capture_harness_win.h"
#include "tests/app/profiles/block_pattern_win.h"
#include "tests/app/profiles/profile_test_records.h"
#include "tests/framework/settings/data_file_test_util.h"
#include "tests/support/file_dialog_win.h"
#include "tests/support/modal_watchdog.h"
#include "tests/support/test_paths.h"

namespace {

HWND gMain;       // stands in for the main window
HWND gShotWindow; // the 2 x 2 block pattern
HWND gProbe;      // runs a profile when a message arrives mid-run
constexpr UINT WM_RUN_AGAIN = WM_APP + 7;
OperationError gAgainExecute = 0xFFFF, gAgainApply = 0xFFFF;
bool gAgainSawRunning = false;

// Where the block pattern shows.
constexpr int kShotLeft = 40, kShotTop = 40, kShotW = 64, kShotH = 48;

LRESULT CALLBACK ShotProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    PaintBlockPattern(dc, kShotW, kShotH);
    EndPaint(window, &paint);
    return 0;
  }
  if (message == WM_ERASEBKGND) return 1;
  if (message == WM_RUN_AGAIN) {
    gAgainSawRunning = IsProfileRunning();
    ProfileRecord other;
    InitNewProfile(&other);
    other.ulSteps = MakeStepMask(kStepColorFormat, -1);
    gAgainExecute = ExecuteProfile(&other);
    gAgainApply = ApplyProfile(&other);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

int ShowMain(int show) {
  ShowWindow(gMain, show ? SW_SHOWNA : SW_HIDE);
  return 1;
}

// A 24-bit history state of w x h with a gradient, named "base".
void StartHistory(int w, int h) {
  ClearHistory();
  CImage* image = new CImage;
  ASSERT_TRUE(image->Create(w, h, 24, 0));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      image->SetPixelColor(x, y, RGBQUAD{BYTE(x * 9), BYTE(y * 5), BYTE(200 - x), 0});
  image->SelectAll();
  ASSERT_EQ(AddToHistory(image, "base", 0), 0);
}

CImage* Current() { return GetHistoryImage(giCurrentImage); }

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((folder + "\\*.png").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do names.push_back(data.cFileName);
  while (FindNextFileA(find, &data));
  FindClose(find);
  return names;
}

std::string Report(OperationError code) {
  char text[kOperationReportChars];
  FormatOperationReport(gStringTable, code, 0, text);
  return text;
}

// A bitmap file for the open step.
std::string WriteBitmap(const char* name, int w, int h) {
  const std::string path = HostPathToLocal(TestOutputPath(name));
  CImage image;
  EXPECT_TRUE(image.Create(w, h, 24, 0));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) image.SetPixelColor(x, y, RGBQUAD{BYTE(x), 50, BYTE(y), 0});
  EXPECT_TRUE(image.Save(path.c_str(), 1));
  return path;
}

// Runs on a worker as the script runner does, while this thread pumps (the
// worker's requests to the main window need it).
struct WorkerRun {
  ProfileRecord* profile;
  OperationError result;
};

DWORD WINAPI RunProfileThread(LPVOID parameter) {
  WorkerRun* run = static_cast<WorkerRun*>(parameter);
  run->result = ExecuteProfile(run->profile);
  return 0;
}

OperationError RunOnWorker(ProfileRecord* p, double* seconds) {
  WorkerRun run = {p, 0xFFFFFFFF};
  const auto start = std::chrono::steady_clock::now();
  HANDLE worker = CreateThread(nullptr, 0, RunProfileThread, &run, 0, nullptr);
  while (MsgWaitForMultipleObjects(1, &worker, FALSE, 20000, QS_ALLINPUT) == WAIT_OBJECT_0 + 1)
    Pump(1);
  WaitForSingleObject(worker, 20000);
  CloseHandle(worker);
  *seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return run.result;
}

class ProfileRun : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    gStringTable.SetLanguageTable(0, gProgramTexts);
    SetUpCaptureHarness();
    ASSERT_TRUE(SetDataFolder(FreshFolder("exec_data").c_str()));
    WNDCLASSA wc = {};
    wc.lpfnWndProc = ShotProc;
    wc.hInstance = gApp.m_hInstance;
    wc.lpszClassName = "ProfileRunPattern";
    RegisterClassA(&wc);
    gShotWindow = CreateWindowExA(WS_EX_TOPMOST, "ProfileRunPattern", "", WS_POPUP | WS_VISIBLE,
                                  kShotLeft, kShotTop, kShotW, kShotH, nullptr, nullptr,
                                  gApp.m_hInstance, nullptr);
    gMain = CreateWindowA("ProfileRunPattern", "main", WS_POPUP, 900, 600, 60, 40, nullptr,
                          nullptr, gApp.m_hInstance, nullptr);
    gProbe = gShotWindow;
    Pump(200);
  }
  static void TearDownTestSuite() {
    DestroyWindow(gMain);
    DestroyWindow(gShotWindow);
    TearDownCaptureHarness();
  }
  void SetUp() override {
    ResetProgramRecords(kDefaultScreenDpi);
    gProgramHooks = ProgramHooks();
    gProgramHooks.pfnShowMainWindow = ShowMain;
    gProgramHooks.pfnGetMainWindow = [] { return static_cast<void*>(gMain); };
    gProgramHooks.pfnExpandTemplate = [](const char* text, char* out, int size, int fileName) {
      ExpandTemplate(text, out, size, fileName);
    };
    gProfileStepSeams = ProfileStepSeams();
    ShowWindow(gMain, SW_SHOWNA);
    ClearHistory();
  }
  void TearDown() override {
    EXPECT_FALSE(IsProfileRunning());
    EXPECT_EQ(gApp.m_iModalCount, 0);
    gProgramHooks = ProgramHooks();
    ClearHistory();
  }
};

// Capture, then open: each source step runs and the last decides; the
// capture stays below the opened file, and a missing file ends the run
// before any processing.
TEST_F(ProfileRun, LastSourceStepDecides) {
  const std::string file = WriteBitmap("opened.bmp", 10, 6);
  struct Case {
    std::string path;
    OperationError result;
    int states;
  };
  const Case cases[] = {
      {file, 0, 3},  // capture, opened file, grey
      {file + ".missing", OperationCode(OpOpen, ErrUnknownFileFormat), 1},
  };
  for (const Case& c : cases) {
    ClearHistory();
    ProfileRecord p = Plain();
    CaptureArea(&p, kShotLeft, kShotTop, kShotLeft + 19, kShotTop + 9);
    OpenFile(&p, c.path);
    p.ulSteps |= MakeStepMask(kStepColorFormat, -1);
    p.iICMode = kColorClassGray;
    EXPECT_EQ(ExecuteProfile(&p), c.result) << c.path;
    ASSERT_EQ(gaImageHistory.count, c.states) << c.path;
    const CImage* captured = GetHistoryImage(0);
    EXPECT_STREQ(captured->szName, "(Unnamed)");
    EXPECT_EQ(captured->GetWidth(), 20);
    if (c.result == 0) {
      EXPECT_STREQ(GetHistoryImage(1)->szName, file.c_str());
      EXPECT_EQ(Current()->GetWidth(), 10);
      EXPECT_EQ(Current()->iColorClass, kColorClassGray);
    }
    EXPECT_TRUE(IsWindowVisible(gMain)) << "a failure leaves its report an owner";
  }
}

// The main window after a run, by iGHide, for a run that succeeds, fails
// or is cancelled, starting shown and hidden. S shown, H hidden, B as before.
TEST_F(ProfileRun, MainWindowEndsAsTheHideSettingAndResultSay) {
  const std::string file = WriteBitmap("shown.bmp", 4, 4);
  struct Outcome {
    const char* name;
    std::string path;
    OperationError result;
    const char* byHide;  // iGHide 0, 1, 2
  };
  const Outcome outcomes[] = {
      {"success", file, 0, "SHB"},
      {"failure", file + ".none", OperationCode(OpOpen, ErrUnknownFileFormat), "SSS"},
      {"cancel", "", ErrCancelled, "BBB"},  // open without a file name
  };
  for (const Outcome& o : outcomes)
    for (int hide = 0; hide < 3; ++hide)
      for (bool before : {true, false}) {
        ShowWindow(gMain, before ? SW_SHOWNA : SW_HIDE);
        ProfileRecord p = Plain();
        OpenFile(&p, o.path);
        p.iGHide = uint8_t(hide);
        EXPECT_EQ(ExecuteProfile(&p), o.result);
        const char want = o.byHide[hide];
        const bool shown = want == 'S' || (want == 'B' && before);
        EXPECT_EQ(IsWindowVisible(gMain) != 0, shown)
            << o.name << " iGHide " << hide << " shown before " << before;
      }
}

// Escape on the overlay: 26, no state, the main window back as it was
// although the capture hid it; a run arriving meanwhile is dropped.
TEST_F(ProfileRun, CancelledOverlayRestoresAndDropsARunArrivingMeanwhile) {
  for (bool before : {true, false}) {
    ShowWindow(gMain, before ? SW_SHOWNA : SW_HIDE);
    StartHistory(8, 8);
    ProfileRecord p = Plain();
    p.ulSteps = MakeStepMask(kStepCapture, kStepColorFormat, -1);
    p.iSCMode = 0;
    p.iSCOHideSC = 1;
    p.iGHide = 1;
    p.iICMode = kColorClassGray;
    gAgainExecute = gAgainApply = 0xFFFF;
    COverlayDriver driver("key Escape", [] {
      SendMessageA(gProbe, WM_RUN_AGAIN, 0, 0);
    });
    EXPECT_EQ(ExecuteProfile(&p), OperationError(ErrCancelled));
    driver.Join();
    EXPECT_TRUE(driver.seen);
    EXPECT_FALSE(driver.stuck);
    EXPECT_EQ(gaImageHistory.count, 1);
    EXPECT_EQ(IsWindowVisible(gMain) != 0, before);
    EXPECT_TRUE(gAgainSawRunning);
    EXPECT_EQ(gAgainExecute, OperationError(ErrCancelled));
    EXPECT_EQ(gAgainApply, OperationError(ErrCancelled));
  }
}

// What the processing steps make of the profile's fields: the states they
// add and the size and class they leave.
TEST_F(ProfileRun, ProcessingSteps) {
  const int w = 40, h = 20;
  // The 45 degree box of a 40 x 20 image: (40 + 20) / sqrt 2 on each side.
  const int box = int(std::lround((w + h) / std::sqrt(2.0)));
  const uint32_t geometry = MakeStepMask(kStepGeometry, -1), color = MakeStepMask(kStepColorFormat, -1);
  struct Case {
    const char* name;
    uint32_t steps;
    int rotate, mode, dither, invert, resize, filters, overlay;
    int newStates, width, height;
    bool quarterSelected = false;  // a w/2 x h/2 selection at (3, 2)
  };
  const Case cases[] = {
      {"rotate 45", geometry, 0x13, 255, 0, 0, 0, 0, 0, 1, box, box},
      {"rotate flag off", geometry, 0x03, 255, 0, 0, 0, 0, 0, 0, w, h},
      {"rotate -90", geometry, 0x11, 255, 0, 0, 0, 0, 0, 1, h, w},
      {"geometry bit off", 0, 0x10, 255, 0, 0, 0, 0, 0, 0, w, h},
      {"keep class with dither", color, 0, 255, 1, 0, 0, 0, 0, 0, w, h},
      {"grey then invert", color, 0, kColorClassGray, 0, 1, 0, 0, 0, 2, w, h},
      {"resize 50 percent", geometry, 0, 255, 0, 0, 1, 0, 0, 1, w / 2, h / 2},
      {"resize 50 percent of the selection", geometry, 0, 255, 0, 0, 1, 0, 0, 1, w / 4, h / 4,
       true},
      {"sharpen and soften without a bit", 0, 0, 255, 0, 0, 0, 1, 0, 2, w, h},
      {"overlay alone gets a state", 0, 0, 255, 0, 0, 0, 0, 1, 1, w, h},
  };
  for (const Case& c : cases) {
    StartHistory(w, h);
    if (c.quarterSelected) Current()->rcSelection = RECT{3, 2, 3 + w / 2 - 1, 2 + h / 2 - 1};
    CImage before;
    ASSERT_TRUE(before.Copy(*Current()));
    ProfileRecord p = Plain();
    p.ulSteps = c.steps;
    p.iIGRotate = uint8_t(c.rotate);
    p.fIGAngle = 45.0f;
    p.iICMode = uint8_t(c.mode);
    p.iICDither = uint8_t(c.dither);
    p.iICInvert = uint8_t(c.invert);
    p.iIGResize = uint8_t(c.resize);
    p.iIGUnit = 2;
    p.fIGNewW = p.fIGNewH = 50;
    p.fIGAspect = 0;
    p.iIGDpi = 0;
    p.iIMSharpen = p.iIMSoften = uint8_t(c.filters);
    p.iTxtOvl = c.overlay;
    snprintf(p.szTxtOvlBuffer, sizeof p.szTxtOvlBuffer, "%s", "XX");
    p.iTxtOvlRPos = 0;
    ASSERT_EQ(ApplyProfile(&p), 0u) << c.name;
    EXPECT_EQ(gaImageHistory.count, 1 + c.newStates) << c.name;
    // A turned box may round either way at its edges.
    EXPECT_NEAR(Current()->GetWidth(), c.width, 1) << c.name;
    EXPECT_NEAR(Current()->GetHeight(), c.height, 1) << c.name;
    if (c.mode != 255) {
      EXPECT_EQ(Current()->iColorClass, c.mode) << c.name;
    }
    if (!c.overlay) continue;
    // Undo after the overlay gives back the pixels under the text.
    int changed = 0, kept = 0;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        changed += ImagePixel(*Current(), x, y) != ImagePixel(before, x, y);
        kept += ImagePixel(*GetHistoryImage(0), x, y) == ImagePixel(before, x, y);
      }
    EXPECT_GT(changed, 0) << "the text was drawn";
    EXPECT_EQ(kept, w * h) << "the state below keeps its pixels";
  }
  ClearHistory();
  ProfileRecord none = Plain();
  EXPECT_EQ(ApplyProfile(&none), 2u) << "no image";
}

// Chains by name: the exact texts of a repeat and of an unknown name, and
// how far the chain got (each profile saves one numbered file).
TEST_F(ProfileRun, ChainsEndAtARepeatOrAnUnknownName) {
  struct Case {
    const char* bTarget;  // the profile B chains to
    OperationError result;
    const char* text;
    int files;
  };
  const Case cases[] = {
      {"a", 0x130029, "Profile access error!\nThe function failed.", 2},
      {"(Active profile)", 0x130029, "Profile access error!\nThe function failed.", 2},
      {"nobody", 0x130021, "Profile access error!\nThe selected profile does not exist.", 2},
      {"", 0, "", 2},
  };
  int round = 0;
  for (const Case& c : cases) {
    const std::string folder = FreshFolder("chain" + std::to_string(round++));
    ASSERT_TRUE(SetDataFolder(FreshFolder("chain_data" + std::to_string(round)).c_str()));
    ProfileRecord a = Plain("A"), b = Plain("B");
    SaveTo(&a, HostPathToLocal(folder), "a_%N3");
    SaveTo(&b, HostPathToLocal(folder), "b_%N3");
    a.ulSteps |= MakeStepMask(kStepChain, -1);
    snprintf(a.szDXProfile, sizeof a.szDXProfile, "%s", "B");
    if (c.bTarget[0]) b.ulSteps |= MakeStepMask(kStepChain, -1);
    snprintf(b.szDXProfile, sizeof b.szDXProfile, "%s", c.bTarget);
    ASSERT_EQ(AppendProfile(&a), 0);
    ASSERT_EQ(AppendProfile(&b), 1);
    gCurrentProfile = a;
    StartHistory(6, 6);
    const OperationError result = ExecuteProfile(&gCurrentProfile);
    EXPECT_EQ(result, c.result) << c.bTarget;
    if (result) {
      EXPECT_EQ(Report(result), c.text) << c.bTarget;
    }
    EXPECT_EQ(int(FilesIn(HostPathToLocal(folder)).size()), c.files) << c.bTarget;
  }
}

// Steps whose parts come later end the chain at once with their own code;
// nothing after them runs and the image stays.
TEST_F(ProfileRun, LaterStepsEndTheChainUntilTheyExist) {
  struct Case {
    uint32_t steps;
    OperationError result;
    int files;   // the save before the print step runs, the chain after it not
    int states;  // after the run
  };
  const uint32_t save = MakeStepMask(kStepSaveSequential, -1);
  const uint32_t chain = MakeStepMask(kStepChain, -1);
  const Case cases[] = {
      {save | MakeStepMask(kStepPrint, -1) | chain, 0xB0029, 1, 1},
      {MakeStepMask(kStepSend, -1) | chain, 0x80029, 0, 1},
      // A scan never leads to the processing: no grey state.
      {MakeStepMask(kStepScan, kStepColorFormat, -1) | save, 0xC0029, 0, 1},
  };
  int round = 0;
  for (const Case& c : cases) {
    const std::string folder = FreshFolder("later" + std::to_string(round++));
    ProfileRecord p = Plain("Later");
    SaveTo(&p, HostPathToLocal(folder), "x_%N3");
    p.ulSteps = c.steps;
    p.iICMode = kColorClassGray;
    snprintf(p.szDXProfile, sizeof p.szDXProfile, "%s", "Later");  // would repeat
    StartHistory(6, 6);
    ShowWindow(gMain, SW_HIDE);
    EXPECT_EQ(ExecuteProfile(&p), c.result);
    EXPECT_EQ(int(FilesIn(HostPathToLocal(folder)).size()), c.files) << c.result;
    EXPECT_EQ(gaImageHistory.count, c.states) << c.result;
    EXPECT_TRUE(IsWindowVisible(gMain));
  }
}

// On a worker thread the steps that wait for the user fail at once with
// their operation's code instead of hanging.
TEST_F(ProfileRun, StepsNeedingTheUserFailPromptlyOnAWorker) {
  struct Case {
    int step, mode;  // capture mode or open mode
    OperationError result;
  };
  const Case cases[] = {{kStepCapture, 0, 0x10029}, {kStepCapture, 1, 0x10029},
                        {kStepCapture, 5, 0x10029}, {kStepOpen, 0, 0x60029},
                        {kStepSaveAs, 0, 0x70029}};
  for (const Case& c : cases) {
    StartHistory(6, 6);
    ProfileRecord p = Plain();
    p.ulSteps = MakeStepMask(c.step, -1);
    p.iSCMode = p.iSOMode = uint8_t(c.mode);
    double seconds = 0;
    EXPECT_EQ(RunOnWorker(&p, &seconds), c.result) << c.step << " " << c.mode;
    EXPECT_LT(seconds, 5.0);
    EXPECT_EQ(FindOverlay(), nullptr);
    EXPECT_EQ(gaImageHistory.count, 1);
  }
}

// The user's answer to the Save As dialog, from another thread: a name
// typed and OK, or Cancel when the name is empty.
struct DialogAnswer {
  const char* name;
  volatile bool answered;
};

DWORD WINAPI AnswerFileDialog(LPVOID parameter) {
  DialogAnswer* answer = static_cast<DialogAnswer*>(parameter);
  for (int i = 0; i < 1000; ++i, Sleep(10)) {
    HWND dialog = FindOwnFileDialog();
    if (!dialog) continue;
    Sleep(100);
    if (answer->name[0]) SetDlgItemTextA(dialog, kFileDialogNameField, answer->name);
    PostMessageA(dialog, WM_COMMAND, answer->name[0] ? IDOK : IDCANCEL, 0);
    answer->answered = true;
    return 0;
  }
  return 0;
}

// Save As opens in the profile's folder unless the remembered one is kept;
// a cancelled dialog saves nothing and the chain goes on to the next save.
TEST_F(ProfileRun, SaveAsOpensInTheProfilesFolderAndACancelGoesOn) {
  CModalWatchdogPause dialogsAreExpected;
  struct Case {
    int remember;
    const char* typed;
    bool inProfileFolder, inRemembered;
  };
  const Case cases[] = {
      {0, "chosen.png", true, false},
      {1, "chosen.png", false, true},
      {0, "", false, false},
  };
  int round = 0;
  for (const Case& c : cases) {
    const std::string tag = std::to_string(round++);
    const std::string profileFolder = FreshFolder("saveas_profile" + tag);
    const std::string remembered = FreshFolder("saveas_remembered" + tag);
    const std::string sequential = FreshFolder("saveas_sequential" + tag);
    snprintf(gOptions.szSaveAsPath, sizeof gOptions.szSaveAsPath, "%s", remembered.c_str());
    gOptions.iSaveAsType = 4;  // PNG
    ProfileRecord p = Plain();
    SaveTo(&p, sequential, "seq");
    p.ulSteps |= MakeStepMask(kStepSaveAs, -1);
    p.iDARemPath = uint8_t(c.remember);
    snprintf(p.szDAPath, sizeof p.szDAPath, "%s", profileFolder.c_str());
    StartHistory(6, 6);
    DialogAnswer answer = {c.typed, false};
    HANDLE thread = CreateThread(nullptr, 0, AnswerFileDialog, &answer, 0, nullptr);
    EXPECT_EQ(ExecuteProfile(&p), 0u) << tag;
    WaitForSingleObject(thread, 15000);
    CloseHandle(thread);
    EXPECT_TRUE(answer.answered) << tag;
    const std::vector<std::string> chosen = {"chosen.png"}, none;
    EXPECT_EQ(FilesIn(profileFolder), c.inProfileFolder ? chosen : none) << tag;
    EXPECT_EQ(FilesIn(remembered), c.inRemembered ? chosen : none) << tag;
    EXPECT_EQ(FilesIn(sequential), std::vector<std::string>{"seq.png"}) << tag;
  }
}

// The whole road: a fixed-area capture of the block pattern, grey, halved
// with nearest neighbours, saved as PNG under a numbered template; the file
// is compared with PIL by profile_execution_oracle.py.
TEST_F(ProfileRun, PatternShotWritesTheNumberedGreyHalf) {
  const std::string folder = FreshFolder("pattern_shot");
  gOptions.iPrtNumber = 7;
  ProfileRecord p = Plain("Pattern Shot");
  CaptureArea(&p, kShotLeft, kShotTop, kShotLeft + kShotW - 1, kShotTop + kShotH - 1);
  p.ulSteps |= MakeStepMask(kStepColorFormat, kStepGeometry, -1);
  p.iICMode = kColorClassGray;
  p.iIGResize = 1;
  p.iIGUnit = 2;
  p.fIGNewW = p.fIGNewH = 50;
  p.fIGAspect = 0;
  p.iIGDpi = 0;
  p.iIGAntiAlias = 0;
  SaveTo(&p, HostPathToLocal(folder), "shot_%N3");
  SetWindowPos(gShotWindow, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
  Pump(100);
  for (int run = 0; run < 2; ++run) ASSERT_EQ(ExecuteProfile(&p), 0u);
  EXPECT_EQ(gOptions.iPrtNumber, 9);
  const std::vector<std::string> files = FilesIn(HostPathToLocal(folder));
  EXPECT_EQ(files, (std::vector<std::string>{"shot_007.png", "shot_008.png"}));
  EXPECT_EQ(Current()->GetWidth(), kShotW / 2);
}

}  // namespace
