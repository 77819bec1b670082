// The status-part rules of a window.
#include "framework/window/status_texts.h"

#include <cstring>

int32_t CStatusTexts::Find(int32_t part) const {
  for (int32_t i = 0; i < records_.count; ++i)
    if (records_.data[i].part == part) return i;
  return -1;
}

bool CStatusTexts::Set(int32_t part, const char* text) {
  int32_t index = Find(part);
  if (text && text[0]) {
    if (index < 0) {
      StatusRecord record;
      record.part = part;
      record.text[0] = 0;
      index = records_.Insert(&record, records_.count, 1);
      if (index < 0) return false;
    }
    char* target = records_.data[index].text;
    size_t n = strnlen(text, kStatusTextChars - 1);
    memcpy(target, text, n);
    target[n] = 0;
    return true;
  }
  if (index < 0) return true;
  records_.RemoveAt(index);
  // The program's own parts are gone: a leftover part -1 would hide "Ready".
  bool allNegative = records_.count > 0;
  for (int32_t i = 0; i < records_.count; ++i)
    if (records_.data[i].part >= 0) allNegative = false;
  int32_t programPart = allNegative ? Find(-1) : -1;
  if (programPart >= 0) records_.RemoveAt(programPart);
  return true;
}

const char* CStatusTexts::Shown() const {
  int32_t index = Find(-1);
  if (index < 0) index = records_.count - 1;
  return index >= 0 ? records_.data[index].text : nullptr;
}

const char* CStatusTexts::Get(int32_t part) const {
  int32_t index = Find(part);
  return index >= 0 ? records_.data[index].text : nullptr;
}
