// The later parts' seams, empty until each part fills its own.
#include "app/mainwindow/clipboard_text_seam.h"
#include "app/mainwindow/drag_out_seam.h"
#include "app/mainwindow/still_image_seam.h"
#include "app/mainwindow/profile_dialogs_seam.h"

ClipboardTextSeam gClipboardTextSeam = {};
DragOutSeam gDragOutSeam = {};
StillImageSeam gStillImageSeam = {};
ProfileDialogsSeam gProfileDialogsSeam = {};
