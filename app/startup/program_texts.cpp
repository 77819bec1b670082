// Constant-initialised, so it is ready for any static constructor that
// installs it.
#include "app/startup/program_texts.h"

TextRecord gProgramTexts[] = {
    {kProductNameText, {"Brightwarden"}},
    // Stand-ins: no position, no colour, an unreadable name, the current
    // profile where a profile name is expected.
    {2110, {"", "X , Y", "R , G , B", "(Unknown)", "(Active profile)"}},

    // What an operation could not do (the first line of an error report).
    {10014, {"The image could not be captured!"}},
    {10015, {"The image could not be converted!"}},
    {10016, {"The image could not be flipped!"}},
    {10017, {"The image could not be rotated!"}},
    {10018, {"The image could not be resized!"}},
    {10019, {"The image could not be opened!"}},
    {10020, {"The image could not be saved!"}},
    {10021, {"The image could not be sent!"}},
    {10022, {"The image could not be copied to the Clipboard!"}},
    {10023, {"The image could not be pasted from the Clipboard!"}},
    {10024, {"The image could not be printed!"}},
    {10025, {"The image could not be acquired!"}},
    {10026, {"Error during the execution of the Script file!"}},
    {10028, {"Could not adjust colors!"}},
    {10029, {"Could not replace colors!"}},
    {10030, {"Could not crop image!"}},
    {10031, {"Profile access error!"}},
    {10033, {"The image area could not be cleared!"}},
    {10034, {"The image could not be inverted!"}},
    {10035, {"The image could not be hilighted!"}},
    {10036, {"The image could not be processed!"}},

    // Why (the second line).
    {10100, {"Not enough memory."}},
    {10101, {"No image.\nPlease capture or load an image first."}},
    {10102, {"Unknown file format."}},
    {10103, {"File not found."}},
    {10104, {"The selected file could not be accessed.\nPlease try again with a different file."}},
    {10105, {"No filename or path for sequential saving specified. Please check the options."}},
    {10106, {"Unable to access Clipboard."}},
    {10107, {"Unknown image format."}},
    {10108, {"No image editing program specified. Please check the options."}},
    {10109, {"The name of the image editor is not valid. Please check the options."}},
    {10110, {"Unable to access the printer."}},
    {10111, {"The selected printer doesn't support bitmaps."}},
    {10112, {"Unable to access the Twain Data Source."}},
    {10113, {"Error while scanning."}},
    {10114, {"Unsupported color depth."}},
    {10115, {"Unbalanced LOOP / LOOPEND statements."}},
    {10118, {"Could not access parameter."}},
    {10119, {"Unable to save a temporary file."}},
    {10120, {"No printer selected."}},
    {10121, {"The selected profile does not exist."}},
    {10122, {"Syntax error in line %d."}},
    {10123, {"Parameter error in line %d."}},
    {10124, {"Unknown command in line %d."}},
    {10125, {"Incompatible profile in line %d."}},
    {10126, {"The selected destination does not exist."}},
    {10127, {"The image could not be sent to the selected destination."}},
    {10128,
     {"Unable to communicate with MS Word. Please make sure that \nMS Word is running and that "
      "there is an active document."}},
    {10129, {"The function failed."}},
    {10200, {"Undefined error (%d)."}},

    {kTextTableEnd, {}},
};
