#pragma once
// A test that leaves a modal box open must fail at once with the box's text,
// not hang until the time limit. The watchdog runs in every Windows test
// executable; a test that opens boxes on purpose holds a CModalWatchdogPause.

void StartModalWatchdog();

class CModalWatchdogPause {
 public:
  CModalWatchdogPause();
  ~CModalWatchdogPause();
  CModalWatchdogPause(const CModalWatchdogPause&) = delete;
  CModalWatchdogPause& operator=(const CModalWatchdogPause&) = delete;
};
