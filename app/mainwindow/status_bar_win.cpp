// The Info Bar: the states of the commands, the panes, and the progress
// display while an operation runs.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "app/document/history.h"
#include "app/mainwindow/command_ids.h"
#include "app/mainwindow/main_window_rules.h"
#include "app/mainwindow/main_window_win.h"
#include "app/mainwindow/later_part_commands.h"
#include "app/operations/operation_runner.h"
#include "app/profiles/program_records.h"
#include "app/startup/program_start_win.h"
#include "app/startup/program_texts.h"
#include "app/view/image_view_win.h"
#include "framework/app/app_win.h"

namespace {

constexpr uint16_t kNoImageText = 2110;  // variants: 0 "No Image", 1 "X , Y", 2 "R , G , B"
constexpr int kPaneChars = 64;

// What the panes show: the string table points at these.
char gDimensionsText[kPaneChars];
char gPositionText[kPaneChars];
char gColorText[kPaneChars];
char gZoomText[kPaneChars];

// The progress display's phase.
struct ProgressPhase {
  char text[128];
  int base;
  int phases;
};
ProgressPhase gPhase = {"", 0, 1};

// Commands that need a current image, whatever else they need.
constexpr uint16_t kImageCommands[] = {
    kCmdClearArea, kCmdDither, kCmdFlip, kCmdFlipHorizontally, kCmdFlipVertically, kCmdInvert,
    kCmdColorMode, kCmdBlackWhite, kCmdGrayscale, kCmd16Colors, kCmd256Colors, kCmdTrueColor,
    kCmdWindowsPaletteToggle, kCmdOptimizedPalette, kCmdWindowsPalette, kCmdRotate,
    kCmdRotate180, kCmdRotateLeft, kCmdRotateRight, kCmdSharpen, kCmdSoften, kCmdToolArrow,
    kCmdToolBox, kCmdToolDraw, kCmdToolFill, kCmdToolInvert, kCmdToolLine, kCmdToolSelect,
    kCmdToolStamp, kCmdToolText, kCmdBrushSize, kCmdBrushColor, kCmdBackgroundColor,
    kCmdColorPalette, kCmdAutoSelect, kCmdCopy, kCmdCrop, kCmdSelectAll, kCmdClose, kCmdSave,
    kCmdSaveAs, kCmdHighlight, kCmdZoom, kCmdZoomMenu,
};
const uint16_t kToolCommands[] = {kCmdToolSelect, kCmdToolDraw, kCmdToolLine, kCmdToolArrow,
                                  kCmdToolBox,    kCmdToolInvert, kCmdToolFill, kCmdToolText,
                                  kCmdToolStamp};

CImage* CurrentImage() { return GetHistoryImage(giCurrentImage); }

// The text a command's items show (its own id unless it names another).
uint16_t CommandTextId(uint16_t id) {
  const CommandRecord* command = gApp.Command(id);
  return command && command->text != kSameAsId ? command->text : id;
}

void SetPane(uint16_t id, char* buffer, const char* text) {
  snprintf(buffer, kPaneChars, "%s", text);
  gStringTable.SetText(CommandTextId(id), 0, buffer);
  gApp.RefreshCommand(id, 0, false);
}

void UpdateZoomPane() {
  char text[kPaneChars];
  int index = giZoomIndex >= 0 && giZoomIndex < kZoomSteps ? giZoomIndex : kZoomIndex100;
  snprintf(text, sizeof(text), "%d%%", kZoomPercent[index]);
  SetPane(kCmdPaneZoom, gZoomText, text);
}

void UpdateCommandStates() {
  CImage* image = CurrentImage();
  const bool hasImage = image != nullptr;
  for (uint16_t id : kImageCommands) gApp.EnableCommand(id, hasImage);
  gApp.EnableCommand(kCmdUndo, hasImage && giCurrentImage > 0);
  gApp.EnableCommand(kCmdRedo, hasImage && giCurrentImage < gaImageHistory.count - 1);
  gApp.EnableCommand(kCmdPaste, gbClipboardHasDib != 0);
  gApp.EnableCommand(kCmdPrint, hasImage && giPrinterCount > 0 && IsLaterPartPresent(kCmdPrint));
  gApp.EnableCommand(kCmdScan, giTwainSourceCount > 0 && IsLaterPartPresent(kCmdScan));
  gApp.EnableCommand(kCmdClipboardText, gOptions.iCollectText != 0);
  gApp.EnableCommand(kCmdProfile, true);
  EnableLaterPartCommands(hasImage);

  const ProfileRecord& sys = gSysProfile;
  gApp.CheckCommand(kCmdDither, sys.iICDither != 0);
  gApp.CheckCommand(kCmdWindowsPaletteToggle, sys.iICWinPal != 0);
  gApp.CheckCommand(kCmdOptimizedPalette, sys.iICWinPal == 0);
  gApp.CheckCommand(kCmdWindowsPalette, sys.iICWinPal != 0);
  const int colorClass = hasImage ? image->iColorClass : -1;
  for (int c = 0; c <= 4; ++c) {
    const uint16_t id = uint16_t(kCmdBlackWhite + 10 * c);
    gApp.CheckCommand(id, c == colorClass);
    // The Color Mode entry shows the image of the checked class.
    if (c == colorClass) gApp.SetCommandImage(kCmdColorMode, id);
  }
  for (int z = 0; z < kZoomSteps; ++z)
    gApp.CheckCommand(uint16_t(kCmdZoomFirst + 10 * z), z == giZoomIndex);
  for (int t = 0; t < int(sizeof(kToolCommands) / sizeof(kToolCommands[0])); ++t)
    gApp.CheckCommand(kToolCommands[t], t == gOptions.iTool);

  const uint16_t sourceImage = SourceStepImage(gCurrentProfile.ulSteps);
  gApp.SetCommandImage(kCmdNew, sourceImage);
  gApp.SetCommandImage(kCmdProfile, sourceImage);
  // The Profile command is labelled with the current profile's name.
  static char profileName[kProfileNameChars + 1];
  snprintf(profileName, sizeof(profileName), "%.*s", kProfileNameChars, gCurrentProfile.szName);
  gStringTable.SetText(CommandTextId(kCmdProfile), 0, profileName);
  gApp.RefreshCommand(kCmdProfile, 0, true);
}

CAppWindow* MainFrame() { return gApp.FindAppWindowById(kMainWindowId); }

// The title names the current state; set only when it changes, so that a
// refresh does not repaint the caption.
void UpdateTitle() {
  if (!ghwndMain) return;
  CImage* image = CurrentImage();
  static char shown[kImageNameChars] = "\1";
  const char* name = image ? image->szName : "";
  if (strcmp(shown, name) == 0) return;
  snprintf(shown, sizeof(shown), "%s", name);
  UpdateMainWindowTitle(name);
}

}  // namespace

