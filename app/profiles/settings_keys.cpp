#include "app/profiles/settings_keys.h"

#include <cstdint>

const char kOptionsKeyPrefix[] = "gOptions.";
const char kProfileKeyPrefix[] = "pprf->";
const char kStiEventsKeyPrefix[] = "gaStiEvent";

// The binary fields are written as byte pointers, as Windows code spells them.
typedef unsigned char* PBYTE;

namespace {

// The field's address and its expression as written; a text field's width.
#define KEY(expression) &(expression), #expression
#define TEXT_KEY(expression) (expression), int(sizeof(expression)), #expression
#define BINARY_KEY(expression, size) (expression), int(size), #expression

// Counts the fields a load found (a typed member returns 0 for a value read).
class CFieldCounter {
 public:
  explicit CFieldCounter(const CSettingsExchange* exchange) : loading_(!exchange->iSave) {}
  void operator+=(int result) {
    if (loading_ && result == 0) ++count_;
  }
  int Count() const { return count_; }

 private:
  bool loading_;
  int count_ = 0;
};

}  // namespace

// Each routine names its record as its keys are written.
int ExchangeOptions(CSettingsExchange* ex, OptionsRecord* options) {
  OptionsRecord& gOptions = *options;
  CFieldCounter n(ex);
  n += ex->Byte(KEY(gOptions.iAutoStart));
  n += ex->Byte(KEY(gOptions.iCloseToTray));
  n += ex->Byte(KEY(gOptions.iConfirm));
  n += ex->Byte(KEY(gOptions.iAutoZoom));
  n += ex->Byte(KEY(gOptions.iUnits));
  n += ex->Byte(KEY(gOptions.iTrayIcon));
  n += ex->Byte(KEY(gOptions.iTrayClick));
  n += ex->Byte(KEY(gOptions.iTrayAction));
  n += ex->Byte(KEY(gOptions.iMonSize));
  n += ex->Float(KEY(gOptions.fMonWidth));
  n += ex->Float(KEY(gOptions.fMonHeight));
  n += ex->Byte(KEY(gOptions.iPreserveText));
  n += ex->Byte(KEY(gOptions.iCollectText));
  n += ex->String(TEXT_KEY(gOptions.szCBText));
  n += ex->Byte(KEY(gOptions.iDelCBText));
  n += ex->Byte(KEY(gOptions.iLaunchHL));
  n += ex->Int(KEY(gOptions.iPreset));
  n += ex->Byte(KEY(gOptions.iHideOnAction));
  n += ex->Int(KEY(gOptions.iPrtNumber));
  n += ex->Int(KEY(gOptions.iDPInitNumber));
  n += ex->String(TEXT_KEY(gOptions.szSaveAsPath));
  n += ex->String(TEXT_KEY(gOptions.szOpenPath));
  n += ex->Byte(KEY(gOptions.iSaveAsType));
  n += ex->Byte(KEY(gOptions.iOpenType));
  n += ex->Int(KEY(gOptions.iCaptureDelay));
  n += ex->Int(KEY(gOptions.iCaptureDelayTime));
  n += ex->String(TEXT_KEY(gOptions.szLoadPath));
  n += ex->String(TEXT_KEY(gOptions.szLoadExt));
  n += ex->Byte(KEY(gOptions.iShowDrawBar));
  n += ex->Int(KEY(gOptions.iTool));
  n += ex->Dword(KEY(gOptions.cFore));
  n += ex->Dword(KEY(gOptions.cBack));
  n += ex->Int(KEY(gOptions.iBackFill));
  n += ex->Int(KEY(gOptions.iBrushSize));
  n += ex->Binary(BINARY_KEY((PBYTE)&gOptions.lfFont, sizeof(gOptions.lfFont)));
  n += ex->Int(KEY(gOptions.iTextFrame));
  n += ex->Binary(BINARY_KEY((PBYTE)&gOptions.cPalette, sizeof(gOptions.cPalette)));
  n += ex->Int(KEY(gOptions.iUndoBufMB));
  n += ex->Int(KEY(gOptions.iASTolerance));
  for (int xi = 0; xi < kHotkeyCount; ++xi) {
    n += ex->HexShort(KEY(gOptions.hkHotkey[xi].hotkey), xi);
    n += ex->String(TEXT_KEY(gOptions.hkHotkey[xi].profile), xi);
  }
  return n.Count();
}

