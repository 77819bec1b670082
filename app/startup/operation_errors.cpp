#include "app/startup/operation_errors.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr uint16_t kUndefinedErrorText = 10200;

struct TextOf {
  uint32_t number;
  uint16_t textId;
};

const TextOf kOperationTexts[] = {
    {OpCapture, 10014}, {OpConvert, 10015},      {OpFlip, 10016},          {OpRotate, 10017},
    {OpResize, 10018},  {OpOpen, 10019},         {OpSave, 10020},          {OpSend, 10021},
    {OpCopy, 10022},    {OpPaste, 10023},        {OpPrint, 10024},         {OpScan, 10025},
    {OpScript, 10026},  {OpAdjustColors, 10028}, {OpReplaceColors, 10029}, {OpCrop, 10030},
    {OpProfile, 10031}, {OpClear, 10033},        {OpInvert, 10034},        {OpHighlight, 10035},
    {OpProcess, 10036},
};

const TextOf kDetailTexts[] = {
    {ErrNoMemory, 10100},         {ErrNoImage, 10101},          {ErrUnknownFileFormat, 10102},
    {ErrFileNotFound, 10103},     {ErrFileAccess, 10104},       {ErrNoSavePath, 10105},
    {ErrClipboard, 10106},        {ErrUnknownImageFormat, 10107}, {ErrNoEditor, 10108},
    {ErrBadEditor, 10109},        {ErrPrinterAccess, 10110},    {ErrTwainSource, 10112},
    {ErrScan, 10113},             {ErrColorDepth, 10114},       {ErrScriptSyntax, 10122},
    {ErrLoopBalance, 10115},      {ErrParameter, 10118},        {ErrTempFile, 10119},
    {ErrNoPrinter, 10120},        {ErrNoBitmapPrinting, 10111}, {ErrNoProfile, 10121},
    {ErrScriptParameter, 10123},  {ErrScriptCommand, 10124},    {ErrScriptProfile, 10125},
    {ErrNoDestination, 10126},    {ErrSendFailed, 10127},       {ErrWordDde, 10128},
    {ErrFunctionFailed, 10129},
};

uint16_t FindTextId(const TextOf* table, size_t count, uint32_t number) {
  for (size_t i = 0; i < count; ++i)
    if (table[i].number == number) return table[i].textId;
  return 0;
}

bool IsScriptLineDetail(uint32_t detail) {
  return detail == ErrScriptSyntax || detail == ErrScriptParameter ||
         detail == ErrScriptCommand || detail == ErrScriptProfile;
}

// The table's texts are the only formats, and a number the only argument:
// each "%d" becomes `number` ("%%" a "%"), nothing else is a directive.
void FormatText(const CStringTable& texts, uint16_t id, int number, char* out) {
  const char* format = texts.GetText(id, 0);
  char digits[16];
  snprintf(digits, sizeof digits, "%d", number);
  size_t n = 0;
  for (const char* p = format ? format : ""; *p && n + 1 < kOperationTextChars; ++p) {
    if (p[0] == '%' && p[1] == 'd') {
      for (const char* d = digits; *d && n + 1 < kOperationTextChars; ++d) out[n++] = *d;
      ++p;
    } else {
      out[n++] = *p;
      if (p[0] == '%' && p[1] == '%') ++p;
    }
  }
  out[n] = '\0';
}

}  // namespace

void FormatOperationErrorText(const CStringTable& texts, uint32_t value, int scriptLine,
                              char out[kOperationTextChars]) {
  out[0] = '\0';
  if (value == 0) return;
  uint16_t id = 0;
  if ((value & 0xFFFF) == 0)
    id = FindTextId(kOperationTexts, sizeof kOperationTexts / sizeof(TextOf), value >> 16);
  else if (value < 0x10000)
    id = FindTextId(kDetailTexts, sizeof kDetailTexts / sizeof(TextOf), value);
  if (id != 0 && texts.GetText(id, 0))
    FormatText(texts, id, IsScriptLineDetail(value) ? scriptLine : 0, out);
  else
    FormatText(texts, kUndefinedErrorText, static_cast<int32_t>(value), out);
}

void FormatOperationReport(const CStringTable& texts, OperationError code, int scriptLine,
                           char out[kOperationReportChars]) {
  char part[kOperationTextChars];
  FormatOperationErrorText(texts, code & 0xFFFF0000u, scriptLine, part);
  snprintf(out, kOperationReportChars, "%s%s", part, part[0] ? "\n" : "");
  FormatOperationErrorText(texts, code & 0xFFFFu, scriptLine, part);
  size_t used = strlen(out);
  snprintf(out + used, kOperationReportChars - used, "%s", part);
}
