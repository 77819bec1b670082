#pragma once
// A script host on a simulated clock: every input is written to a log, the
// clock moves only when the script pauses (or when an action is told to
// take time), and profiles come from a fixed table.
#include <cstdio>
#include <map>
#include <string>

#include "app/script/script_engine.h"

class CFakeScriptHost : public CScriptHost {
 public:
  std::string log;                          // "K17,18 " "B0 " "M1,2 " "P:name "
  std::map<std::string, uint32_t> profiles; // name: CheckProfile's answer
  std::map<std::string, uint32_t> results;  // name: RunProfile's answer (else 0)
  uint64_t ticks = 0;
  uint64_t secondZero = 0;  // the tick at which the clock's day second 0 begins
  uint32_t keyCost = 0;     // milliseconds that each KEY takes
  long budget = -1;         // host answers before it aborts (-1: never)
  uint32_t longestPause = 0;

  bool Aborted() override {
    if (budget < 0) return false;
    if (budget == 0) return true;
    --budget;
    return false;
  }
  uint32_t CheckProfile(const char* name) override {
    auto it = profiles.find(name);
    return it == profiles.end() ? 34 : it->second;
  }
  uint32_t RunProfile(const char* name) override {
    log += std::string("P:") + name + " ";
    auto it = results.find(name);
    return it == results.end() ? 0 : it->second;
  }
  void SendButton(ScriptButtonEvent event) override { log += "B" + std::to_string(event) + " "; }
  void SendKeys(const uint8_t* codes, int count) override {
    log += "K";
    for (int i = 0; i < count; ++i) log += (i ? "," : "") + std::to_string(codes[i]);
    log += " ";
    ticks += keyCost;
  }
  void MoveMouse(int32_t x, int32_t y) override {
    log += "M" + std::to_string(x) + "," + std::to_string(y) + " ";
  }
  uint64_t Ticks() override { return ticks; }
  ScriptClockTime LocalTime() override {
    const uint64_t ms = ticks - secondZero;  // since midnight of day 0
    const uint64_t second = ms / 1000;
    return {int64_t(second), int32_t(second / 3600 % 24), int32_t(second / 60 % 60),
            int32_t(second % 60), int32_t(ms % 1000)};
  }
  void Pause(uint32_t milliseconds) override {
    if (milliseconds > longestPause) longestPause = milliseconds;
    ticks += milliseconds;
  }
};
