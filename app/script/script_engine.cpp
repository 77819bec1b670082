#include "app/script/script_engine.h"

#include <cstring>
#include <initializer_list>

#include "app/script/script_keys.h"

namespace {

enum ScriptCommand {
  kExit, kButtonDown, kButtonUp, kKey, kLoopEnd, kLoop, kMove, kProfile, kSleep, kWait,
  kCommandCount
};

// Matched as prefixes in this order: LOOPEND must come before LOOP.
const char* const kCommandNames[kCommandCount] = {
    "EXIT", "BUTTONDOWN", "BUTTONUP", "KEY", "LOOPEND", "LOOP", "MOVE", "PROFILE", "SLEEP", "WAIT",
};

// SLEEP and WAIT look at the host this often, so a cancel is seen in time.
constexpr uint32_t kPollMs = 100;

char Upper(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

class CReader {
 public:
  explicit CReader(ScriptRun* run) : m_run(run) {}

  char Peek() const { return m_run->pszText[m_run->position]; }

  // Skips what lies between commands: blanks, carriage returns, line feeds
  // (each counts a line) and comments.
  void SkipSpace() {
    for (;;) {
      const char c = Peek();
      if (IsBlank(c) || c == '\r') {
        ++m_run->position;
      } else if (c == '\n') {
        ++m_run->position;
        ++m_run->iLine;
      } else if (c == ';') {
        while (Peek() != '\0' && Peek() != '\n') ++m_run->position;
      } else {
        return;
      }
    }
  }

  void SkipBlanks() {
    while (IsBlank(Peek())) ++m_run->position;
  }

  // The command at the position, or -1; the end of the text reads as EXIT.
  int ReadCommand() {
    const char* text = m_run->pszText + m_run->position;
    if (*text == '\0') return kExit;
    for (int command = 0; command < kCommandCount; ++command) {
      const char* name = kCommandNames[command];
      size_t i = 0;
      while (name[i] && Upper(text[i]) == name[i]) ++i;
      if (name[i] == '\0') {
        m_run->position += i;
        return command;
      }
    }
    return -1;
  }

  // An integer after optional blanks; false when there is none or it does
  // not fit 32 bits.
  bool ReadInteger(int32_t* value) {
    SkipBlanks();
    size_t p = m_run->position;
    const char* text = m_run->pszText;
    bool negative = false;
    if (text[p] == '-' || text[p] == '+') negative = text[p++] == '-';
    if (text[p] < '0' || text[p] > '9') return false;
    int64_t number = 0;
    for (; text[p] >= '0' && text[p] <= '9'; ++p) {
      number = number * 10 + (text[p] - '0');
      if (number > int64_t(INT32_MAX) + 1) return false;
    }
    if (negative) number = -number;
    if (number > INT32_MAX || number < INT32_MIN) return false;
    *value = int32_t(number);
    m_run->position = p;
    return true;
  }

  bool ReadChar(char expected) {
    SkipBlanks();
    if (Peek() != expected) return false;
    ++m_run->position;
    return true;
  }

  // A text after optional blanks, up to the next carriage return, tab, line
  // feed, "," or ";", without trailing blanks. False when it is empty or
  // longer than the record holds: a name is never silently cut.
  bool ReadText(char out[kScriptTextChars]) {
    SkipBlanks();
    const char* start = m_run->pszText + m_run->position;
    size_t length = strcspn(start, "\r\t\n,;");
    m_run->position += length;
    while (length > 0 && start[length - 1] == ' ') --length;
    if (length == 0 || length >= size_t(kScriptTextChars)) return false;
    memcpy(out, start, length);
    out[length] = '\0';
    return true;
  }

 private:
  ScriptRun* m_run;
};

// Whether the two pattern characters fit the number's two digits.
bool PartMatches(const char* part, int value) {
  const char digits[2] = {char('0' + value / 10), char('0' + value % 10)};
  for (int i = 0; i < 2; ++i)
    if (part[i] != '-' && part[i] != digits[i]) return false;
  return true;
}

bool PatternWellFormed(const char* pattern) {
  if (strlen(pattern) != 8 || pattern[2] != ':' || pattern[5] != ':') return false;
  for (int i : {0, 1, 3, 4, 6, 7})
    if (pattern[i] != '-' && (pattern[i] < '0' || pattern[i] > '9')) return false;
  return true;
}

// Whether some time of day fits the pattern at all: a pattern that never
// matches would wait for ever.
bool PatternCanMatch(const char* pattern) {
  bool hour = false, minute = false;
  for (int h = 0; h < 24; ++h) hour = hour || PartMatches(pattern, h);
  for (int m = 0; m < 60; ++m) minute = minute || PartMatches(pattern + 3, m);
  bool second = false;
  for (int s = 0; s < 60; ++s) second = second || PartMatches(pattern + 6, s);
  return hour && minute && second;
}

class CPass {
 public:
  CPass(ScriptRun* run, bool check, CScriptHost* host)
      : m_run(run), m_reader(run), m_check(check), m_host(host) {}

  uint32_t Run() {
    for (;;) {
      if (m_host->Aborted()) return 0;
      m_reader.SkipSpace();
      const int command = m_reader.ReadCommand();
      if (command < 0) return kScriptUnknownCommand;
      if (command == kExit) return 0;
      const uint32_t result = Execute(command);
      if (result != 0) return result;
    }
  }

 private:
  uint32_t Execute(int command) {
    switch (command) {
      case kButtonDown: return Button(false);
      case kButtonUp: return Button(true);
      case kKey: return Key();
      case kLoopEnd: return LoopEnd();
      case kLoop: return Loop();
      case kMove: return Move();
      case kProfile: return Profile();
      case kSleep: return SleepSeconds();
      case kWait: return Wait();
    }
    return kScriptUnknownCommand;
  }

  uint32_t Button(bool up) {
    int32_t button = 0;
    if (!m_reader.ReadInteger(&button)) return kScriptParameterError;
    if (m_check) return 0;
    ScriptButtonEvent event = m_run->lastButton;
    if (button >= 0 && button <= 2) event = ScriptButtonEvent(button + (up ? 3 : 0));
    // Another number repeats the last event; before any there is none.
    if (event != kNoButtonEvent) {
      m_host->SendButton(event);
      m_run->lastButton = event;
    }
    return 0;
  }

  uint32_t Key() {
    char text[kScriptTextChars];
    uint8_t codes[kMaxScriptKeys];
    if (!m_reader.ReadText(text)) return kScriptParameterError;
    const int count = ParseKeyNames(text, codes, kMaxScriptKeys);
    if (count == 0) return kScriptParameterError;
    if (!m_check) m_host->SendKeys(codes, count);
    return 0;
  }

  uint32_t Loop() {
    int32_t count = 0;
    if (!m_reader.ReadInteger(&count) || count < 1) return kScriptParameterError;
    if (m_check) {
      if (++m_run->iLoopBalance > kMaxScriptLoops) return kScriptParameterError;
      return 0;
    }
    if (m_run->iLoopDepth >= kMaxScriptLoops) return kScriptParameterError;
    m_run->aLoops[m_run->iLoopDepth++] = {count, m_run->position, m_run->iLine};
    return 0;
  }

  uint32_t LoopEnd() {
    if (m_check) return --m_run->iLoopBalance < 0 ? kScriptLoopBalance : 0;
    if (m_run->iLoopDepth == 0) return kScriptLoopBalance;
    ScriptLoop& loop = m_run->aLoops[m_run->iLoopDepth - 1];
    if (--loop.iRemaining > 0) {
      m_run->position = loop.position;
      m_run->iLine = loop.iLine;
    } else {
      --m_run->iLoopDepth;
    }
    return 0;
  }

  uint32_t Move() {
    int32_t x = 0, y = 0;
    if (!m_reader.ReadInteger(&x) || !m_reader.ReadChar(',') || !m_reader.ReadInteger(&y))
      return kScriptParameterError;
    if (m_check) return 0;
    m_host->MoveMouse(x, y);
    m_run->xMouse = x;
    m_run->yMouse = y;
    return 0;
  }

  uint32_t Profile() {
    char name[kScriptTextChars];
    if (!m_reader.ReadText(name)) return kScriptParameterError;
    // Checked again before the run: the profile may have changed meanwhile.
    if (uint32_t refused = m_host->CheckProfile(name)) return refused;
    if (m_check) return 0;
    const uint32_t result = m_host->RunProfile(name);
    return result == 26 ? 0 : result;
  }

  uint32_t SleepSeconds() {
    int32_t seconds = 0;
    if (!m_reader.ReadInteger(&seconds) || seconds < 0 || seconds > kMaxSleepSeconds)
      return kScriptParameterError;
    if (m_check) return 0;
    // The base advances by the seconds, not from now: the time the commands
    // in between took does not add up.
    m_run->ullTimeBase += uint64_t(seconds) * 1000;
    for (;;) {
      const uint64_t now = m_host->Ticks();
      if (now >= m_run->ullTimeBase || m_host->Aborted()) return 0;
      const uint64_t left = m_run->ullTimeBase - now;
      m_host->Pause(uint32_t(left < kPollMs ? left : kPollMs));
    }
  }

  uint32_t Wait() {
    char pattern[kScriptTextChars];
    if (!m_reader.ReadText(pattern) || !PatternWellFormed(pattern) || !PatternCanMatch(pattern))
      return kScriptParameterError;
    if (m_check) return 0;
    for (;;) {
      if (m_host->Aborted()) return 0;
      const ScriptClockTime now = m_host->LocalTime();
      if (now.llSecond != m_run->llLastWaitSecond &&
          WaitPatternMatches(pattern, now.iHour, now.iMinute, now.iSecond)) {
        m_run->llLastWaitSecond = now.llSecond;
        m_run->ullTimeBase = m_host->Ticks();
        return 0;
      }
      // Wake at the next second's start when that comes sooner.
      const int32_t toNextSecond = 1000 - now.iMillisecond;
      m_host->Pause(toNextSecond > 0 && uint32_t(toNextSecond) < kPollMs ? uint32_t(toNextSecond)
                                                                         : kPollMs);
    }
  }

  ScriptRun* m_run;
  CReader m_reader;
  bool m_check;
  CScriptHost* m_host;
};

}  // namespace

void BeginScriptRun(ScriptRun* run, const char* text) {
  memset(run, 0, sizeof(*run));
  run->pszText = text;
  run->iLine = 1;
  run->lastButton = kNoButtonEvent;
}

uint32_t RunScriptPass(ScriptRun* run, bool check, CScriptHost* host) {
  return CPass(run, check, host).Run();
}

bool WaitPatternMatches(const char* pattern, int hour, int minute, int second) {
  return PatternWellFormed(pattern) && PartMatches(pattern, hour) &&
         PartMatches(pattern + 3, minute) && PartMatches(pattern + 6, second);
}
