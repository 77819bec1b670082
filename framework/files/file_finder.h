#pragma once
// CFileFinder walks the matches of one wildcard pattern ("D:\x\*.kzc") one
// at a time, with each match's full path and find data (attributes, times).
// Windows only. Matches are re-checked on their long names (wildcard.h).
#include <windows.h>

#include <cstdint>

#if defined(__GNUC__)
#define BW_FINDER_FORMAT(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define BW_FINDER_FORMAT(fmt, args)
#endif

// The system's FindFirstFileExA. Replaceable so that a test can make it
// refuse the fast information level, as older systems do.
typedef HANDLE(WINAPI* FindFirstFileExFunc)(LPCSTR, FINDEX_INFO_LEVELS, LPVOID,
                                            FINDEX_SEARCH_OPS, LPVOID, DWORD);
extern FindFirstFileExFunc gpfnFindFirstFileEx;

class CFileFinder {
 public:
  explicit CFileFinder(const char* patternFormat, ...) BW_FINDER_FORMAT(2, 3);
  ~CFileFinder();
  CFileFinder(const CFileFinder&) = delete;
  CFileFinder& operator=(const CFileFinder&) = delete;

  // True while there is a match whose full path fits 259 characters; the
  // first call opens the search. Matches that do not fit are counted in
  // GetSkipped() and passed over.
  bool Next();
  // True for every match, also one whose full path does not fit: then
  // PathFits() is false, GetPath() is empty and only the find data (its
  // name) tells which it was.
  bool NextEntry();
  bool PathFits() const { return m_bFits; }
  // "<folder part>\<name>", the name alone for a pattern without a folder
  // part, or "" after Close.
  const char* GetPath() const { return m_szPath; }
  const WIN32_FIND_DATAA& GetFindData() const { return m_data; }
  FILETIME GetWriteTime() const { return m_data.ftLastWriteTime; }
  bool IsFolder() const { return (m_data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
  int32_t GetCount() const { return m_count; }      // matches delivered with their path
  int32_t GetSkipped() const { return m_skipped; }  // matches Next() passed over: too long
  // Why the search found nothing at all: NO_ERROR, or the system's error when
  // it could not be opened (ERROR_FILE_NOT_FOUND for an empty result, others
  // such as ERROR_ACCESS_DENIED for a folder that cannot be listed).
  DWORD GetOpenError() const { return m_openError; }
  void Close();

 private:
  bool Open();
  bool Accept();

  char m_szPattern[260];
  char m_szFolder[260];
  HANDLE m_hFind = INVALID_HANDLE_VALUE;
  WIN32_FIND_DATAA m_data;
  int32_t m_count = 0;
  int32_t m_skipped = 0;
  bool m_started = false;
  bool m_bFits = false;
  DWORD m_openError = NO_ERROR;
  char m_szPath[260];
};
