#pragma once
// Send-to destinations and the word processor. Null entries: sending is not
// part of the program yet; Send To and its destinations stay disabled.
#include <windows.h>

#include "app/startup/operation_errors.h"

struct ProfileRecord;

struct SendToSeam {
  // Reads the user's SendTo folder into the destination list.
  void (*pfnBuildSendToList)();
  // Sends the current image with the profile to the named destination (null:
  // the profile's own).
  OperationError (*pfnSendImage)(ProfileRecord* profile, const char* destination);
  // The name of destination index (0-31), or null.
  const char* (*pfnGetDestinationName)(int index);
  // Draws a destination's icon (the item's draw request); 1 when drawn.
  LRESULT (*pfnDrawDestinationIcon)(WPARAM wParam, LPARAM lParam);
};
extern SendToSeam gSendToSeam;
