// The decisions of a profile run: step masks, the chain of profiles run by
// name, the main window's final visibility and the processing choices.
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
    if (!c.names.empty()) EXPECT_EQ(chain.Enter(c.names[0].c_str()), 0u);
  }
}

TEST(ProfileRun, FinalVisibility) {
  const OperationError kFailure = 0x10029;
  struct Case {
    OperationError result;
    int hide;
    bool before, after;
  };
  const Case cases[] = {
      {0, 0, false, true},          {0, 0, true, true},
      {0, 1, true, false},          {0, 1, false, false},
      {0, 2, true, true},           {0, 2, false, false},
      {0, 255, false, false},       {kFailure, 1, false, true},
      {kFailure, 2, false, true},   {kFailure, 0, false, true},
      {ErrCancelled, 0, false, false}, {ErrCancelled, 1, true, true},
      {ErrCancelled, 2, false, false}, {0x1001A, 1, false, true},  // not a bare cancel
  };
  for (const Case& c : cases)
    EXPECT_EQ(FinalMainWindowVisible(c.result, c.hide, c.before), c.after)
        << c.result << " " << c.hide << " " << c.before;
}

TEST(ProfileRun, ProcessingChoices) {
  // Colour: 255 never converts; otherwise another class or dithering does.
  for (int mode : {0, 1, 2, 3, 4, 255})
    for (int dither : {0, 1})
      for (int image = 0; image <= 4; ++image)
        EXPECT_EQ(ShouldConvertColors(mode, dither, image),
                  mode != 255 && (mode != image || dither))
            << mode << dither << image;
  // Invert: the automatic choice overrides the fixed one.
  struct Invert {
    int invert, autoInvert;
    bool dark, expected;
  };
  for (const Invert& c : {Invert{0, 0, true, false}, Invert{1, 0, false, true},
                          Invert{1, 1, false, false}, Invert{0, 1, true, true},
                          Invert{1, 1, true, true}})
    EXPECT_EQ(ShouldInvert(c.invert, c.autoInvert, c.dark), c.expected);
  // Rotation: bit 4 switches it on, the low four bits choose.
  struct Rotate {
    int value;
    bool rotates;
    float angle;
  };
  const Rotate rotations[] = {{0x10, true, 90}, {0x11, true, -90}, {0x12, true, 180},
                              {0x13, true, 45}, {0x14, false, 0},  {0x1F, false, 0},
                              {0x03, false, 0}, {0x00, false, 0},  {0x33, true, 45},
                              {0xF0, true, 90}};
  for (const Rotate& r : rotations) {
    float angle = -1;
    EXPECT_EQ(RotationAngle(r.value, 45.0f, &angle), r.rotates) << r.value;
    if (r.rotates) EXPECT_EQ(angle, r.angle) << r.value;
  }
}

}  // namespace
