#include <windows.h>

#include <cstdio>
#include <cstring>

#include "app/document/history.h"
#include "app/operations/operation_launch.h"
#include "app/operations/operation_rules.h"
#include "app/operations/save_as_dialog.h"
#include "app/profiles/program_records.h"
#include "framework/ui/dialog_helpers_win.h"

namespace {

const char kSaveAsFilters[] =
    "All supported formats\0*.bmp;*.gif;*.jpg;*.png;*.tif\0BMP\0*.bmp\0GIF\0*.gif\0JPG\0*.jpg\0"
    "PNG\0*.png\0TIF\0*.tif\0Optimized\0*.opt;*.jpg;*.png\0";
constexpr int kSaveAsFilterCount = 7;

}  // namespace

const char* SaveImageAsDialog(const ProfileRecord* profile) {
  char initialName[kMaxPathChars + 1] = {};
  if (profile && profile->szDefSaveName[0] &&
      !ExpandFileName(profile->szDefSaveName, initialName, sizeof(initialName)))
    initialName[0] = '\0';
  // An opened file is saved beside itself in its own format by default, and
  // that choice is not remembered as the user's.
  const bool besideOpenedFile = gbLoadedFromFile != 0;
  char folder[kRecordPathChars];
  int filter;
  if (besideOpenedFile) {
    snprintf(folder, sizeof(folder), "%s", gOptions.szLoadPath);
    filter = SaveAsFilterOfExtension(gOptions.szLoadExt);
  } else {
    snprintf(folder, sizeof(folder), "%s", gOptions.szSaveAsPath);
    filter = gOptions.iSaveAsType < kSaveAsFilterCount ? gOptions.iSaveAsType : 0;
  }
  int chosen = filter;
  const char* path = GetFileNameDialog(true, kSaveAsFilters, filter, &chosen, folder, initialName);
  if (!path) return nullptr;
  if (!besideOpenedFile) {
    snprintf(gOptions.szSaveAsPath, sizeof(gOptions.szSaveAsPath), "%s", folder);
    gOptions.iSaveAsType = uint8_t(chosen >= 0 && chosen < kSaveAsFilterCount ? chosen : 0);
  }
  if (HWND main = static_cast<HWND>(OperationOwnerWindow())) SetActiveWindow(main);
  return path;
}
