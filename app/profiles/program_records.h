#pragma once
// The records that carry everything the user configures: the program options
// (gOptions), the profiles (the current one, the system profile and the
// built-in template "New Profile") and the still-image device bindings
// (gaStiEvent). Plain, packed, fixed-width records without owned memory: the
// profile record is also the raw content of a profile file, so its layout is
// a file format, checked offset by offset below.
#include <cstddef>
#include <cstdint>

constexpr int kHotkeyCount = 32;
constexpr int kStiEventCount = 32;
constexpr int kPaletteColors = 16;
constexpr int kColorPairs = 16;
constexpr int kProfileNameChars = 32;
constexpr int kHeaderTexts = 3;
constexpr int kHeaderTextChars = 65;
constexpr int kRecordPathChars = 260;

// iUnits at a first start: take the measurement system from the user's
// locale. Stored as the signed byte "-1".
constexpr uint8_t kUnitsFromLocale = 255;
// iDPInitNumber that leaves the running number alone at start.
constexpr int32_t kKeepPrintNumber = -666;
// iICMode that keeps the image's colour class.
constexpr uint8_t kKeepColorClass = 255;
// ulSteps of the built-in template (capture, show) and of the system profile
// (the 13 pages of the program options, set after every load).
constexpr uint32_t kTemplateSteps = 0x100887;
constexpr uint32_t kSysProfileSteps = 8191;
// Text of the template's overlay and its reference position (bottom right).
constexpr int32_t kOverlayBottomRight = 8;

#pragma pack(push, 1)

// The layout of a Windows LOGFONTA, so that the records build and test alike
// on every platform; the Windows half converts with a memcpy.
struct LogFontRecord {
  int32_t lfHeight;
  int32_t lfWidth;
  int32_t lfEscapement;
  int32_t lfOrientation;
  int32_t lfWeight;
  uint8_t lfItalic;
  uint8_t lfUnderline;
  uint8_t lfStrikeOut;
  uint8_t lfCharSet;
  uint8_t lfOutPrecision;
  uint8_t lfClipPrecision;
  uint8_t lfQuality;
  uint8_t lfPitchAndFamily;
  char lfFaceName[32];
};

// A global hotkey: the virtual key in the low byte, the RegisterHotKey
// modifiers (Alt 1, Control 2, Shift 4, Win 8) in the high byte; 0 = none.
// Entry 0 runs the current profile, 1 shows the main window, 2-31 run the
// profile named here.
struct HotkeyEntry {
  uint16_t hotkey;
  char profile[kProfileNameChars];
};

struct OptionsRecord {
  uint8_t iAutoStart;
  uint8_t iCloseToTray;
  uint8_t iConfirm;
  uint8_t iAutoZoom;
  uint8_t iUnits;        // 0 metric, 1 U.S., kUnitsFromLocale
  uint8_t iTrayIcon;
  uint8_t iTrayClick;    // 0 single left click, 1 double click
  uint8_t iTrayAction;   // 0 show or hide the main window, 1 run the current profile
  uint8_t iMonSize;      // row of the monitor-size table, 0 = custom
  float fMonWidth;       // custom monitor size in centimetres
  float fMonHeight;
  uint8_t iPreserveText;
  uint8_t iCollectText;
  char szCBText[kRecordPathChars];
  uint8_t iDelCBText;
  uint8_t iLaunchHL;
  int32_t iPreset;
  uint8_t iHideOnAction;
  int32_t iPrtNumber;    // running number of %N
  int32_t iDPInitNumber; // kKeepPrintNumber or the start value of iPrtNumber
  char szSaveAsPath[kRecordPathChars];
  char szOpenPath[kRecordPathChars];
  uint8_t iSaveAsType;
  uint8_t iOpenType;
  int32_t iCaptureDelay;
  int32_t iCaptureDelayTime;  // milliseconds
  char szLoadPath[kRecordPathChars];
  char szLoadExt[16];
  uint8_t iShowDrawBar;
  int32_t iTool;
  uint32_t cFore;        // 0xAARRGGBB
  uint32_t cBack;
  int32_t iBackFill;
  int32_t iBrushSize;    // 1-128
  LogFontRecord lfFont;
  int32_t iTextFrame;
  uint32_t cPalette[kPaletteColors];
  int32_t iUndoBufMB;
  int32_t iASTolerance;
  HotkeyEntry hkHotkey[kHotkeyCount];
};

