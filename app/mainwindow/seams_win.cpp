// The later parts' seams that name Windows types, empty until each part
// fills its own.
#include "app/mainwindow/drawing_tools_seam.h"
#include "app/mainwindow/image_dialogs_seam.h"
#include "app/mainwindow/printing_seam.h"
#include "app/mainwindow/scanning_seam.h"
#include "app/mainwindow/script_seam.h"
#include "app/mainwindow/send_to_seam.h"
#include "app/script/script_runner_win.h"

DrawingToolsSeam gDrawingToolsSeam = {};
ImageDialogsSeam gImageDialogsSeam = {};
PrintingSeam gPrintingSeam = {};
ScanningSeam gScanningSeam = {};
ScriptSeam gScriptSeam = {RunScriptFile, GetScriptProgressWindow};
SendToSeam gSendToSeam = {};