void SetStatusDimensions(int width, int height) {
  CImage* image = CurrentImage();
  char text[kPaneChars];
  if (!image) {
    snprintf(text, sizeof(text), "%s", gStringTable.GetText(kNoImageText, 0));
  } else {
    if (width < 0) width = image->rcSelection.right - image->rcSelection.left + 1;
    if (height < 0) height = image->rcSelection.bottom - image->rcSelection.top + 1;
    snprintf(text, sizeof(text), "%d x %d x %d", width, height, int(image->GetBpp()));
  }
  SetPane(kCmdPaneDimensions, gDimensionsText, text);
}

void SetStatusPosition(int x, int y) {
  CImage* image = CurrentImage();
  char position[kPaneChars], color[kPaneChars];
  if (!image || x < 0 || y < 0 || x >= image->GetWidth() || y >= image->GetHeight()) {
    snprintf(position, sizeof(position), "%s", gStringTable.GetText(kNoImageText, 1));
    snprintf(color, sizeof(color), "%s", gStringTable.GetText(kNoImageText, 2));
  } else {
    // The library counts rows from the bottom.
    RGBQUAD pixel = image->GetPixelColor(x, image->GetHeight() - 1 - y);
    snprintf(position, sizeof(position), "%d , %d", x, y);
    snprintf(color, sizeof(color), "%d , %d , %d", pixel.rgbRed, pixel.rgbGreen, pixel.rgbBlue);
  }
  SetPane(kCmdPanePosition, gPositionText, position);
  SetPane(kCmdPaneColor, gColorText, color);
}

void UpdateStatusBar(int partial) {
  if (!partial) {
    UpdateCommandStates();
    UpdateTitle();
  }
  SetStatusDimensions(-1, -1);
  UpdateZoomPane();
  POINT cursor;
  GetCursorPos(&cursor);
  POINT at = cursor;
  const bool outside = ScreenToImagePoint(&at);
  HWND view = GetImageViewWindow();
  if (outside || !view || WindowFromPoint(cursor) != view) at = POINT{-1, -1};
  SetStatusPosition(at.x, at.y);
}

void BeginBusy(const char* text, CRaster* image) {
  snprintf(gPhase.text, sizeof(gPhase.text), "%s", text ? text : "");
  gPhase.base = 0;
  gPhase.phases = 1;
  if (image) SetProgressSource(image);
  if (CAppWindow* frame = MainFrame()) {
    char shown[160];
    snprintf(shown, sizeof(shown), "@0%s", gPhase.text);
    frame->SetStatusText(-1, shown);
  }
}

void EndBusy() {
  SetProgressSource(nullptr);
  gPhase = ProgressPhase{"", 0, 1};
  if (CAppWindow* frame = MainFrame()) frame->SetStatusText(-1, nullptr);
}

void SetProgress(const char* text, int step, int count) {
  if (text) {
    snprintf(gPhase.text, sizeof(gPhase.text), "%s", text);
    gPhase.base = step;
    gPhase.phases = count;
    return;
  }
  char shown[160];
  snprintf(shown, sizeof(shown), "@%d%s", ProgressPercent(step, count, gPhase.base, gPhase.phases),
           gPhase.text);
  if (CAppWindow* frame = MainFrame()) frame->SetStatusText(-1, shown);
}
