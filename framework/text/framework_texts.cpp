// The framework's own texts (language 0). Writable and constant-initialised:
// the string table sorts it in place when it is installed, possibly from a
// static constructor, so it must be ready before any of those runs.
#include "framework/text/string_table.h"

#define N nullptr

TextRecord gFrameworkTexts[] = {
    // The bar overflow menu.
    {61442, {" * ", N, "Displays additional items", "Additional Items"}},
    {61443, {"Error initializing the application!\nError code 0x%08X."}},
    {61444, {"Ready"}},
    {61445, {"%s v%d.%d.%d"}},
    {61447,
     {"Could not display the manual \"%s\".\nPlease make sure that a viewer for this file type "
      "is installed on your system.",
      "Could not find the manual \"%s\".\nPlease reinstall the program."}},
    {61448,
     {"Could not access the data path!\n%s\nPlease make sure that this path is accessible or "
      "choose a different data path during setup.",
      "Waiting for data folder...", "Quit %s"}},
    {61449,
     {"Warning: your current configuration will be overwritten!\nDo you want to continue?",
      "Configuration file error!", "Error restoring data!", "Wrong product!",
      "Some file(s) could not be backed up!\nMaybe they are in use by the program."}},
    {61450,
     {"Data restored successfully!", "Data backed up successfully!", "Data reset successfully!"}},
    {61451,
     {"The program must be restarted to apply the changes.\nClick OK to restart the program "
      "now."}},
    // The update check.
    {61452,
     {"Last check: %02d.%02d.%04d", "Checking...", "Version download error",
      "Version format error", "New version available", "No update available",
      "Could not start update check", N, N, N, N, "Update Check"}},
    {61455,
     {"Please select a path for archiving:", "Archiving finished successfully!",
      "Please enter a valid path!", "Could not create the archive file!\nPlease check the path."}},
    // Column headers of the key list.
    {61456, {"#", "Virtual Key", "Description", "Char", "Local"}},
    {61701, {""}},

    // The window menu: label and status text.
    {61712, {"Always on Top", N, "Keeps the window on top of all others"}},
    {61713, {"Show on Taskbar", N, "Shows a button for the window on the taskbar"}},
    {61728, {"Caption", N, "Changes the title bar and the border of the window"}},
    {61729, {"Normal", N, "Shows the window with a normal title bar"}},
    {61730, {"Small", N, "Shows the window with a small title bar"}},
    {61731, {"No Caption", N, "Hides the title bar and keeps the border"}},
    {61732, {"Borderless", N, "Hides the title bar and the border"}},
    {61744, {"Color", N, "Changes the color scheme of the window"}},
    {61745, {"None", N, "Draws the window in the plain system colors"}},
    {61746, {"Default", N, "Draws the window in the default color scheme"}},
    {61747, {"Custom", N, "Draws the window in colors of your choice"}},
    {61748, {"Background", N, "Chooses the background color"}},
    {61749, {"Focus", N, "Chooses the color of the focused item"}},
    {61750, {"Text", N, "Chooses the text color"}},
    {61751, {"Highlighted Text", N, "Chooses the color of highlighted text"}},
    {61760, {"Font", N, "Changes the font of the user interface"}},
    {61761, {"Default", N, "Uses the default font of the user interface"}},
    {61762, {"Custom...", N, "Chooses a font of your own for the user interface"}},
    {61776, {"Lock", N, "Locks the bars and the window in place"}},
    {61777, {"Bar Positions", N, "Locks the positions of the bars"}},
    {61778, {"Bar Sizes", N, "Locks the sizes of the bars"}},
    {61779, {"Window Position", N, "Locks the position of the window"}},
    {61780, {"Window Size", N, "Locks the size of the window"}},
    {61781, {"Lock All", N, "Locks the bars and the position and size of the window"}},
    {61782,
     {"Resolution Change", N,
      "Locks the size and position of the window if the screen resolution changes"}},
    {61792, {"Transparency", N, "Makes the window transparent"}},
    {61793, {"Off", N, "Makes the window opaque"}},
    {61794, {"10%", N, "Makes the window 10% transparent"}},
    {61795, {"20%", N, "Makes the window 20% transparent"}},
    {61796, {"30%", N, "Makes the window 30% transparent"}},
    {61797, {"40%", N, "Makes the window 40% transparent"}},
    {61798, {"50%", N, "Makes the window 50% transparent"}},
    {61799, {"60%", N, "Makes the window 60% transparent"}},
    {61800, {"70%", N, "Makes the window 70% transparent"}},
    {61801, {"80%", N, "Makes the window 80% transparent"}},
    {61802, {"90%", N, "Makes the window 90% transparent"}},
    {61803, {"Ghost", N, "Let the mouse click through the window"}},

    // Button texts.
    {61952, {"OK", "Cancel", "Apply", "Help", "Yes", "No"}},

    {kTextTableEnd, {}},
};
#undef N
