#pragma once
// The script language of "*.BWS" files: one text, interpreted twice. The
// check pass reads every command up to the end (or EXIT) and acts on none;
// only a text that passes it is run, so a bad line fails before the first
// key is pressed. What a command does to the world goes through CScriptHost.
#include <cstddef>
#include <cstdint>

constexpr int kMaxScriptLoops = 32;
constexpr int kScriptTextChars = 260;  // a text argument: 259 characters and the end
// SLEEP takes at most this many seconds (so the time base stays in range).
constexpr int32_t kMaxSleepSeconds = 2000000;

// Results of a pass beside 0 and a profile's own failure.
constexpr uint32_t kScriptLoopBalance = 18;
constexpr uint32_t kScriptParameterError = 34;
constexpr uint32_t kScriptUnknownCommand = 35;
constexpr uint32_t kScriptIncompatibleProfile = 36;

// Mouse button events in the order of BUTTONDOWN 0-2, then BUTTONUP 0-2.
enum ScriptButtonEvent : int8_t {
  kNoButtonEvent = -1,
  kLeftDown = 0, kMiddleDown, kRightDown, kLeftUp, kMiddleUp, kRightUp,
};

// The local time as WAIT compares it.
struct ScriptClockTime {
  int64_t llSecond;  // a running count of seconds, so that two readings differ
  int32_t iHour;
  int32_t iMinute;
  int32_t iSecond;
  int32_t iMillisecond;
};

class CScriptHost {
 public:
  virtual ~CScriptHost() = default;
  // Whether the script is to stop (cancelled, or the program quits).
  virtual bool Aborted() = 0;
  // 0 when the profile may run on the script's thread, 34 when there is no
  // such profile, 36 when it or a profile it chains to needs the user.
  virtual uint32_t CheckProfile(const char* name) = 0;
  virtual uint32_t RunProfile(const char* name) = 0;
  virtual void SendButton(ScriptButtonEvent event) = 0;
  virtual void SendKeys(const uint8_t* codes, int count) = 0;
  virtual void MoveMouse(int32_t x, int32_t y) = 0;
  virtual uint64_t Ticks() = 0;  // milliseconds, never wrapping
  virtual ScriptClockTime LocalTime() = 0;
  virtual void Pause(uint32_t milliseconds) = 0;
};

struct ScriptLoop {
  int32_t iRemaining;
  size_t position;  // just after the LOOP command's count
  int32_t iLine;    // the line at that position
};

struct ScriptRun {
  const char* pszText;  // zero-terminated
  size_t position;
  int32_t iLine;
  ScriptLoop aLoops[kMaxScriptLoops];
  int32_t iLoopDepth;
  int32_t iLoopBalance;  // check pass: LOOPs minus LOOPENDs so far
  int32_t xMouse, yMouse;
  ScriptButtonEvent lastButton;
  uint64_t ullTimeBase;      // SLEEP counts from here
  int64_t llLastWaitSecond;  // WAIT never matches this second again
};

// A run over text from the start: no loops, no button sent yet.
void BeginScriptRun(ScriptRun* run, const char* text);

// Interprets the text once from the run's position: 0 at its end, at EXIT or
// when the host aborts; else 34, 35, 36, 18 (a LOOPEND without its LOOP) or
// the failure of a profile (26 from a profile is not a failure). The run's
// line is the line of the failing command.
uint32_t RunScriptPass(ScriptRun* run, bool check, CScriptHost* host);

// Whether a WAIT pattern ("hh:mm:ss", each character a digit or "-" for any)
// matches a time; false for a malformed pattern.
bool WaitPatternMatches(const char* pattern, int hour, int minute, int second);
