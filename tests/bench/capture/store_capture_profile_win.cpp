// Stores the capture benchmark's settings in a data folder: profile 0, made
// current, grabs the whole screen and saves it as PNG under one fixed name
// (each press replaces the file), leaving the main window hidden; nothing
// waits (no hiding delay, no sound). No tray icon: without a system tray
// Wine shows its own tray window on the screen, which would be captured.
// With "processed" the image is also turned grey and halved (nearest
// neighbours) before the save.
// Usage: bench_capture_profile.exe <data folder> <shots folder> [processed]
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "app/document/image.h"
#include "app/profiles/profile_execution.h"
#include "app/profiles/profile_execution_rules.h"

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
  if (argc > 3 && strcmp(argv[3], "processed") == 0) {
    p.ulSteps |= MakeStepMask(kStepColorFormat, kStepGeometry, -1);
    p.iICMode = kColorClassGray;
    p.iIGResize = 1;
    p.iIGUnit = 2;  // per cent
    p.fIGNewW = p.fIGNewH = 50;
    p.fIGAspect = 0;
    p.iIGDpi = 0;
    p.iIGAntiAlias = 0;
  }
  if (SaveProfileByIndex(0, &p) != 0) return 3;
  gOptions.iTrayIcon = 0;
  gCurrentProfile = p;
  giCurrentProfile = 0;
  return SaveSettings() == 0 ? 0 : 4;
}
