#include "framework/ui/accelerators.h"

AcceleratorRecord MakeAccelerator(uint32_t key, uint16_t windowId, uint16_t commandId) {
  AcceleratorRecord record;
  record.wKey = uint16_t(key & 0xFFFF);
  record.bShift = uint8_t((key >> 16) & 1);
  record.bControl = uint8_t((key >> 17) & 1);
  record.bAlt = uint8_t((key >> 18) & 1);
  record.wWindowId = windowId;
  record.wCommand = commandId;
  return record;
}

int ChooseAccelerator(const AcceleratorRecord* records, int count, uint16_t key, bool shift,
                      bool control, bool alt, AcceleratorWindowFilter filter, void* context) {
  int first = -1;
  for (int i = 0; i < count; ++i) {
    const AcceleratorRecord& r = records[i];
    if (r.wKey != key) continue;
    if ((r.bShift && !shift) || (r.bControl && !control) || (r.bAlt && !alt)) continue;
    if (filter && !filter(r.wWindowId, context)) continue;
    bool exact = bool(r.bShift) == shift && bool(r.bControl) == control && bool(r.bAlt) == alt;
    if (exact) return i;
    if (first < 0) first = i;
  }
  return first;
}
