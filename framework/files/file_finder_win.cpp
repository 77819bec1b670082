#include "framework/files/file_finder.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "framework/files/wildcard.h"

FindFirstFileExFunc gpfnFindFirstFileEx = FindFirstFileExA;

CFileFinder::CFileFinder(const char* patternFormat, ...) {
  va_list args;
  va_start(args, patternFormat);
  int n = vsnprintf(m_szPattern, sizeof m_szPattern, patternFormat, args);
  va_end(args);
  if (n < 0 || n >= static_cast<int>(sizeof m_szPattern)) {
    m_szPattern[0] = '\0';  // never search a cut pattern; count it as a path left out
    m_skipped = 1;
  }
  m_szFolder[0] = '\0';
  m_szPath[0] = '\0';
  memset(&m_data, 0, sizeof m_data);
}

CFileFinder::~CFileFinder() { Close(); }

void CFileFinder::Close() {
  if (m_hFind != INVALID_HANDLE_VALUE) FindClose(m_hFind);
  m_hFind = INVALID_HANDLE_VALUE;
  m_szPath[0] = '\0';
}

bool CFileFinder::Open() {
  m_started = true;
  if (!m_szPattern[0]) return false;
  snprintf(m_szFolder, sizeof m_szFolder, "%s", m_szPattern);
  char* slash = strrchr(m_szFolder, '\\');
  if (slash)
    *slash = '\0';
  else
    m_szFolder[0] = '\0';
  m_hFind = gpfnFindFirstFileEx(m_szPattern, FindExInfoBasic, &m_data, FindExSearchNameMatch,
                                nullptr, FIND_FIRST_EX_LARGE_FETCH);
  // Systems before Windows 7 know neither the basic level nor large fetches
  // and refuse the call; "nothing there" needs no second try.
  DWORD error = m_hFind == INVALID_HANDLE_VALUE ? GetLastError() : NO_ERROR;
  if (m_hFind == INVALID_HANDLE_VALUE && error != ERROR_FILE_NOT_FOUND &&
      error != ERROR_PATH_NOT_FOUND && error != ERROR_NO_MORE_FILES) {
    m_hFind = gpfnFindFirstFileEx(m_szPattern, FindExInfoStandard, &m_data,
                                  FindExSearchNameMatch, nullptr, 0);
    error = m_hFind == INVALID_HANDLE_VALUE ? GetLastError() : NO_ERROR;
  }
  m_openError = error;
  return m_hFind != INVALID_HANDLE_VALUE;
}

// The system also matches the 8.3 alias ("*.kzc" finds "a.kzc_tmp"), so the
// long name is checked again; a path that would not fit is never cut.
bool CFileFinder::Accept() {
  const char* slash = strrchr(m_szPattern, '\\');
  if (!MatchFileName(slash ? slash + 1 : m_szPattern, m_data.cFileName)) return false;
  int n = m_szFolder[0]
              ? snprintf(m_szPath, sizeof m_szPath, "%s\\%s", m_szFolder, m_data.cFileName)
              : snprintf(m_szPath, sizeof m_szPath, "%s", m_data.cFileName);
  m_bFits = n >= 0 && n < static_cast<int>(sizeof m_szPath);
  if (!m_bFits) m_szPath[0] = '\0';
  return true;
}

bool CFileFinder::NextEntry() {
  bool found;
  if (!m_started)
    found = Open();
  else
    found = m_hFind != INVALID_HANDLE_VALUE && FindNextFileA(m_hFind, &m_data);
  while (found) {
    if (Accept()) {
      if (m_bFits) ++m_count;
      return true;
    }
    found = FindNextFileA(m_hFind, &m_data) != 0;
  }
  m_bFits = false;
  m_szPath[0] = '\0';
  return false;
}

bool CFileFinder::Next() {
  while (NextEntry()) {
    if (m_bFits) return true;
    ++m_skipped;
  }
  return false;
}
