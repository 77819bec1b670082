#include "framework/files/file_search.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "framework/files/file_finder.h"
#include "framework/files/wildcard.h"
#include "framework/settings/data_path.h"

namespace {

int32_t IndexOfPathI(const CPathArray& list, const char* path) {
  for (int32_t i = 0; i < list.count; ++i)
    if (_stricmp(list.GetAt(i), path) == 0) return i;
  return -1;
}

// "%s\%s" of folder and name into `out` (kPathChars); false when too long.
bool JoinPath(char* out, const char* folder, const char* name) {
  int n = snprintf(out, kPathChars, "%s\\%s", folder, name);
  return n >= 0 && n < kPathChars;
}

// A folder is searched through "<folder>\*"; a deeper one could hold no file
// whose path fits anyway.
bool CanEnter(const char* folder) { return strlen(folder) + 2 < kPathChars; }

// A folder whose listing failed for another reason than being empty.
bool CouldNotList(const CFileFinder& finder) {
  DWORD error = finder.GetOpenError();
  return error != NO_ERROR && error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND &&
         error != ERROR_NO_MORE_FILES;
}

// A data file's temporary twin ("Options.kzc_tmp") is half of a write in
// progress or the rest of a failed one, never a file of its own.
bool IsTempFileName(const char* name) {
  size_t n = strlen(name), k = strlen(kTempFileSuffix);
  return n >= k && _stricmp(name + n - k, kTempFileSuffix) == 0;
}

// The long form of an existing folder; the text as it is when there is none.
void LongFormOf(const char* folder, char* out) {
  DWORD n = GetLongPathNameA(folder, out, kPathChars);
  if (n == 0 || n >= static_cast<DWORD>(kPathChars)) snprintf(out, kPathChars, "%s", folder);
}

// Whether a root is listed already, also in another form: "C:\PROGRA~1\x"
// and "C:\Program Files\x" are one folder. The list keeps each folder in the
// form it was given, so callers find their files under the root they named.
bool HasFolder(const CPathArray& folders, const char* folder) {
  if (IndexOfPathI(folders, folder) >= 0) return true;
  char wanted[kPathChars], listed[kPathChars];
  LongFormOf(folder, wanted);
  for (int32_t i = 0; i < folders.count; ++i) {
    LongFormOf(folders.GetAt(i), listed);
    if (_stricmp(listed, wanted) == 0) return true;
  }
  return false;
}

}  // namespace

CFileSearch::CFileSearch() { Clear(); }

CFileSearch::CFileSearch(const char* folder, const char* patternFormat, ...) {
  Clear();
  va_list args;
  va_start(args, patternFormat);
  Store(folder, patternFormat, args);
  va_end(args);
  FindFiles(true);
}

void CFileSearch::Store(const char* folder, const char* patternFormat, va_list args) {
  snprintf(szFolder, sizeof szFolder, "%s", folder ? folder : "");
  int n = vsnprintf(szPatterns, sizeof szPatterns, patternFormat, args);
  if (n < 0 || n >= kPatternChars) szPatterns[0] = '\0';
}

void CFileSearch::Clear() {
  szFolder[0] = '\0';
  szPatterns[0] = '\0';
  cSeparator = kSeparator;
  folders.RemoveAll();
  files.RemoveAll();
  iSkipped = 0;
}

int32_t CFileSearch::Search(const char* folder, const char* patternFormat, ...) {
  va_list args;
  va_start(args, patternFormat);
  Store(folder, patternFormat, args);
  va_end(args);
  return FindFiles(true);
}

void CFileSearch::AddSubfolders(const char* folder) {
  CFileFinder finder("%s\\*", folder);
  char path[kPathChars];
  bool listed = false;
  while (finder.NextEntry()) {
    listed = true;
    const WIN32_FIND_DATAA& found = finder.GetFindData();
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
    if (!strcmp(found.cFileName, ".") || !strcmp(found.cFileName, "..")) continue;
    // A linked folder (a junction, or a Unix symlink under Wine) may lead back
    // up the tree; following it would list every file again and again.
    if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) continue;
    if (!JoinPath(path, folder, found.cFileName) || !CanEnter(path)) {
      ++iSkipped;
      continue;
    }
    if (IndexOfPathI(folders, path) >= 0) continue;
    folders.AppendText(path);
    AddSubfolders(path);
  }
  if (!listed && CouldNotList(finder)) ++iSkipped;
}

void CFileSearch::SearchFolder(const char* folder, const char* pattern, CPathArray* leftOut) {
  // Where "<folder>\<pattern>" does not fit but "<folder>\*" does, every
  // name is listed and matched here.
  char query[kPathChars];
  bool direct = JoinPath(query, folder, pattern);
  CFileFinder finder("%s\\%s", folder, direct ? pattern : "*");
  while (finder.NextEntry()) {
    const char* name = finder.GetFindData().cFileName;
    if (finder.IsFolder() || IsTempFileName(name)) continue;
    if (!direct && !MatchFileName(pattern, name)) continue;
    if (!finder.PathFits()) {
      // Counted once, however many patterns match it.
      if (IndexOfPathI(*leftOut, name) < 0) {
        leftOut->AppendText(name);
        ++iSkipped;
      }
      continue;
    }
    if (IndexOfPathI(files, finder.GetPath()) < 0) files.AppendText(finder.GetPath());
  }
}

int32_t CFileSearch::FindFiles(bool reset) {
  if (!szFolder[0]) return -1;
  if (reset) {
    folders.RemoveAll();
    files.RemoveAll();
    iSkipped = 0;
  }
  char pattern[kPathChars];
  if (!NextListItem(szPatterns, cSeparator, pattern, sizeof pattern)) return 0;
  int32_t first = folders.count;
  if (!HasFolder(folders, szFolder)) {
    if (CanEnter(szFolder)) {
      folders.AppendText(szFolder);
      AddSubfolders(szFolder);
    } else {
      ++iSkipped;
    }
  }
  CPathArray leftOut;
  for (int32_t i = first; i < folders.count; ++i) {
    leftOut.RemoveAll();
    const char* rest = szPatterns;
    while ((rest = NextListItem(rest, cSeparator, pattern, sizeof pattern)) != nullptr)
      SearchFolder(folders.GetAt(i), pattern, &leftOut);
  }
  return files.count;
}
