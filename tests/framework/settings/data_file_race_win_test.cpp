// Data files shared between processes: writer processes rewrite one section
// while this process reads it, and every read must find one whole version
// that its writer reported as written.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "framework/settings/data_folder.h"
#include "framework/settings/data_path.h"
#include "framework/settings/section_files.h"
#include "tests/framework/settings/data_file_test_util.h"
#include "tests/framework/settings/race_board.h"

namespace {

// Reads of the race; BW_SOAK_READS asks for a longer run by hand.
int RaceReads() {
  const char* soak = getenv("BW_SOAK_READS");
  return soak && atoi(soak) > 0 ? atoi(soak) : 20000;
}

std::string TextOf(const CSettingsExchange& ex) {
  return std::string(reinterpret_cast<const char*>(ex.text.data), ex.text.count);
}

// Shared objects of one run, named after this process.
struct RaceRun {
  std::string base;
  HANDLE mapping = nullptr;
  RaceBoard* board = nullptr;
  HANDLE stop = nullptr;
  std::vector<PROCESS_INFORMATION> writers;

  explicit RaceRun(const char* tag) {
    base = std::string("BwRace_") + tag + std::to_string(GetCurrentProcessId());
    board = MapRaceBoard(base, true, &mapping);
    stop = CreateEventA(nullptr, TRUE, FALSE, RaceName(base, "stop").c_str());
  }
  ~RaceRun() {
    SetEvent(stop);
    for (PROCESS_INFORMATION& pi : writers) FinishTestChild(&pi, 30000);
    if (board) UnmapViewOfFile(board);
    if (mapping) CloseHandle(mapping);
    if (stop) CloseHandle(stop);
  }
  bool Start(const std::string& arguments) {
    PROCESS_INFORMATION pi = {};
    DWORD error = 0;
    if (!StartTestChild(arguments, &pi, &error)) return false;
    writers.push_back(pi);
    return true;
  }
  // Exit codes of the writers after they were told to stop.
  std::vector<DWORD> Stop() {
    SetEvent(stop);
    std::vector<DWORD> codes;
    for (PROCESS_INFORMATION& pi : writers) codes.push_back(FinishTestChild(&pi, 30000));
    writers.clear();
    return codes;
  }
};

// Writer processes rewrite the section as fast as they can while this
// process reads it again and again: no read may find it missing, cut or
// mixed, and what a read finds must have been reported as written.
void RunReadRace(int writerCount) {
  std::string folder = FreshFolder("race" + std::to_string(writerCount));
  ASSERT_TRUE(SetDataFolder(folder.c_str()));
  RaceRun run(writerCount == 1 ? "one" : "two");
  ASSERT_NE(nullptr, run.board);
  for (int id = 0; id < writerCount; ++id)
    ASSERT_TRUE(run.Start("race \"" + folder + "\" " + run.base + " " + std::to_string(id)));
  // Reading starts once every writer has written at least once.
  DWORD deadline = GetTickCount() + 30000;
  for (int id = 0; id < writerCount; ++id)
    while (run.board->iWrites[id] == 0 && GetTickCount() < deadline) Sleep(1);
  ASSERT_TRUE(GetTickCount() < deadline) << "a writer did not start";

  const int reads = RaceReads();
  int missing = 0, unreadable = 0, otherFailures = 0, wrong = 0;
  std::set<std::pair<int32_t, int32_t>> seen;
  CSettingsExchange in, expected;
  for (int i = 0; i < reads; ++i) {
    // Under Wine a replace fails while any handle has the file open: a reader
    // that never paused would keep the writers out for good. Real readers
    // read now and then; this one leaves a gap after every eighth read.
    if (i % 8 == 7) Sleep(1);
    int32_t got = ReadBlobFromArchive(&in, "%s", kNoIndex, 0, kRaceSection);
    if (got < 0) {
      (got == -1 ? missing : got == kSectionUnreadable ? unreadable : otherFailures)++;
      continue;
    }
    int32_t id = -1, n = -1;
    in.Int(&id, "iWriter");
    in.Int(&n, "iWrite");
    if (id < 0 || id >= writerCount || n < 0 || n >= kRaceMaxWrites) {
      ++wrong;
      continue;
    }
    FillRaceSection(&expected, id, n);
    if (TextOf(expected) != TextOf(in)) ++wrong;
    seen.insert({id, n});
  }
  std::vector<DWORD> codes = run.Stop();
  for (DWORD code : codes) EXPECT_EQ(0u, code);
  int writes = 0, failedWrites = 0, reportedFailedButSeen = 0;
  for (int id = 0; id < writerCount; ++id) {
    writes += run.board->iWrites[id];
    for (int n = 0; n < run.board->iWrites[id]; ++n)
      failedWrites += run.board->result[id][n] == kRaceFailed;
  }
  for (const auto& s : seen)
    reportedFailedButSeen += run.board->result[s.first][s.second] != kRaceSucceeded;
  printf("%d writer(s): %d reads, %d versions seen, %d writes\n", writerCount, reads,
         static_cast<int>(seen.size()), writes);
  EXPECT_EQ(0, missing);
  EXPECT_EQ(0, unreadable);
  EXPECT_EQ(0, otherFailures);
  EXPECT_EQ(0, wrong);
  EXPECT_EQ(0, failedWrites);
  EXPECT_EQ(0, reportedFailedButSeen);
  // The reads really overlapped the rewrites.
  EXPECT_GT(static_cast<int>(seen.size()), 20);
  EXPECT_FALSE(FileExists(folder + "\\Race.kzc_tmp"));
}

TEST(DataFileRace, ReadsWhileAnotherProcessReplacesTheFile) { RunReadRace(1); }

}  // namespace
