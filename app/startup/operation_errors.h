#pragma once
// Operation results: every operation that can fail returns one 32-bit code,
// the operation number in the upper word and the detail in the lower word;
// 0 is success and 26 alone means the user cancelled (never shown). The code
// travels unchanged to whatever started the work, and only there is it shown,
// once, in one error box naming the operation and the reason.
#include <cstdint>

#include "framework/text/string_table.h"

typedef uint32_t OperationError;

enum OperationNumber : uint32_t {
  OpCapture = 1, OpConvert = 2, OpFlip = 3, OpRotate = 4, OpResize = 5, OpOpen = 6,
  OpSave = 7, OpSend = 8, OpCopy = 9, OpPaste = 10, OpPrint = 11, OpScan = 12,
  OpScript = 13, OpAdjustColors = 16, OpReplaceColors = 17, OpCrop = 18, OpProfile = 19,
  OpClear = 21, OpInvert = 22, OpHighlight = 23, OpProcess = 24,
};

enum OperationDetail : uint32_t {
  ErrNoMemory = 1, ErrNoImage = 2, ErrUnknownFileFormat = 3, ErrFileNotFound = 4,
  ErrFileAccess = 5, ErrNoSavePath = 6, ErrClipboard = 7, ErrUnknownImageFormat = 8,
  ErrNoEditor = 9, ErrBadEditor = 10, ErrPrinterAccess = 11, ErrTwainSource = 13,
  ErrScan = 14, ErrColorDepth = 15, ErrScriptSyntax = 16, ErrLoopBalance = 18,
  ErrParameter = 21, ErrCancelled = 26, ErrTempFile = 27, ErrNoPrinter = 29,
  ErrNoBitmapPrinting = 32, ErrNoProfile = 33, ErrScriptParameter = 34,
  ErrScriptCommand = 35, ErrScriptProfile = 36, ErrNoDestination = 37, ErrSendFailed = 38,
  ErrWordDde = 39, ErrFunctionFailed = 41,
};

constexpr OperationError OperationCode(uint32_t operation, uint32_t detail) {
  return (operation << 16) | (detail & 0xFFFF);
}

constexpr int kOperationTextChars = 260;
constexpr int kOperationReportChars = 1024;

// The text of one half of a code: a value whose lower word is 0 names an
// operation, a value below 65536 a detail; anything without a text of its
// own (and any other value) is "Undefined error (v)." with v as a signed
// number. The script details carry `scriptLine`. 0 gives "".
void FormatOperationErrorText(const CStringTable& texts, uint32_t value, int scriptLine,
                              char out[kOperationTextChars]);
// The report of a code: the operation's text, a line break when it is not
// empty, then the detail's text; cut to fit.
void FormatOperationReport(const CStringTable& texts, OperationError code, int scriptLine,
                           char out[kOperationReportChars]);

// The program's table and the script engine's current line; the result
// lives in a static buffer that the next call overwrites (user interface
// thread only).
const char* GetOperationErrorText(uint32_t value);
// Shows the error box for a code and returns its result; 1 without showing
// anything for 0 and for exactly 26.
int ReportOperationError(OperationError code);
