#include "framework/app/first_run_win.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "framework/app/restore_names.h"
#include "framework/files/file_search.h"
#include "framework/settings/data_files.h"
#include "framework/settings/data_path.h"
#include "framework/zip/zip.h"

namespace {

const uint32_t kKeepListMax = 2599;
const uint32_t kEntryLimit = 64u << 20;  // data files are small; refuse absurd sizes

void MakeWritable(const char* path) {
  DWORD attributes = GetFileAttributesA(path);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
    SetFileAttributesA(path, attributes & ~DWORD(FILE_ATTRIBUTE_READONLY));
}

void CreateParentFolder(const char* path) {
  char folder[kPathChars];
  snprintf(folder, sizeof(folder), "%s", path);
  char* slash = strrchr(folder, '\\');
  if (!slash) return;
  *slash = '\0';
  CreateDirectoryPath(folder, false);
}

// The shell's delete, one file per call so one failure does not stop the rest.
void ShellDeleteFile(const char* path) {
  char from[kPathChars + 2] = {};
  snprintf(from, sizeof(from) - 1, "%s", path);  // the final two zeros end the list
  SHFILEOPSTRUCTA operation = {};
  operation.wFunc = FO_DELETE;
  operation.pFrom = from;
  operation.fFlags = 1620;  // silent, no confirmation, allow undo, no error UI
  SHFileOperationA(&operation);
}

struct RestoredFile {
  char szPath[kPathChars];
  char szTemp[kPathChars];  // the new bytes wait here until every file is written
  uint8_t* pData;
  uint32_t ulSize;
};

// A file of the old configuration moved out of the way while the new one
// goes in: back to its place when the restore fails, else to the recycle bin.
struct SetAside {
  char szPath[kPathChars];
  char szAside[kPathChars];
};

const char kAsideSuffix[] = "_old";

void FreeRestored(CGrowArray<RestoredFile>* files) {
  for (int32_t i = 0; i < files->count; ++i) free(files->data[i].pData);
  files->RemoveAll();
}

// Reads the product entry: the keep list before its zero byte.
bool ReadKeepList(ZipHandle zip, const char* productName, int32_t* index, char* keep) {
  ZipEntryInfo info;
  if (ZipFindEntry(zip, productName, false, index, &info) != ZIP_OK || *index < 0) return false;
  if (info.ulUncompressedSize > kKeepListMax) return false;
  memset(keep, 0, kKeepListMax + 1);
  if (info.ulUncompressedSize == 0) return true;
  return ZipExtractToMemory(zip, *index, keep, info.ulUncompressedSize) == ZIP_OK;
}

bool ExtractEntry(ZipHandle zip, int32_t index, const char* dataFolder, RestoredFile* file) {
  ZipEntryInfo info;
  if (ZipGetEntry(zip, index, &info) != ZIP_OK) return false;
  file->pData = nullptr;
  file->ulSize = info.ulUncompressedSize;
  char local[kPathChars];
  if (!IsSafeRestoreName(info.szName) || !ToLocalSeparators(info.szName, local, sizeof(local)))
    return false;
  char joined[kPathChars * 2];
  snprintf(joined, sizeof(joined), "%s\\%s", dataFolder, local);
  char full[kPathChars];
  char* namePart = nullptr;
  DWORD length = GetFullPathNameA(joined, sizeof(full), full, &namePart);
  if (length == 0 || length >= sizeof(full) || !IsPathInsideFolder(full, dataFolder)) return false;
  snprintf(file->szPath, sizeof(file->szPath), "%s", full);
  if (!GetTempFilePath(file->szPath, file->szTemp)) return false;
  if (info.ulUncompressedSize > kEntryLimit) return false;
  file->pData = static_cast<uint8_t*>(malloc(info.ulUncompressedSize ? info.ulUncompressedSize : 1));
  if (!file->pData) return false;
  if (info.ulUncompressedSize == 0) return true;
  return ZipExtractToMemory(zip, index, file->pData, info.ulUncompressedSize) == ZIP_OK;
}

bool ExtractAll(ZipHandle zip, int32_t keepIndex, const char* dataFolder,
                CGrowArray<RestoredFile>* files) {
  ZipEntryInfo archive;
  if (ZipGetEntry(zip, -1, &archive) != ZIP_OK) return false;
  for (int32_t i = 0; i < archive.iIndex; ++i) {
    if (i == keepIndex) continue;
    ZipEntryInfo info;
    if (ZipGetEntry(zip, i, &info) != ZIP_OK) return false;
    size_t nameLength = strlen(info.szName);
    bool folder = (info.ulAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
                  (nameLength && (info.szName[nameLength - 1] == '/' ||
                                  info.szName[nameLength - 1] == '\\'));
    if (folder) continue;
    RestoredFile file = {};
    bool extracted = ExtractEntry(zip, i, dataFolder, &file);
    if (files->Append(&file, 1) < 0) {
      free(file.pData);
      return false;
    }
    if (!extracted) return false;
  }
  return true;
}

bool IsInList(const CFileSearch& list, const char* path) {
  for (int32_t i = 0; i < list.GetCount(); ++i)
    if (strcmp(list.GetAt(i), path) == 0) return true;
  return false;
}

bool FileExists(const char* path) {
  DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Every file of the old configuration that the restore removes or replaces:
// the data files a backup carries ("*.kzc" plus the extra backup patterns)
// that the keep list does not name, and every file a restored one lands on.
bool ListOldFiles(const char* dataFolder, const char* keep, const char* extra,
                  const CGrowArray<RestoredFile>& files, CGrowArray<SetAside>* old) {
  char patterns[CFileSearch::kPatternChars];
  snprintf(patterns, sizeof(patterns), "*.kzc%s%s", extra && extra[0] ? ";" : "",
           extra ? extra : "");
  CFileSearch carried(dataFolder, "%s", patterns);
  CFileSearch kept;
  if (keep[0]) kept.Search(dataFolder, "%s", keep);
  CGrowArray<const char*> paths;
  for (int32_t i = 0; i < carried.GetCount(); ++i) {
    const char* path = carried.GetAt(i);
    if (!IsInList(kept, path) && paths.Append(&path, 1) < 0) return false;
  }
  for (int32_t i = 0; i < files.count; ++i) {
    const char* path = files.data[i].szPath;
    if (FileExists(path) && paths.Append(&path, 1) < 0) return false;
  }
  for (int32_t i = 0; i < paths.count; ++i) {
    bool listed = false;
    for (int32_t j = 0; j < old->count && !listed; ++j)
      listed = lstrcmpiA(old->data[j].szPath, paths.data[i]) == 0;
    if (listed) continue;
    SetAside entry = {};
    snprintf(entry.szPath, sizeof(entry.szPath), "%s", paths.data[i]);
    if (snprintf(entry.szAside, sizeof(entry.szAside), "%s%s", entry.szPath, kAsideSuffix) >=
            kPathChars ||
        old->Append(&entry, 1) < 0)
      return false;
  }
  return true;
}

void RemoveTemporaries(const CGrowArray<RestoredFile>& files) {
  for (int32_t i = 0; i < files.count; ++i) {
    MakeWritable(files.data[i].szTemp);
    DeleteFileA(files.data[i].szTemp);
  }
}

// Every restored file into its temporary twin, checked: a full disk or an
// unwritable place fails here, before anything of the old configuration moved.
bool WriteTemporaries(const CGrowArray<RestoredFile>& files) {
  for (int32_t i = 0; i < files.count; ++i) {
    const RestoredFile& file = files.data[i];
    CreateParentFolder(file.szPath);
    MakeWritable(file.szTemp);
    int size = int(file.ulSize);
    if (WriteFileAt(file.szTemp, file.pData, size, kWriteTruncate) != size ||
        !FileExists(file.szTemp))
      return false;
  }
  return true;
}

void PutBack(const CGrowArray<SetAside>& old, int32_t count) {
  for (int32_t i = count - 1; i >= 0; --i)
    MoveFileExA(old.data[i].szAside, old.data[i].szPath, MOVEFILE_REPLACE_EXISTING);
}

// Moves the old files aside, the new ones into place, and on the first
// failure undoes every step, so the folder holds either the whole old or the
// whole new configuration.
bool SwapConfiguration(const CGrowArray<RestoredFile>& files, const CGrowArray<SetAside>& old) {
  int32_t moved = 0;
  for (; moved < old.count; ++moved)
    if (!MoveFileExA(old.data[moved].szPath, old.data[moved].szAside, MOVEFILE_REPLACE_EXISTING))
      break;
  if (moved < old.count) {
    PutBack(old, moved);
    return false;
  }
  int32_t placed = 0;
  for (; placed < files.count; ++placed)
    if (!MoveFileExA(files.data[placed].szTemp, files.data[placed].szPath, 0)) break;
  if (placed < files.count) {
    for (int32_t i = placed - 1; i >= 0; --i)
      MoveFileExA(files.data[i].szPath, files.data[i].szTemp, MOVEFILE_REPLACE_EXISTING);
    PutBack(old, old.count);
    return false;
  }
  return true;
}

bool WriteRestoredFiles(const char* dataFolder, const char* keep, const char* extra,
                        const CGrowArray<RestoredFile>& files) {
  CGrowArray<SetAside> old;
  bool restored = ListOldFiles(dataFolder, keep, extra, files, &old) && WriteTemporaries(files) &&
                  SwapConfiguration(files, old);
  RemoveTemporaries(files);
  if (!restored) return false;
  for (int32_t i = 0; i < old.count; ++i) {
    MakeWritable(old.data[i].szAside);
    ShellDeleteFile(old.data[i].szAside);
  }
  return true;
}

// The staged archive leaves its name before anything of it is applied, so a
// start never applies it twice, whatever happens to it later. False when it
// cannot be moved (locked): it then waits for a later start.
bool TakeStagedArchive(const char* archivePath, char* takenPath) {
  if (snprintf(takenPath, kPathChars, "%s.applied", archivePath) >= kPathChars) return false;
  MakeWritable(archivePath);  // a backup copied from read-only media
  MakeWritable(takenPath);
  return MoveFileExA(archivePath, takenPath, MOVEFILE_REPLACE_EXISTING) != 0;
}

}  // namespace

void CopyFirstRunFiles(const char* programFolder, const char* dataFolder) {
  if (ReadDataFile("(ORV)App", kNoIndex, nullptr, 0, 0) > 0) return;
  char appState[kPathChars];
  if (GetDataFilePath("(ORV)App", kNoIndex, appState, 0) &&
      GetFileAttributesA(appState) != INVALID_FILE_ATTRIBUTES)
    return;
  char initFolder[kPathChars];
  if (snprintf(initFolder, sizeof(initFolder), "%s\\Init", programFolder) >= kPathChars) return;
  CFileSearch search(initFolder, "%s", "*.*");
  size_t rootLength = strlen(initFolder);
  for (int32_t i = 0; i < search.GetCount(); ++i) {
    const char* source = search.GetAt(i);
    char target[kPathChars * 2];
    snprintf(target, sizeof(target), "%s\\%s", dataFolder, source + rootLength + 1);
    if (strlen(target) >= kPathChars) continue;
    CreateParentFolder(target);
    if (CopyFileA(source, target, TRUE)) MakeWritable(target);
  }
}

void ApplyPendingRestore(const char* dataFolder, const char* productName,
                         const char* extraBackupPatterns) {
  char archivePath[kPathChars];
  char takenPath[kPathChars];
  if (snprintf(archivePath, sizeof(archivePath), "%s\\%s.OrvalundConfig", dataFolder,
               productName) >= kPathChars ||
      GetFileAttributesA(archivePath) == INVALID_FILE_ATTRIBUTES ||
      !TakeStagedArchive(archivePath, takenPath))
    return;
  ZipHandle zip = ZipOpenFile(takenPath, nullptr);
  if (zip) {
    char* keep = static_cast<char*>(malloc(kKeepListMax + 1));
    int32_t keepIndex = -1;
    CGrowArray<RestoredFile> files;
    if (keep && ReadKeepList(zip, productName, &keepIndex, keep) &&
        ExtractAll(zip, keepIndex, dataFolder, &files))
      WriteRestoredFiles(dataFolder, keep, extraBackupPatterns, files);
    FreeRestored(&files);
    free(keep);
    ZipCloseReader(zip);
  }
  DeleteFileA(takenPath);
}
