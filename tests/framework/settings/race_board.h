#pragma once
// What the tests with several processes share (Windows): the section that a
// writer saves as its n-th write, and the board in named shared memory where
// each writer process records what every write of its reported.
#include <windows.h>

#include <cstdint>
#include <string>

#include "framework/settings/settings_exchange.h"

constexpr char kRaceSection[] = "Race";
constexpr int32_t kRaceMaxWrites = 1 << 16;

enum RaceResult : uint8_t { kRaceNotYet = 0, kRaceSucceeded = 1, kRaceFailed = 2 };

struct RaceBoard {
  volatile LONG iWrites[2];            // writes made so far, per writer
  uint8_t result[2][kRaceMaxWrites];   // what WriteBlobToArchive reported
};

// The text of writer `id`'s write number `n`: its identity, then a body whose
// length changes with every write, so that a read cut short or mixed from two
// versions cannot pass for a whole one.
inline void FillRaceSection(CSettingsExchange* ex, int32_t id, int32_t n) {
  ex->Open(1, "");
  ex->Int(&id, "iWriter");
  ex->Int(&n, "iWrite");
  std::string body(200 + (n * 7919u + id * 104729u) % 3000, static_cast<char>('a' + (n + id) % 26));
  ex->String(&body[0], static_cast<int>(body.size()) + 1, "szBody");
}

// Names of the run's shared objects: "<base>_board", "<base>_stop", ...
inline std::string RaceName(const std::string& base, const char* what) { return base + "_" + what; }

// Maps the board; the creator zero-fills it. Null on failure.
inline RaceBoard* MapRaceBoard(const std::string& base, bool create, HANDLE* mapping) {
  std::string name = RaceName(base, "board");
  *mapping = create ? CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                         sizeof(RaceBoard), name.c_str())
                    : OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, name.c_str());
  if (!*mapping) return nullptr;
  return static_cast<RaceBoard*>(MapViewOfFile(*mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
}
