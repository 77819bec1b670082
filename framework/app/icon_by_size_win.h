#pragma once
// Icon helpers of the start-up: picking an image of an icon group resource
// by colour depth and size, and a grey copy for a blinking tray icon.
#include <windows.h>

// depthIndex: 0 = 1 bit, 1 = 4 bits, 2 = 8 bits, 3 = 32 bits; from there
// downwards the first depth the group has is taken, then the exact or the
// nearest width (the first image for size 0). A negative index, or a group
// without any of those depths, leaves the choice to the system. Null when
// the resource is missing.
HICON LoadIconBySize(HINSTANCE module, int groupResourceId, int depthIndex, int size);

// icons[0] = the icon (system choice, default size), icons[1] = its grey
// copy in the theme's light and shadow colours. 0, or 1 when the icon
// cannot be loaded.
int MakeGrayIcon(HINSTANCE module, int iconResourceId, HICON icons[2]);
