#include "app/profiles/legacy_settings.h"

#include <cstddef>
#include <cstring>

namespace {

struct OldField {
  uint16_t offset;
  uint16_t width;
};

#define OPTION_FIELD(field) {offsetof(OptionsRecord, field), sizeof(OptionsRecord::field)}
#define PROFILE_FIELD(field) {offsetof(ProfileRecord, field), sizeof(ProfileRecord::field)}
#define HEADER_FIELD(field, i) \
  {offsetof(ProfileRecord, field) + (i) * kHeaderTextChars, kHeaderTextChars}

// Record 0 of an old options blob: fields 0-38, iAutoStart to iASTolerance.
const OldField kOldOptionFields[] = {
    OPTION_FIELD(iAutoStart),    OPTION_FIELD(iCloseToTray),  OPTION_FIELD(iConfirm),
    OPTION_FIELD(iAutoZoom),     OPTION_FIELD(iUnits),        OPTION_FIELD(iTrayIcon),
    OPTION_FIELD(iTrayClick),    OPTION_FIELD(iTrayAction),   OPTION_FIELD(iMonSize),
    OPTION_FIELD(fMonWidth),     OPTION_FIELD(fMonHeight),    OPTION_FIELD(iPreserveText),
    OPTION_FIELD(iCollectText),  OPTION_FIELD(szCBText),      OPTION_FIELD(iDelCBText),
    OPTION_FIELD(iLaunchHL),     OPTION_FIELD(iPreset),       OPTION_FIELD(iHideOnAction),
    OPTION_FIELD(iPrtNumber),    OPTION_FIELD(iDPInitNumber), OPTION_FIELD(szSaveAsPath),
    OPTION_FIELD(szOpenPath),    OPTION_FIELD(iSaveAsType),   OPTION_FIELD(iOpenType),
    OPTION_FIELD(iCaptureDelay), OPTION_FIELD(iCaptureDelayTime), OPTION_FIELD(szLoadPath),
    OPTION_FIELD(szLoadExt),     OPTION_FIELD(iShowDrawBar),  OPTION_FIELD(iTool),
    OPTION_FIELD(cFore),         OPTION_FIELD(cBack),         OPTION_FIELD(iBackFill),
    OPTION_FIELD(iBrushSize),    OPTION_FIELD(lfFont),        OPTION_FIELD(iTextFrame),
    OPTION_FIELD(cPalette),      OPTION_FIELD(iUndoBufMB),    OPTION_FIELD(iASTolerance),
};
static_assert(sizeof(kOldOptionFields) / sizeof(OldField) == 39, "fields 0-38");

// The record number of the hotkeys in an old options blob (entry i: field 2i
// the key, 2i + 1 the profile name).
constexpr int kOldHotkeyRecord = 1;

// Record 0 of an old profile blob: fields 0-101, szName to crHeadFont. The
// scan frame (29) is skipped: it is not kept in the current settings either.
constexpr int kOldScanFrameField = 29;
const OldField kOldProfileFields[] = {
    PROFILE_FIELD(szName),        PROFILE_FIELD(iSubs),         PROFILE_FIELD(iLevel),
    PROFILE_FIELD(iVersion),      PROFILE_FIELD(ulSteps),       PROFILE_FIELD(iSCMode),
    PROFILE_FIELD(iSCArea),       PROFILE_FIELD(iSCWidth),      PROFILE_FIELD(iSCHeight),
    PROFILE_FIELD(iSCMonitor),    PROFILE_FIELD(iSCOMouse),     PROFILE_FIELD(iSCOSound),
    PROFILE_FIELD(iSCOShowDim),   PROFILE_FIELD(iSCOUseDelay),  PROFILE_FIELD(iSCODelay),
    PROFILE_FIELD(iSOMode),       PROFILE_FIELD(iSORemPath),    PROFILE_FIELD(szSOPath),
    PROFILE_FIELD(szSOFile),      PROFILE_FIELD(szSTSource),    PROFILE_FIELD(iSTChangeB),
    PROFILE_FIELD(iSTChangeC),    PROFILE_FIELD(iSTODialog),    PROFILE_FIELD(iSTOUsePar),
    PROFILE_FIELD(iSTODpi),       PROFILE_FIELD(iSTOColor),     PROFILE_FIELD(iSTOArea),
    PROFILE_FIELD(fSTOWidth),     PROFILE_FIELD(fSTOHeight),    PROFILE_FIELD(fSTOFrame),
    PROFILE_FIELD(iICMode),       PROFILE_FIELD(iICDither),     PROFILE_FIELD(iICInvert),
    PROFILE_FIELD(iICAutoInv),    PROFILE_FIELD(iICWinPal),     PROFILE_FIELD(iICReplCol),
    PROFILE_FIELD(iICNumRCol),    PROFILE_FIELD(rgbICCol1),     PROFILE_FIELD(rgbICCol2),
    PROFILE_FIELD(iIGAutoSel),    PROFILE_FIELD(iIGFlipH),      PROFILE_FIELD(iIGFlipV),
    PROFILE_FIELD(iIGRotate),     PROFILE_FIELD(iIGResize),     PROFILE_FIELD(fIGNewW),
    PROFILE_FIELD(fIGNewH),       PROFILE_FIELD(iIGUnit),       PROFILE_FIELD(iIGDpi),
    PROFILE_FIELD(iIGAntiAlias),  PROFILE_FIELD(fIGAspect),     PROFILE_FIELD(iIBBrightness),
    PROFILE_FIELD(iIBContrast),   PROFILE_FIELD(iDARemPath),    PROFILE_FIELD(szDAPath),
    PROFILE_FIELD(szDSFile),      PROFILE_FIELD(iDSType),       PROFILE_FIELD(szDSPath),
    PROFILE_FIELD(iGIFLzw),       PROFILE_FIELD(iGIFReduce24),  PROFILE_FIELD(iGIFDither),
    PROFILE_FIELD(iGIFWinPal),    PROFILE_FIELD(iJPGMode),      PROFILE_FIELD(iJPGQuality),
    PROFILE_FIELD(iPNGInterlace), PROFILE_FIELD(iPNGCompression), PROFILE_FIELD(szDPPrinter),
    PROFILE_FIELD(iDPOrientation), PROFILE_FIELD(iDPCopies),    PROFILE_FIELD(fDPMargin),
    PROFILE_FIELD(iDPZoomMode),   PROFILE_FIELD(iDPZoom),       PROFILE_FIELD(fDPZoomWidth),
    PROFILE_FIELD(fDPZoomHeight), PROFILE_FIELD(iDPPosMode),    PROFILE_FIELD(iDPPrtPos),
    PROFILE_FIELD(iDPNoClip),     PROFILE_FIELD(iDPHeader),     PROFILE_FIELD(iDPFooter),
    HEADER_FIELD(szDPHeader, 0),  HEADER_FIELD(szDPHeader, 1),  HEADER_FIELD(szDPHeader, 2),
    HEADER_FIELD(szDPFooter, 0),  HEADER_FIELD(szDPFooter, 1),  HEADER_FIELD(szDPFooter, 2),
    PROFILE_FIELD(szDEEditor),    PROFILE_FIELD(szGComment),    PROFILE_FIELD(iGHide),
    PROFILE_FIELD(iTIFComp),      PROFILE_FIELD(szDSTarget),    PROFILE_FIELD(szDSFname),
    PROFILE_FIELD(szDXProfile),   PROFILE_FIELD(iSCOHideSC),    PROFILE_FIELD(fIGAngle),
    PROFILE_FIELD(iIBGamma),      PROFILE_FIELD(iIBSaturation), PROFILE_FIELD(iIBHue),
    PROFILE_FIELD(iIMSharpen),    PROFILE_FIELD(iIMSoften),     PROFILE_FIELD(szDefSaveName),
    PROFILE_FIELD(szDefDropName), PROFILE_FIELD(lfHeadFont),    PROFILE_FIELD(crHeadFont),
};
static_assert(sizeof(kOldProfileFields) / sizeof(OldField) == 102, "fields 0-101");

// The old raw options record: the eight leading one-byte options, then the
// 32 hotkeys; where its other fields lay is not known, so they keep their
// defaults.
constexpr size_t kOldLeadingOptions = 8;
constexpr size_t kOldHotkeysOffset = 8;

bool LooksLikeArchive(const CDataBlob* blob) {
  return blob->count >= 4 && memcmp(blob->data, "PK\x03\x04", 4) == 0;
}

// Copies one blob field over `width` bytes of the record; a field of no bytes
// is not a field. True when one was copied.
bool ReadOldField(CDataBlob* blob, int key, int field, uint8_t* target, int width) {
  uint8_t value[kRecordPathChars];
  if (width > static_cast<int>(sizeof(value))) return false;
  if (ReadBlobRecord(blob, key, field, value, width) <= 0) return false;
  memcpy(target, value, width);
  return true;
}

int ReadOldFields(CDataBlob* blob, const OldField* fields, int count, int skip, void* record) {
  int found = 0;
  for (int i = 0; i < count; ++i) {
    if (i == skip) continue;
    uint8_t* target = static_cast<uint8_t*>(record) + fields[i].offset;
    if (ReadOldField(blob, 0, i, target, fields[i].width)) ++found;
  }
  return found;
}

}  // namespace

