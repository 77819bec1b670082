#include "app/profiles/program_records.h"

#include <cmath>
#include <cstring>
#include <initializer_list>

#include "framework/draw/color.h"

OptionsRecord gOptions;
ProfileRecord gProfileTemplate;
ProfileRecord gSysProfile;
ProfileRecord gCurrentProfile;
int32_t giCurrentProfile = 0;
StiEvent gaStiEvent[kStiEventCount];
DrawBarValues gDrawBarValues;

namespace {

// Print Screen runs the current profile, Alt + Print Screen shows the main
// window.
constexpr uint16_t kPrintScreen = 44;
constexpr uint16_t kAltPrintScreen = 0x100 | kPrintScreen;

const COLORREF kDefaultPalette[kPaletteColors] = {
    RGB(255, 255, 255), RGB(192, 192, 192), RGB(128, 128, 128), RGB(0, 0, 0),
    RGB(0, 0, 255),     RGB(0, 0, 128),     RGB(0, 255, 255),   RGB(0, 128, 128),
    RGB(0, 255, 0),     RGB(0, 128, 0),     RGB(255, 255, 0),   RGB(128, 128, 0),
    RGB(255, 0, 0),     RGB(128, 0, 0),     RGB(255, 0, 255),   RGB(128, 0, 128),
};

constexpr float kDefaultMonitorWidth = 32.0f;
constexpr float kDefaultMonitorHeight = 24.0f;
constexpr uint8_t kDefaultMonitorRow = 3;
constexpr uint8_t kMonitorRows = 9;
constexpr int kMaxBrushSize = 128;
constexpr int kMaxOverlayFrame = 128;
constexpr int kOverlayAlignCentre = 1;
constexpr int kAdjustLimit = 100;

template <size_t N>
void CopyText(char (&buffer)[N], const char* text) {
  strncpy(buffer, text, N - 1);
  buffer[N - 1] = '\0';
}

// Ends the text inside its buffer and clears what follows it, so a record
// holds the same bytes whatever the buffer held before (a shorter name loaded
// over the template's leaves nothing of it behind).
template <size_t N>
void Terminate(char (&buffer)[N]) {
  size_t n = strnlen(buffer, N - 1);
  memset(buffer + n, 0, N - n);
}

// A 12-point "Arial" for the given height; every other field 0.
LogFontRecord ArialFont(int32_t height) {
  LogFontRecord font = {};
  font.lfHeight = height;
  font.lfWeight = 400;
  CopyText(font.lfFaceName, "Arial");
  return font;
}

// Fields of packed records are passed by value: their addresses may be
// unaligned.
int32_t Clamp(int32_t value, int32_t low, int32_t high) {
  return value < low ? low : value > high ? high : value;
}

float MonitorSizeOr(float size, float fallback) {
  return std::isfinite(size) && size > 0.0f ? size : fallback;
}

struct DefaultRecords {
  DefaultRecords() { ResetProgramRecords(kDefaultScreenDpi); }
} gDefaultRecords;

}  // namespace

void ResetProgramRecords(int dpi) {
  InitDefaultOptions(&gOptions, dpi);
  InitProfileTemplate(&gProfileTemplate, dpi);
  gSysProfile = gProfileTemplate;
  gCurrentProfile = gProfileTemplate;
  giCurrentProfile = 0;
  InitStiEvents(gaStiEvent);
  CopyOptionsToDrawBar(gOptions, &gDrawBarValues);
}

