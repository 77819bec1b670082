// Number fields of dialogs: read with range checks, written in the user's
// notation.
#include <windows.h>

#include <clocale>
#include <cstdarg>
#include <cstdio>

#include "framework/ui/dialog_helpers_win.h"

int32_t gLastStatus = 0;

namespace {

// The separator the C runtime's conversion expects right now.
char RuntimeSeparator() {
  const lconv* conventions = localeconv();
  return conventions && conventions->decimal_point && conventions->decimal_point[0]
             ? conventions->decimal_point[0]
             : '.';
}

// The separator the user reads and writes: the user's locale setting.
char UserSeparator() {
  char separator[4] = {};
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, sizeof(separator)) > 0 &&
      separator[0])
    return separator[0];
  return '.';
}

void ReadField(HWND dialog, int id, char field[kNumberFieldChars + 1]) {
  field[0] = '\0';
  GetDlgItemTextA(dialog, id, field, kNumberFieldChars + 1);
}

}  // namespace

int32_t GetDlgItemInteger(HWND dialog, int id, int32_t minimum, int32_t maximum, bool strict) {
  char field[kNumberFieldChars + 1];
  ReadField(dialog, id, field);
  int status = 0;
  int32_t value = ParseIntegerField(field, minimum, maximum, strict, &status);
  gLastStatus = status;
  return value;
}

double GetDlgItemDouble(HWND dialog, int id, double minimum, double maximum, bool strict) {
  char field[kNumberFieldChars + 1];
  ReadField(dialog, id, field);
  int status = 0;
  double value = ParseDoubleField(field, minimum, maximum, strict, RuntimeSeparator(), &status);
  gLastStatus = status;
  return value;
}

void SetDlgItemInteger(HWND dialog, int id, int32_t value) {
  SetDlgItemTextF(dialog, id, "%d", int(value));
}

void SetDlgItemDouble(HWND dialog, int id, double value) {
  char text[kDoubleFieldChars];
  FormatDoubleField(value, UserSeparator(), text, sizeof(text));
  SetDlgItemTextA(dialog, id, text);
}

void SetDlgItemTextF(HWND dialog, int id, const char* format, ...) {
  char text[1024];
  va_list arguments;
  va_start(arguments, format);
  vsnprintf(text, sizeof(text), format ? format : "", arguments);
  va_end(arguments);
  SetDlgItemTextA(dialog, id, text);
}