bool ImportOldOptions(CDataBlob* blob, OptionsRecord* options) {
  if (!blob->data || LooksLikeArchive(blob)) return false;
  OptionsRecord old = *options;
  if (blob->count == kOldOptionsBytes) {
    memcpy(&old, blob->data, kOldLeadingOptions);
    memcpy(old.hkHotkey, blob->data + kOldHotkeysOffset, sizeof(old.hkHotkey));
  } else {
    if (!IsWholeBlob(blob)) return false;
    int found = ReadOldFields(blob, kOldOptionFields, 39, -1, &old);
    for (int i = 0; i < kHotkeyCount; ++i) {
      HotkeyEntry& entry = old.hkHotkey[i];
      found += ReadOldField(blob, kOldHotkeyRecord, 2 * i, reinterpret_cast<uint8_t*>(&entry.hotkey),
                            sizeof(entry.hotkey));
      found += ReadOldField(blob, kOldHotkeyRecord, 2 * i + 1,
                            reinterpret_cast<uint8_t*>(entry.profile), sizeof(entry.profile));
    }
    if (found == 0) return false;
  }
  // Earlier versions kept clipboard text by default and used another
  // tolerance scale: both start over.
  old.iPreserveText = 0;
  old.iASTolerance = 16;
  *options = old;
  return true;
}