void InitDefaultOptions(OptionsRecord* o, int dpi) {
  memset(o, 0, sizeof(*o));
  o->iConfirm = 1;
  o->iAutoZoom = 1;
  o->iUnits = kUnitsFromLocale;
  o->iTrayIcon = 1;
  o->iMonSize = kDefaultMonitorRow;
  o->fMonWidth = kDefaultMonitorWidth;
  o->fMonHeight = kDefaultMonitorHeight;
  o->iDelCBText = 1;
  o->iLaunchHL = 1;
  o->iDPInitNumber = kKeepPrintNumber;
  o->iSaveAsType = 7;
  o->iCaptureDelay = -1;
  o->iCaptureDelayTime = 500;
  o->iShowDrawBar = 1;
  o->cFore = 0xFF000000u;
  o->cBack = 0xFFFFFFFFu;
  o->iBrushSize = 4;
  // 12 points in pixels; multiplied first so the height is exact at every DPI.
  o->lfFont = ArialFont(-(12 * dpi / 72));
  for (int i = 0; i < kPaletteColors; ++i) o->cPalette[i] = ColorToArgb(kDefaultPalette[i], 255);
  o->iUndoBufMB = 200;
  o->iASTolerance = 16;
  o->hkHotkey[0].hotkey = kPrintScreen;
  o->hkHotkey[1].hotkey = kAltPrintScreen;
}

void InitProfileTemplate(ProfileRecord* p, int dpi) {
  memset(p, 0, sizeof(*p));
  CopyText(p->szName, "New Profile");
  p->iSubs = 1;
  p->iLevel = 1;
  p->iVersion = 4097;
  p->ulSteps = kTemplateSteps;
  p->iSCArea[2] = 639;
  p->iSCArea[3] = 479;
  p->iSCWidth = 100;
  p->iSCHeight = 100;
  p->iSCOSound = 1;
  p->iSCOShowDim = 1;
  p->iSCODelay = 1000;
  p->iSORemPath = 1;
  p->iSTODialog = 1;
  p->iSTODpi = 150;
  p->iSTOColor = 1;
  p->fSTOWidth = -1.0f;
  p->fSTOHeight = -1.0f;
  for (float& edge : p->fSTOFrame) edge = -1.0f;
  p->iICMode = kKeepColorClass;
  p->rgbICCol2[0] = {255, 255, 255, 0};
  p->fIGNewW = 100.0f;
  p->fIGNewH = 100.0f;
  p->iIGUnit = 2;
  p->iDARemPath = 1;
  p->iDSType = 5;
  p->iGIFLzw = 1;
  p->iJPGQuality = 75;
  p->iDPCopies = 1;
  p->iDPZoom = 100;
  p->iDPPrtPos[0] = 1;
  p->iDPPrtPos[1] = 1;
  p->iDPNoClip = 1;
  CopyText(p->szDSTarget, "<Ask for destination>");
  CopyText(p->szDSFname, "Brightwarden.bmp");
  p->iSCOHideSC = 1;
  p->lfHeadFont = ArialFont(-(12 * dpi / 96));
  CopyText(p->szTxtOvlBuffer, "%T, %D");
  p->lfTxtOvlFont = p->lfHeadFont;
  p->iTxtOvlXOff = -10;
  p->iTxtOvlYOff = -10;
  p->iTxtOvlRPos = kOverlayBottomRight;
  p->iTxtOvlAlign = kOverlayAlignCentre;
  p->crTxtOvlBgnd = 0x00FFFFFFu;
}

void CopyOptionsToDrawBar(const OptionsRecord& options, DrawBarValues* bar) {
  memcpy(bar->acPalette, options.cPalette, sizeof(bar->acPalette));
  bar->iBrushSize = options.iBrushSize;
  bar->cFore = options.cFore | 0xFF000000u;
  bar->cBack = options.cBack;
  bar->bBackOpaque = options.iBackFill != 0;
}

void CopyDrawBarToOptions(const DrawBarValues& bar, OptionsRecord* options) {
  memcpy(options->cPalette, bar.acPalette, sizeof(options->cPalette));
  options->iBrushSize = bar.iBrushSize;
  options->cFore = bar.cFore;
  options->cBack = bar.cBack;
  options->iBackFill = bar.bBackOpaque ? 1 : 0;
}

void InitStiEvents(StiEvent* events) { memset(events, 0, sizeof(StiEvent) * kStiEventCount); }

