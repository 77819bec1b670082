#include "framework/app/app_state.h"

#include <cstring>

void SetAppStateDefaults(AppStateRecord* state) {
  memset(state, 0, sizeof(*state));
  state->bColorScheme = kAppStateDefaultScheme;
  state->aulThemeValues[0] = 0xEE6E18;
  state->aulThemeValues[2] = 0x55ADFF;
}

void SanitizeAppState(AppStateRecord* state) {
  if (state->iLanguage < 0 || state->iLanguage > 1) state->iLanguage = 0;
  state->szFontFace[sizeof(state->szFontFace) - 1] = '\0';
}

void GetStateFontFace(const AppStateRecord& state, char face[32]) {
  size_t length = strnlen(state.szFontFace, sizeof(state.szFontFace));
  if (length > 31) length = 31;
  memcpy(face, state.szFontFace, length);
  face[length] = '\0';
}

void SanitizeInstallRecord(InstallRecord* record) {
  record->szProgramFolder[sizeof(record->szProgramFolder) - 1] = '\0';
  record->szCustomDataFolder[sizeof(record->szCustomDataFolder) - 1] = '\0';
  record->szUpdateUrl[sizeof(record->szUpdateUrl) - 1] = '\0';
  record->szDownloadUrl[sizeof(record->szDownloadUrl) - 1] = '\0';
}