int ExchangeProfile(CSettingsExchange* ex, ProfileRecord* pprf) {
  CFieldCounter n(ex);
  n += ex->String(TEXT_KEY(pprf->szName));
  n += ex->Byte(KEY(pprf->iSubs));
  n += ex->Byte(KEY(pprf->iLevel));
  n += ex->Short(KEY(pprf->iVersion));
  n += ex->HexInt(KEY(pprf->ulSteps));
  n += ex->Byte(KEY(pprf->iSCMode));
  for (int xi = 0; xi < 4; ++xi) n += ex->Short(KEY(pprf->iSCArea[xi]), xi);
  n += ex->Short(KEY(pprf->iSCWidth));
  n += ex->Short(KEY(pprf->iSCHeight));
  n += ex->Byte(KEY(pprf->iSCMonitor));
  n += ex->Byte(KEY(pprf->iSCOMouse));
  n += ex->Byte(KEY(pprf->iSCOSound));
  n += ex->Byte(KEY(pprf->iSCOShowDim));
  n += ex->Byte(KEY(pprf->iSCOUseDelay));
  n += ex->Int(KEY(pprf->iSCODelay));
  n += ex->Byte(KEY(pprf->iSOMode));
  n += ex->Byte(KEY(pprf->iSORemPath));
  n += ex->String(TEXT_KEY(pprf->szSOPath));
  n += ex->String(TEXT_KEY(pprf->szSOFile));
  n += ex->String(TEXT_KEY(pprf->szSTSource));
  n += ex->Byte(KEY(pprf->iSTChangeB));
  n += ex->Byte(KEY(pprf->iSTChangeC));
  n += ex->Byte(KEY(pprf->iSTODialog));
  n += ex->Byte(KEY(pprf->iSTOUsePar));
  n += ex->Short(KEY(pprf->iSTODpi));
  n += ex->Byte(KEY(pprf->iSTOColor));
  n += ex->Byte(KEY(pprf->iSTOArea));
  n += ex->Float(KEY(pprf->fSTOWidth));
  n += ex->Float(KEY(pprf->fSTOHeight));
  // fSTOFrame stays out of the text: the scan area page sets it each time.
  n += ex->Byte(KEY(pprf->iICMode));
  n += ex->Byte(KEY(pprf->iICDither));
  n += ex->Byte(KEY(pprf->iICInvert));
  n += ex->Byte(KEY(pprf->iICAutoInv));
  n += ex->Byte(KEY(pprf->iICWinPal));
  n += ex->Byte(KEY(pprf->iICReplCol));
  n += ex->Byte(KEY(pprf->iICNumRCol));
  for (int xi = 0; xi < kColorPairs; ++xi) {
    n += ex->HexByte(KEY(pprf->rgbICCol1[xi].r), xi);
    n += ex->HexByte(KEY(pprf->rgbICCol1[xi].g), xi);
    n += ex->HexByte(KEY(pprf->rgbICCol1[xi].b), xi);
    n += ex->HexByte(KEY(pprf->rgbICCol1[xi].f), xi);
  }
  for (int xi = 0; xi < kColorPairs; ++xi) {
    n += ex->HexByte(KEY(pprf->rgbICCol2[xi].r), xi);
    n += ex->HexByte(KEY(pprf->rgbICCol2[xi].g), xi);
    n += ex->HexByte(KEY(pprf->rgbICCol2[xi].b), xi);
    n += ex->HexByte(KEY(pprf->rgbICCol2[xi].f), xi);
  }
  n += ex->Byte(KEY(pprf->iIGAutoSel));
  n += ex->Byte(KEY(pprf->iIGFlipH));
  n += ex->Byte(KEY(pprf->iIGFlipV));
  n += ex->Byte(KEY(pprf->iIGRotate));
  n += ex->Byte(KEY(pprf->iIGResize));
  n += ex->Float(KEY(pprf->fIGNewW));
  n += ex->Float(KEY(pprf->fIGNewH));
  n += ex->Byte(KEY(pprf->iIGUnit));
  n += ex->Short(KEY(pprf->iIGDpi));
  n += ex->Byte(KEY(pprf->iIGAntiAlias));
  n += ex->Float(KEY(pprf->fIGAspect));
  n += ex->Byte(KEY(pprf->iIBBrightness));
  n += ex->Byte(KEY(pprf->iIBContrast));
  n += ex->Byte(KEY(pprf->iDARemPath));
  n += ex->String(TEXT_KEY(pprf->szDAPath));
  n += ex->String(TEXT_KEY(pprf->szDSFile));
  n += ex->Byte(KEY(pprf->iDSType));
  n += ex->String(TEXT_KEY(pprf->szDSPath));
  n += ex->Byte(KEY(pprf->iGIFLzw));
  n += ex->Byte(KEY(pprf->iGIFReduce24));
  n += ex->Byte(KEY(pprf->iGIFDither));
  n += ex->Byte(KEY(pprf->iGIFWinPal));
  n += ex->Byte(KEY(pprf->iJPGMode));
  n += ex->Byte(KEY(pprf->iJPGQuality));
  n += ex->Byte(KEY(pprf->iPNGInterlace));
  n += ex->Byte(KEY(pprf->iPNGCompression));
  n += ex->String(TEXT_KEY(pprf->szDPPrinter));
  n += ex->Byte(KEY(pprf->iDPOrientation));
  n += ex->Byte(KEY(pprf->iDPCopies));
  for (int xi = 0; xi < 4; ++xi) n += ex->Float(KEY(pprf->fDPMargin[xi]), xi);
  n += ex->Byte(KEY(pprf->iDPZoomMode));
  n += ex->Short(KEY(pprf->iDPZoom));
  n += ex->Float(KEY(pprf->fDPZoomWidth));
  n += ex->Float(KEY(pprf->fDPZoomHeight));
  n += ex->Byte(KEY(pprf->iDPPosMode));
  for (int xi = 0; xi < 2; ++xi) n += ex->HexShort(KEY(pprf->iDPPrtPos[xi]), xi);
  n += ex->Byte(KEY(pprf->iDPNoClip));
  n += ex->Byte(KEY(pprf->iDPHeader));
  n += ex->Byte(KEY(pprf->iDPFooter));
  for (int xi = 0; xi < kHeaderTexts; ++xi) n += ex->String(TEXT_KEY(pprf->szDPHeader[xi]), xi);
  for (int xi = 0; xi < kHeaderTexts; ++xi) n += ex->String(TEXT_KEY(pprf->szDPFooter[xi]), xi);
  n += ex->String(TEXT_KEY(pprf->szDEEditor));
  n += ex->String(TEXT_KEY(pprf->szGComment));
  n += ex->Byte(KEY(pprf->iGHide));
  n += ex->Byte(KEY(pprf->iTIFComp));
  n += ex->String(TEXT_KEY(pprf->szDSTarget));
  n += ex->String(TEXT_KEY(pprf->szDSFname));
  n += ex->String(TEXT_KEY(pprf->szDXProfile));
  n += ex->Byte(KEY(pprf->iSCOHideSC));
  n += ex->Float(KEY(pprf->fIGAngle));
  n += ex->Byte(KEY(pprf->iIBGamma));
  n += ex->Byte(KEY(pprf->iIBSaturation));
  n += ex->Byte(KEY(pprf->iIBHue));
  n += ex->Byte(KEY(pprf->iIMSharpen));
  n += ex->Byte(KEY(pprf->iIMSoften));
  n += ex->String(TEXT_KEY(pprf->szDefSaveName));
  n += ex->String(TEXT_KEY(pprf->szDefDropName));
  n += ex->Binary(BINARY_KEY((PBYTE)&pprf->lfHeadFont, sizeof(pprf->lfHeadFont)));
  n += ex->HexInt(KEY(pprf->crHeadFont));
  n += ex->Int(KEY(pprf->iTxtOvl));
  n += ex->String(TEXT_KEY(pprf->szTxtOvlBuffer));
  n += ex->Binary(BINARY_KEY((PBYTE)&pprf->lfTxtOvlFont, sizeof(pprf->lfTxtOvlFont)));
  n += ex->Int(KEY(pprf->iTxtOvlXOff));
  n += ex->Int(KEY(pprf->iTxtOvlYOff));
  n += ex->Int(KEY(pprf->iTxtOvlRPos));
  n += ex->Int(KEY(pprf->iTxtOvlFrame));
  n += ex->Int(KEY(pprf->iTxtOvlAlign));
  n += ex->HexInt(KEY(pprf->crTxtOvlColor));
  n += ex->HexInt(KEY(pprf->crTxtOvlBgnd));
  return n.Count();
}

int ExchangeStiEvents(CSettingsExchange* ex, StiEvent* gaStiEvent) {
  CFieldCounter n(ex);
  for (int xi = 0; xi < kStiEventCount; ++xi) {
    n += ex->String(TEXT_KEY(gaStiEvent[xi].twainds), xi);
    n += ex->String(TEXT_KEY(gaStiEvent[xi].event), xi);
    n += ex->String(TEXT_KEY(gaStiEvent[xi].guid), xi);
    n += ex->String(TEXT_KEY(gaStiEvent[xi].profile), xi);
  }
  return n.Count();
}
