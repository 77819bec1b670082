#include "app/mainwindow/later_part_commands.h"

#include "app/mainwindow/command_ids.h"
#include "app/profiles/profile_execution.h"
#include "app/mainwindow/image_dialogs_seam.h"
#include "app/mainwindow/profile_dialogs_seam.h"
#include "app/mainwindow/script_seam.h"
#include "framework/app/app_win.h"

namespace {

struct LaterPartCommand {
  uint16_t id;
  bool onImage;
  bool (*present)();
};

const LaterPartCommand kCommands[] = {
    {kCmdAdjustColors, true, [] { return gImageDialogsSeam.pfnAdjustColors != nullptr; }},
    {kCmdReplaceColors, true, [] { return gImageDialogsSeam.pfnReplaceColorsDialog != nullptr; }},
    {kCmdResize, true, [] { return gImageDialogsSeam.pfnResizeDialog != nullptr; }},
    {kCmdSendTo, true, [] { return gProfileStepSeams.pfnSendImage != nullptr; }},
    {kCmdSendToEditor, true, [] { return gProfileStepSeams.pfnSendImage != nullptr; }},
    {kCmdSendToWord, true, [] { return gProfileStepSeams.pfnSendImage != nullptr; }},
    {kCmdAbout, false, [] { return gProfileDialogsSeam.pfnShowAbout != nullptr; }},
    {kCmdEditProfile, false, [] { return gProfileDialogsSeam.pfnEditProfile != nullptr; }},
    {kCmdNewProfile, false, [] { return gProfileDialogsSeam.pfnCreateProfile != nullptr; }},
    {kCmdOrganizeProfiles, false,
     [] { return gProfileDialogsSeam.pfnOrganizeProfiles != nullptr; }},
    {kCmdOptions, false, [] { return gProfileDialogsSeam.pfnShowProgramOptions != nullptr; }},
    {kCmdRunScript, false, [] { return gScriptSeam.pfnRunScriptFile != nullptr; }},
};

}  // namespace

bool IsLaterPartPresent(uint16_t id) {
  if (id == kCmdScan) return gProfileStepSeams.pfnScanImage != nullptr;
  if (id == kCmdPrint) return gProfileStepSeams.pfnPrintImage != nullptr;
  for (const LaterPartCommand& command : kCommands)
    if (command.id == id) return command.present();
  return true;
}

void EnableLaterPartCommands(bool hasImage) {
  for (const LaterPartCommand& command : kCommands)
    gApp.EnableCommand(command.id, command.present() && (!command.onImage || hasImage));
  for (uint16_t id = kFirstSendToCommand; id <= kLastSendToCommand; ++id)
    gApp.EnableCommand(id, hasImage && gProfileStepSeams.pfnSendImage != nullptr);
}
