#pragma once
// The program's command line as the framework reads it: switches (words that
// begin with "-") with the words after each as their arguments. Words before
// the first switch belong to a nameless record. Also the filter that decides
// which switches survive a restart.
#include <cstddef>
#include <cstdint>

#include "framework/app/grow_array.h"

// One switch and its arguments; the name includes the "-" and is empty for
// the words before the first switch.
struct CommandLineSwitch {
  char szName[260];
  CPathArray aArguments;
};

// Start flags the parser notes on the way.
struct CommandLineFlags {
  bool bQuit;
  bool bWaitForDataPath;
  bool bAutostart;
  bool bMinimize;
  bool bTaskScheduler;
};

// The list of switch records. Emptying it frees every record with its
// argument list.
class CCommandLine {
 public:
  CCommandLine() = default;
  ~CCommandLine() { Clear(); }
  CCommandLine(const CCommandLine&) = delete;
  CCommandLine& operator=(const CCommandLine&) = delete;

  // Rebuilds the list from the text. Returns -1 when "-QUIT" was among the
  // switches, else 1 when "-WAITFORDATAPATH" was, else 0. A word or name
  // longer than 259 characters is dropped, never cut; the arguments after a
  // dropped switch name are dropped with it.
  int Parse(const char* text, CommandLineFlags* flags);

  // Index of the first switch whose name equals `name` ignoring case, or -1.
  int FindSwitch(const char* name) const;

  int GetCount() const { return m_aSwitches.count; }
  const CommandLineSwitch* GetSwitch(int index) const;
  void Clear();

 private:
  bool AppendRecord(CommandLineSwitch* record);
  CPointerArray m_aSwitches;
};

// One word of a command line: where it lies in the text and what it says.
struct CommandLineWord {
  const char* pStart;   // first character of the word in the text (its quote)
  const char* pEnd;     // one past its last character (its closing quote)
  bool bSwitch;         // begins with "-" outside quotes
  bool bTooLong;        // more than 259 characters: not copied
  char szText[260];     // the word without quotes
};

// Reads the word at or after `cursor`; false at the end of the text. Blanks
// are spaces and tabs. A quoted word runs to the closing quote, or to the end
// when there is none; any other word to the next blank.
bool NextCommandLineWord(const char** cursor, CommandLineWord* word);

// Copies the command line for a restart: the one-shot switches -AUTOSTART,
// -TASKSCHEDULER, -QUIT, -EXECUTE and -SCRIPT are dropped with their
// arguments; everything else is kept as written, words separated by one
// blank. Returns false when the result does not fit `size` (output empty).
bool FilterRestartArguments(const char* commandLine, char* out, size_t size);
