#pragma once
// Send-to destinations as the main window shows them, beside the send step
// of a profile run (gProfileStepSeams). Null entries: there are no
// destinations yet.
#include <windows.h>

struct SendToSeam {
  // Reads the user's SendTo folder into the destination list.
  void (*pfnBuildSendToList)();
  // The name of destination index (0-31), or null.
  const char* (*pfnGetDestinationName)(int index);
  // Draws a destination's icon (the item's draw request); 1 when drawn.
  LRESULT (*pfnDrawDestinationIcon)(WPARAM wParam, LPARAM lParam);
};
extern SendToSeam gSendToSeam;