// One colour of the replacement table; f = the pair is enabled.
struct ColorEntry {
  uint8_t r;
  uint8_t g;
  uint8_t b;
  uint8_t f;
};

struct ProfileRecord {
  char szName[kProfileNameChars];
  uint8_t iSubs;
  uint8_t iLevel;        // nesting level in the profiles menu, 1 = top
  int16_t iVersion;
  uint32_t ulSteps;      // bit n: page n of the profile's options (and its step)
  uint8_t iSCMode;       // 0 rectangle .. 5 fixed-size box
  uint8_t abReserved41;
  int16_t iSCArea[4];    // left, top, right, bottom (inclusive)
  int16_t iSCWidth;
  int16_t iSCHeight;
  uint8_t iSCMonitor;
  uint8_t iSCOMouse;
  uint8_t iSCOSound;
  uint8_t iSCOShowDim;
  uint8_t iSCOUseDelay;
  uint8_t abReserved59;
  int32_t iSCODelay;
  uint8_t iSOMode;
  uint8_t iSORemPath;
  char szSOPath[kRecordPathChars];
  char szSOFile[kRecordPathChars];
  char szSTSource[34];
  int8_t iSTChangeB;     // -100..100, 0 = leave the source's setting
  int8_t iSTChangeC;
  uint8_t iSTODialog;
  uint8_t iSTOUsePar;
  int16_t iSTODpi;
  uint8_t iSTOColor;
  uint8_t iSTOArea;
  float fSTOWidth;
  float fSTOHeight;
  float fSTOFrame[4];    // not kept in the settings text
  uint8_t iICMode;       // colour class 0-4, kKeepColorClass
  uint8_t iICDither;
  uint8_t iICInvert;
  uint8_t iICAutoInv;
  uint8_t iICWinPal;
  uint8_t iICReplCol;
  uint8_t iICNumRCol;    // 0-16
  ColorEntry rgbICCol1[kColorPairs];
  ColorEntry rgbICCol2[kColorPairs];
  uint8_t iIGAutoSel;
  uint8_t iIGFlipH;
  uint8_t iIGFlipV;
  uint8_t iIGRotate;     // bit 4 on; low bits 0 = 90, 1 = -90, 2 = 180, 3 = fIGAngle
  uint8_t iIGResize;
  float fIGNewW;
  float fIGNewH;
  uint8_t iIGUnit;
  uint8_t abReserved801;
  int16_t iIGDpi;
  uint8_t iIGAntiAlias;
  uint8_t abReserved805[3];
  float fIGAspect;
  int8_t iIBBrightness;  // -100..100
  int8_t iIBContrast;
  uint8_t iDARemPath;
  char szDAPath[kRecordPathChars];
  char szDSFile[kRecordPathChars];
  uint8_t iDSType;       // 0 BMP, 1 GIF, 2 JPG, 3 PNG, 4 TIF, 5 Optimized
  char szDSPath[kRecordPathChars];
  uint8_t iGIFLzw;
  uint8_t iGIFReduce24;
  uint8_t iGIFDither;
  uint8_t iGIFWinPal;
  uint8_t iJPGMode;
  uint8_t iJPGQuality;
  uint8_t iPNGInterlace;
  uint8_t iPNGCompression;
  char szDPPrinter[kRecordPathChars];
  uint8_t iDPOrientation;
  uint8_t iDPCopies;
  uint8_t abReserved1866[2];
  float fDPMargin[4];
  uint8_t iDPZoomMode;
  uint8_t abReserved1885;
  int16_t iDPZoom;
  float fDPZoomWidth;
  float fDPZoomHeight;
  uint8_t iDPPosMode;
  uint8_t abReserved1897;
  uint16_t iDPPrtPos[2];
  uint8_t iDPNoClip;
  uint8_t iDPHeader;
  uint8_t iDPFooter;
  char szDPHeader[kHeaderTexts][kHeaderTextChars];
  char szDPFooter[kHeaderTexts][kHeaderTextChars];
  char szDEEditor[kRecordPathChars];
  char szGComment[kRecordPathChars];
  uint8_t iGHide;
  uint8_t iTIFComp;
  char szDSTarget[kRecordPathChars];
  char szDSFname[kRecordPathChars];
  char szDXProfile[kRecordPathChars];
  uint8_t iSCOHideSC;
  uint8_t abReserved3598[2];
  float fIGAngle;
  int8_t iIBGamma;
  int8_t iIBSaturation;
  int8_t iIBHue;
  uint8_t iIMSharpen;
  uint8_t iIMSoften;
  char szDefSaveName[kRecordPathChars];
  char szDefDropName[kRecordPathChars];
  uint8_t abReserved4129[3];
  LogFontRecord lfHeadFont;
  uint32_t crHeadFont;   // COLORREF
  int32_t iTxtOvl;
  char szTxtOvlBuffer[kRecordPathChars];
  LogFontRecord lfTxtOvlFont;
  int32_t iTxtOvlXOff;
  int32_t iTxtOvlYOff;
  int32_t iTxtOvlRPos;   // 0-8
  int32_t iTxtOvlFrame;  // 0-128
  int32_t iTxtOvlAlign;  // 0-2
  uint32_t crTxtOvlColor;
  uint32_t crTxtOvlBgnd;
};

