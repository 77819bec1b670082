#include "framework/files/file_search.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "framework/files/file_finder.h"
#include "framework/files/wildcard.h"

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
  CFileFinder finder("%s\\*.*", folder);
  char path[kPathChars];
  while (finder.Next()) {
    const WIN32_FIND_DATAA& found = finder.GetFindData();
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
    if (!strcmp(found.cFileName, ".") || !strcmp(found.cFileName, "..")) continue;
    // A linked folder (a junction, or a Unix symlink under Wine) may lead back
    // up the tree; following it would list every file again and again.
    if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) continue;
    if (!JoinPath(path, folder, found.cFileName)) {
      ++iSkipped;
      continue;
    }
    if (IndexOfPathI(folders, path) >= 0) continue;
    folders.AppendText(path);
    AddSubfolders(path);
  }
  iSkipped += finder.GetSkipped();
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
  if (IndexOfPathI(folders, szFolder) < 0) {
    folders.AppendText(szFolder);
    AddSubfolders(szFolder);
  }
  char path[kPathChars];
  for (int32_t i = first; i < folders.count; ++i) {
    const char* rest = szPatterns;
    while ((rest = NextListItem(rest, cSeparator, pattern, sizeof pattern)) != nullptr) {
      if (!JoinPath(path, folders.GetAt(i), pattern)) {
        ++iSkipped;
        continue;
      }
      CFileFinder finder("%s", path);
      while (finder.Next()) {
        if (finder.IsFolder() || IndexOfPathI(files, finder.GetPath()) >= 0) continue;
        files.AppendText(finder.GetPath());
      }
      iSkipped += finder.GetSkipped();
    }
  }
  return files.count;
}
