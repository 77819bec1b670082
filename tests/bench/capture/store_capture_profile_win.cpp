// Stores the capture benchmark's settings in a data folder: profile 0, made
// current, grabs the whole screen and saves it as PNG under one fixed name
// (each press replaces the file), leaving the main window hidden; nothing
// waits (no hiding delay, no sound). No tray icon: without a system tray
// Wine shows its own tray window on the screen, which would be captured.
// Usage: bench_capture_profile.exe <data folder> <shots folder>
#include <windows.h>

#include <cstdio>

#include "app/profiles/profile_list.h"
#include "app/profiles/program_records.h"
#include "app/profiles/settings_store.h"
#include "framework/settings/data_folder.h"

int main(int argc, char** argv) {
  if (argc < 3 || !SetDataFolder(argv[1])) return 2;
  InitProgramRecords();
  ProfileRecord p = gProfileTemplate;
  snprintf(p.szName, sizeof p.szName, "Bench");
  p.ulSteps = kTemplateSteps | (1u << 13);  // capture, then the sequential save
  p.iSCMode = 3;
  p.iSCOMouse = 0;
  p.iSCOSound = 0;
  p.iSCOHideSC = 0;
  p.iSCOUseDelay = 0;
  p.iGHide = 1;
  snprintf(p.szDSPath, sizeof p.szDSPath, "%s", argv[2]);
  snprintf(p.szDSFile, sizeof p.szDSFile, "shot");
  p.iDSType = 3;  // PNG
  p.iPNGCompression = 0;
  p.iPNGInterlace = 0;
  if (SaveProfileByIndex(0, &p) != 0) return 3;
  gOptions.iTrayIcon = 0;
  gCurrentProfile = p;
  giCurrentProfile = 0;
  return SaveSettings() == 0 ? 0 : 4;
}
