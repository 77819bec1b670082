#include "framework/app/command_line.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool EqualsIgnoreCase(const char* a, const char* b) {
  for (;; ++a, ++b) {
    char x = *a >= 'a' && *a <= 'z' ? char(*a - 32) : *a;
    char y = *b >= 'a' && *b <= 'z' ? char(*b - 32) : *b;
    if (x != y) return false;
    if (!x) return true;
  }
}

void CopyWordText(const char* from, const char* to, CommandLineWord* word) {
  size_t length = size_t(to - from);
  word->bTooLong = length > sizeof(word->szText) - 1;
  if (word->bTooLong) length = 0;
  memcpy(word->szText, from, length);
  word->szText[length] = '\0';
}

void NoteFlag(const char* name, CommandLineFlags* flags) {
  if (EqualsIgnoreCase(name, "-QUIT")) flags->bQuit = true;
  if (EqualsIgnoreCase(name, "-WAITFORDATAPATH")) flags->bWaitForDataPath = true;
  if (EqualsIgnoreCase(name, "-AUTOSTART")) flags->bAutostart = true;
  if (EqualsIgnoreCase(name, "-MINIMIZE")) flags->bMinimize = true;
  if (EqualsIgnoreCase(name, "-TASKSCHEDULER")) flags->bTaskScheduler = true;
}

void FreeRecord(CommandLineSwitch* record) {
  if (!record) return;
  record->aArguments.RemoveAll();
  record->~CommandLineSwitch();
  free(record);
}

CommandLineSwitch* NewRecord(const char* name) {
  void* memory = malloc(sizeof(CommandLineSwitch));
  if (!memory) return nullptr;
  CommandLineSwitch* record = new (memory) CommandLineSwitch;
  strcpy(record->szName, name);
  return record;
}

}  // namespace

bool NextCommandLineWord(const char** cursor, CommandLineWord* word) {
  const char* p = *cursor;
  if (!p) return false;
  while (IsBlank(*p)) ++p;
  if (!*p) {
    *cursor = p;
    return false;
  }
  word->pStart = p;
  word->bSwitch = false;
  if (*p == '"') {
    const char* from = ++p;
    while (*p && *p != '"') ++p;
    CopyWordText(from, p, word);
    if (*p == '"') ++p;
  } else {
    word->bSwitch = *p == '-';
    const char* from = p;
    while (*p && !IsBlank(*p)) ++p;
    CopyWordText(from, p, word);
  }
  word->pEnd = p;
  *cursor = p;
  return true;
}

void CCommandLine::Clear() {
  for (int32_t i = 0; i < m_aSwitches.count; ++i)
    FreeRecord(static_cast<CommandLineSwitch*>(*PtrArrayGetAt(&m_aSwitches, i)));
  PtrArrayRemoveAll(&m_aSwitches);
}

bool CCommandLine::AppendRecord(CommandLineSwitch* record) {
  if (PtrArrayAppend(&m_aSwitches, record) >= 0) return true;
  FreeRecord(record);
  return false;
}

int CCommandLine::Parse(const char* text, CommandLineFlags* flags) {
  Clear();
  CommandLineFlags noted = {};
  CommandLineSwitch* open = nullptr;
  bool dropping = false;  // inside a switch whose name was too long
  CommandLineWord word;
  const char* cursor = text ? text : "";
  while (NextCommandLineWord(&cursor, &word)) {
    if (word.bSwitch) {
      if (open) AppendRecord(open);
      open = nullptr;
      dropping = word.bTooLong;
      if (dropping) continue;
      open = NewRecord(word.szText);
      NoteFlag(word.szText, &noted);
      continue;
    }
    if (dropping || word.bTooLong) continue;
    if (!open) open = NewRecord("");
    if (open) open->aArguments.AppendText(word.szText);
  }
  if (open) AppendRecord(open);
  if (flags) *flags = noted;
  if (noted.bQuit) return -1;
  return noted.bWaitForDataPath ? 1 : 0;
}

int CCommandLine::FindSwitch(const char* name) const {
  for (int32_t i = 0; i < m_aSwitches.count; ++i) {
    const CommandLineSwitch* record = GetSwitch(i);
    if (EqualsIgnoreCase(record->szName, name)) return i;
  }
  return -1;
}

const CommandLineSwitch* CCommandLine::GetSwitch(int index) const {
  if (index < 0 || index >= m_aSwitches.count) return nullptr;
  return static_cast<const CommandLineSwitch*>(*PtrArrayGetAt(&m_aSwitches, index));
}

namespace {

bool IsOneShotSwitch(const char* name) {
  static const char* const kOneShot[] = {"-AUTOSTART", "-TASKSCHEDULER", "-QUIT", "-EXECUTE",
                                         "-SCRIPT"};
  for (const char* one : kOneShot)
    if (EqualsIgnoreCase(name, one)) return true;
  return false;
}

}  // namespace

bool FilterRestartArguments(const char* commandLine, char* out, size_t size) {
  if (!out || size == 0) return false;
  size_t used = 0;
  out[0] = '\0';
  bool dropping = false;
  CommandLineWord word;
  const char* cursor = commandLine ? commandLine : "";
  while (NextCommandLineWord(&cursor, &word)) {
    if (word.bSwitch) dropping = word.bTooLong || IsOneShotSwitch(word.szText);
    if (dropping) continue;
    size_t length = size_t(word.pEnd - word.pStart);
    size_t needed = length + (used ? 1 : 0);
    if (used + needed + 1 > size) {
      out[0] = '\0';
      return false;
    }
    if (used) out[used++] = ' ';
    memcpy(out + used, word.pStart, length);
    used += length;
    out[used] = '\0';
  }
  return true;
}