// A binding of a still-image device event to a profile.
struct StiEvent {
  char twainds[34];
  char event[260];
  char guid[64];
  char profile[kProfileNameChars];  // empty = none
};

#pragma pack(pop)

static_assert(sizeof(LogFontRecord) == 60, "LOGFONTA is 60 bytes");
static_assert(offsetof(LogFontRecord, lfItalic) == 20, "layout");
static_assert(offsetof(LogFontRecord, lfFaceName) == 28, "layout");
static_assert(sizeof(HotkeyEntry) == 34, "hotkey entry is 34 bytes");
static_assert(sizeof(StiEvent) == 390, "device binding is 390 bytes");
static_assert(offsetof(StiEvent, event) == 34, "layout");
static_assert(offsetof(StiEvent, guid) == 294, "layout");
static_assert(offsetof(StiEvent, profile) == 358, "layout");
static_assert(sizeof(OptionsRecord) == 2345, "options record");
static_assert(offsetof(OptionsRecord, hkHotkey) == 1257, "layout");

#define BW_PROFILE_OFFSET(field, offset) \
  static_assert(offsetof(ProfileRecord, field) == (offset), "ProfileRecord." #field)
BW_PROFILE_OFFSET(iSubs, 32);
BW_PROFILE_OFFSET(iLevel, 33);
BW_PROFILE_OFFSET(iVersion, 34);
BW_PROFILE_OFFSET(ulSteps, 36);
BW_PROFILE_OFFSET(iSCMode, 40);
BW_PROFILE_OFFSET(iSCArea, 42);
BW_PROFILE_OFFSET(iSCWidth, 50);
BW_PROFILE_OFFSET(iSCHeight, 52);
BW_PROFILE_OFFSET(iSCMonitor, 54);
BW_PROFILE_OFFSET(iSCOMouse, 55);
BW_PROFILE_OFFSET(iSCOSound, 56);
BW_PROFILE_OFFSET(iSCOShowDim, 57);
BW_PROFILE_OFFSET(iSCOUseDelay, 58);
BW_PROFILE_OFFSET(iSCODelay, 60);
BW_PROFILE_OFFSET(iSOMode, 64);
BW_PROFILE_OFFSET(iSORemPath, 65);
BW_PROFILE_OFFSET(szSOPath, 66);
BW_PROFILE_OFFSET(szSOFile, 326);
BW_PROFILE_OFFSET(szSTSource, 586);
BW_PROFILE_OFFSET(iSTChangeB, 620);
BW_PROFILE_OFFSET(iSTChangeC, 621);
BW_PROFILE_OFFSET(iSTODialog, 622);
BW_PROFILE_OFFSET(iSTOUsePar, 623);
BW_PROFILE_OFFSET(iSTODpi, 624);
BW_PROFILE_OFFSET(iSTOColor, 626);
BW_PROFILE_OFFSET(iSTOArea, 627);
BW_PROFILE_OFFSET(fSTOWidth, 628);
BW_PROFILE_OFFSET(fSTOHeight, 632);
BW_PROFILE_OFFSET(fSTOFrame, 636);
BW_PROFILE_OFFSET(iICMode, 652);
BW_PROFILE_OFFSET(iICDither, 653);
BW_PROFILE_OFFSET(iICInvert, 654);
BW_PROFILE_OFFSET(iICAutoInv, 655);
BW_PROFILE_OFFSET(iICWinPal, 656);
BW_PROFILE_OFFSET(iICReplCol, 657);
BW_PROFILE_OFFSET(iICNumRCol, 658);
BW_PROFILE_OFFSET(rgbICCol1, 659);
BW_PROFILE_OFFSET(rgbICCol2, 723);
BW_PROFILE_OFFSET(iIGAutoSel, 787);
BW_PROFILE_OFFSET(iIGFlipH, 788);
BW_PROFILE_OFFSET(iIGFlipV, 789);
BW_PROFILE_OFFSET(iIGRotate, 790);
BW_PROFILE_OFFSET(iIGResize, 791);
BW_PROFILE_OFFSET(fIGNewW, 792);
BW_PROFILE_OFFSET(fIGNewH, 796);
BW_PROFILE_OFFSET(iIGUnit, 800);
BW_PROFILE_OFFSET(iIGDpi, 802);
BW_PROFILE_OFFSET(iIGAntiAlias, 804);
BW_PROFILE_OFFSET(fIGAspect, 808);
BW_PROFILE_OFFSET(iIBBrightness, 812);
BW_PROFILE_OFFSET(iIBContrast, 813);
BW_PROFILE_OFFSET(iDARemPath, 814);
BW_PROFILE_OFFSET(szDAPath, 815);
BW_PROFILE_OFFSET(szDSFile, 1075);
BW_PROFILE_OFFSET(iDSType, 1335);
BW_PROFILE_OFFSET(szDSPath, 1336);
BW_PROFILE_OFFSET(iGIFLzw, 1596);
BW_PROFILE_OFFSET(iGIFReduce24, 1597);
BW_PROFILE_OFFSET(iGIFDither, 1598);
BW_PROFILE_OFFSET(iGIFWinPal, 1599);
BW_PROFILE_OFFSET(iJPGMode, 1600);
BW_PROFILE_OFFSET(iJPGQuality, 1601);
BW_PROFILE_OFFSET(iPNGInterlace, 1602);
BW_PROFILE_OFFSET(iPNGCompression, 1603);
BW_PROFILE_OFFSET(szDPPrinter, 1604);
BW_PROFILE_OFFSET(iDPOrientation, 1864);
BW_PROFILE_OFFSET(iDPCopies, 1865);
BW_PROFILE_OFFSET(fDPMargin, 1868);
BW_PROFILE_OFFSET(iDPZoomMode, 1884);
BW_PROFILE_OFFSET(iDPZoom, 1886);
BW_PROFILE_OFFSET(fDPZoomWidth, 1888);
BW_PROFILE_OFFSET(fDPZoomHeight, 1892);
BW_PROFILE_OFFSET(iDPPosMode, 1896);
BW_PROFILE_OFFSET(iDPPrtPos, 1898);
BW_PROFILE_OFFSET(iDPNoClip, 1902);
BW_PROFILE_OFFSET(iDPHeader, 1903);
BW_PROFILE_OFFSET(iDPFooter, 1904);
BW_PROFILE_OFFSET(szDPHeader, 1905);
BW_PROFILE_OFFSET(szDPFooter, 2100);
BW_PROFILE_OFFSET(szDEEditor, 2295);
BW_PROFILE_OFFSET(szGComment, 2555);
BW_PROFILE_OFFSET(iGHide, 2815);
BW_PROFILE_OFFSET(iTIFComp, 2816);
BW_PROFILE_OFFSET(szDSTarget, 2817);
BW_PROFILE_OFFSET(szDSFname, 3077);
BW_PROFILE_OFFSET(szDXProfile, 3337);
BW_PROFILE_OFFSET(iSCOHideSC, 3597);
BW_PROFILE_OFFSET(fIGAngle, 3600);
BW_PROFILE_OFFSET(iIBGamma, 3604);
BW_PROFILE_OFFSET(iIBSaturation, 3605);
BW_PROFILE_OFFSET(iIBHue, 3606);
BW_PROFILE_OFFSET(iIMSharpen, 3607);
BW_PROFILE_OFFSET(iIMSoften, 3608);
BW_PROFILE_OFFSET(szDefSaveName, 3609);
BW_PROFILE_OFFSET(szDefDropName, 3869);
BW_PROFILE_OFFSET(lfHeadFont, 4132);
BW_PROFILE_OFFSET(crHeadFont, 4192);
BW_PROFILE_OFFSET(iTxtOvl, 4196);
BW_PROFILE_OFFSET(szTxtOvlBuffer, 4200);
BW_PROFILE_OFFSET(lfTxtOvlFont, 4460);
BW_PROFILE_OFFSET(iTxtOvlXOff, 4520);
BW_PROFILE_OFFSET(iTxtOvlYOff, 4524);
BW_PROFILE_OFFSET(iTxtOvlRPos, 4528);
BW_PROFILE_OFFSET(iTxtOvlFrame, 4532);
BW_PROFILE_OFFSET(iTxtOvlAlign, 4536);
BW_PROFILE_OFFSET(crTxtOvlColor, 4540);
BW_PROFILE_OFFSET(crTxtOvlBgnd, 4544);
#undef BW_PROFILE_OFFSET
static_assert(sizeof(ProfileRecord) == 4548, "profile record (and profile file) is 4,548 bytes");

// The program's records (user interface thread; workers only read them).
extern OptionsRecord gOptions;
extern ProfileRecord gProfileTemplate;  // "New Profile": every new profile starts here
extern ProfileRecord gSysProfile;       // program-level output settings ("SysProf")
extern ProfileRecord gCurrentProfile;   // "Profile" number giCurrentProfile
extern int32_t giCurrentProfile;
extern StiEvent gaStiEvent[kStiEventCount];

// The draw bar's live values: its palette, brush-size and colour items edit
// these; the settings copy them from the options at load and back at save.
struct DrawBarValues {
  uint32_t acPalette[kPaletteColors];
  int32_t iBrushSize;
  uint32_t cFore;       // 0xAARRGGBB, always opaque
  uint32_t cBack;
  uint8_t bBackOpaque;  // 0: the background colour is transparent
};
extern DrawBarValues gDrawBarValues;

// The draw bar takes its values from the options, and gives them back.
void CopyOptionsToDrawBar(const OptionsRecord& options, DrawBarValues* bar);
void CopyDrawBarToOptions(const DrawBarValues& bar, OptionsRecord* options);

// The screen's dots per inch when the program starts: the text-tool font and
// the template's fonts are 12 points at that resolution.
constexpr int kDefaultScreenDpi = 96;

// Every record of the program at its default, fonts of 12 points at `dpi`:
// the options, the template, the system and current profiles from it, index
// 0, no device bindings, the draw bar from the options.
void ResetProgramRecords(int dpi);
// Every option at its default; the text-tool font is 12 points at `dpi`.
void InitDefaultOptions(OptionsRecord* options, int dpi);
// The built-in template "New Profile"; its fonts are 12 points at `dpi`.
void InitProfileTemplate(ProfileRecord* profile, int dpi);
// All bindings empty.
void InitStiEvents(StiEvent* events);

// Makes records from files safe to use: every text is terminated inside its
// buffer (the bytes after it cleared) and each numeric field that the dialogs
// bound is brought into what they produce. Values that are already valid
// never change.
void SanitizeOptions(OptionsRecord* options);
void SanitizeProfile(ProfileRecord* profile);
void SanitizeStiEvents(StiEvent* events);
int32_t SanitizeProfileIndex(int32_t index);
