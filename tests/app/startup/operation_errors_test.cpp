// The report of an operation result: one line for the operation, one for the
// reason, each from the program's text table, with the fall-back text for
// any number that has none.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "app/startup/operation_errors.h"
#include "app/startup/program_texts.h"

namespace {

class OperationErrors : public ::testing::Test {
 protected:
  void SetUp() override { texts_.SetLanguageTable(0, gProgramTexts); }

  std::string Report(OperationError code, int line = 0) {
    char text[kOperationReportChars];
    FormatOperationReport(texts_, code, line, text);
    return text;
  }

  CStringTable texts_;
};

TEST_F(OperationErrors, ReportsNameTheOperationAndTheReason) {
  struct {
    OperationError code;
    int scriptLine;
    const char* text;
  } cases[] = {
      {0x1001A, 0, "The image could not be captured!\nUndefined error (26)."},
      {0x70006, 0,
       "The image could not be saved!\nNo filename or path for sequential saving specified. "
       "Please check the options."},
      {0xD0022, 7, "Error during the execution of the Script file!\nParameter error in line 7."},
      {0xD0010, 12, "Error during the execution of the Script file!\nSyntax error in line 12."},
      {0x130021, 0, "Profile access error!\nThe selected profile does not exist."},
      {40, 0, "Undefined error (40)."},
      {0x170000, 0, "The image could not be hilighted!\n"},
      {0x140000, 0, "Undefined error (1310720).\n"},
      {0xFFFF0001, 0, "Undefined error (-65536).\nNot enough memory."},
      {ErrNoImage, 0, "No image.\nPlease capture or load an image first."},
      {OperationCode(OpHighlight, ErrWordDde), 0,
       "The image could not be hilighted!\nUnable to communicate with MS Word. Please make sure "
       "that \nMS Word is running and that there is an active document."},
      {OperationCode(OpAdjustColors, 12), 0, "Could not adjust colors!\nUndefined error (12)."},
  };
  for (const auto& c : cases) EXPECT_EQ(c.text, Report(c.code, c.scriptLine)) << std::hex << c.code;
}

// Exactly the numbers without a text of their own fall back, and no two
// numbers share a text.
TEST_F(OperationErrors, EveryNumberHasATextOfItsOwnOrTheFallBack) {
  const std::set<uint32_t> operationGaps = {14, 15, 20}, detailGaps = {12, 17, 19, 20, 22, 23, 24,
                                                                       25, 26, 28, 30, 31, 40};
  std::set<std::string> seen;
  char text[kOperationTextChars];
  for (uint32_t op = 1; op <= 30; ++op) {
    FormatOperationErrorText(texts_, op << 16, 3, text);
    bool gap = op > 24 || operationGaps.count(op);
    EXPECT_EQ(gap, text == "Undefined error (" + std::to_string(op << 16) + ").") << op;
    EXPECT_TRUE(gap || seen.insert(text).second) << "operation " << op << ": " << text;
  }
  for (uint32_t detail = 1; detail <= 45; ++detail) {
    FormatOperationErrorText(texts_, detail, 3, text);
    bool gap = detail > 41 || detailGaps.count(detail);
    EXPECT_EQ(gap, text == "Undefined error (" + std::to_string(detail) + ").") << detail;
    EXPECT_TRUE(gap || seen.insert(text).second) << "detail " << detail << ": " << text;
  }
  FormatOperationErrorText(texts_, 0, 3, text);
  EXPECT_STREQ("", text);
}

}  // namespace
