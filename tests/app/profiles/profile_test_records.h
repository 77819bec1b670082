#pragma once
// Profiles for tests, made as the profile dialogs will make them: from the
// built-in template, with the steps a test needs switched on.
#include <cstdio>
#include <cstring>
#include <string>

#include "app/profiles/profile_execution.h"
#include "app/profiles/profile_execution_rules.h"
#include "app/profiles/profile_list.h"
#include "app/profiles/program_records.h"

// A plain profile from the template: no steps, the main window left shown.
inline ProfileRecord Plain(const char* name = "Plain") {
  ProfileRecord p;
  InitNewProfile(&p);
  memset(p.szName, 0, sizeof p.szName);
  strncpy(p.szName, name, sizeof p.szName - 1);
  p.ulSteps = 0;
  p.iGHide = 0;
  p.iSCOHideSC = 0;
  p.iSCOSound = 0;
  p.iSCOMouse = 0;
  p.iSCOUseDelay = 0;
  p.iTxtOvl = 0;
  p.iICMode = kKeepColorClass;
  return p;
}

inline void CaptureArea(ProfileRecord* p, int left, int top, int right, int bottom) {
  p->ulSteps |= MakeStepMask(kStepCapture, -1);
  p->iSCMode = 4;
  p->iSCArea[0] = int16_t(left);
  p->iSCArea[1] = int16_t(top);
  p->iSCArea[2] = int16_t(right);
  p->iSCArea[3] = int16_t(bottom);
}

inline void OpenFile(ProfileRecord* p, const std::string& path) {
  p->ulSteps |= MakeStepMask(kStepOpen, -1);
  p->iSOMode = 1;
  snprintf(p->szSOFile, sizeof p->szSOFile, "%s", path.c_str());
}

inline void SaveTo(ProfileRecord* p, const std::string& folder, const char* file) {
  p->ulSteps |= MakeStepMask(kStepSaveSequential, -1);
  snprintf(p->szDSPath, sizeof p->szDSPath, "%s", folder.c_str());
  snprintf(p->szDSFile, sizeof p->szDSFile, "%s", file);
  p->iDSType = 3;
}
