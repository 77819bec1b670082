// Open and save by path: the codec comes from the text after the name's last
// dot, the file is read or written on a worker, and the program's state
// (history, names, last folders, tool) changes only afterwards, here.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "app/document/history.h"
#include "app/operations/image_compute.h"
#include "app/operations/image_operations.h"
#include "app/operations/image_save.h"
#include "app/operations/operation_launch.h"
#include "app/operations/operation_runner.h"
#include "app/profiles/program_records.h"
#include "app/startup/program_hooks.h"

namespace {

struct LoadJob {
  const char* path;
  int32_t type;
  CImage* image = nullptr;
};

OperationError LoadWorker(void* argument) {
  LoadJob* job = static_cast<LoadJob*>(argument);
  CImage* image = new (std::nothrow) CImage;
  if (!image) return OperationCode(OpOpen, ErrNoMemory);
  SetProgressSource(image);
  const bool loaded = image->Load(job->path, job->type) && image->IsValid();
  SetProgressSource(nullptr);
  if (!loaded || image->GetEscape() > 0) {
    delete image;
    return OperationCode(OpOpen, ErrUnknownFileFormat);
  }
  job->image = image;
  return 0;
}

void RememberLoadFolder(const char* path) {
  const char* slash = strrchr(path, '\\');
  const int folder = slash ? int(slash - path) : 0;
  snprintf(gOptions.szLoadPath, sizeof(gOptions.szLoadPath), "%.*s", folder, path);
  const char* ext = PathExtension(path);
  snprintf(gOptions.szLoadExt, sizeof(gOptions.szLoadExt), "%s", ext ? ext : "");
}

struct SaveJob {
  const ProfileRecord* profile;
  const char* path;
  char finalPath[kMaxPathChars + 1] = {};
};

OperationError SaveWorker(void* argument) {
  SaveJob* job = static_cast<SaveJob*>(argument);
  std::unique_ptr<CImage> crop(CropCurrentSelection());
  if (!crop) return OperationCode(OpSave, ErrNoMemory);
  SetProgressSource(crop.get());
  const OperationError result =
      SaveImageTo(crop.get(), *job->profile, job->path, job->finalPath, sizeof(job->finalPath));
  SetProgressSource(nullptr);
  return result;
}

}  // namespace

OperationError LoadImageFile(const char* path) {
  // A name the system cannot hold whole is never cut into another file's.
  if (!path || !*path || strlen(path) > size_t(kMaxPathChars))
    return OperationCode(OpOpen, ErrFileNotFound);
  LoadJob job = {path, ImageTypeOfPath(path, RASTER_FORMAT_UNKNOWN)};
  OperationError result;
  {
    BusyDisplay busy("Loading:");
    result = RunImageOperation(LoadWorker, &job);
  }
  if (result != 0 || !job.image) return result;
  job.image->SelectAll();
  result = CommitNewState(job.image, path, 1, OpOpen);
  if (result != 0) return result;
  RememberLoadFolder(path);
  if (gProgramHooks.pfnSelectDrawTool) gProgramHooks.pfnSelectDrawTool(0);
  return 0;
}

OperationError SaveImageFile(const ProfileRecord* profile, const char* path) {
  if (!IsHistoryIndexValid(giCurrentImage)) return OperationCode(OpSave, ErrNoImage);
  char expanded[kMaxPathChars + 1];
  if (!path || !ExpandFileName(path, expanded, sizeof(expanded)))
    return OperationCode(OpSave, ErrFunctionFailed);
  SaveJob job;
  job.profile = profile;
  job.path = expanded;
  OperationError result;
  {
    BusyDisplay busy("Saving:");
    result = RunImageOperation(SaveWorker, &job);
  }
  if (result != 0) return result;
  gbImageChanged = 0;
  CImage* current = GetHistoryImage(giCurrentImage);
  snprintf(current->szName, sizeof(current->szName), "%s", job.finalPath);
  UpdateMainWindowTitle(current->szName);
  if (gProgramHooks.pfnUpdateStatusBar) gProgramHooks.pfnUpdateStatusBar(0);
  return 0;
}

OperationError SaveToProfileDestination(const ProfileRecord* profile) {
  if (!profile->szDSPath[0] && !profile->szDSFile[0]) return OperationCode(OpSave, ErrNoSavePath);
  char joined[kMaxPathChars + 1];
  char path[kMaxPathChars + 1];
  if (!JoinDestinationPath(profile->szDSPath, profile->szDSFile, joined, sizeof(joined)) ||
      !ExpandFileName(joined, path, sizeof(path)) ||
      !FinishDestinationPath(path, sizeof(path), profile->iDSType))
    return OperationCode(OpSave, ErrFunctionFailed);
  return SaveImageFile(profile, path);
}