bool ImportOldProfile(CDataBlob* blob, ProfileRecord* profile) {
  if (!blob->data || LooksLikeArchive(blob)) return false;
  // Nothing of the old raw profile's layout is known for certain: it becomes
  // the template.
  if (blob->count == kOldProfileBytes) return true;
  if (!IsWholeBlob(blob)) return false;
  ProfileRecord old = *profile;
  if (ReadOldFields(blob, kOldProfileFields, 102, kOldScanFrameField, &old) == 0) return false;
  *profile = old;
  return true;
}

bool ImportOldStiEvents(CDataBlob* blob, StiEvent* events) {
  if (!blob->data || LooksLikeArchive(blob)) return false;
  if (blob->count == kOldStiEventsBytes) {
    memcpy(events, blob->data, kOldStiEventsBytes);
    SanitizeStiEvents(events);
    return true;
  }
  if (!IsWholeBlob(blob)) return false;
  StiEvent old[kStiEventCount];
  memcpy(old, events, sizeof(old));
  int found = 0;
  for (int i = 0; i < kStiEventCount; ++i) {
    found += ReadOldField(blob, i, 0, reinterpret_cast<uint8_t*>(old[i].twainds), sizeof(old[i].twainds));
    found += ReadOldField(blob, i, 1, reinterpret_cast<uint8_t*>(old[i].event), sizeof(old[i].event));
    found += ReadOldField(blob, i, 2, reinterpret_cast<uint8_t*>(old[i].guid), sizeof(old[i].guid));
    found += ReadOldField(blob, i, 3, reinterpret_cast<uint8_t*>(old[i].profile), sizeof(old[i].profile));
  }
  if (found == 0) return false;
  memcpy(events, old, sizeof(old));
  return true;
}
