#pragma once
// The records the application object keeps across runs: its own state in the
// data file "(ORV)App" and the install record that setup leaves in the
// machine registry. Both are byte layouts other programs and older files rely
// on, so they are packed and their offsets checked here.
#include <cstddef>
#include <cstdint>

#pragma pack(push, 1)

// "(ORV)App": 297 bytes, little-endian.
struct AppStateRecord {
  int32_t iLanguage;          // string-table language; only 0 and 1 exist
  int32_t iLayoutVersion;     // layout of the stored window and bar placements
  uint8_t bColorScheme;       // 255 = follow the system
  uint32_t aulThemeValues[6]; // custom theme colours and values
  char szFontFace[260];       // user-interface font face, empty = default
  int32_t iFontSize;          // user-interface font size, 0 = default
};

// Binary registry value HKLM\Software\Orvalund\<product>: the first 1,326
// bytes count; the bytes between the fields belong to setup.
struct InstallRecord {
  uint8_t abSetup0[16];
  uint16_t wCustomDataFolder;   // nonzero: both data folders are szCustomDataFolder
  uint16_t wAppendUserName;     // nonzero: the data folder gets "\<user>"
  char szProgramFolder[260];    // holds "Init" and the executable
  char szCustomDataFolder[260];
  uint8_t abSetup1[260];
  char szUpdateUrl[260];        // fetched by the update check
  char szDownloadUrl[260];      // opened by the update dialog
  uint8_t abSetup2[6];
};

#pragma pack(pop)

static_assert(sizeof(AppStateRecord) == 297, "(ORV)App is 297 bytes");
static_assert(offsetof(AppStateRecord, iLayoutVersion) == 4, "layout");
static_assert(offsetof(AppStateRecord, bColorScheme) == 8, "layout");
static_assert(offsetof(AppStateRecord, aulThemeValues) == 9, "layout");
static_assert(offsetof(AppStateRecord, szFontFace) == 33, "layout");
static_assert(offsetof(AppStateRecord, iFontSize) == 293, "layout");

static_assert(sizeof(InstallRecord) == 1326, "install record is 1,326 bytes");
static_assert(offsetof(InstallRecord, wCustomDataFolder) == 16, "layout");
static_assert(offsetof(InstallRecord, wAppendUserName) == 18, "layout");
static_assert(offsetof(InstallRecord, szProgramFolder) == 20, "layout");
static_assert(offsetof(InstallRecord, szCustomDataFolder) == 280, "layout");
static_assert(offsetof(InstallRecord, szUpdateUrl) == 800, "layout");
static_assert(offsetof(InstallRecord, szDownloadUrl) == 1060, "layout");

const int kAppStateDefaultScheme = 255;

// Zeroes the record and sets the defaults of a first start.
void SetAppStateDefaults(AppStateRecord* state);

// Makes a record read from disk safe to use: a language index outside 0..1
// (the field is signed) becomes 0, the face name is terminated.
void SanitizeAppState(AppStateRecord* state);

// Copies the face name as a LOGFONT takes it: at most 31 characters.
void GetStateFontFace(const AppStateRecord& state, char face[32]);

// Terminates every text field, whatever setup wrote into it.
void SanitizeInstallRecord(InstallRecord* record);
