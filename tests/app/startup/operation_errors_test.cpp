// The report of an operation result: one line for the operation, one for the
// reason, each from the program's text table, with the fall-back text for
// any number that has none.
#include <gtest/gtest.h>

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

// Every number of the two tables against its text; the gaps fall back.
TEST_F(OperationErrors, EveryNumberHasItsOwnText) {
  const char* operations[25] = {
      nullptr, "The image could not be captured!", "The image could not be converted!",
      "The image could not be flipped!", "The image could not be rotated!",
      "The image could not be resized!", "The image could not be opened!",
      "The image could not be saved!", "The image could not be sent!",
      "The image could not be copied to the Clipboard!",
      "The image could not be pasted from the Clipboard!", "The image could not be printed!",
      "The image could not be acquired!", "Error during the execution of the Script file!",
      nullptr, nullptr, "Could not adjust colors!", "Could not replace colors!",
      "Could not crop image!", "Profile access error!", nullptr,
      "The image area could not be cleared!", "The image could not be inverted!",
      "The image could not be hilighted!", "The image could not be processed!"};
  const char* details[42] = {
      nullptr, "Not enough memory.", "No image.\nPlease capture or load an image first.",
      "Unknown file format.", "File not found.",
      "The selected file could not be accessed.\nPlease try again with a different file.",
      "No filename or path for sequential saving specified. Please check the options.",
      "Unable to access Clipboard.", "Unknown image format.",
      "No image editing program specified. Please check the options.",
      "The name of the image editor is not valid. Please check the options.",
      "Unable to access the printer.", nullptr, "Unable to access the Twain Data Source.",
      "Error while scanning.", "Unsupported color depth.", "Syntax error in line 3.", nullptr,
      "Unbalanced LOOP / LOOPEND statements.", nullptr, nullptr, "Could not access parameter.",
      nullptr, nullptr, nullptr, nullptr, nullptr, "Unable to save a temporary file.", nullptr,
      "No printer selected.", nullptr, nullptr, "The selected printer doesn't support bitmaps.",
      "The selected profile does not exist.", "Parameter error in line 3.",
      "Unknown command in line 3.", "Incompatible profile in line 3.",
      "The selected destination does not exist.",
      "The image could not be sent to the selected destination.",
      "Unable to communicate with MS Word. Please make sure that \nMS Word is running and that "
      "there is an active document.",
      nullptr, "The function failed."};
  char text[kOperationTextChars];
  for (uint32_t op = 1; op <= 30; ++op) {
    FormatOperationErrorText(texts_, op << 16, 3, text);
    std::string want = op < 25 && operations[op] ? operations[op]
                                                  : "Undefined error (" + std::to_string(op << 16) + ").";
    EXPECT_EQ(want, text) << "operation " << op;
  }
  for (uint32_t detail = 1; detail <= 45; ++detail) {
    FormatOperationErrorText(texts_, detail, 3, text);
    std::string want = detail < 42 && details[detail] ? details[detail]
                                                      : "Undefined error (" + std::to_string(detail) + ").";
    EXPECT_EQ(want, text) << "detail " << detail;
  }
  FormatOperationErrorText(texts_, 0, 3, text);
  EXPECT_STREQ("", text);
}

}  // namespace
