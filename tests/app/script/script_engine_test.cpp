// The script language on a simulated clock: commands by prefix, their
// arguments, line numbers, loops, the time base, WAIT patterns and the
// profile chain check.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <memory>
#include <string>

#include "app/profiles/program_records.h"
#include "app/script/script_engine.h"
#include "app/script/script_profile_check.h"
#include "tests/app/script/script_host_fake.h"

namespace {

struct Outcome {
  uint32_t result;
  int32_t line;
  std::string log;
  int32_t balance;  // the check pass's loop balance
};

// The check pass, and when it passes balanced, the run pass.
Outcome RunBoth(const std::string& text, CFakeScriptHost* host) {
  ScriptRun run;
  BeginScriptRun(&run, text.c_str());
  uint32_t result = RunScriptPass(&run, true, host);
  if (result != 0 || run.iLoopBalance != 0) return {result, run.iLine, host->log, run.iLoopBalance};
  EXPECT_EQ("", host->log) << "the check pass sent input";
  const int32_t balance = run.iLoopBalance;
  BeginScriptRun(&run, text.c_str());
  result = RunScriptPass(&run, false, host);
  return {result, run.iLine, host->log, balance};
}

std::string Nested(int depth) {
  std::string text;
  for (int i = 0; i < depth; ++i) text += "LOOP 1\n";
  for (int i = 0; i < depth; ++i) text += "LOOPEND\n";
  return text;
}

TEST(ScriptLanguage, CommandsArgumentsAndLines) {
  const std::string name259(259, 'n'), name260(260, 'n');
  struct Case {
    std::string text;
    Outcome expected;
  };
  const Case cases[] = {
      {"KEY CTRL+ALT+DELETE", {0, 1, "K17,18,46 ", 0}},
      {"key ctrl alt  delete ; comment\n", {0, 2, "K17,18,46 ", 0}},
      {"KEY CTRL\tDELETE", {35, 1, "", 0}},  // a tab ends the text
      {"KEY F10\nKEY f1\nKEY Numpad7+shift", {34, 3, "", 0}},  // a modifier after a key
      {"KEY F10\nKEY f1\nKEY shift NUMPAD7", {0, 3, "K121 K112 K16,103 ", 0}},
      {"KEY A+B", {34, 1, "", 0}},
      {"KEY AB", {34, 1, "", 0}},
      {"KEY F13", {34, 1, "", 0}},
      {"KEY CTRL++A", {0, 1, "K17,65 ", 0}},
      {"\n\nKEY", {34, 3, "", 0}},
      {"KEY A,B", {35, 1, "", 0}},
      {"; note\r\nKEY A\r\nFOO", {35, 3, "", 0}},
      {"KEYS", {0, 1, "K83 ", 0}},  // a prefix is enough: KEY with "S"
      {"EXIT\nFOO", {0, 1, "", 0}},
      {"exitKEY A", {0, 1, "", 0}},
      {"LOOPEND\nLOOP 1", {18, 1, "", -1}},
      {"LOOP 3\nKEY A\n", {0, 3, "", 1}},
      {"LOOP 3\nKEY A\nLOOPEND", {0, 3, "K65 K65 K65 ", 0}},
      {"LOOP 2\nKEY A\nLOOP 2\nKEY B\nLOOPEND\nLOOPEND",
       {0, 6, "K65 K66 K66 K65 K66 K66 ", 0}},
      {"LOOP 0", {34, 1, "", 0}},
      {"LOOP -3", {34, 1, "", 0}},
      {"LOOP", {34, 1, "", 0}},
      {Nested(32), {0, 65, "", 0}},
      {Nested(33), {34, 33, "", 33}},
      {"LOOP 2\n;x\nFOO\nLOOPEND", {35, 3, "", 1}},
      {"MOVE 10 , -20\nMOVE -2147483648,2147483647",
       {0, 2, "M10,-20 M-2147483648,2147483647 ", 0}},
      {"MOVE 10", {34, 1, "", 0}},
      {"MOVE 2147483648,0", {34, 1, "", 0}},
      {"MOVE 1,2x", {35, 1, "", 0}},
      {"BUTTONDOWN 0\nBUTTONUP 0\nBUTTONDOWN 1\nBUTTONUP 2", {0, 4, "B0 B3 B1 B5 ", 0}},
      {"BUTTONUP 7\nBUTTONDOWN 2\nBUTTONUP 9", {0, 3, "B2 B2 ", 0}},
      {"BUTTONDOWN x", {34, 1, "", 0}},
      {"PROFILE Screen\nPROFILE Cancelled , x", {35, 2, "", 0}},
      {"PROFILE Screen  \nPROFILE Cancelled\nPROFILE Screen",
       {0, 3, "P:Screen P:Cancelled P:Screen ", 0}},
      {"KEY A\nPROFILE Failing\nKEY B", {0x70006, 2, "K65 P:Failing ", 0}},
      {"KEY A\nPROFILE Rectangle", {36, 2, "", 0}},
      {"PROFILE None", {34, 1, "", 0}},
      {"PROFILE " + name259, {0, 1, "P:" + name259 + " ", 0}},
      {"PROFILE " + name260, {34, 1, "", 0}},  // never silently cut
      {"PROFILE", {34, 1, "", 0}},
      {"SLEEP 0\nsleep -1", {34, 2, "", 0}},
      {"SLEEP 2000001", {34, 1, "", 0}},
      {"SLEEP 99999999999", {34, 1, "", 0}},
      {"WAIT --:--:60", {34, 1, "", 0}},
      {"WAIT 24:--:--", {34, 1, "", 0}},
      {"WAIT 1:2:3", {34, 1, "", 0}},
      {"WAIT -9:0-:-0 ; nine o'clock or nineteen", {0, 1, "", 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 60));
    CFakeScriptHost host;
    host.profiles = {{"Screen", 0}, {"Cancelled", 0}, {"Failing", 0}, {"Rectangle", 36},
                     {name259, 0}, {name260, 0}};
    host.results = {{"Cancelled", 26}, {"Failing", 0x70006}};
    host.ticks = 9 * 3600 * 1000;  // the WAIT above matches at once
    const Outcome got = RunBoth(c.text, &host);
    EXPECT_EQ(c.expected.result, got.result);
    EXPECT_EQ(c.expected.line, got.line);
    EXPECT_EQ(c.expected.log, got.log);
    EXPECT_EQ(c.expected.balance, got.balance);
  }
}

// SLEEP counts from the script's time base, so the time other commands take
// is absorbed; WAIT moves the base to when it fired, never twice in one
// second. Times are ticks since the run began.
TEST(ScriptLanguage, TimeBaseAndWaitPatterns) {
  struct Case {
    const char* text;
    uint64_t startClock;  // milliseconds since midnight when the run starts
    uint32_t keyCost;
    uint64_t end;         // ticks at the end of the run
  };
  const Case cases[] = {
      {"SLEEP 1\nSLEEP 1", 0, 0, 2000},
      {"SLEEP 1\nKEY A\nKEY B\nSLEEP 1", 0, 300, 2000},
      {"KEY A\nKEY B\nKEY C\nSLEEP 1", 0, 400, 1200},    // late already: no sleep at all
      {"WAIT --:--:30", 10500, 0, 19500},
      {"WAIT --:--:30", 30200, 0, 59800},                // the start's own second is taken
      {"WAIT --:--:30\nWAIT --:--:30", 10500, 0, 79500}, // the next minute's
      {"WAIT --:--:30\nSLEEP 2", 10500, 0, 21500},
      {"SLEEP 1\nKEY A\nWAIT --:--:--\nSLEEP 1", 0, 700, 2700},
      {"WAIT 01:-0:05", 0, 0, 3605000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    CFakeScriptHost host;
    host.keyCost = c.keyCost;
    host.ticks = 1000000 + c.startClock;
    host.secondZero = 1000000;
    ScriptRun run;
    BeginScriptRun(&run, c.text);
    ASSERT_EQ(0u, RunScriptPass(&run, true, &host));
    BeginScriptRun(&run, c.text);
    run.ullTimeBase = host.Ticks();
    run.llLastWaitSecond = host.LocalTime().llSecond;
    const uint64_t start = host.ticks;
    EXPECT_EQ(0u, RunScriptPass(&run, false, &host));
    EXPECT_EQ(c.end, host.ticks - start);
    // A cancel is seen within 100 ms: no single pause is longer.
    EXPECT_LE(host.longestPause, 100u);
  }
}

TEST(ScriptLanguage, AbortStopsBetweenCommandsAndInsideSleep) {
  for (long budget : {0L, 1L, 2L, 5L}) {
    SCOPED_TRACE(budget);
    CFakeScriptHost host;
    ScriptRun run;
    const char text[] = "KEY A\nSLEEP 100\nKEY B";
    BeginScriptRun(&run, text);
    run.ullTimeBase = host.ticks;
    host.budget = budget;
    EXPECT_EQ(0u, RunScriptPass(&run, false, &host));
    EXPECT_EQ(budget == 0 ? "" : "K65 ", host.log);
    EXPECT_LE(host.ticks, uint64_t(budget) * 100);
  }
}

ProfileRecord MakeProfile(const char* name, uint32_t steps, int mode, int openMode,
                          const char* next) {
  ProfileRecord record;
  memset(&record, 0, sizeof record);
  strcpy(record.szName, name);
  record.ulSteps = steps;
  record.iSCMode = uint8_t(mode);
  record.iSOMode = uint8_t(openMode);
  strcpy(record.szDXProfile, next);
  return record;
}

struct ProfileTable {
  std::map<std::string, ProfileRecord> byName;  // upper-case names
  int loads = 0;
};

bool LoadFromTable(const char* name, ProfileRecord* record, void* context) {
  ProfileTable* table = static_cast<ProfileTable*>(context);
  ++table->loads;
  std::string key(name);
  for (char& c : key) c = char(toupper(static_cast<unsigned char>(c)));
  auto it = table->byName.find(key);
  if (it == table->byName.end()) return false;
  *record = it->second;
  return true;
}

TEST(ScriptLanguage, ProfileChainMustDoWithoutTheUser) {
  const uint32_t capture = 1u << 1, open = 1u << 3, saveAs = 1u << 12, chain = 1u << 19;
  ProfileTable table;
  const ProfileRecord profiles[] = {
      MakeProfile("SCREEN", capture, 3, 0, ""),
      MakeProfile("RECT", capture, 0, 1, ""),
      MakeProfile("WINDOW", capture, 1, 1, ""),
      MakeProfile("BOX", capture, 5, 1, ""),
      MakeProfile("FIXED", capture, 4, 1, ""),
      MakeProfile("OPENDIALOG", open, 3, 0, ""),
      MakeProfile("OPENFILE", open, 0, 1, ""),
      MakeProfile("SAVEAS", capture | saveAs, 3, 1, ""),
      MakeProfile("TORECT", capture | chain, 3, 1, "a"),
      MakeProfile("A", chain, 3, 1, "b"),
      MakeProfile("B", chain, 3, 1, "rect"),
      MakeProfile("LOOP1", chain, 3, 1, "loop2"),
      MakeProfile("LOOP2", chain, 3, 1, "Loop1"),
      MakeProfile("TOMISSING", chain, 3, 1, "missing"),
      MakeProfile("UNCHAINED", capture, 3, 1, "rect"),  // names a profile, but no step
  };
  for (const ProfileRecord& p : profiles) table.byName[p.szName] = p;
  const std::pair<const char*, uint32_t> cases[] = {
      {"Screen", 0},     {"rect", 36},     {"Window", 36},    {"Box", 36},
      {"Fixed", 0},      {"OpenDialog", 36}, {"OpenFile", 0}, {"SaveAs", 36},
      {"ToRect", 36},    {"Loop1", 0},     {"ToMissing", 0},  {"Unchained", 0},
      {"Nobody", 34},
  };
  for (const auto& [name, expected] : cases) {
    SCOPED_TRACE(name);
    table.loads = 0;
    EXPECT_EQ(expected, CheckScriptProfile(name, LoadFromTable, &table));
    EXPECT_LE(table.loads, 5);
  }
}

}  // namespace
