#pragma once
// Printing, as the main window and the start-up reach it beside the print
// step of a profile run (gProfileStepSeams). Null entries: printing is not
// part of the program yet; the printer list stays empty.
struct ProfileRecord;

struct PrintingSeam {
  // The print options over the profile before Print; false when cancelled.
  bool (*pfnPrintOptions)(ProfileRecord* profile);
  // Fills the printer list (gaPrinters, giPrinterCount) on the start-up
  // thread; the count is -1 until it returns.
  void (*pfnFillPrinterList)();
  // Ends the page and the document of an open print job.
  void (*pfnEndPrintJob)();
};
extern PrintingSeam gPrintingSeam;
