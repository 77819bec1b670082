#pragma once
// CFileSearch collects every file below a folder (the folder and all its
// sub-folders) that matches any of a list of wildcard patterns, each file
// once. The start-up copies first-run files and applies a staged restore
// with it; the configuration backup finds the data files with it. Names
// ending in "_tmp" are data files' temporary twins and are never listed.
// Roots are compared in their long form, so a root given once in its 8.3
// form and once in its long form is searched once. Windows only
// (file_search_win.cpp).
#include <cstdarg>
#include <cstdint>

#include "framework/app/grow_array.h"

#if defined(__GNUC__)
#define BW_SEARCH_FORMAT(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define BW_SEARCH_FORMAT(fmt, args)
#endif

class CFileSearch {
 public:
  static constexpr int kPatternChars = 2600;
  static constexpr char kSeparator = ';';

  char szFolder[kPathChars];       // root folder
  char szPatterns[kPatternChars];  // "*.kzc;(ORV)*"
  char cSeparator = kSeparator;
  CPathArray folders;              // the root and every sub-folder, depth first
  CPathArray files;                // full paths of the matching files
  // What the search could not list, for a backup to warn about: each
  // matching file whose path passes 259 characters, once, and each folder
  // that could not be entered (its path too long to search, or not listable).
  int32_t iSkipped = 0;

  CFileSearch();
  // Stores the folder and the formatted pattern list and searches at once.
  CFileSearch(const char* folder, const char* patternFormat, ...) BW_SEARCH_FORMAT(3, 4);

  void Clear();  // no folder, no patterns, empty lists
  // Stores both anew and searches; returns the number of files found.
  int32_t Search(const char* folder, const char* patternFormat, ...) BW_SEARCH_FORMAT(3, 4);
  // The search itself: -1 without a folder, 0 with an empty pattern list,
  // else the number of files in the list. With `reset` both lists start
  // empty; without, what they hold stays and only new folders are searched.
  int32_t FindFiles(bool reset);
  // Appends every sub-folder of `folder`, recursively, depth first; folders
  // already listed (ignoring case) and linked folders are not entered.
  void AddSubfolders(const char* folder);

  int32_t GetCount() const { return files.count; }
  const char* GetAt(int32_t index) const { return files.GetAt(index); }

 private:
  // Keeps the folder and the formatted list; a list that would be cut is
  // dropped whole.
  void Store(const char* folder, const char* patternFormat, va_list args);
  // Appends the matches of one pattern in one folder; `leftOut` holds the
  // names of this folder already counted as too long.
  void SearchFolder(const char* folder, const char* pattern, CPathArray* leftOut);
};
