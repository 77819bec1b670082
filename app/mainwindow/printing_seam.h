#pragma once
// Printing, as the main window and the start-up reach it. Null entries:
// printing is not part of the program yet; Print stays disabled and the
// printer list is empty.
#include "app/startup/operation_errors.h"

struct ProfileRecord;

struct PrintingSeam {
  // Prints the current image with the profile; askOptions: the print
  // options first.
  OperationError (*pfnPrintImage)(ProfileRecord* profile, int askOptions);
  // Fills the printer list (gaPrinters, giPrinterCount) on the start-up
  // thread; the count is -1 until it returns.
  void (*pfnFillPrinterList)();
  // Ends the page and the document of an open print job.
  void (*pfnEndPrintJob)();
};
extern PrintingSeam gPrintingSeam;
