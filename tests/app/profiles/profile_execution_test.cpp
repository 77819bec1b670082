// Step masks and the chain of profiles run by name.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "app/profiles/profile_execution.h"
#include "app/profiles/profile_execution_rules.h"

namespace {

TEST(ProfileSteps, MasksAgainstASetOfBits) {
  EXPECT_EQ(MakeStepMask(-1), 0u);
  EXPECT_EQ(MakeStepMask(1, 3, -1), 0xAu);
  EXPECT_EQ(MakeStepMask(31, 32, 33, 1, -1), 0x80000003u);  // modulo 32, repeats once
  EXPECT_EQ(MakeStepMask(0, 0, 0, -1), 1u);
  // Random lists against a bit set built one bit at a time.
  std::mt19937 random(7);
  for (int round = 0; round < 500; ++round) {
    int b[4];
    std::vector<bool> set(32);
    for (int& bit : b) {
      bit = int(random() % 200);
      set[bit % 32] = true;
    }
    uint32_t expected = 0;
    for (int i = 0; i < 32; ++i)
      if (set[i]) expected += uint32_t(1) << i;
    ASSERT_EQ(MakeStepMask(b[0], b[1], b[2], b[3], -1), expected);

    const uint32_t start = uint32_t(random());
    uint32_t mask = start;
    EXPECT_EQ(SetStepBits(1, &mask, b[0], b[1], b[2], b[3], -1), start | expected);
    EXPECT_EQ(mask, start | expected);
    mask = start;
    EXPECT_EQ(SetStepBits(0, &mask, b[0], b[1], b[2], b[3], -1), start) << "the old mask";
    EXPECT_EQ(mask, start & ~expected);
  }
}

TEST(ProfileChain, RefusesARepeatWithoutRegardToCaseAndBeyondTheDepth) {
  struct Case {
    std::vector<std::string> names;
    size_t refusedAt;  // names.size(): none refused
  };
  std::vector<std::string> deep, deeper;
  for (int i = 0; i < kMaxChainDepth; ++i) deep.push_back("P" + std::to_string(i));
  deeper = deep;
  deeper.push_back("Fresh");
  const Case cases[] = {
      {{"A", "B", "C"}, 3},
      {{"A", "B", "A"}, 2},
      {{"Screen", "screen"}, 1},
      {{"A", "A"}, 1},
      {{"Pattern Shot", "PATTERN SHOT"}, 1},
      {{"Ab", "aB ", "AB"}, 2},  // a trailing blank is another name
      {{"", "x", ""}, 2},
      {deep, deep.size()},
      {deeper, size_t(kMaxChainDepth)},
      // Names longer than a record's are compared as cut to it.
      {{std::string(40, 'q'), std::string(31, 'Q') + "z"}, 1},
  };
  for (const Case& c : cases) {
    CProfileChain chain;
    size_t refused = c.names.size();
    for (size_t i = 0; i < c.names.size(); ++i) {
      const OperationError r = chain.Enter(c.names[i].c_str());
      if (r != 0) {
        EXPECT_EQ(r, 0x130029u);
        refused = i;
        break;
      }
    }
    EXPECT_EQ(refused, c.refusedAt) << c.names.back();
    EXPECT_EQ(chain.Depth(), int(refused));
    // Leaving frees the names again.
    while (chain.Depth() > 0) chain.Leave();
    chain.Leave();
    EXPECT_EQ(chain.Depth(), 0);
    if (!c.names.empty()) {
      EXPECT_EQ(chain.Enter(c.names[0].c_str()), 0u);
    }
  }
}

}  // namespace