void SanitizeOptions(OptionsRecord* o) {
  Terminate(o->szCBText);
  Terminate(o->szSaveAsPath);
  Terminate(o->szOpenPath);
  Terminate(o->szLoadPath);
  Terminate(o->szLoadExt);
  Terminate(o->lfFont.lfFaceName);
  for (HotkeyEntry& entry : o->hkHotkey) Terminate(entry.profile);
  if (o->iMonSize >= kMonitorRows) o->iMonSize = kDefaultMonitorRow;
  o->fMonWidth = MonitorSizeOr(o->fMonWidth, kDefaultMonitorWidth);
  o->fMonHeight = MonitorSizeOr(o->fMonHeight, kDefaultMonitorHeight);
  o->iBrushSize = Clamp(o->iBrushSize, 1, kMaxBrushSize);
}

void SanitizeProfile(ProfileRecord* p) {
  Terminate(p->szName);
  Terminate(p->szSOPath);
  Terminate(p->szSOFile);
  Terminate(p->szSTSource);
  Terminate(p->szDAPath);
  Terminate(p->szDSFile);
  Terminate(p->szDSPath);
  Terminate(p->szDPPrinter);
  for (int i = 0; i < kHeaderTexts; ++i) {
    Terminate(p->szDPHeader[i]);
    Terminate(p->szDPFooter[i]);
  }
  Terminate(p->szDEEditor);
  Terminate(p->szGComment);
  Terminate(p->szDSTarget);
  Terminate(p->szDSFname);
  Terminate(p->szDXProfile);
  Terminate(p->szDefSaveName);
  Terminate(p->szDefDropName);
  Terminate(p->lfHeadFont.lfFaceName);
  Terminate(p->szTxtOvlBuffer);
  Terminate(p->lfTxtOvlFont.lfFaceName);

  // Reserved bytes are always 0 in what this program writes.
  p->abReserved41 = 0;
  p->abReserved59 = 0;
  p->abReserved801 = 0;
  memset(p->abReserved805, 0, sizeof(p->abReserved805));
  memset(p->abReserved1866, 0, sizeof(p->abReserved1866));
  p->abReserved1885 = 0;
  p->abReserved1897 = 0;
  memset(p->abReserved3598, 0, sizeof(p->abReserved3598));
  memset(p->abReserved4129, 0, sizeof(p->abReserved4129));

  // Choices outside their lists fall back to the template's choice; amounts
  // are clamped to the range their dialog fields accept.
  if (p->iLevel < 1) p->iLevel = 1;
  if (p->iSCMode > 5) p->iSCMode = 0;
  if (p->iICMode > 4 && p->iICMode != kKeepColorClass) p->iICMode = kKeepColorClass;
  if (p->iICNumRCol > kColorPairs) p->iICNumRCol = kColorPairs;
  if (p->iTxtOvlRPos < 0 || p->iTxtOvlRPos > 8) p->iTxtOvlRPos = kOverlayBottomRight;
  if (p->iTxtOvlAlign < 0 || p->iTxtOvlAlign > 2) p->iTxtOvlAlign = kOverlayAlignCentre;
  p->iTxtOvlFrame = Clamp(p->iTxtOvlFrame, 0, kMaxOverlayFrame);
  for (int8_t* adjust : {&p->iSTChangeB, &p->iSTChangeC, &p->iIBBrightness, &p->iIBContrast,
                         &p->iIBGamma, &p->iIBSaturation, &p->iIBHue})
    *adjust = static_cast<int8_t>(Clamp(*adjust, -kAdjustLimit, kAdjustLimit));
}

void SanitizeStiEvents(StiEvent* events) {
  for (int i = 0; i < kStiEventCount; ++i) {
    Terminate(events[i].twainds);
    Terminate(events[i].event);
    Terminate(events[i].guid);
    Terminate(events[i].profile);
  }
}

int32_t SanitizeProfileIndex(int32_t index) { return index < 0 ? 0 : index; }
